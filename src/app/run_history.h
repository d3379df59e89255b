// The history as tallowick-cli appends to it: one record per test run or initialisation,
// built while it goes on and appended once it has ended, from the run's own thread. A
// history that cannot be written never stops or changes a run: its failure is told once.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/clock.h"
#include "mainform/init_page.h"
#include "mainform/run_state.h"
#include "testrun/step_report.h"
#include "testrun/test_run.h"

namespace tallowick {

class RunRecording;
struct RecordingImpl;

// One file for every run of a command, however many run at once.
class RunHistory {
 public:
  // The file named, else the usual place (TALLOWICK_HISTORY, or beside the book). Nothing
  // is opened before the first record.
  explicit RunHistory(std::optional<std::string> file);
  ~RunHistory();
  RunHistory(const RunHistory&) = delete;
  RunHistory& operator=(const RunHistory&) = delete;

  // Begins the record of a run on `port` at this moment of the run's `clock`.
  std::unique_ptr<RunRecording> begin(bool initialisation, const std::string& port,
                                      const Clock& clock);

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

class RunRecording {
 public:
  explicit RunRecording(std::unique_ptr<RecordingImpl> impl);
  ~RunRecording();

  // The printer as the connect identified it.
  void identify(const RunState& state);
  // For TestRun::setStepObserver.
  StepObserver stepObserver();
  void noteMessage(const std::string& text);
  // Append the record; the message for the user when the history could not be written
  // and nobody has been told so yet.
  std::optional<std::string> appendTestRun(const RunOutcome& outcome, std::string passes,
                                           std::string pauseMs, std::vector<std::string> log);
  std::optional<std::string> appendInitialisation(InitEnd end, std::string serialNumber,
                                                  std::vector<std::string> log);

 private:
  std::unique_ptr<RecordingImpl> impl_;
};

}  // namespace tallowick
