// What became of each titled step of a test run, as data rather than log lines: for the
// record of the run and the reports built from it. A titled step runs from its title in
// the log to the next title or the end of the run, and covers every command sent there.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace tallowick {

enum class StepResult : std::uint8_t {
  Success,        // every command of the step was accepted
  ArgumentError,  // an operation refused its arguments; nothing was sent for it
  NoReply,        // a command got no complete reply
  PrinterError,   // the printer answered a command with an error code other than 0000
  Stopped,        // the run was stopped inside the step, before it could be seen through
  Aborted,        // the run ended inside the step for a reason no command's answer gives
};

struct StepReport {
  std::string title;
  // The command that decided the result: the first one that did not succeed, otherwise
  // the step's first command (0 when none was sent).
  std::int32_t command = 0;
  StepResult result = StepResult::Success;
  // The printer's error code, or the argument error's code in decimal ("-121").
  std::string code;
  // What the window said about it: the box or log line of the failure, the stop line.
  std::string message;
  // From the title to the next title or the end, on the run's clock.
  std::int64_t elapsedMs = 0;
  bool operator==(const StepReport&) const = default;
};

// Sees each titled step once it is over, in the order of the log.
using StepObserver = std::function<void(const StepReport&)>;

}  // namespace tallowick
