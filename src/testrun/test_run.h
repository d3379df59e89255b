// The automatic test of the page "Тест РРО": the Start, Stop, Clear and Save logic and the
// fixed script of several hundred commands, over the window seam. The whole run happens
// inside Button3Click, as on the page; control returns to the user only at the event pump.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "mainform/session.h"
#include "mainform/step_outcome.h"
#include "platform/own_text.h"
#include "testrun/step_report.h"

namespace tallowick {

inline constexpr const char* kStars30 = "******************************";
inline constexpr const char* kStars35 = "***********************************";
inline constexpr const char* kStopped = Text::own("Тест остановлен");

// How a run ended.
enum class RunEnd : std::uint8_t {
  InputRefused,  // the number of passes or the pause was refused; nothing else happened
  Finished,      // the end lines were logged
  Stopped,       // "Тест остановлен"
  Aborted,       // a step's failure ended it after its message box
};

struct RunOutcome {
  RunEnd end = RunEnd::Aborted;
  std::int32_t errorsCounted = 0;  // ErrorCount as the end line printed it
  // How long the run's message boxes waited for their answers: the user's time, not the
  // run's.
  Micros boxWait{0};
};

// What follows a step, in order.
enum class Tail : std::uint8_t {
  Stop,        // event pump and stop check
  StopSpaced,  // the same, logging "Тест остановлен " with a trailing blank
  Pump,        // event pump without stop check
  Pause,       // the pause between steps
  Blank,       // " ", repaint, scroll to the end, repaint
  Space,       // " " and scroll to the end
  Scroll,      // scroll to the end
  Repaint,     // repaint
};

using CommandCall = std::function<CommandResult*(CommandSet&, std::int32_t*)>;

// One command step: optional title, the command, its outcome texts, its tail.
struct Step {
  const char* title = nullptr;  // logged after 30 asterisks; none for untitled steps
  CommandCall call;
  LoggedStep outcome;
  std::vector<Tail> tail;
};

class TestRun {
 public:
  explicit TestRun(Session& session) : s_(session) {}

  // Start: the whole run, with the texts of ComboBox2 (passes) and Edit1 (pause).
  RunOutcome Button3Click(const std::string& passesText, const std::string& pauseText);
  // Stop.
  void Button4Click();
  // Sees each titled step of the runs that follow once it is over; the log, the windows
  // and the commands sent stay exactly as they are without it.
  void setStepObserver(StepObserver observer) { observer_ = std::move(observer); }

 private:
  // The script after the input checks; false when it ended early (end_ says how).
  bool script();
  // Each returns false when the run has ended (end_ says how).
  bool registratorParams();
  bool preparation();
  bool openingZReport();
  bool configuration();
  bool runHeaderAndPasses();
  bool nonFiscalStages();
  bool articleProgramming();
  bool rebootWait();
  bool salesReceipts();
  bool returnReceipt();
  bool serviceReceipt();
  bool clockCheck();
  bool technicalInformation();
  bool controlTape();
  bool closingZReport();
  bool operatorAgain();
  bool lineRateChange();
  bool endDisplay();
  // SetRegistratorParams with `rate` and the kept parameters.
  bool setRate(std::int32_t rate, const char* E);
  // Closes the port and opens it again at `rate`.
  bool reopenAt(std::int32_t rate);
  void endLines();

  // SetOperator for operator 1, as the configuration sends it.
  static Step operatorStep();
  // Runs one step and its tail.
  bool run(const Step& step);
  bool runAll(std::initializer_list<Step> steps);
  bool tail(std::initializer_list<Tail> items);
  bool tail(const std::vector<Tail>& items);
  // Event pump, then the stop check.
  bool stopCheck(const char* line = kStopped);
  void blank();
  void log(const std::string& line) { s_.ui.appendLog(LogId::Test, line); }
  void title(const char* text);
  bool abort();
  // Sends a command and keeps its record in LastResult.
  CommandResult* send(const CommandCall& call, std::int32_t* err);
  // The titled step under way: a command of it has been answered (or refused).
  void noteCommand(const LoggedStep& outcome, std::int32_t err);
  // Ends the titled step under way, if any, and shows it to the observer. `runEnded`:
  // the run itself ended inside it (end_ says how).
  void closeStep(bool runEnded);
  // How the run ended, with the wait of its boxes since its start.
  RunOutcome outcome(RunEnd end, std::int32_t errorsCounted) const;

  Session& s_;
  std::int32_t passes_ = 1;
  std::int32_t pause_ = 0;
  RunEnd end_ = RunEnd::Aborted;
  std::int32_t errorsCounted_ = 0;
  // The registrator parameters kept for the rate change (P1 to P6).
  std::array<std::int32_t, 6> kept_{};
  StepObserver observer_;
  std::optional<StepReport> openStep_;
  // When the run and its step under way began, and the boxes' wait then (Session::boxWait):
  // the time a box waits for the user is neither's.
  Micros boxWaitAtStart_{0};
  Micros openedAt_{0};
  Micros boxWaitAtOpen_{0};
  std::string stopLine_;
};

}  // namespace tallowick
