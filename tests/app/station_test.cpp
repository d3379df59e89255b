// Several printers at once, in-process on the virtual printer: the names of the runs'
// files, the table, and runs that share nothing but the stop request.
#include "app/station.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <sstream>

#include "app/cli_testrun.h"
#include "app/exit_codes.h"
#include "sim/fault_plan.h"
#include "support/temp_dir.h"

namespace tallowick {
namespace {

namespace fs = std::filesystem;
using test::CliRun;
using test::readFile;
using test::TempDir;

TEST(StationFiles, NamesAreSafeOnLinuxAndWindowsAndOnePerPort) {
  struct Case {
    std::vector<std::string> ports;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {{"/dev/ttyUSB0", "/dev/ttyUSB1"}, {"ttyUSB0", "ttyUSB1"}},
      {{"COM3", "\\\\.\\COM10"}, {"COM3", "COM10"}},
      {{"sim", "sim:KM-15", "sim"}, {"sim", "sim_KM-15", "sim-2"}},
      // Nothing a file system would act on, nothing a terminal would.
      {{"/dev/tty\x1B[2J", "a<b>c|d?*\"e", "..", "/dev/", "порт"},
       {"tty_2J", "a_b_c_d_e", "port", "port-2", "port-3"}},
      {{"/dev/ttyUSB0", "/tmp/ttyUSB0"}, {"ttyUSB0", "ttyUSB0-2"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(portFileNames(c.ports), c.names) << c.ports[0];

  const LocalDateTime at{2026, 12, 9, 10, 15, 30};
  EXPECT_EQ(runFileStem("ttyUSB0", "Veltor FP-90T", at),
            "ttyUSB0_Veltor_FP-90T_2026-12-09_10-15-30");
  EXPECT_EQ(runFileStem("COM3", "", at), "COM3_2026-12-09_10-15-30");
  EXPECT_EQ(runFileStem("COM3", "FP/90:T.", at), "COM3_FP_90_T_2026-12-09_10-15-30");
}

TEST(StationTable, OneRowPerPortWithItsStateAndNothingForATerminalToActOn) {
  std::vector<RunProgress> rows(4);
  rows[0] = {.model = "Veltor FP-90T", .firmware = "3.01", .step = "Z-отчет", .commands = 12};
  rows[1] = {.model = "Veltor KM-15",
             .commands = 3,
             .errors = 2,
             .state = RunProgress::State::WithErrors,
             .code = 1};
  rows[2] = {.state = RunProgress::State::Aborted,
             .message = "Невозможно подключить порт\nПорт не найден",
             .code = 4};
  rows[3] = {.model = "X\x1B]0;owned\a", .state = RunProgress::State::Stopped, .code = 3};
  const std::vector<std::string> ports{"/dev/ttyUSB0", "sim", "/dev/ttyS9", "sim\x1B[2J"};

  const auto live = stationTable(ports, rows, true);
  ASSERT_EQ(live.size(), 5u);
  EXPECT_EQ(live[0].find("PORT"), 0u);
  EXPECT_NE(live[0].find("STEP"), std::string::npos);
  EXPECT_NE(live[1].find("Z-отчет"), std::string::npos);
  EXPECT_NE(live[1].find("running"), std::string::npos);
  EXPECT_NE(live[2].find("with errors"), std::string::npos);
  EXPECT_NE(live[3].find("aborted: Невозможно подключить порт Порт не найден"), std::string::npos);
  EXPECT_NE(live[4].find("stopped"), std::string::npos);
  for (const auto& line : live) {
    EXPECT_EQ(line.find('\x1B'), std::string::npos) << line;
    EXPECT_EQ(line.find('\n'), std::string::npos) << line;
  }
  EXPECT_NE(live[4].find("sim\\x1B[2J"), std::string::npos) << live[4];

  const auto summary = stationTable(ports, rows, false);
  EXPECT_NE(summary[0].find("EXIT CODE"), std::string::npos);
  EXPECT_EQ(summary[0].find("STEP"), std::string::npos);
  EXPECT_EQ(summary[3].substr(summary[3].size() - 1), "4");

  // Cut between characters, never inside one.
  EXPECT_EQ(fitColumns("Фискальный чек", 6), "Фиска…");
  EXPECT_EQ(fitColumns("чек", 3), "чек");
}

CliRun station(std::vector<std::string> args, std::ostream* terminal = nullptr,
               std::function<void(sim::VirtualPrinter&)> more = {}, bool realTime = false) {
  args.insert(args.begin(), "testrun");
  VirtualClock clock;
  CliContext context;
  context.simClock = realTime ? nullptr : &clock;
  context.wallClock = [] { return LocalDateTime{2026, 12, 9, 10, 15, 30}; };
  context.historyFile = test::suiteHistoryFile();
  context.terminal = terminal;
  context.prepareSim = std::move(more);
  std::ostringstream out, err;
  const int code = runCli(args, out, err, context);
  return {code, out.str(), err.str()};
}

TEST(Station, EachPortHasItsOwnRunLinesAndLogNamedAfterIt) {
  const TempDir dir("tallowick-station");
  const CliRun r = station({"--port", "sim", "--port", "sim:KM-15", "--pause", "0", "--no-fiscal",
                            "--log-dir", dir.path.string()});
  EXPECT_EQ(r.code, kExitOk) << r.err;
  EXPECT_NE(r.out.find("[sim] Тест Veltor FP-90T\n"), std::string::npos);
  EXPECT_NE(r.out.find("[sim:KM-15] Тест Veltor KM-15\n"), std::string::npos);
  EXPECT_NE(r.err.find("[sim] message: Успешно!\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("[sim:KM-15] message: Успешно!\n"), std::string::npos) << r.err;
  // Every line of a run carries its port.
  std::istringstream lines(r.out.substr(0, r.out.find("\n\nPORT")));
  for (std::string line; std::getline(lines, line);)
    EXPECT_TRUE(line.starts_with("[sim] ") || line.starts_with("[sim:KM-15] ")) << line;
  EXPECT_NE(r.out.find("\nPORT "), std::string::npos) << "the summary";

  // Each log is the one a single run saves with --log.
  const std::string single = (dir / "single.log").string();
  const CliRun alone =
      station({"--port", "sim:KM-15", "--pause", "0", "--no-fiscal", "--log", single});
  ASSERT_EQ(alone.code, kExitOk);
  EXPECT_EQ(readFile(dir / "sim_KM-15_Veltor_KM-15_2026-12-09_10-15-30.log"), readFile(single));
  EXPECT_TRUE(fs::exists(dir / "sim_Veltor_FP-90T_2026-12-09_10-15-30.log"));
}

TEST(Station, OneFailingPortEndsOnlyItsRunAndGivesTheHighestCode) {
  const TempDir dir("tallowick-station");
  const CliRun r =
      station({"--port", "sim", "--port", "/nonexistent/tty", "--pause", "0", "--no-fiscal",
               "--log-dir", dir.path.string(), "--trace-dir", dir.path.string()});
  EXPECT_EQ(r.code, kExitPortOrUsage) << r.err;
  EXPECT_NE(r.err.find("[/nonexistent/tty] message: Невозможно подключить порт\n"),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.out.find("[sim] Общее количество ошибок: 0\n"), std::string::npos);
  const std::string summary = r.out.substr(r.out.find("\n\nPORT"));
  EXPECT_NE(summary.find("finished"), std::string::npos) << summary;
  EXPECT_NE(summary.find("aborted: Невозможно подключить порт"), std::string::npos) << summary;
  // A port that never connected has a trace of its attempt and no log.
  EXPECT_TRUE(fs::exists(dir / "sim_Veltor_FP-90T_2026-12-09_10-15-30.log"));
  EXPECT_TRUE(fs::exists(dir / "sim_Veltor_FP-90T_2026-12-09_10-15-30.trace.jsonl"));
  EXPECT_FALSE(fs::exists(dir / "tty_2026-12-09_10-15-30.log"));
}

TEST(Station, OneSingleRunWithALogFolderNamesItsFileTheSameWay) {
  const TempDir dir("tallowick-station");
  const CliRun r =
      station({"--port", "sim", "--pause", "0", "--no-fiscal", "--log-dir", dir.path.string()});
  EXPECT_EQ(r.code, kExitOk) << r.err;
  EXPECT_NE(r.out.find("\nТест Veltor FP-90T\n"), std::string::npos) << "no prefix, no table";
  EXPECT_EQ(r.out.find("PORT"), std::string::npos);
  EXPECT_NE(readFile(dir / "sim_Veltor_FP-90T_2026-12-09_10-15-30.log").find("\r\n"),
            std::string::npos);
}

TEST(Station, FilesOfOneRunAreRefusedForSeveralPorts) {
  struct Case {
    std::vector<std::string> args;
    const char* reason;
    int code;
  };
  const Case cases[] = {
      {{"--port", "sim", "--port", "sim", "--log", "x.log"},
       "tallowick-cli: --log names one file; give --log-dir DIR for a file per port\n",
       kExitPortOrUsage},
      {{"--port", "sim", "--port", "sim", "--trace", "x.trace"},
       "tallowick-cli: --trace names one file; give --trace-dir DIR for a file per port\n",
       kExitPortOrUsage},
      {{"--port", "sim", "--log", "x.log", "--log-dir", "."},
       "tallowick-cli: --log and --log-dir cannot be given together\n",
       kExitPortOrUsage},
      {{"--port", "sim", "--port", "sim", "--log-dir", "/nonexistent/dir"},
       "tallowick-cli: there is no folder /nonexistent/dir\n",
       kExitFileNotSaved},
  };
  for (const auto& c : cases) {
    const CliRun r = station(c.args);
    EXPECT_EQ(r.code, c.code) << c.reason;
    EXPECT_TRUE(r.err.starts_with(c.reason)) << r.err;
    EXPECT_EQ(r.out, "");
  }
}

TEST(Station, CtrlCStopsEveryRun) {
  // Real time and pauses of ten minutes: only a stop ends these runs. Ctrl-C comes from
  // one printer's thread once its run is under way; the other run must stop as well.
  std::atomic<bool> raised{false};
  const CliRun r = station(
      {"--port", "sim", "--port", "sim:KM-15", "--pause", "600000", "--no-fiscal"}, nullptr,
      [&raised](sim::VirtualPrinter& p) {
        p.setTraceHook([&raised, heard = 0](const sim::TraceEvent& e) mutable {
          if (e.kind == sim::TraceKind::Request && ++heard == 8 && !raised.exchange(true)) {
            std::raise(SIGINT);
          }
        });
      },
      true);
  EXPECT_EQ(r.code, kExitStopped) << r.err;
  const std::string summary = r.out.substr(r.out.find("\n\nPORT"));
  std::size_t stopped = 0;
  for (auto at = summary.find("stopped"); at != std::string::npos;
       at = summary.find("stopped", at + 1))
    ++stopped;
  EXPECT_EQ(stopped, 2u) << summary;
}

TEST(Station, CtrlCStopsEveryConnectThatWaits) {
  // Both printers answer the connect's GetDeviceInfo with busy bytes for ever, in real time;
  // Ctrl-C comes from one printer's thread as it hears the request, and both connects end.
  const TempDir dir("tallowick-station");
  std::atomic<bool> raised{false};
  const auto start = std::chrono::steady_clock::now();
  const CliRun r = station(
      {"--port", "sim", "--port", "sim:KM-15", "--log-dir", dir.path.string()}, nullptr,
      [&raised](sim::VirtualPrinter& p) {
        std::string error;
        p.faults().add(*sim::parseFaultRule("80:endless-busy", error));
        p.setTraceHook([&raised](const sim::TraceEvent& e) {
          if (e.kind == sim::TraceKind::Request && !raised.exchange(true)) std::raise(SIGINT);
        });
      },
      true);
  EXPECT_EQ(r.code, kExitStopped) << r.err;
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30))
      << "not the connect's fifteen minutes";
  EXPECT_NE(r.out.find("[sim] Тест остановлен\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("[sim:KM-15] Тест остановлен\n"), std::string::npos) << r.out;
  // Each run's log, named by its port alone (no model was read).
  int logs = 0;
  for (const auto& entry : fs::directory_iterator(dir.path)) {
    ++logs;
    EXPECT_TRUE(entry.path().filename().string().starts_with("sim")) << entry.path();
  }
  EXPECT_EQ(logs, 2);
}

TEST(Station, OnATerminalTheTableIsDrawnInPlaceAndTheMessagesFollowIt) {
  std::ostringstream terminal;
  const CliRun r =
      station({"--port", "sim", "--port", "sim:KM-15", "--pause", "0", "--no-fiscal"}, &terminal);
  EXPECT_EQ(r.code, kExitOk) << r.err;
  const std::string shown = terminal.str();
  EXPECT_NE(shown.find("PORT"), std::string::npos);
  EXPECT_NE(shown.find("\x1B[K\n"), std::string::npos) << "each row cleared to its end";
  EXPECT_NE(shown.find("finished"), std::string::npos);
  EXPECT_NE(shown.find("EXIT CODE"), std::string::npos) << "the summary";
  EXPECT_EQ(r.out, "") << "no log lines under the table";
  EXPECT_NE(r.err.find("[sim:KM-15] message: Успешно!\n"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace tallowick
