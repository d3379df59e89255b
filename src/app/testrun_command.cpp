#include "app/testrun_command.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <sstream>
#include <utility>

#include "app/cli_connection.h"
#include "app/cli_history.h"
#include "app/cli_line.h"
#include "app/console.h"
#include "app/escaping_stream.h"
#include "app/exit_codes.h"
#include "app/station.h"
#include "history/journal.h"
#include "initforms/serial_numbers.h"
#include "initforms/serial_store.h"
#include "line/station.h"
#include "platform/system.h"
#include "platform/whole_file.h"
#include "testrun/log_file.h"
#include "testrun/test_run.h"

namespace tallowick {
namespace {

// What every port's run of one command is run with.
struct TestRunSettings {
  std::string passes;
  std::string pause;
  bool withoutFiscal = false;
  int baudIndex = 0;
  std::optional<std::string> logFile;  // --log, --trace: files named by the user
  std::optional<std::string> traceFile;
  std::optional<std::string> logDir;  // --log-dir, --trace-dir: a file per run, named by it
  std::optional<std::string> traceDir;
};

std::string hexByte(std::int32_t value) {
  char text[4];
  std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(value & 0xFF));
  return text;
}

// One JSON line per exchange attempt.
std::string traceLine(double ms, const AttemptRecord& a) {
  using Json = nlohmann::ordered_json;
  const CommandResult& r = a.result;
  Json line;
  line["t_ms"] = std::round(ms * 10.0) / 10.0;  // to a tenth of a millisecond
  line["command"] = hexByte(r.Command);
  line["attempt"] = a.attempt;
  line["request"] = r.RequestData;
  line["error_flags"] = r.ErrorFlags;
  line["error_code"] = r.ErrorCode;
  line["fields"] = Json::array();
  for (std::int32_t i = 0; i < r.FieldCount; ++i)
    line["fields"].push_back(r.Fields[static_cast<std::size_t>(i)]);
  // How a wait ended that no frame ended, and the frames of other requests dropped on the
  // way: only when there is something to say.
  if (r.WaitEnded != WaitEnd::Frame) line["wait"] = std::string(waitEndName(r.WaitEnded));
  if (a.droppedFrames > 0) {
    line["dropped_frames"] = a.droppedFrames;
    line["dropped"] = Json::array();
    for (const auto& frame : a.dropped)
      line["dropped"].push_back({{"seq", hexByte(frame.seq)}, {"command", hexByte(frame.command)}});
  }
  // A printer's text that is not UTF-8 is written with replacement characters rather than
  // stopping the trace.
  return line.dump(-1, ' ', false, Json::error_handler_t::replace);
}

extern "C" void onInterrupt(int) {
  CliUi::stopRequests().fetch_add(1);
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

RunProgress::State progressState(const RunOutcome& outcome) {
  switch (outcome.end) {
    case RunEnd::Finished:
      return outcome.errorsCounted == 0 ? RunProgress::State::Finished
                                        : RunProgress::State::WithErrors;
    case RunEnd::Stopped:
      return RunProgress::State::Stopped;
    case RunEnd::InputRefused:
    case RunEnd::Aborted:
      break;
  }
  return RunProgress::State::Aborted;
}

std::string inFolder(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == '/' || folder.back() == '\\') return folder + name;
  return folder + "/" + name;
}

// The files a run was asked to save. Files named by the user are made ready before the run,
// so that a file that cannot be written is known at once, not after a run of many minutes;
// a run's files in a folder are named once the connect has found the model, and the trace
// of the connect waits in memory until then.
struct RunFiles {
  WholeFile log;
  WholeFile trace;
  bool traceFailureShown = false;
  bool traceNamedLater = false;
  std::string traceHeld;

  // Why a file cannot be written; nothing when both are ready.
  std::optional<Failure> open(const TestRunSettings& s) {
    if (s.traceFile) {
      if (auto refused = trace.open(*s.traceFile)) return refused;
    }
    if (s.logFile) {
      if (auto refused = log.open(*s.logFile)) return refused;
    }
    traceNamedLater = s.traceDir.has_value();
    return std::nullopt;
  }

