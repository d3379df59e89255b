#include "history/recorder.h"

#include <chrono>

#include "platform/own_text.h"
#include "platform/system.h"

namespace tallowick::history {

Recorder::Recorder(Kind kind, std::string port, const Clock& clock, const WallTimeSource& wallTime)
    : clock_(clock), wallTime_(wallTime), startedOn_(clock.now()) {
  const WallTime start = wallTime_();
  record_.kind = kind;
  record_.port = std::move(port);
  record_.startedAtMs = start.ms;
  record_.utcOffsetMinutes = start.utcOffsetMinutes;
  record_.computer = platform::computerName();
  record_.user = platform::userName();
  record_.language = textLanguage();
}

void Recorder::identify(const RunState& state) {
  record_.model = state.DeviceModel;
  record_.firmware = state.FirmwareVersion;
  record_.country = state.DeviceCountry;
}

StepObserver Recorder::stepObserver() {
  return [this](const StepReport& step) { record_.steps.push_back(step); };
}

void Recorder::noteMessage(const std::string& text) {
  lastMessage_ = text;
  lastMessageOn_ = clock_.now();
}

Record Recorder::finishTestRun(const RunOutcome& outcome, std::string passes, std::string pauseMs,
                               std::vector<std::string> log) {
  record_.passes = std::move(passes);
  record_.pauseMs = std::move(pauseMs);
  record_.outcome = outcomeOf(outcome);
  record_.errorCount = outcome.errorsCounted;
  return finish(std::move(log), clock_.now() - outcome.boxWait);
}

Record Recorder::finishInitialisation(InitEnd end, std::string serialNumber,
                                      std::vector<std::string> log) {
  record_.serialNumber = std::move(serialNumber);
  switch (end) {
    case InitEnd::InputRefused:
      record_.outcome = Outcome::InputRefused;
      break;
    case InitEnd::Failed:
      record_.outcome = Outcome::Aborted;
      record_.errorCount = 1;
      break;
    case InitEnd::ProgramEnded:
      record_.outcome = Outcome::Stopped;
      break;
    case InitEnd::Finished:
      record_.outcome = Outcome::Finished;
      break;
  }
  // The program's end interrupts an initialisation at a dialog, never after a box.
  const bool endedAtBox = lastMessageOn_ && end != InitEnd::ProgramEnded;
  return finish(std::move(log), endedAtBox ? *lastMessageOn_ : clock_.now());
}

Record Recorder::finish(std::vector<std::string> log, Micros endedOn) {
  // A run that reached its end says so itself; otherwise the last box tells why not.
  const bool ended =
      record_.outcome == Outcome::Finished || record_.outcome == Outcome::FinishedWithErrors;
  if (!ended) record_.message = lastMessage_;
  record_.durationMs =
      std::chrono::duration_cast<std::chrono::milliseconds>(endedOn - startedOn_).count();
  record_.endedAtMs = record_.startedAtMs + record_.durationMs;
  record_.log = std::move(log);
  return record_;
}

}  // namespace tallowick::history
