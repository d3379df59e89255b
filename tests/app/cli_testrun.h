// tallowick-cli testrun in-process, on the virtual printer and a virtual clock: what the
// suites of the command line share.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/cli_run.h"
#include "support/temp_dir.h"

namespace tallowick::test {

namespace fs = std::filesystem;

inline CliRun testrun(std::vector<std::string> args, const std::vector<std::string>& faults = {},
                      std::function<void(sim::VirtualPrinter&)> more = {},
                      VirtualClock* runClock = nullptr) {
  args.insert(args.begin(), "testrun");
  return runCliOnSim(args, {.now = {2026, 12, 7, 9, 5, 30},
                            .faults = faults,
                            .more = std::move(more),
                            .clock = runClock});
}

inline std::string temp(const char* name) {
  return (fs::temp_directory_path() / ("tallowick-cli-" + std::to_string(::getpid()) + name))
      .string();
}

}  // namespace tallowick::test
