// The check-and-report sequence applied after every command: the no-reply test, the
// printer-error test, the service-mode indicator and the result lines, in the three forms
// the windows use (logged, message, initialisation).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "mainform/session.h"
#include "platform/own_text.h"

namespace tallowick {

inline constexpr const char* kServiceModeOn = Text::own("Внимание!  Service Mode включен.");
inline constexpr const char* kServiceModeOff = Text::own("Service Mode выключен.");

// The boxes of GetDeviceInfo, which the connect and several pages send: no answer, and a
// refusal.
inline constexpr const char* kGetDeviceInfoTimeout =
    Text::own("Таймаут устройства! Ошибка GetDeviceInfo!");
inline constexpr const char* kGetDeviceInfoError = Text::own("Ошибка GetDeviceInfo");

// Label9 from bit 0 of the first status byte of the last result.
void updateServiceIndicator(Session& s);

// What a no-reply or a printer error does once its message box is closed.
enum class OnFailure : std::uint8_t {
  Abort,             // the sequence ends
  CountAndContinue,  // ErrorCount + 1, the step goes on
  Continue,          // the step goes on, nothing counted
};

// The result lines of a step that got through its two tests.
enum class ResultLines : std::uint8_t {
  None,              // nothing at all, not even for an argument error
  EmptyThenSuccess,  // "" and S; an argument error logs A instead
  SuccessOnly,       // S without the empty line; an argument error logs A instead
  EmptyOnly,         // ""; an argument error logs A instead
};

// What an argument error (the operation refused its arguments, nothing was sent) does.
enum class OnArgError : std::uint8_t {
  LogAndCount,  // line A, ErrorCount + 1, the sequence goes on
  Ignore,       // nothing
  LogAndEnd,    // line A, the sequence ends
  BoxAndEnd,    // message box A, the sequence ends
};

struct LoggedStep {
  std::string T;                 // no-reply box
  std::string E;                 // printer-error box
  std::string S;                 // success line
  std::optional<std::string> A;  // argument-error line; E when not given
  bool indicator = false;
  ResultLines lines = ResultLines::EmptyThenSuccess;
  OnFailure onNoReply = OnFailure::Abort;
  OnFailure onError = OnFailure::Abort;
  OnArgError onArgError = OnArgError::LogAndCount;
  // A pause taken after the two tests and before the result lines.
  std::int32_t pauseBeforeLines = 0;
  // Lines also logged after the box has been closed.
  std::optional<std::string> logOnNoReply;
  std::optional<std::string> logOnError;
};

// The logged form, on LastResult. True: the sequence goes on; false: it ends here.
bool loggedOutcome(Session& s, const LoggedStep& step, std::int32_t argError);

// The message form: a box on failure. True when the command succeeded.
bool messageOutcome(Session& s, const std::string& T, const std::string& E);

// The initialisation form: a box and a line in Memo1 on failure, the success lines
// otherwise. True when the command succeeded.
bool initOutcome(Session& s, const std::string& T, const std::string& noReplyLine,
                 const std::string& E, const std::string& errorLine,
                 std::initializer_list<std::string> successLines);

}  // namespace tallowick
