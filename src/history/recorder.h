// Collects the record of one test run or initialisation while it goes on, from what the
// caller sees of it: the start, the printer the connect found, each titled step, the
// message boxes, and at the end how it ended and the log as written. The journal of runs
// builds every record here.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "history/record.h"
#include "link/clock.h"
#include "mainform/init_page.h"
#include "mainform/run_state.h"
#include "platform/wall_clock.h"
#include "testrun/step_report.h"
#include "testrun/test_run.h"

namespace tallowick::history {

using platform::WallTime;
using WallTimeSource = std::function<WallTime()>;

class Recorder {
 public:
  // Notes the start: the computer's time and the run's own clock, which measures the
  // duration whatever is done to the computer's clock meanwhile; and where it runs, the
  // computer and the user.
  Recorder(Kind kind, std::string port, const Clock& clock,
           const WallTimeSource& wallTime = platform::wallTimeNow);

  // The printer as the connect identified it; call after a connect that succeeded.
  void identify(const RunState& state);
  // The printer's factory serial number as the user gave it (a test run's unit).
  void setSerialNumber(std::string number) { record_.serialNumber = std::move(number); }
  // Gives each titled step to the record; for TestRun::setStepObserver.
  StepObserver stepObserver();
  // A message box about to be shown during the run: the last one is the record's message
  // when the run did not reach its end.
  void noteMessage(const std::string& text);

  // The record of a test run that ended as `outcome`, with its entries as typed; its
  // duration leaves out the time its boxes waited for the user.
  Record finishTestRun(const RunOutcome& outcome, std::string passes, std::string pauseMs,
                       std::vector<std::string> log);
  // The record of an initialisation that ended as `end`, writing `serialNumber`. Every box
  // of an initialisation comes at its end, when the printer's part is over: one that shows
  // a box ended when it was shown, whatever the user took to answer it and to confirm the
  // number afterwards.
  Record finishInitialisation(InitEnd end, std::string serialNumber, std::vector<std::string> log);

 private:
  // Ends the record, `endedOn` on the run's clock.
  Record finish(std::vector<std::string> log, Micros endedOn);

  Record record_;
  const Clock& clock_;
  WallTimeSource wallTime_;
  Micros startedOn_;
  std::string lastMessage_;
  std::optional<Micros> lastMessageOn_;
};

}  // namespace tallowick::history
