#include "app/cli.h"

#include <charconv>
#include <memory>
#include <ostream>

#include "app/cli_connection.h"
#include "app/cli_history.h"
#include "app/cli_options.h"
#include "app/cli_ui.h"
#include "app/exit_codes.h"
#include "app/run_history.h"
#include "app/testrun_command.h"
#include "initforms/serial_store.h"
#include "mainform/auxiliary_page.h"
#include "mainform/connection.h"
#include "mainform/init_page.h"
#include "mainform/step_outcome.h"

namespace tallowick {
namespace {

constexpr std::string_view kUsage =
    "usage: tallowick-cli COMMAND [OPTIONS]\n"
    "\n"
    "Commands:\n"
    "  info --port PORT [--baud RATE]\n"
    "      Identify the printer: model, firmware version, country and service mode.\n"
    "  testrun --port PORT [--port PORT ...] [--baud RATE] [--passes N] [--pause MS]\n"
    "          [--no-fiscal] [--log FILE | --log-dir DIR] [--trace FILE | --trace-dir DIR]\n"
    "          [--history FILE]\n"
    "      Connect and run the automatic test as the Start button does. Log lines go to\n"
    "      standard output, message boxes to standard error as 'message: TEXT'.\n"
    "      --passes N       number of passes (default 1)\n"
    "      --pause MS       pause between steps in milliseconds (default 1500)\n"
    "      --no-fiscal      without fiscal receipts and Z-report\n"
    "      --log FILE       save the log as the page's Save does (Windows-1251, CR LF)\n"
    "      --trace FILE     one JSON line per exchange attempt\n"
    "      --log-dir DIR    save each run's log in DIR as PORT_MODEL_YYYY-MM-DD_HH-MM-SS.log\n"
    "      --trace-dir DIR  each run's trace in DIR, named as its log with .trace.jsonl\n"
    "      --history FILE   the history the run is added to (default: TALLOWICK_HISTORY,\n"
    "                       or history.sqlite3 beside the book of serial numbers)\n"
    "      Ctrl-C (and SIGTERM, SIGHUP) stops the run like the Stop button, also while a\n"
    "      command waits for its reply; the log is still saved. A log or trace that cannot\n"
    "      be saved (refused at the start, or failed on the way) gives exit code 8\n"
    "      whatever the run's own code, which standard error then names.\n"
    "      Several --port options test the printers at once, each with the same options:\n"
    "      on a terminal a table with a row per port (model, firmware, step, commands,\n"
    "      errors, state), otherwise every line as '[PORT] LINE'; then a summary of each\n"
    "      port's outcome. Ctrl-C stops every run; the exit code is the highest of the\n"
    "      runs' codes.\n"
    "  init --port PORT --serial NUMBER [--date DDMMYY] [--time HHMM]\n"
    "       [--continue-after SECONDS] [--registry FILE] [--serial-not-in-book]\n"
    "       [--history FILE] [--baud RATE]\n"
    "      Initialise the printer as the button 'Начать инициализацию' does: clock,\n"
    "      reboot, factory serial number, tax rates, technical information. The date\n"
    "      and time are the computer's by default. Every input is checked before the\n"
    "      first command. NUMBER must be on the book's list 'К инициализации' (the book\n"
    "      of the desktop tool, or FILE), unless --serial-not-in-book is given. The step\n"
    "      dialog after the reboot is answered 'Продолжить инициализацию' after SECONDS\n"
    "      (default 10), the time the printer needs to come back. The book is only read.\n"
    "      The initialisation is added to the history, as a test run is.\n"
    "  zreport | xreport | cancel-receipt | reboot | cash-drawer | set-taxes\n"
    "       --port PORT [--baud RATE]\n"
    "  internal-test N --port PORT [--baud RATE]\n"
    "      One service function of the page 'Вспомогательные функции': Z-report,\n"
    "      X-report, cancel the open receipt, reboot, open the cash drawer, set the tax\n"
    "      rates, or the internal test N (0 technical information, 1 status of the\n"
    "      fiscal unit, 2 full test). Its message boxes go to standard error.\n"
    "  history [list] [--from DATE] [--until DATE] [--model MODEL] [--serial NUMBER]\n"
    "          [--outcome OUTCOME] [--kind testrun|init] [--limit N] [--history FILE]\n"
    "  history show ID [--history FILE]\n"
    "  history export --format csv|json|junit [--output FILE] [the list's options]\n"
    "      The record of every test run and initialisation, newest first (the newest\n"
    "      100 unless --limit; 0 for all). DATE is YYYY-MM-DD or 'YYYY-MM-DD HH:MM' in\n"
    "      local time; --until includes that day or minute. OUTCOME is finished,\n"
    "      finished_with_errors, aborted, stopped or input_refused. show prints one\n"
    "      record with its steps and its log; export writes the selection (every record\n"
    "      unless --limit) as CSV (one row per run), JSON or JUnit XML, to FILE or\n"
    "      standard output. The history is FILE, else the file TALLOWICK_HISTORY names,\n"
    "      else history.sqlite3 in the folder of the book.\n"
    "\n"
    "PORT is a serial device (for example /dev/ttyUSB0, or COM3 on Windows), or 'sim'\n"
    "for the built-in virtual printer ('sim:MODEL' chooses its model, e.g. sim:KM-15).\n"
    "RATE is 9600 (default), 19200, 57600 or 115200.\n";

int runInfo(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
            const CliContext& context) {
  const Options o = parseOptions(args, {});
  if (!o.error.empty()) return usageError(err, o.error);

  // Connected as the window connects, which says in its boxes what went wrong.
  Connection c(simClock(context), context, out, err, o.get("--port", ""), false);
  const auto failed = c.connect(o.baudIndex);
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
    {"internal-test", &AuxiliaryPage::Button15Click, "Готово: внутренний тест выполнен."},
    {"cash-drawer", &AuxiliaryPage::Button16Click, "Готово: денежный ящик открыт."},
    {"set-taxes", &AuxiliaryPage::Button17Click, "Готово: налоги установлены."},
};

int runAuxiliary(const AuxiliaryFunction& function, const std::vector<std::string>& args,
                 std::ostream& out, std::ostream& err, const CliContext& context) {
  // internal-test takes the number of the test, ComboBox4's index, before its options.
  int internalTest = -1;
  const bool needsTest = function.click == &AuxiliaryPage::Button15Click;
  if (needsTest) {
    const std::string n = args.size() > 1 ? args[1] : "";
    if (n != "0" && n != "1" && n != "2") {
      return usageError(err, "internal-test needs the number of the test: 0, 1 or 2");
    }
    internalTest = n[0] - '0';
  }
  const Options o = parseOptions(args, {}, {}, needsTest ? 1 : 0);
  if (!o.error.empty()) return usageError(err, o.error);

  Connection c(simClock(context), context, out, err, o.get("--port", ""), false);
  if (const auto failed = c.connect(o.baudIndex)) return *failed;
  c.ui.setInternalTest(internalTest);
  AuxiliaryPage page(c.session);
  (page.*function.click)();
  if (c.firstFailure == kExitOk) out << function.done << "\n";
  return c.firstFailure;
}

// Whole seconds from 0 to an hour.
std::optional<std::int32_t> secondsOption(const std::string& text) {
  std::int32_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{} || end != text.data() + text.size() || value < 0 || value > 3600) {
    return std::nullopt;
  }
  return value;
}

// ComboBox5's list: the book's "К инициализации", read where the desktop tool keeps it and
// never written; the reason when it cannot be read.
std::optional<std::string> loadBook(const Options& o, CliSerialSelector& selector) {
  const std::optional<std::string> file =
      o.has("--registry") ? std::optional<std::string>(o.get("--registry", "")) : std::nullopt;
  auto lists = makePlatformSerialStore(StoreAccess::ReadOnly, file)->readLists();
  if (!lists) return lists.error().message;
  selector.setItems(lists.value().shouldInit);
  return std::nullopt;
}

int runInit(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
            const CliContext& context) {
  const Options o = parseOptions(
      args, {"--date", "--time", "--serial", "--continue-after", "--registry", "--history"},
      {"--serial-not-in-book"});
  if (!o.error.empty()) return usageError(err, o.error);
  if (!o.has("--serial")) return usageError(err, "init needs --serial");
  const auto seconds = secondsOption(o.get("--continue-after", "10"));
  if (!seconds) {
    return usageError(err, "--continue-after needs whole seconds from 0 to 3600, not '" +
                               o.get("--continue-after", "") + "'");
  }

  const bool anySerial = o.flags.contains("--serial-not-in-book");

  Clock& clock = simClock(context);
  Connection c(clock, context, out, err, o.get("--port", ""), false);
  if (!anySerial) {
    if (const auto unread = loadBook(o, c.ui.cliSerialSelector())) {
      err << "tallowick-cli: the book of serial numbers cannot be read, so the number cannot "
             "be checked against it (give --serial-not-in-book to write it anyway): "
          << *unread << "\n";
      return kExitInputRefused;
    }
  }
  c.ui.setQuestionAnswer(anySerial);
  InitPage page(c.session);
  // The page fills the date and time from the computer's clock when it is shown.
  page.PageControl1Change(Page::TabSheet5);
  if (o.has("--date") || o.has("--time")) {
    c.ui.setDateTimeTexts(o.get("--date", c.ui.dateText()), o.get("--time", c.ui.timeText()));
  }
  c.ui.cliSerialSelector().setText(o.get("--serial", ""));
  c.ui.setForm2Wait(*seconds * 1000);

  // The record of what was tried from here on, appended once it is over; a history that
  // cannot be written is told and changes nothing.
  RunHistory history(o.has("--history") ? std::optional(o.get("--history", ""))
                                        : context.historyFile);
  const std::unique_ptr<RunRecording> record = history.begin(true, o.get("--port", ""), clock);
  c.ui.setMessageObserver([&](const std::string& text) { record->noteMessage(text); });
  const auto recorded = [&](InitEnd end) {
    if (auto failed = record->appendInitialisation(end, o.get("--serial", ""), c.ui.initLog())) {
      err << "tallowick-cli: " << *failed << "\n";
    }
    return end;
  };

  // Everything is checked before the printer hears anything, connecting included.
  if (!page.inputsAccepted()) {
    if (c.ui.questionsRefused() > 0) {
      err << "tallowick-cli: the serial number is not on the book's list 'К инициализации' "
             "(give --serial-not-in-book to write it anyway)\n";
    }
    recorded(InitEnd::InputRefused);
    return kExitInputRefused;
  }
  if (const auto failed = c.connect(o.baudIndex)) {
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

void printHelp(std::ostream& out) {
  out << kUsage << "\nExit codes:\n";
  for (const auto& e : kExitCodes)
    out << "  " << e.code << "  " << e.meaning << "\n";
}

}  // namespace

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const CliContext& context) {
  if (args.empty()) return usageError(err, "no command given");
  const std::string& command = args[0];
  const bool wantsHelp = command == "--help" || command == "-h" || command == "help" ||
                         (args.size() > 1 && (args[1] == "--help" || args[1] == "-h"));
  if (wantsHelp) {
    printHelp(out);
    return kExitOk;
  }
  if (command == "info") return runInfo(args, out, err, context);
  if (command == "testrun") return runTestRunCommand(args, out, err, context);
  if (command == "init") return runInit(args, out, err, context);
  if (command == "history") return runHistory(args, out, err);
  for (const AuxiliaryFunction& f : kAuxiliaryFunctions) {
    if (command == f.name) return runAuxiliary(f, args, out, err, context);
  }
  return usageError(err, "unknown command: " + command);
}

}  // namespace tallowick