  // The run's files in the folders, named `stem`; the log only for a run that took place.
  std::optional<Failure> openInFolders(const TestRunSettings& s, const std::string& stem,
                                       bool withLog, std::ostream& err) {
    if (s.traceDir) {
      traceNamedLater = false;
      if (auto refused = trace.open(inFolder(*s.traceDir, stem + ".trace.jsonl"))) {
        return refused;
      }
      writeTrace(std::exchange(traceHeld, {}), err);
    }
    if (s.logDir && withLog) {
      if (auto refused = log.open(inFolder(*s.logDir, stem + ".log"))) return refused;
    }
    return std::nullopt;
  }

  bool tracing() const { return trace.isOpen() || traceNamedLater; }

  void writeTrace(const std::string& line, std::ostream& err) {
    if (traceNamedLater) {
      traceHeld += line;
      return;
    }
    trace.write(line);
    // Said when it happens; the run goes on, so the printer is not left mid-sequence.
    if (trace.error() && !traceFailureShown) {
      traceFailureShown = true;
      err << "tallowick-cli: " << trace.error()->message << std::endl;
    }
  }

  // Puts the files in place; the run's exit code, or kExitFileNotSaved when a file could
  // not be saved: a script that reads the log must know that it is not this run's, and
  // the run's own code is then on standard error.
  int finish(int runCode, std::ostream& err) {
    bool failed = false;
    for (WholeFile* file : {&trace, &log}) {
      const bool shown = file == &trace && traceFailureShown;
      if (const auto problem = file->commit()) {
        if (!shown) err << "tallowick-cli: " << problem->message << "\n";
        failed = true;
      }
    }
    if (!failed) return runCode;
    err << "tallowick-cli: the run itself ended with exit code " << runCode << " ("
        << exitCodeMeaning(runCode) << ")\n";
    return kExitFileNotSaved;
  }
};

// What one port's run is given besides the settings every run shares.
struct PortRunIo {
  std::ostream& out;
  std::ostream& err;
  Clock& clock;
  const CliContext& context;
  history::Journal& journal;
  unsigned stopsBefore;      // the stop requests made before the command began
  std::string fileNamePart;  // the port's part of its files' names
  std::function<void(const RunProgress&)> progress;
  std::string unit;  // the printer's serial number for the record; empty: not given
  const std::atomic<bool>* stop = nullptr;  // this run's own Stop
  // Rehearse the run first, so that the progress knows how much of it is behind it.
  bool plan = false;
  // Every log line and every message box, besides the streams.
  std::function<void(const std::string&)> onLine;
  std::function<void(const std::string&)> onMessage;
};

// The plan of the script for this printer and these options: the same run on a virtual
// printer of its model, firmware, country and line rate, on a virtual clock, where it takes
// no time. Rehearsed once for every kind of printer and options, whichever port asks first.
const RunPlan& rehearsedPlan(const RunState& printer, const TestRunSettings& s, int baudIndex) {
  static std::mutex lock;
  static std::map<std::string, RunPlan> plans;
  const std::string key = printer.DeviceModel + '\n' + printer.FirmwareVersion + '\n' +
                          printer.DeviceCountry + '\n' + std::to_string(baudIndex) + '\n' +
                          s.passes + '\n' + (s.withoutFiscal ? "-" : "+");
  const std::lock_guard hold(lock);
  if (const auto known = plans.find(key); known != plans.end()) return known->second;
  RunPlan& plan = plans[key];
  VirtualClock clock;
  CliContext context;
  context.prepareSim = [&printer](sim::VirtualPrinter& p) {
    p.settings().model = printer.DeviceModel;
    p.settings().firmware = printer.FirmwareVersion;
    p.settings().country = printer.DeviceCountry;
    p.settings().baud = printer.ConnectedBaudRate;
  };
  std::ostringstream nowhere;
  Connection c(clock, context, nowhere, nowhere, std::string(sim::SimulatedPort::kPortName),
               s.withoutFiscal);
  StepTitles titles;
  c.ui.setLineObserver([&](const std::string& line) {
    if (const std::string* title = titles.title(line)) plan.beginStep(*title, c.commandsDone);
  });
  if (c.connect(baudIndex)) return plan;  // no plan: the progress stays unknown
  TestRun run(c.session);
  run.Button3Click(s.passes, s.pause);
  plan.end(c.commandsDone);
  return plan;
}

// Where a port's run has got to, told to whoever watches the station as it changes.
class RunTeller {
 public:
  explicit RunTeller(const PortRunIo& io) : io_(io) {}

