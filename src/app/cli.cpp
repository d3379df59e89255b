#include "app/cli.h"

#include <algorithm>
#include <charconv>
#include <memory>
#include <optional>
#include <ostream>

#include "app/cli_book.h"
#include "app/cli_command.h"
#include "app/cli_connection.h"
#include "app/cli_history.h"
#include "app/cli_line.h"
#include "app/cli_ui.h"
#include "app/exit_codes.h"
#include "app/testrun_command.h"
#include "history/journal.h"
#include "initforms/serial_store.h"
#include "line/line_keeper.h"
#include "line/station.h"
#include "mainform/auxiliary_page.h"
#include "mainform/connection.h"
#include "mainform/init_page.h"
#include "mainform/number_keeper.h"
#include "mainform/step_outcome.h"
#include "platform/system.h"

namespace tallowick {
namespace {

class InfoCommand final : public PortCommand {
 public:
  InfoCommand()
      : PortCommand({"info"}, "",
                    "Identify the printer: model, firmware version, country and service mode.") {}

  int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
          const CliContext& context) const override;
};

int InfoCommand::run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                     const CliContext& context) const {
  Given o;
  if (auto refused = read(args, 1, args[0], o)) return usageError(err, refused->message);

  // Connected as the window connects, which says in its boxes what went wrong.
  Connection c(simClock(context), context, out, err, o.get(port), false);
  const auto failed = c.connect(baudIndex(o));
  const CommandResult* r = c.state.LastResult;
  if (failed && r && r->Refusal != LinkRefusal::None) {
    err << "tallowick-cli: " << refusalText(r->Refusal) << "\n";
  } else if (failed == kExitPrinterError) {
    err << "tallowick-cli: the printer answered with error code " << r->ErrorCode << "\n";
  }
  if (failed) return *failed;
  out << "Модель: " << c.state.DeviceModel << "\n"
      << "Версия ПО: " << c.state.FirmwareVersion << "\n"
      << "Страна: " << c.state.DeviceCountry << "\n"
      << (r->serviceMode() ? kServiceModeOn : kServiceModeOff) << "\n";
  c.port.link.CloseDeviceLink();
  return kExitOk;
}

// The single functions of the page "Вспомогательные функции", by command name, with the
// line that says what was done when every command was accepted.
struct AuxiliaryFunction {
  std::string_view name;
  void (AuxiliaryPage::*click)();
  std::string_view done;
};
constexpr AuxiliaryFunction kAuxiliaryFunctions[] = {
    {"zreport", &AuxiliaryPage::Button11Click, "Готово: Z-отчет напечатан."},
    {"xreport", &AuxiliaryPage::Button12Click, "Готово: X-отчет напечатан."},
    {"cancel-receipt", &AuxiliaryPage::Button13Click, "Готово: открытых чеков нет."},
    {"reboot", &AuxiliaryPage::Button14Click, "Готово: регистратор перезагружен."},
    {"cash-drawer", &AuxiliaryPage::Button16Click, "Готово: денежный ящик открыт."},
    {"set-taxes", &AuxiliaryPage::Button17Click, "Готово: налоги установлены."},
};
// It takes the number of the test, ComboBox4's index, before its options.
constexpr AuxiliaryFunction kInternalTest = {"internal-test", &AuxiliaryPage::Button15Click,
                                             "Готово: внутренний тест выполнен."};

std::vector<std::string_view> auxiliaryNames() {
  std::vector<std::string_view> names;
  for (const AuxiliaryFunction& f : kAuxiliaryFunctions)
    names.push_back(f.name);
  return names;
}

class AuxiliaryCommand : public PortCommand {
 public:
  AuxiliaryCommand()
      : PortCommand(auxiliaryNames(), "",
                    "One service function of the page 'Вспомогательные функции': Z-report, "
                    "X-report, cancel the open receipt, reboot, open the cash drawer, set the "
                    "tax rates. Its message boxes go to standard error.") {}

