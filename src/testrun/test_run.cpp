#include "testrun/test_run.h"

#include "platform/own_text.h"
#include "testrun/numbers.h"

namespace tallowick {

void TestRun::Button4Click() {
  s_.ui.setRunButtons(true, false);
  s_.state.StopRequested = true;
}

RunOutcome TestRun::Button3Click(const std::string& passesText, const std::string& pauseText) {
  s_.state.Timer1.disable();
  end_ = RunEnd::Aborted;
  openStep_.reset();
  boxWaitAtStart_ = s_.boxWait;
  if (!registratorParams()) return outcome(end_, s_.state.ErrorCount);
  s_.state.ErrorCount = 0;

  const auto passes = parseDecimal(passesText);
  if (!passes || *passes < 1) {
    s_.messageBox(Text::own("Неверное количество циклов теста"));
    return outcome(RunEnd::InputRefused, 0);
  }
  const auto pause = parseDecimal(pauseText);
  if (!pause || *pause < 0) {
    s_.messageBox(Text::own("Неверная величина задержки \n   между командами"));
    return outcome(RunEnd::InputRefused, 0);
  }
  passes_ = *passes;
  pause_ = *pause;
  s_.ui.setRunButtons(false, true);
  s_.state.StopRequested = false;

  // From here on a Stop also ends a wait for the printer's reply.
  const StopCheckScope stopInWait(s_.link(), s_.stopOnRequest());
  const bool done = script();
  if (done) end_ = RunEnd::Finished;
  closeStep(true);
  return outcome(end_, errorsCounted_);
}

RunOutcome TestRun::outcome(RunEnd end, std::int32_t errorsCounted) const {
  return {end, errorsCounted, s_.boxWait - boxWaitAtStart_};
}

bool TestRun::script() {
  if (!preparation()) return false;
  if (!s_.ui.withoutFiscal() && !openingZReport()) return false;
  if (!configuration()) return false;
  if (!runHeaderAndPasses()) return false;
  if (!nonFiscalStages()) return false;
  if (!s_.ui.withoutFiscal()) {
    if (!articleProgramming() || !rebootWait() || !salesReceipts() || !returnReceipt()) {
      return false;
    }
  }
  if (!serviceReceipt() || !clockCheck() || !technicalInformation()) return false;
  if (!s_.ui.withoutFiscal()) {
    if (!controlTape() || !closingZReport()) return false;
  }
  if (!stopCheck()) return false;
  if (!operatorAgain() || !lineRateChange() || !endDisplay()) return false;
  endLines();
  return true;
}

CommandResult* TestRun::send(const CommandCall& call, std::int32_t* err) {
  *err = 0;
  return s_.keep(call(s_.commands, err));
}

bool TestRun::run(const Step& step) {
  if (step.title) title(step.title);
  std::int32_t err = 0;
  // A wait cut short by Stop is no failure of the printer: the run stops there.
  if (send(step.call, &err)->stopped() && !stopCheck()) return false;
  noteCommand(step.outcome, err);
  if (!loggedOutcome(s_, step.outcome, err)) return abort();
  return tail(step.tail);
}

bool TestRun::runAll(std::initializer_list<Step> steps) {
  for (const auto& step : steps) {
    if (!run(step)) return false;
  }
  return true;
}

bool TestRun::tail(std::initializer_list<Tail> items) {
  return tail(std::vector<Tail>(items));
}

bool TestRun::tail(const std::vector<Tail>& items) {
  for (Tail t : items) {
    switch (t) {
      case Tail::Stop:
        if (!stopCheck()) return false;
        break;
      case Tail::StopSpaced:
        if (!stopCheck(Text::own("Тест остановлен "))) return false;
        break;
      case Tail::Pump:
        s_.pumpEvents();
        break;
      case Tail::Pause:
        if (pause_ > 0) s_.ui.pause(pause_);
        break;
      case Tail::Blank:
        blank();
        break;
      case Tail::Space:
        log(" ");
        s_.ui.scrollLogToEnd();
        break;
      case Tail::Scroll:
        s_.ui.scrollLogToEnd();
        break;
      case Tail::Repaint:
        s_.ui.repaint();
        break;
    }
  }
  return true;
}

bool TestRun::stopCheck(const char* line) {
  s_.pumpEvents();
  if (!s_.state.StopRequested) return true;
  log(line);
  stopLine_ = line;
  s_.state.StopRequested = false;
  end_ = RunEnd::Stopped;
  errorsCounted_ = s_.state.ErrorCount;
  return false;
}

void TestRun::blank() {
  log(" ");
  s_.ui.repaint();
  s_.ui.scrollLogToEnd();
  s_.ui.repaint();
}

void TestRun::title(const char* text) {
  closeStep(false);
  openStep_ = StepReport{.title = text};
  openedAt_ = s_.clock.now();
  boxWaitAtOpen_ = s_.boxWait;
  log(kStars30);
  log(text);
}

void TestRun::noteCommand(const LoggedStep& outcome, std::int32_t err) {
  if (!openStep_ || openStep_->result != StepResult::Success) return;
  StepReport& step = *openStep_;
  const CommandResult* r = s_.state.LastResult;
  // A refused operation sent nothing, so the record still tells of the command before.
  if (err != 0) {
    step.result = StepResult::ArgumentError;
    step.code = std::to_string(err);
    step.message = outcome.A.value_or(outcome.E);
  } else if (r->noReply()) {
    step.result = StepResult::NoReply;
    step.message = outcome.T;
  } else if (!r->accepted()) {
    step.result = StepResult::PrinterError;
    step.code = r->ErrorCode;
    step.message = outcome.E;
  }
  if (step.command == 0 || step.result != StepResult::Success) {
    step.command = s_.commands.lastAttempted();
  }
}

void TestRun::closeStep(bool runEnded) {
  if (!openStep_) return;
  StepReport step = std::move(*openStep_);
  openStep_.reset();
  if (runEnded && step.result == StepResult::Success) {
    if (end_ == RunEnd::Stopped) {
      step.result = StepResult::Stopped;
      step.message = stopLine_;
    } else if (end_ == RunEnd::Aborted) {
      step.result = StepResult::Aborted;
    }
  }
  step.elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                       s_.clock.now() - openedAt_ - (s_.boxWait - boxWaitAtOpen_))
                       .count();
  if (observer_) observer_(step);
}

bool TestRun::abort() {
  end_ = RunEnd::Aborted;
  errorsCounted_ = s_.state.ErrorCount;
  return false;
}

void TestRun::endLines() {
  log(withArgs(Text::tr("Конец теста %1"), {s_.state.DeviceModel}));
  log(Text::own("Дата тестирования:"));
  log(shortDateLongTime(s_.wallClock()));
  log(withArgs(Text::tr("Общее количество ошибок: %1"), {std::to_string(s_.state.ErrorCount)}));
  errorsCounted_ = s_.state.ErrorCount;
  s_.state.ErrorCount = 0;
  log(kStars30);
  s_.ui.setRunButtons(true, false);
  s_.ui.repaint();
  s_.pumpEvents();
}

}  // namespace tallowick
