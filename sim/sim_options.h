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
  std::string paperPath;  // empty: the paper is not written anywhere
  FaultPlan faults;
  bool help = false;
};

// Parses the arguments after the program name. On bad usage returns nothing and the
// reason in `error`.
std::optional<SimOptions> parseSimOptions(std::span<const std::string_view> args,
                                          std::string& error);

// Every option with its help, made from the table the parser reads, and the fault syntax.
std::string simHelpText();

// Applies one printer option (--model, --baud, --strict, ...; `value` empty for a flag) to
// `settings`, from the table the command line reads, so that in-process callers (a port
// of the built-in printer) can set a printer up alike. False
// with the reason in `error` for a bad value; nothing when `name` is not a printer option.
std::optional<bool> applyPrinterOption(PrinterSettings& settings, std::string_view name,
                                       std::string_view value, std::string& error);

}  // namespace tallowick::sim