  int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
          const CliContext& context) const override {
    const auto f = std::find_if(std::begin(kAuxiliaryFunctions), std::end(kAuxiliaryFunctions),
                                [&](const AuxiliaryFunction& a) { return a.name == args[0]; });
    return runFunction(*f, args, -1, out, err, context);
  }

 protected:
  using PortCommand::PortCommand;

  // Runs the function, with the options after its operands; `internalTest` is ComboBox4's
  // index, -1 when none.
  int runFunction(const AuxiliaryFunction& function, const std::vector<std::string>& args,
                  int internalTest, std::ostream& out, std::ostream& err,
                  const CliContext& context) const {
    Given o;
    const std::size_t skip = internalTest < 0 ? 1 : 2;
    if (auto refused = read(args, skip, args[0], o)) return usageError(err, refused->message);

    Connection c(simClock(context), context, out, err, o.get(port), false);
    if (const auto failed = c.connect(baudIndex(o))) return *failed;
    c.ui.setInternalTest(internalTest);
    AuxiliaryPage page(c.session);
    (page.*function.click)();
    if (c.firstFailure == kExitOk) out << function.done << "\n";
    return c.firstFailure;
  }
};

class InternalTestCommand final : public AuxiliaryCommand {
 public:
  InternalTestCommand()
      : AuxiliaryCommand({kInternalTest.name}, "N",
                         "The internal test N of the same page: 0 technical information, 1 "
                         "status of the fiscal unit, 2 full test.") {}

  int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
          const CliContext& context) const override {
    const std::string n = args.size() > 1 ? args[1] : "";
    if (n != "0" && n != "1" && n != "2") {
      return usageError(
          err, std::string(kInternalTest.name) + " needs the number of the test: 0, 1 or 2");
    }
    return runFunction(kInternalTest, args, n[0] - '0', out, err, context);
  }
};

// Whole seconds from 0 to an hour.
std::optional<std::int32_t> secondsOption(const std::string& text) {
  std::int32_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{} || end != text.data() + text.size() || value < 0 || value > 3600) {
    return std::nullopt;
  }
  return value;
}

// Where init takes its number from: the line's book through the station when a line
// database is set; else the station's own book, only read for a number named and written
// for the book's next one.
struct InitNumbers {
  std::unique_ptr<SerialStore> store;
  std::optional<SerialBook> book;
  std::optional<BookKeeper> local;
  std::optional<line::LineKeeper> line;

  // Gets the book ready and puts its list "К инициализации" in the selector (ComboBox5's
  // list), which a number named is checked against; why it cannot be read.
  std::optional<Failure> prepare(line::Station* station, bool next, const PrinterType* type,
                                 const std::optional<std::string>& registry,
                                 CliSerialSelector& selector) {
    if (station) {
      line.emplace(*station, type);
      if (next) return std::nullopt;
      auto lists = station->lists();
      if (!lists) return Failure{lists.error().message};
      selector.setItems(lists.value().toInitialise);
      return std::nullopt;
    }
    store =
        makePlatformSerialStore(next ? StoreAccess::ReadWrite : StoreAccess::ReadOnly, registry);
    book.emplace(*store);
    if (auto read = book->load(); !read) return Failure{read.error().message};
    selector.setItems(book->shouldInit());
    if (next) local.emplace(*book, BookKeeper::Confirm::WhenSent, type);
    return std::nullopt;
  }

  // Nothing for a number named to the station's own book: it is written as it is.
  NumberKeeper* keeper() {
    if (line) return &*line;
    if (local) return &*local;
    return nullptr;
  }
};

class InitCommand final : public PortCommand {
 public:
  InitCommand()
      : PortCommand({"init"}, "",
                    "Initialise the printer as the button 'Начать инициализацию' does: clock, "
                    "reboot, factory serial number, tax rates, technical information. Every "
                    "input is checked before the first command. The initialisation is added to "
                    "the history, as a test run is.") {}