  // The commands and errors so far.
  void tell(const Connection& c) {
    progress_.commands = c.commandsDone;
    progress_.errors = c.state.ErrorCount;
    if (position_) progress_.done = position_->at(c.commandsDone);
    if (io_.progress) io_.progress(progress_);
  }
  // A line of the log: a step's title is the step under way.
  void line(const std::string& text, const Connection& c) {
    if (const std::string* title = titles_.title(text)) {
      progress_.step = *title;
      if (position_) position_->beginStep(*title, c.commandsDone);
    }
    tell(c);
  }
  // The printer the connect found; with a plan asked for, the script rehearsed for it.
  void identified(const Connection& c, const TestRunSettings& s) {
    progress_.model = c.state.DeviceModel;
    progress_.firmware = c.state.FirmwareVersion;
    if (io_.plan) {
      const RunPlan& plan = rehearsedPlan(c.state, s, s.baudIndex);
      position_.emplace(plan);
      progress_.planned = plan.total();
    }
    tell(c);
  }
  // The run ended as `outcome`; `lastMessage` says why when it was aborted.
  void ran(const RunOutcome& outcome, const std::string& lastMessage, const Connection& c) {
    progress_.state = progressState(outcome);
    if (progress_.state == RunProgress::State::Aborted) progress_.message = lastMessage;
    tell(c);
  }
  // The exit code, told with the whole plan behind the run; a run that did not get to its
  // end is aborted for `why`.
  int ended(int code, const std::string& why = {}) {
    progress_.code = code;
    progress_.done = progress_.planned;
    if (progress_.state == RunProgress::State::Running) {
      progress_.state = RunProgress::State::Aborted;
      progress_.message = why;
    }
    if (io_.progress) io_.progress(progress_);
    return code;
  }

