// The command line of tallowick-sim, parsed apart from main() so it can be checked
// in-process.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "sim/fault_plan.h"
#include "sim/virtual_printer.h"

namespace tallowick::sim {

struct SimOptions {
  std::string linkPath;
  PrinterSettings settings;
  std::string tracePath;  // empty: no trace
  FaultPlan faults;
  bool help = false;
};

// Parses the arguments after the program name. On bad usage returns nothing and the
// reason in `error`.
std::optional<SimOptions> parseSimOptions(std::span<const std::string_view> args,
                                          std::string& error);

std::string simHelpText();

}  // namespace tallowick::sim