  int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
          const CliContext& context) const override;

 private:
  const Option& serial =
      option({.name = "--serial",
              .value = "NUMBER",
              .help = "the factory serial number to write; it must be on the book's list 'К "
                      "инициализации'. 'next': the book's next number for the printer found "
                      "(of --type), taken right before it is written and used for good",
              .required = true});
  const Option& type =
      option({"--type", "TYPE",
              "with --serial next: the book's printer type, by its prefix (ЕД800) or its name "
              "(default: the type of the model and country the printer reports)"});
  const Option& date = option({"--date", "DDMMYY", "the date to set (default: the computer's)"});
  const Option& timeOfDay = option({"--time", "HHMM", "the time to set (default: the computer's)"});
  const Option& continueAfter =
      option({"--continue-after", "SECONDS",
              "answer the step dialog after the reboot with 'Продолжить инициализацию' after "
              "SECONDS (default 10), the time the printer needs to come back"});
  const Option& registry = option(kRegistryOption);
  const Option& anySerial =
      option({"--serial-not-in-book", "", "write NUMBER even when it is not on the book's list"});
  const Option& historyFile = option(kHistoryOption);
};

int InitCommand::run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                     const CliContext& context) const {
  Given o;
  if (auto refused = read(args, 1, args[0], o)) return usageError(err, refused->message);
  const auto seconds = secondsOption(o.get(continueAfter, "10"));
  if (!seconds) {
    return usageError(err, std::string(continueAfter.name) +
                               " needs whole seconds from 0 to 3600, not '" + o.get(continueAfter) +
                               "'");
  }
  const std::string anyway = "(give " + std::string(anySerial.name) + " to write it anyway)";

  const bool next = o.get(serial) == "next";
  const PrinterType* bookType = nullptr;
  if (o.has(type)) {
    bookType = bookTypeNamed(o.get(type));
    if (!bookType) {
      return usageError(err, std::string(type.name) +
                                 " needs a prefix or a name of the book's "
                                 "printer types, not '" +
                                 o.get(type) + "'");
    }
  }
  const bool anyNumber = o.has(anySerial) && !next;
  const auto choice = lineChoice(o, context);
  if (!choice) return usageError(err, choice.error().message);
  Clock& clock = simClock(context);
  Connection c(clock, context, out, err, o.get(port), false);

  // The record of what was tried from here on, appended once it is over; a history that
  // cannot be written is told and changes nothing. On a line it goes there too.
  history::Journal journal(
      historyPlace(o.has(historyFile) ? o.optional(historyFile) : context.historyFile));
  StationLine onLine(choice.value(), journal);
  InitNumbers numbers;
  if (next || !anyNumber) {
    if (auto unread = numbers.prepare(onLine.station(), next, bookType, o.optional(registry),
                                      c.ui.cliSerialSelector())) {
      err << "tallowick-cli: "
          << (next ? "no number can be taken from the book: "
                   : "the book of serial numbers cannot be read, so the number cannot be "
                     "checked against it " +
                         anyway + ": ")
          << unread->message << "\n";
      return kExitInputRefused;
    }
    c.session.numbers = numbers.keeper();
  }
  c.ui.setQuestionAnswer(anyNumber);
  InitPage page(c.session);
  page.setNextFromBook(next);
  // The page fills the date and time from the computer's clock when it is shown.
  page.PageControl1Change(Page::TabSheet5);
  if (o.has(date) || o.has(timeOfDay)) {
    c.ui.setDateTimeTexts(o.get(date, c.ui.dateText()), o.get(timeOfDay, c.ui.timeText()));
  }
  c.ui.cliSerialSelector().setText(next ? std::string() : o.get(serial));
  c.ui.setForm2Wait(*seconds * 1000);

  const auto record = journal.begin(history::Kind::Initialisation, o.get(port), clock);
  c.ui.setMessageObserver([&](const std::string& text) { record->noteMessage(text); });
  const auto recorded = [&](InitEnd end) {
    if (numbers.local && numbers.local->unconfirmed()) {
      err << "tallowick-cli: the number " << c.ui.cliSerialSelector().text()
          << " was written but is still on the book's list 'К инициализации'; move it to "
             "'Инициализация уже выполнена' by hand: "
          << numbers.local->unconfirmed()->message << "\n";
    }
    if (auto failed =
            record->endInitialisation(end, c.ui.cliSerialSelector().text(), c.ui.initLog())) {
      err << "tallowick-cli: " << failed->message << "\n";
    }
    return end;
  };

  // Everything is checked before the printer hears anything, connecting included.
  if (!page.inputsAccepted()) {
    if (c.ui.questionsRefused() > 0) {
      err << "tallowick-cli: the serial number is not on the book's list 'К инициализации' "
          << anyway << "\n";
    }
    recorded(InitEnd::InputRefused);
    return kExitInputRefused;
  }
  if (const auto failed = c.connect(baudIndex(o))) {
    recorded(InitEnd::Failed);
    return *failed;
  }
  record->identify(c.state);

  switch (recorded(page.initialise())) {
    case InitEnd::InputRefused:
      return kExitInputRefused;
    case InitEnd::Failed:
      // A step that sent nothing had its arguments refused.
      return c.firstFailure == kExitOk ? kExitInputRefused : c.firstFailure;
    case InitEnd::ProgramEnded:
      return kExitStopped;
    case InitEnd::Finished:
      return c.firstFailure;
  }
  return kExitAborted;
}

