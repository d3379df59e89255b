// tallowick-cli run in-process on the built-in virtual printer with a virtual clock: its
// exit code and both streams. For the suites that link the command line tool.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli.h"
#include "link/clock.h"
#include "sim/fault_plan.h"
#include "sim/virtual_printer.h"

namespace tallowick::test {

struct CliRun {
  int code;
  std::string out;
  std::string err;
};

// How the printer is set up before the command runs, and what is taken from it.
struct CliSetup {
  LocalDateTime now;                               // the computer's clock
  std::vector<std::string> faults;                 // fault rules, as tallowick-sim takes them
  std::function<void(sim::VirtualPrinter&)> more;  // anything else, before the rest
  std::optional<bool> serviceMode;                 // the printer's service mode at start
  sim::PrinterState* after = nullptr;              // the printer's state once it has run
  int* requests = nullptr;                         // counts the requests that reached it
  VirtualClock* clock = nullptr;                   // the run's clock; its own when none
  std::optional<std::string> history;              // the history file; the suite's when none
  std::ostream* terminal = nullptr;                // standard output as a terminal
};

// The history the command line's suites append to, one per test program and removed at
// its end, never the user's.
inline std::string suiteHistoryFile() {
  static const struct SuiteHistory {
    std::filesystem::path file = std::filesystem::temp_directory_path() /
                                 ("tallowick-suite-history-" + std::to_string(::getpid()));
    ~SuiteHistory() {
      std::error_code ec;
      for (const char* end : {"", "-wal", "-shm"})
        std::filesystem::remove(file.string() + end, ec);
    }
  } history;
  return history.file.string();
}

inline CliRun runCliOnSim(const std::vector<std::string>& args, const CliSetup& setup) {
  VirtualClock ownClock;
  CliContext context;
  context.simClock = setup.clock ? setup.clock : &ownClock;
  context.wallClock = [now = setup.now] { return now; };
  context.historyFile = setup.history ? *setup.history : suiteHistoryFile();
  if (setup.after) context.inspectSim = [&](sim::VirtualPrinter& p) { *setup.after = p.state(); };
  context.prepareSim = [&](sim::VirtualPrinter& p) {
    if (setup.requests) {
      p.setTraceHook([requests = setup.requests](const sim::TraceEvent& e) {
        if (e.kind == sim::TraceKind::Request) ++*requests;
      });
    }
    if (setup.more) setup.more(p);
    if (setup.serviceMode) {
      p.settings().serviceMode = *setup.serviceMode;
      p.state().serviceMode = *setup.serviceMode;
    }
    for (const auto& f : setup.faults) {
      std::string error;
      auto rule = sim::parseFaultRule(f, error);
      ASSERT_TRUE(rule) << error;
      p.faults().add(*rule);
    }
  };
  context.terminal = setup.terminal;
  std::ostringstream out, err;
  const int code = runCli(args, out, err, context);
  return {code, out.str(), err.str()};
}

}  // namespace tallowick::test