 private:
  const PortRunIo& io_;
  RunProgress progress_;
  std::optional<RunPlan::Position> position_;
  StepTitles titles_;
};

// The automatic test on one port, as the main window's Connect and Start run it; the exit code.
int testOnePort(const std::string& portName, const TestRunSettings& s, const PortRunIo& io) {
  RunTeller teller(io);
  RunFiles files;
  if (const auto refused = files.open(s)) {
    io.err << "tallowick-cli: " << refused->message << "\n";
    return teller.ended(kExitFileNotSaved, refused->message);
  }
  const LocalDateTime startedAt = io.context.wallClock ? io.context.wallClock() : systemLocalTime();
  Connection c(io.clock, io.context, io.out, io.err, portName, s.withoutFiscal);
  c.ui.takeStopRequestsAfter(io.stopsBefore);
  c.ui.setOwnStop(io.stop);
  const auto record = io.journal.begin(history::Kind::TestRun, portName, io.clock);
  if (!io.unit.empty()) record->setSerialNumber(io.unit);
  std::string lastMessage;
  c.ui.setMessageObserver([&](const std::string& text) {
    record->noteMessage(text);
    lastMessage = text;
    if (io.onMessage) io.onMessage(text);
    teller.tell(c);
  });
  c.ui.setLineObserver([&](const std::string& line) {
    if (io.onLine) io.onLine(line);
    teller.line(line, c);
  });
  const Micros start = io.clock.now();
  if (files.tracing()) {
    c.port.link.setAttemptObserver([&](const AttemptRecord& a) {
      const double ms = static_cast<double>((io.clock.now() - start).count()) / 1000.0;
      files.writeTrace(traceLine(ms, a) + "\n", io.err);
    });
  }
  const auto appendRecord = [&](const RunOutcome& outcome) {
    if (auto failed = record->endTestRun(outcome, s.passes, s.pause, c.ui.testLog())) {
      io.err << "tallowick-cli: " << failed->message << std::endl;
    }
  };

  const auto failed = c.connect(s.baudIndex);
  // Stopped while the printer kept the connect waiting: the run ends there as a stopped one
  // does, and its log says so.
  const bool stopped = failed == kExitStopped;
  if (stopped) c.ui.appendLog(LogId::Test, kStopped);
  if (!failed) {
    record->identify(c.state);
    teller.identified(c, s);
  }
  const std::string stem =
      runFileStem(io.fileNamePart, failed ? std::string() : c.state.DeviceModel, startedAt);
  if (const auto refused = files.openInFolders(s, stem, !failed || stopped, io.err)) {
    c.port.link.CloseDeviceLink();
    io.err << "tallowick-cli: " << refused->message << "\n";
    files.trace.discard();
    return teller.ended(kExitFileNotSaved, refused->message);
  }
  if (failed && !stopped) {
    // No run, so no log of one: an older log stays as it was.
    files.log.discard();
    appendRecord(RunOutcome{.end = RunEnd::Aborted});
    return teller.ended(files.finish(*failed, io.err), lastMessage);
  }

  RunOutcome outcome{.end = RunEnd::Stopped};
  if (!stopped) {
    TestRun run(c.session);
    if (StepObserver steps = record->stepObserver()) run.setStepObserver(std::move(steps));
    outcome = run.Button3Click(s.passes, s.pause);
  }
  c.port.link.CloseDeviceLink();
  files.log.write(logFileBytes(c.ui.testLog()));
  const int code = files.finish(runExitCode(outcome), io.err);
  appendRecord(outcome);
  teller.ran(outcome, lastMessage, c);
  return teller.ended(code);
}

// A folder for the runs' files that is not there is known before any run begins.
std::optional<Failure> folderMissing(const std::optional<std::string>& dir) {
  std::error_code ec;
  if (!dir || std::filesystem::is_directory(platform::pathOf(*dir), ec)) return std::nullopt;
  return Failure{"there is no folder " + *dir};
}

class TestRunCommand final : public PortCommand {
 public:
  TestRunCommand()
      : PortCommand(
            {"testrun"}, "",
            "Connect and run the automatic test as the Start button does. Log lines go to "
            "standard output, message boxes to standard error as 'message: TEXT'. Ctrl-C (and "
            "SIGTERM, SIGHUP) stops the run like the Stop button, also while a command waits "
            "for its reply; the log is still saved. A log or trace that cannot be saved "
            "(refused at the start, or failed on the way) gives exit code 8 whatever the "
            "run's own code, which standard error then names.\n"
            "Given several ports, it tests the printers at once, each with the same options: "
            "on a terminal a table with a row per port (model, firmware, step, commands, "
            "errors, state), otherwise every line as '[PORT] LINE'; then a summary of each "
            "port's outcome. Ctrl-C stops every run; the exit code is the highest of the "
            "runs' codes.",
            Ports::Several) {}

  int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
          const CliContext& context) const override;

 private:
  // A usage error of the files' options; nothing when they go together.
  std::optional<Failure> filesMisused(const Given& o, std::size_t ports) const;

