// The exit codes of tallowick-cli, defined once with their meaning (the help text is
// made from this table).
#pragma once

#include <array>
#include <string_view>

namespace tallowick {

enum ExitCode : int {
  kExitOk = 0,
  kExitFinishedWithErrors = 1,
  kExitAborted = 2,
  kExitStopped = 3,
  kExitPortOrUsage = 4,
  kExitInputRefused = 5,
  kExitNoReply = 6,
  kExitPrinterError = 7,
  kExitFileNotSaved = 8,
};

struct ExitCodeInfo {
  ExitCode code;
  std::string_view meaning;
};

inline constexpr std::array<ExitCodeInfo, 9> kExitCodes = {{
    {kExitOk, "done; for a test run: finished with no errors counted"},
    {kExitFinishedWithErrors, "test run finished with errors counted"},
    {kExitAborted, "test run aborted (no reply or a printer error)"},
    {kExitStopped, "test run stopped on request"},
    {kExitPortOrUsage, "the port cannot be used, or bad usage"},
    {kExitInputRefused,
     "an input was refused: the number of passes, the pause, or the date, time or serial "
     "number of an initialisation"},
    {kExitNoReply, "the printer did not answer"},
    {kExitPrinterError, "the printer refused a command (error code other than 0000)"},
    {kExitFileNotSaved, "the log or trace could not be saved"},
}};

// The meaning of a code of the table; empty for any other.
constexpr std::string_view exitCodeMeaning(int code) {
  for (const auto& e : kExitCodes) {
    if (e.code == code) return e.meaning;
  }
  return {};
}

}  // namespace tallowick
