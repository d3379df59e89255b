// A recording window for the window logic's tests: every log line, message box, pause and
// pump is kept in order, and actions can be scheduled at chosen event pumps (pressing
// Stop, disconnecting) as a user would between two steps, or while a command waits.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "link/clock.h"
#include "mainform/run_state.h"
#include "mainform/serial_selector.h"
#include "mainform/ui.h"

namespace tallowick::test {

// ComboBox5: an editable list of serial numbers with a selection.
struct FakeSerialSelector final : SerialSelector {
  std::vector<std::string> list;
  int selected = -1;
  std::string typed;  // the text when nothing is selected

  std::string text() override {
    if (selected >= 0 && static_cast<std::size_t>(selected) < list.size()) {
      return list[static_cast<std::size_t>(selected)];
    }
    return typed;
  }
  void setText(const std::string& text) override {
    selected = -1;
    typed = text;
  }
  int selectedIndex() override { return selected; }
  std::vector<std::string> items() override { return list; }
  void removeItem(int index) override {
    if (index < 0 || static_cast<std::size_t>(index) >= list.size()) return;
    list.erase(list.begin() + index);
    if (selected == index) {
      selected = -1;
      typed.clear();
    } else if (selected > index) {
      --selected;
    }
  }
};

class FakeUi final : public Ui {
 public:
  FakeUi(RunState& /*state*/, VirtualClock& clock) : clock_(clock) {}

  void messageBox(const std::string& text) override {
    boxes.push_back(text);
    events.push_back("box: " + text);
    if (onBox) onBox(text);
  }
  bool question(const std::string& text) override {
    questions.push_back(text);
    events.push_back("question: " + text);
    return questionAnswer;
  }
  void appendLog(LogId log, const std::string& line) override {
    (log == LogId::Test ? testLog : initLog).push_back(line);
    events.push_back("log: " + line);
  }
  void scrollLogToEnd() override { rhythm("scroll"); }
  void repaint() override { rhythm("repaint"); }
  void pumpEvents() override {
    ++pumps;
    rhythm("pump");
    if (auto it = atPump.find(pumps); it != atPump.end()) it->second();
    if (onEveryPump) onEveryPump();
  }
  void pumpWhileWaiting() override {
    ++waitPumps;
    if (onWait) onWait();
  }
  void pause(std::int32_t ms) override {
    pauses.push_back(ms);
    events.push_back("pause: " + std::to_string(ms));
    clock_.advance(std::chrono::milliseconds(ms));
  }
  void setServiceIndicator(const LabelLook& look) override {
    indicator = look;
    rhythm("indicator: " + look.text);
  }
  void setCaption(const std::string& text) override { caption = text; }
  void showConnected(bool connected) override { shownConnected = connected; }
  void resetPassesSelection() override { ++passesResets; }
  void setRunButtons(bool start, bool stop) override {
    startEnabled = start;
    stopEnabled = stop;
  }
  std::string portName() override { return port; }
  bool withoutFiscal() override { return noFiscal; }
  int internalTestIndex() override { return internalTest; }
  std::string dateText() override { return date; }
  std::string timeText() override { return time; }
  void setDateTimeTexts(const std::string& d, const std::string& t) override {
    date = d;
    time = t;
  }
  SerialSelector& serialSelector() override { return serial; }
  std::int32_t showForm2() override {
    ++form2Shown;
    events.push_back("dialog: TForm2");
    if (onForm2) onForm2();
    return form2Answer;
  }
  void showForm4() override {
    ++form4Shown;
    events.push_back("dialog: TForm4");
    if (onForm4) onForm4();
  }
  void terminateApplication() override {
    ++terminations;
    events.push_back("terminate");
  }

  // Settings.
  bool recordRhythm = false;  // also record pumps, repaints, scrolls and the indicator
  std::string port = "sim";
  bool noFiscal = false;
  std::map<int, std::function<void()>> atPump;  // by pump number, from 1
  std::function<void()> onEveryPump;
  std::function<void()> onWait;  // while a command waits for its reply (run or connect)
  std::function<void(const std::string&)> onBox;  // while a box waits for the user
  int internalTest = 0;
  std::string date = "071226";
  std::string time = "0905";
  FakeSerialSelector serial;
  std::int32_t form2Answer = 1;
  bool questionAnswer = true;     // Yes
  std::function<void()> onForm2;  // while TForm2 is up (the printer reboots meanwhile)
  std::function<void()> onForm4;

  // Records.
  std::vector<std::string> testLog;
  std::vector<std::string> initLog;
  std::vector<std::string> boxes;
  std::vector<std::string> questions;
  std::vector<std::string> events;
  std::vector<std::int32_t> pauses;
  int pumps = 0;
  int waitPumps = 0;
  int passesResets = 0;
  LabelLook indicator;
  std::string caption;
  bool shownConnected = false;
  bool startEnabled = true;
  bool stopEnabled = false;
  int form2Shown = 0;
  int form4Shown = 0;
  int terminations = 0;

 private:
  void rhythm(const std::string& what) {
    if (recordRhythm) events.push_back(what);
  }

  VirtualClock& clock_;
};

}  // namespace tallowick::test