// setup: the folder of the station's data open to every user of the computer; what the
// installer runs once.
class SetupCommand final : public Command {
 public:
  SetupCommand()
      : Command({"setup"}, "",
                "Makes the folder of the station's data (on Windows %ProgramData%\\Tallowick) "
                "writable for every user of the computer, so that every technician's runs are "
                "recorded; the installer runs it. With --check only says whether it is.") {}

  int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
          const CliContext&) const override {
    Given o;
    if (auto refused = read(args, 1, "setup", o)) return usageError(err, refused->message);
    if (!o.has(check)) {
      if (auto shared = platform::shareDataFolder(); !shared) {
        err << "tallowick-cli: " << shared.error().message << "\n";
        return kExitHistoryUnreadable;
      }
    }
    auto shared = platform::dataFolderShared();
    if (!shared) {
      err << "tallowick-cli: " << shared.error().message << "\n";
      return kExitHistoryUnreadable;
    }
    out << (shared.value() ? "Папка данных доступна для записи всем пользователям компьютера.\n"
                           : "Папка данных недоступна для записи другим пользователям.\n");
    return shared.value() ? kExitOk : kExitHistoryUnreadable;
  }

 private:
  const Option& check =
      option({"--check", "", "only say whether every user may write in the folder"});
};

// Every command, in the order the help shows them.
const std::vector<std::unique_ptr<Command>>& commands() {
  static const std::vector<std::unique_ptr<Command>> all = [] {
    std::vector<std::unique_ptr<Command>> list;
    list.push_back(std::make_unique<InfoCommand>());
    list.push_back(makeTestRunCommand());
    list.push_back(std::make_unique<InitCommand>());
    list.push_back(std::make_unique<AuxiliaryCommand>());
    list.push_back(std::make_unique<InternalTestCommand>());
    list.push_back(makeHistoryCommand());
    list.push_back(makeBookCommand());
    list.push_back(makeSyncCommand());
    list.push_back(makeDbCommand());
    list.push_back(std::make_unique<SetupCommand>());
    return list;
  }();
  return all;
}

void printHelp(std::ostream& out) {
  std::vector<const Command*> list;
  for (const auto& command : commands())
    list.push_back(command.get());
  out << "usage: tallowick-cli COMMAND [OPTIONS]\n\n" << commandsHelp(list) << "\nExit codes:\n";
  for (const auto& e : kExitCodes)
    out << "  " << e.code << "  " << e.meaning << "\n";
}

}  // namespace

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const CliContext& context) {
  if (args.empty()) return usageError(err, "no command given");
  const std::string& command = args[0];
  const auto asksHelp = [](const std::string& word) { return word == "--help" || word == "-h"; };
  const bool wantsHelp =
      asksHelp(command) || command == "help" || (args.size() > 1 && asksHelp(args[1]));
  if (wantsHelp) {
    printHelp(out);
    return kExitOk;
  }
  for (const auto& c : commands()) {
    const auto& names = c->names();
    if (std::find(names.begin(), names.end(), command) != names.end()) {
      return c->run(args, out, err, context);
    }
  }
  return usageError(err, "unknown command: " + command);
}

}  // namespace tallowick