  const Option& passes = option({"--passes", "N", "number of passes (default 1)"});
  const Option& pause =
      option({"--pause", "MS", "pause between steps in milliseconds (default 1500)"});
  const Option& withoutFiscal = option({"--no-fiscal", "", "without fiscal receipts and Z-report"});
  const Option& logFile =
      option({"--log", "FILE", "save the log as the page's Save does: Windows-1251, CR LF"});
  const Option& logDir = option({.name = "--log-dir",
                                 .value = "DIR",
                                 .help = "a log per run in DIR: PORT_MODEL_YYYY-MM-DD_HH-MM-SS.log",
                                 .insteadOf = &logFile});
  const Option& traceFile = option({"--trace", "FILE", "one JSON line per exchange attempt"});
  const Option& traceDir =
      option({.name = "--trace-dir",
              .value = "DIR",
              .help = "a trace per run in DIR: its log's name with .trace.jsonl",
              .insteadOf = &traceFile});
  const Option& units = option(
      {.name = "--unit",
       .value = "NUMBER",
       .help = "the factory serial number of the printer on the --port given in the same place "
               "(one for every port, in their order), as its label or a scanner reads it; "
               "recorded in the history with the run. A number the book could not have made "
               "is refused (exit code 5); one not on the book's list 'Инициализация уже "
               "выполнена' is tested all the same, with a note",
       .several = true});
  const Option& registry = option(kRegistryOption);
  const Option& historyFile = option(kHistoryOption);
};

// The book's list of the numbers it has written into printers: the line's when the station
// is on one, else the station's own.
StoreResult<std::vector<std::string>> initialisedNumbers(
    line::Station* station, const std::optional<std::string>& registry) {
  if (station) {
    auto lists = station->lists();
    if (!lists) return lists.error();
    return std::move(lists.value().initialised);
  }
  auto lists = makePlatformSerialStore(StoreAccess::ReadOnly, registry)->readLists();
  if (!lists) return lists.error();
  return std::move(lists.value().alreadyInit);
}

// Says which units the book has not initialised: tested all the same, but worth a look.
void noteUnknownUnits(const std::vector<std::string>& units, line::Station* station,
                      const std::optional<std::string>& registry, std::ostream& err) {
  const auto known = initialisedNumbers(station, registry);
  if (!known) {
    err << "tallowick-cli: note: the book could not be read to look the units up: "
        << known.error().message << "\n";
    return;
  }
  for (const std::string& unit : units) {
    if (std::find(known.value().begin(), known.value().end(), unit) == known.value().end()) {
      err << "tallowick-cli: note: " << unit
          << " is not on the book's list 'Инициализация уже выполнена'; tested all the same\n";
    }
  }
}

std::optional<Failure> TestRunCommand::filesMisused(const Given& o, std::size_t ports) const {
  for (const Option& dir : options()) {
    if (dir.insteadOf == nullptr) continue;
    const Option& file = *dir.insteadOf;
    const std::string fileName(file.name);
    if (o.has(file) && o.has(dir)) {
      return Failure{fileName + " and " + std::string(dir.name) + " cannot be given together"};
    }
    if (o.has(file) && ports > 1) {
      return Failure{fileName + " names one file; give " + dir.head() + " for a file per port"};
    }
  }
  return std::nullopt;
}

