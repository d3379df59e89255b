// What became of each titled step of a test run, as data rather than log lines: for the
// record of the run and the reports built from it. A titled step runs from its title in
// the log to the next title or the end of the run, and covers every command sent there.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "link/x_list.h"

namespace tallowick {

// X(name, key): the key names the result in the records and reports made of a run.
#define TALLOWICK_STEP_RESULTS(X)                                                             \
  X(Success, "success")              /* every command of the step was accepted */             \
  X(ArgumentError, "argument_error") /* an operation refused its arguments; nothing sent */   \
  X(NoReply, "no_reply")             /* a command got no complete reply */                    \
  X(PrinterError, "printer_error")   /* the printer answered an error code other than 0000 */ \
  X(Stopped, "stopped")              /* the run was stopped inside the step */                \
  X(Aborted, "aborted")              /* the run ended inside the step for another reason */

enum class StepResult : std::uint8_t { TALLOWICK_STEP_RESULTS(TALLOWICK_ENUMERATOR) };

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
