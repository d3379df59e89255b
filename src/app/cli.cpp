#include "app/cli.h"

#include <charconv>
#include <chrono>
#include <map>
#include <memory>
#include <ostream>
#include <set>

#include "app/cli_options.h"
#include "app/cli_ui.h"
#include "app/console.h"
#include "app/exit_codes.h"
#include "commands/commands.h"
#include "initforms/serial_store.h"
#include "link/device_link.h"
#include "mainform/auxiliary_page.h"
#include "mainform/connection.h"
#include "mainform/init_page.h"
#include "sim/loopback_line.h"
#include "sim/trace_json.h"
#include "testrun/log_file.h"
#include "testrun/output_file.h"
#include "testrun/test_run.h"

namespace tallowick {
namespace {

constexpr std::string_view kUsage =
    "usage: tallowick-cli COMMAND [OPTIONS]\n"
    "\n"
    "Commands:\n"
    "  info --port PORT [--baud RATE]\n"
    "      Identify the printer: model, firmware version, country and service mode.\n"
    "  testrun --port PORT [--baud RATE] [--passes N] [--pause MS] [--no-fiscal]\n"
    "          [--log FILE] [--trace FILE]\n"
    "      Connect and run the automatic test as the Start button does. Log lines go to\n"
    "      standard output, message boxes to standard error as 'message: TEXT'.\n"
    "      --passes N     number of passes (default 1)\n"
    "      --pause MS     pause between steps in milliseconds (default 1500)\n"
    "      --no-fiscal    without fiscal receipts and Z-report\n"
    "      --log FILE     save the log as the page's Save does (Windows-1251, CR LF)\n"
    "      --trace FILE   one JSON line per exchange attempt\n"
    "      Ctrl-C (and SIGTERM, SIGHUP) stops the run like the Stop button, also while a\n"
    "      command waits for its reply; the log is still saved. A log or trace that cannot\n"
    "      be saved (refused at the start, or failed on the way) gives exit code 8\n"
    "      whatever the run's own code, which standard error then names.\n"
    "  init --port PORT --serial NUMBER [--date DDMMYY] [--time HHMM]\n"
    "       [--continue-after SECONDS] [--registry FILE] [--serial-not-in-book]\n"
    "       [--baud RATE]\n"
    "      Initialise the printer as the button 'Начать инициализацию' does: clock,\n"
    "      reboot, factory serial number, tax rates, technical information. The date\n"
    "      and time are the computer's by default. Every input is checked before the\n"
    "      first command. NUMBER must be on the book's list 'К инициализации' (the book\n"
    "      of the desktop tool, or FILE), unless --serial-not-in-book is given. The step\n"
    "      dialog after the reboot is answered 'Продолжить инициализацию' after SECONDS\n"
    "      (default 10), the time the printer needs to come back. The book is only read.\n"
    "  zreport | xreport | cancel-receipt | reboot | cash-drawer | set-taxes\n"
    "       --port PORT [--baud RATE]\n"
    "  internal-test N --port PORT [--baud RATE]\n"
    "      One service function of the page 'Вспомогательные функции': Z-report,\n"
    "      X-report, cancel the open receipt, reboot, open the cash drawer, set the tax\n"
    "      rates, or the internal test N (0 technical information, 1 status of the\n"
    "      fiscal unit, 2 full test). Its message boxes go to standard error.\n"
    "\n"
    "PORT is a serial device (for example /dev/ttyUSB0, or COM3 on Windows), or 'sim'\n"
    "for the built-in virtual printer ('sim:MODEL' chooses its model, e.g. sim:KM-15).\n"
    "RATE is 9600 (default), 19200, 57600 or 115200.\n";

// A link to the named port: the built-in virtual printer for "sim" names, the platform's
// serial line for every other.
struct Port {
  const CliContext& context;
  sim::SimulatedPort simulated;
  DeviceLink link;
  CommandSet commands{link};

  Port(Clock& clock, const CliContext& cliContext)
      : context(cliContext),
        simulated(clock),
        link(simulated.lineFactory([](const std::string&) { return makePlatformSerialLine(); })) {
    if (context.prepareSim) context.prepareSim(simulated.printer());
  }
  ~Port() {
    if (context.inspectSim) context.inspectSim(simulated.printer());
  }
};

Clock& simClock(const CliContext& context) {
  return context.simClock ? *context.simClock : realClock();
}

// The exit code for how one command ended: the printer's answer, or none.
int resultCode(const CommandResult* r) {
  if (r == nullptr) return kExitOk;
  if (r->Refusal != LinkRefusal::None) return kExitPortOrUsage;
  if (r->noReply()) return kExitNoReply;
  if (!r->accepted()) return kExitPrinterError;
  return kExitOk;
}

int lastResultCode(const RunState& state) {
  return resultCode(state.LastResult);
}

// A printer connected as the main window's "Подключить" connects it, with the headless
// window seam; what the main window's sequences run on.
struct Connection {
  Port port;
  RunState state;
  CliUi ui;
  Session session;

