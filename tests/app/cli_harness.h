// The command line's own suites: one command on the virtual printer, its fault, mode and
// state given directly.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "support/cli_run.h"

namespace tallowick {

using test::CliRun;

inline CliRun cli(const std::vector<std::string>& args, const char* fault = nullptr,
                  bool serviceMode = false, sim::PrinterState* after = nullptr,
                  std::function<void(sim::VirtualPrinter&)> more = {}, int* requests = nullptr) {
  test::CliSetup setup{.now = {2026, 12, 8, 14, 30, 5},
                       .more = std::move(more),
                       .serviceMode = serviceMode,
                       .after = after,
                       .requests = requests};
  if (fault) setup.faults.push_back(fault);
  return test::runCliOnSim(args, setup);
}

}  // namespace tallowick
