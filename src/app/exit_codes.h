// The exit codes of tallowick-cli, defined once with their meaning (the help text is
// made from this table).
#pragma once

#include <cstddef>
#include <iterator>
#include <string_view>

#include "link/x_list.h"

namespace tallowick {

// X(name, code, meaning)
#define TALLOWICK_EXIT_CODES(X)                                                           \
  X(kExitOk, 0, "done; for a test run: finished with no errors counted")                  \
  X(kExitFinishedWithErrors, 1, "test run finished with errors counted")                  \
  X(kExitAborted, 2, "test run aborted (no reply or a printer error)")                    \
  X(kExitStopped, 3, "test run stopped on request")                                       \
  X(kExitPortOrUsage, 4, "the port cannot be used, or bad usage")                         \
  X(kExitInputRefused, 5,                                                                 \
    "an input was refused: the number of passes, the pause, or the date, time or serial " \
    "number of an initialisation")                                                        \
  X(kExitNoReply, 6, "the printer did not answer")                                        \
  X(kExitPrinterError, 7, "the printer refused a command (error code other than 0000)")   \
  X(kExitFileNotSaved, 8, "the log or trace could not be saved")                          \
  X(kExitHistoryUnreadable, 9, "the history cannot be read, or holds no such record")     \
  X(kExitBookRefused, 10,                                                                 \
    "the book of serial numbers or the line database could not do it: unreadable, "       \
    "unreachable, refused by its rights, or the number is another's")

enum ExitCode : int { TALLOWICK_EXIT_CODES(TALLOWICK_VALUED_ENUMERATOR) };

inline constexpr CodeMeaning<ExitCode> kExitCodes[] = {
    TALLOWICK_EXIT_CODES(TALLOWICK_CODE_MEANING)};

// The codes run from 0 up without a gap, in the order of the list.
constexpr bool exitCodesInOrder() {
  for (std::size_t i = 0; i < std::size(kExitCodes); ++i) {
    if (kExitCodes[i].code != static_cast<int>(i)) return false;
  }
  return true;
}
static_assert(exitCodesInOrder(), "the exit codes must run 0, 1, 2, ... in the list's order");

// The meaning of a code of the table; empty for any other.
constexpr std::string_view exitCodeMeaning(int code) {
  for (const auto& e : kExitCodes) {
    if (e.code == code) return e.meaning;
  }
  return {};
}

}  // namespace tallowick
