// The journal of a station's runs: every test run and initialisation, from its start to its
// record in the history. The command line (one port or several at once) and the desktop
// tool all record their runs here, each run through an entry of its own. Writing the
// history never stops or changes a run: the first failure is told once, to whoever ends a
// run after it, and never again.
#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "history/history_store.h"
#include "history/recorder.h"
#include "platform/failure.h"

namespace tallowick::history {

class Journal {
 public:
  // `file`: where the history lives, or why no place for it could be found. Nothing is
  // opened before the first record or read.
  explicit Journal(StoreResult<std::filesystem::path> file,
                   WallTimeSource wallTime = platform::wallTimeNow);
  ~Journal();
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;

  // From now on every record names `station` and waits in the outbox for the line
  // database; `wake` is called after each, from the thread that ended the run.
  void joinLine(std::string station, std::function<void()> wake);

  // The history, for reading; nothing when no place for it could be found, and
  // unavailable() says why.
  Store* store() { return store_.get(); }
  const std::string& unavailable() const { return unavailable_; }

  // One run from its start to its record.
  class Entry {
   public:
    Entry(Journal& journal, Kind kind, std::string port, const Clock& clock);

    // The printer as the connect identified it; call after a connect that succeeded.
    void identify(const RunState& state) { recorder_.identify(state); }
    // The unit's factory serial number, as scanned or typed before a test run.
    void setSerialNumber(std::string number) { recorder_.setSerialNumber(std::move(number)); }
    // Gives each titled step to the record; for TestRun::setStepObserver.
    StepObserver stepObserver() { return recorder_.stepObserver(); }
    // A message box shown during the run.
    void noteMessage(const std::string& text) { recorder_.noteMessage(text); }

    // Ends the run and appends its record. The message for the user when the history
    // could not be written and nobody has been told so yet; nothing otherwise.
    std::optional<Failure> endTestRun(const RunOutcome& outcome, std::string passes,
                                      std::string pauseMs, std::vector<std::string> log);
    std::optional<Failure> endInitialisation(InitEnd end, std::string serialNumber,
                                             std::vector<std::string> log);

   private:
    Journal& journal_;
    Recorder recorder_;
  };

  // Begins the record of a run on `port` at this moment of the run's own `clock`.
  std::unique_ptr<Entry> begin(Kind kind, std::string port, const Clock& clock);

 private:
  std::optional<Failure> append(Record record);

  std::unique_ptr<Store> store_;
  std::string unavailable_;
  std::string station_;
  std::function<void()> wake_;
  WallTimeSource wallTime_;
  std::atomic<bool> told_{false};
};

}  // namespace tallowick::history
