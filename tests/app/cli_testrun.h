// tallowick-cli testrun in-process, on the virtual printer and a virtual clock: what the
// suites of the command line share.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli.h"
#include "link/clock.h"
#include "sim/fault_plan.h"
#include "sim/virtual_printer.h"

namespace tallowick::test {

namespace fs = std::filesystem;

struct CliRun {
  int code;
  std::string out;
  std::string err;
};

inline CliRun testrun(std::vector<std::string> args, const std::vector<std::string>& faults = {},
                      std::function<void(sim::VirtualPrinter&)> more = {},
                      VirtualClock* runClock = nullptr) {
  VirtualClock ownClock;
  VirtualClock& clock = runClock ? *runClock : ownClock;
  CliContext context;
  context.simClock = &clock;
  context.wallClock = [] { return LocalDateTime{2026, 12, 7, 9, 5, 30}; };
  context.prepareSim = [&](sim::VirtualPrinter& p) {
    for (const auto& f : faults) {
      std::string error;
      auto rule = sim::parseFaultRule(f, error);
      ASSERT_TRUE(rule) << error;
      p.faults().add(*rule);
    }
    if (more) more(p);
  };
  args.insert(args.begin(), "testrun");
  std::ostringstream out, err;
  const int code = runCli(args, out, err, context);
  return {code, out.str(), err.str()};
}

inline std::string temp(const char* name) {
  return (fs::temp_directory_path() / ("tallowick-cli-" + std::to_string(::getpid()) + name))
      .string();
}

inline std::string readFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

}  // namespace tallowick::test