  Connection(Clock& clock, const CliContext& context, std::ostream& out, std::ostream& err,
             const Options& o)
      : port(clock, context),
        ui(out, err, state, clock, o.get("--port", ""), o.flags.contains("--no-fiscal")),
        session{port.commands, state, ui, clock} {
    if (context.wallClock) session.wallClock = context.wallClock;
    session.onKeep = [this](const CommandResult& r) {
      if (firstFailure == kExitOk) firstFailure = resultCode(&r);
    };
  }
  // The code of the first command that failed, 0 while every one was accepted: a
  // sequence that goes on after a failure must not end as a success.
  int firstFailure = kExitOk;
  // Connects at the rate of `baudIndex`; the exit code when that failed.
  std::optional<int> connect(int baudIndex) {
    connectPrinter(session, baudIndex);
    if (!state.Connected) return kExitPortOrUsage;
    const int code = lastResultCode(state);
    if (code != kExitOk) return code;
    return std::nullopt;
  }
};

int runInfo(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
            const CliContext& context) {
  const Options o = parseOptions(args, {});
  if (!o.error.empty()) return usageError(err, o.error);
  const std::string port = o.get("--port", "");

  Port p(simClock(context), context);
  if (p.link.OpenDeviceLink(port, kBaudRates[o.baudIndex]) == -1) {
    err << "message: " << portNotOpenedText("Невозможно подключить порт", p.link.openFailure())
        << "\n";
    return kExitPortOrUsage;
  }
  std::int32_t argError = 0;
  const CommandResult* r = p.commands.GetDeviceInfo(kDevicePassword, &argError);
  int code = kExitOk;
  if (r->Refusal != LinkRefusal::None) {
    err << "tallowick-cli: " << refusalText(r->Refusal) << "\n";
    code = kExitPortOrUsage;
  } else if (r->noReply()) {
    err << "message: Таймаут устройства! Ошибка GetDeviceInfo!\n";
    code = kExitNoReply;
  } else if (!r->accepted()) {
    err << "message: Ошибка GetDeviceInfo\n"
        << "tallowick-cli: the printer answered with error code " << r->ErrorCode << "\n";
    code = kExitPrinterError;
  } else {
    out << "Модель: " << r->Fields[0] << "\n"
        << "Версия ПО: " << r->Fields[1] << "\n"
        << "Страна: " << r->Fields[2] << "\n"
        << (r->serviceMode() ? "Внимание!  Service Mode включен." : "Service Mode выключен.")
        << "\n";
  }
  p.link.CloseDeviceLink();
  return code;
}

// One JSON line per exchange attempt.
std::string traceLine(double ms, const AttemptRecord& a) {
  const CommandResult& r = a.result;
  char head[96];
  std::snprintf(head, sizeof head, "{\"t_ms\":%.1f,\"command\":\"%02X\",\"attempt\":%d,", ms,
                static_cast<unsigned>(r.Command), a.attempt);
  std::string line = head;
  line += "\"request\":\"" + sim::jsonEscape(r.RequestData) + "\",";
  line += "\"error_flags\":" + std::to_string(r.ErrorFlags) + ",";
  line += "\"error_code\":\"" + sim::jsonEscape(r.ErrorCode) + "\",\"fields\":[";
  for (std::int32_t i = 0; i < r.FieldCount; ++i) {
    if (i > 0) line += ",";
    line += "\"" + sim::jsonEscape(r.Fields[static_cast<std::size_t>(i)]) + "\"";
  }
  line += "]";
  // How a wait ended that no frame ended, and the frames of other requests dropped on the
  // way: only when there is something to say.
  if (r.WaitEnded != WaitEnd::Frame) {
    line += ",\"wait\":\"" + std::string(waitEndName(r.WaitEnded)) + "\"";
  }
  if (a.droppedFrames > 0) {
    line += ",\"dropped_frames\":" + std::to_string(a.droppedFrames) + ",\"dropped\":[";
    for (std::size_t i = 0; i < a.dropped.size(); ++i) {
      char frame[40];
      std::snprintf(frame, sizeof frame, "%s{\"seq\":\"%02X\",\"command\":\"%02X\"}",
                    i > 0 ? "," : "", a.dropped[i].seq, a.dropped[i].command);
      line += frame;
    }
    line += "]";
  }
  return line + "}";
}

extern "C" void onInterrupt(int) {
  CliUi::interrupted() = true;
}

// The exit code of a run as it ended.
int runExitCode(const RunOutcome& outcome) {
  switch (outcome.end) {
    case RunEnd::InputRefused:
      return kExitInputRefused;
    case RunEnd::Finished:
      return outcome.errorsCounted == 0 ? kExitOk : kExitFinishedWithErrors;
    case RunEnd::Stopped:
      return kExitStopped;
    case RunEnd::Aborted:
      return kExitAborted;
  }
  return kExitAborted;
}

// The files a run was asked to save. Both are made ready before the run, so that a file
// that cannot be written is known at once, not after a run of many minutes.
struct RunFiles {
  OutputFile log;
  OutputFile trace;
  bool traceFailureShown = false;