int TestRunCommand::run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                        const CliContext& context) const {
  Given o;
  if (auto refused = read(args, 1, args[0], o)) return usageError(err, refused->message);
  const std::vector<std::string> ports = o.all(port);
  if (const auto misused = filesMisused(o, ports.size())) return usageError(err, misused->message);
  const std::vector<std::string> unitNumbers = o.all(units);
  if (!unitNumbers.empty() && unitNumbers.size() != ports.size()) {
    return usageError(err, "--unit is given " + std::to_string(unitNumbers.size()) + " times for " +
                               std::to_string(ports.size()) +
                               " ports: give one for every --port, in their order");
  }
  for (const std::string& unit : unitNumbers) {
    if (!isBookSerialNumber(unit)) {
      err << "tallowick-cli: --unit " << escapeControls(unit)
          << " is not a serial number the book makes: a printer type's prefix and five digits, "
             "such as ЕД80012345\n";
      return kExitInputRefused;
    }
  }
  const auto choice = lineChoice(o, context);
  if (!choice) return usageError(err, choice.error().message);
  const TestRunSettings settings{.passes = o.get(passes, "1"),
                                 .pause = o.get(pause, "1500"),
                                 .withoutFiscal = o.has(withoutFiscal),
                                 .baudIndex = baudIndex(o),
                                 .logFile = o.optional(logFile),
                                 .traceFile = o.optional(traceFile),
                                 .logDir = o.optional(logDir),
                                 .traceDir = o.optional(traceDir)};
  for (const auto& dir : {settings.logDir, settings.traceDir}) {
    if (const auto missing = folderMissing(dir)) {
      err << "tallowick-cli: " << missing->message << "\n";
      return kExitFileNotSaved;
    }
  }

  // Before the files are made: a stop asked for from now on ends the runs in order, so
  // their files are put in place or removed, never left behind.
  const unsigned stopsBefore = CliUi::stopRequests().load();
  const console::StopSignals stopSignals(onInterrupt);
  history::Journal journal(
      historyPlace(o.has(historyFile) ? o.optional(historyFile) : context.historyFile));
  // On a line the records go there in the background, never holding up a run.
  StationLine onLine(choice.value(), journal);
  if (!unitNumbers.empty()) {
    noteUnknownUnits(unitNumbers, onLine.station(), o.optional(registry), err);
  }
  const auto unitOf = [&unitNumbers](std::size_t i) {
    return i < unitNumbers.size() ? unitNumbers[i] : std::string();
  };
  const std::vector<std::string> fileNames = portFileNames(ports);
  if (ports.size() == 1) {
    return testOnePort(ports[0], settings,
                       {.out = out,
                        .err = err,
                        .clock = simClock(context),
                        .context = context,
                        .journal = journal,
                        .stopsBefore = stopsBefore,
                        .fileNamePart = fileNames[0],
                        .unit = unitOf(0)});
  }
  return runStation(
      ports,
      [&](std::size_t i, std::ostream& runOut, std::ostream& runErr,
          const std::function<void(const RunProgress&)>& progress) {
        // A test's virtual clock becomes one per run, starting where it stands; real
        // time is the same for every run.
        std::unique_ptr<VirtualClock> own;
        if (context.simClock) own = std::make_unique<VirtualClock>(context.simClock->now());
        Clock& clock = own ? *own : realClock();
        return testOnePort(ports[i], settings,
                           {.out = runOut,
                            .err = runErr,
                            .clock = clock,
                            .context = context,
                            .journal = journal,
                            .stopsBefore = stopsBefore,
                            .fileNamePart = fileNames[i],
                            .progress = progress,
                            .unit = unitOf(i)});
      },
      out, err, context.terminal, context.terminalColumns);
}

}  // namespace

std::unique_ptr<Command> makeTestRunCommand() {
  return std::make_unique<TestRunCommand>();
}

StationRunner stationRunner(history::Journal& journal, CliContext context) {
  return [&journal, context](const StationRunRequest& r, const StationRunEvents& events) {
    TestRunSettings settings{.passes = r.passes,
                             .pause = r.pause,
                             .withoutFiscal = r.withoutFiscal,
                             .baudIndex = r.baudIndex};
    if (!r.logFolder.empty()) settings.logDir = r.logFolder;
    // The log lines and the message boxes come through the events; what else the command
    // line would say on standard error (a file or the history not written) is a message too.
    std::ostream out(nullptr);
    EachLine errLines([&events](const std::string& line) {
      constexpr std::string_view kOwn = "tallowick-cli: ";
      if (line.starts_with(kOwn) && events.message) events.message(line.substr(kOwn.size()));
    });
    std::ostream err(&errLines);
    std::unique_ptr<VirtualClock> own;
    if (context.simClock) own = std::make_unique<VirtualClock>(context.simClock->now());
    Clock& clock = own ? *own : realClock();
    return testOnePort(r.port, settings,
                       {.out = out,
                        .err = err,
                        .clock = clock,
                        .context = context,
                        .journal = journal,
                        .stopsBefore = CliUi::stopRequests().load(),
                        .fileNamePart = portFileNames({r.port}).front(),
                        .progress = events.progress,
                        .unit = r.unit,
                        .stop = r.stop,
                        .plan = true,
                        .onLine = events.line,
                        .onMessage = events.message});
  };
}

}  // namespace tallowick
