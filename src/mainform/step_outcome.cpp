#include "mainform/step_outcome.h"

namespace tallowick {

void Session::pumpEvents() {
  ui.pumpEvents();
  if (state.Timer1.poll(clock.now())) state.TimerElapsed = true;
}

void Session::messageBox(const std::string& text) {
  const Micros shown = clock.now();
  ui.messageBox(text);
  boxWait += clock.now() - shown;
}

void updateServiceIndicator(Session& s) {
  const bool on = s.state.LastResult && s.state.LastResult->serviceMode();
  s.ui.setServiceIndicator(on ? LabelLook{colour::kRed, 24, kServiceModeOn}
                              : LabelLook{colour::kDarkGreen, 24, kServiceModeOff});
}

namespace {

// After a failure's box: true when the step goes on.
bool afterFailure(Session& s, OnFailure what) {
  switch (what) {
    case OnFailure::Abort:
      return false;
    case OnFailure::CountAndContinue:
      ++s.state.ErrorCount;
      return true;
    case OnFailure::Continue:
      return true;
  }
  return false;
}

}  // namespace

bool loggedOutcome(Session& s, const LoggedStep& step, std::int32_t argError) {
  const CommandResult* r = s.state.LastResult;
  if (r->noReply()) {
    s.messageBox(step.T);
    if (step.logOnNoReply) s.ui.appendLog(LogId::Test, *step.logOnNoReply);
    if (!afterFailure(s, step.onNoReply)) return false;
  }
  if (!r->accepted()) {
    s.messageBox(step.E);
    if (step.logOnError) s.ui.appendLog(LogId::Test, *step.logOnError);
    if (!afterFailure(s, step.onError)) return false;
  }
  if (step.indicator) updateServiceIndicator(s);
  if (step.pauseBeforeLines > 0) s.ui.pause(step.pauseBeforeLines);
  s.ui.scrollLogToEnd();
  if (argError != 0) {
    const std::string& A = step.A.value_or(step.E);
    switch (step.onArgError) {
      case OnArgError::LogAndCount:
        s.ui.appendLog(LogId::Test, A);
        ++s.state.ErrorCount;
        return true;
      case OnArgError::Ignore:
        return true;
      case OnArgError::LogAndEnd:
        s.ui.appendLog(LogId::Test, A);
        return false;
      case OnArgError::BoxAndEnd:
        s.messageBox(A);
        return false;
    }
  }
  if (step.lines == ResultLines::None) return true;
  if (step.lines != ResultLines::SuccessOnly) s.ui.appendLog(LogId::Test, "");
  if (step.lines != ResultLines::EmptyOnly) s.ui.appendLog(LogId::Test, step.S);
  return true;
}

bool messageOutcome(Session& s, const std::string& T, const std::string& E) {
  const CommandResult* r = s.state.LastResult;
  if (r->noReply()) {
    s.messageBox(T);
    return false;
  }
  if (!r->accepted()) {
    s.messageBox(E);
    return false;
  }
  return true;
}

bool initOutcome(Session& s, const std::string& T, const std::string& noReplyLine,
                 const std::string& E, const std::string& errorLine,
                 std::initializer_list<std::string> successLines) {
  const CommandResult* r = s.state.LastResult;
  if (r->noReply()) {
    s.messageBox(T);
    s.ui.appendLog(LogId::Init, noReplyLine);
    return false;
  }
  if (!r->accepted()) {
    s.messageBox(E);
    s.ui.appendLog(LogId::Init, errorLine);
    return false;
  }
  for (const auto& line : successLines)
    s.ui.appendLog(LogId::Init, line);
  return true;
}

}  // namespace tallowick