  // The message of a file that cannot be written; nullopt when both are ready.
  std::optional<std::string> open(const Options& o) {
    if (o.has("--trace")) {
      if (auto refused = trace.open(o.get("--trace", ""))) return refused;
    }
    if (o.has("--log")) {
      if (auto refused = log.open(o.get("--log", ""))) return refused;
    }
    return std::nullopt;
  }

  void writeTrace(const std::string& line, std::ostream& err) {
    trace.write(line);
    // Said when it happens; the run goes on, so the printer is not left mid-sequence.
    if (trace.error() && !traceFailureShown) {
      traceFailureShown = true;
      err << "tallowick-cli: " << *trace.error() << std::endl;
    }
  }

  // Puts the files in place; the run's exit code, or kExitFileNotSaved when a file could
  // not be saved: a script that reads the log must know that it is not this run's, and
  // the run's own code is then on standard error.
  int finish(int runCode, std::ostream& err) {
    bool failed = false;
    for (OutputFile* file : {&trace, &log}) {
      const bool shown = file == &trace && traceFailureShown;
      if (const auto problem = file->commit()) {
        if (!shown) err << "tallowick-cli: " << *problem << "\n";
        failed = true;
      }
    }
    if (!failed) return runCode;
    err << "tallowick-cli: the run itself ended with exit code " << runCode << " ("
        << exitCodeMeaning(runCode) << ")\n";
    return kExitFileNotSaved;
  }
};

int runTestRun(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               const CliContext& context) {
  const Options o =
      parseOptions(args, {"--passes", "--pause", "--log", "--trace"}, {"--no-fiscal"});
  if (!o.error.empty()) return usageError(err, o.error);

  // Before the files are made: a stop asked for from now on ends the run in order, so
  // they are put in place or removed, never left behind.
  CliUi::interrupted() = false;
  const console::StopSignals stopSignals(onInterrupt);
  RunFiles files;
  if (const auto refused = files.open(o)) {
    err << "tallowick-cli: " << *refused << "\n";
    return kExitFileNotSaved;
  }

  Clock& clock = simClock(context);
  Connection c(clock, context, out, err, o);
  const Micros start = clock.now();
  if (files.trace.isOpen()) {
    c.port.link.setAttemptObserver([&](const AttemptRecord& a) {
      const double ms = static_cast<double>((clock.now() - start).count()) / 1000.0;
      files.writeTrace(traceLine(ms, a) + "\n", err);
    });
  }
  if (const auto failed = c.connect(o.baudIndex)) {
    // No run, so no log of one: an older log stays as it was.
    files.log.discard();
    return files.finish(*failed, err);
  }

  TestRun run(c.session);
  const RunOutcome outcome = run.Button3Click(o.get("--passes", "1"), o.get("--pause", "1500"));
  c.port.link.CloseDeviceLink();
  files.log.write(logFileBytes(c.ui.testLog()));
  return files.finish(runExitCode(outcome), err);
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

  Connection c(simClock(context), context, out, err, o);
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
  const Options o =
      parseOptions(args, {"--date", "--time", "--serial", "--continue-after", "--registry"},
                   {"--serial-not-in-book"});
  if (!o.error.empty()) return usageError(err, o.error);
  if (!o.has("--serial")) return usageError(err, "init needs --serial");
  const auto seconds = secondsOption(o.get("--continue-after", "10"));
  if (!seconds) {
    return usageError(err, "--continue-after needs whole seconds from 0 to 3600, not '" +
                               o.get("--continue-after", "") + "'");
  }

  const bool anySerial = o.flags.contains("--serial-not-in-book");

  Connection c(simClock(context), context, out, err, o);
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

  // Everything is checked before the printer hears anything, connecting included.
  if (!page.inputsAccepted()) {
    if (c.ui.questionsRefused() > 0) {
      err << "tallowick-cli: the serial number is not on the book's list 'К инициализации' "
             "(give --serial-not-in-book to write it anyway)\n";
    }
    return kExitInputRefused;
  }
  if (const auto failed = c.connect(o.baudIndex)) return *failed;

  switch (page.initialise()) {
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
  if (command == "testrun") return runTestRun(args, out, err, context);
  if (command == "init") return runInit(args, out, err, context);
  for (const AuxiliaryFunction& f : kAuxiliaryFunctions) {
    if (command == f.name) return runAuxiliary(f, args, out, err, context);
  }
  return usageError(err, "unknown command: " + command);
}

}  // namespace tallowick
