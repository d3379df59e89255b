// One port's run of the automatic test as a station starts it, whether the command line's
// several ports or the desktop tool's station window: what it is asked, what it tells while
// it runs, and where it has got to, as far as how much of its script is behind it.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace tallowick {

// Where one port's run has got to, as its row shows it.
struct RunProgress {
  enum class State { Running, Finished, WithErrors, Aborted, Stopped };
  std::string model;
  std::string firmware;
  std::string step;  // the title of the step under way
  int commands = 0;  // commands sent and answered (or refused)
  int errors = 0;    // errors counted so far
  State state = State::Running;
  std::string message;  // why it was aborted
  int code = 0;         // the exit code, once ended
  // How much of the script is behind the run, out of `planned` (0 while not known): the
  // whole only once the run has ended.
  int done = 0;
  int planned = 0;
};

// The row's last column: "running", "finished", "with errors", "aborted: MESSAGE", "stopped".
std::string stateText(const RunProgress& progress);

// The commands a run's script sends, step by step (a step begins with its title in the log),
// as a rehearsal of the same run sent them. A real run may send a few more or fewer (a
// printer slow to come back from its reboot is asked again); where it stands is counted
// within its step, so that it never runs ahead of the plan.
class RunPlan {
 public:
  // Recording: a step titled `title` begins after `commandsSoFar` commands; the run ended
  // after `commandsSoFar`.
  void beginStep(const std::string& title, int commandsSoFar);
  void end(int commandsSoFar);

  int total() const { return total_; }

  // A real run measured against the plan.
  class Position {
   public:
    explicit Position(const RunPlan& plan) : plan_(plan) {}
    void beginStep(const std::string& title, int commandsSoFar);
    // How much of the plan is behind the run after `commandsSoFar` commands: below the
    // total until the run has ended.
    int at(int commandsSoFar) const;

   private:
    const RunPlan& plan_;
    int step_ = -1;  // the plan's step under way; -1: before the first title
    int stepStart_ = 0;
  };

 private:
  struct Step {
    std::string title;
    int first = 0;  // the commands sent before it
  };
  // The commands from the step's start to the next one's (or to the end).
  int length(int step) const;

  std::vector<Step> steps_;
  int total_ = 0;
};

// Finds the steps' titles in a run's log as it is written: a title is the line after a line
// of stars.
class StepTitles {
 public:
  // The title `line` is, or nothing.
  const std::string* title(const std::string& line);

 private:
  bool next_ = false;
};

// What a station asks of one port's run: the options of the page "Тест РРО", the unit's serial
// number for its record, the folder for its log, and its own stop.
struct StationRunRequest {
  std::string port;
  std::string unit;  // the printer's factory serial number as scanned; empty: none given
  std::string passes = "1";
  std::string pause = "1500";
  bool withoutFiscal = false;
  int baudIndex = 0;
  std::string logFolder;  // the run's log saved there as the command line names it; empty: none
  const std::atomic<bool>* stop = nullptr;  // set: the run stops at its next stop check
};

// What the run tells while it goes on, from its own thread: every log line and every message
// box as it comes (a box shown to nobody: the run goes on as after its OK), and its progress.
struct StationRunEvents {
  std::function<void(const std::string& line)> line;
  std::function<void(const std::string& text)> message;
  std::function<void(const RunProgress&)> progress;
};

// Runs one port's test to its end; the exit code, as tallowick-cli's.
using StationRunner = std::function<int(const StationRunRequest&, const StationRunEvents&)>;

}  // namespace tallowick
