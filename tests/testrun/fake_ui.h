// A recording window for the window logic's tests: every log line, message box, pause and
// pump is kept in order, and actions can be scheduled at chosen event pumps (pressing
// Stop, disconnecting) as a user would between two steps.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "link/clock.h"
#include "mainform/run_state.h"
#include "mainform/ui.h"

namespace tallowick::test {

class FakeUi final : public Ui {
 public:
  FakeUi(RunState& state, VirtualClock& clock) : state_(state), clock_(clock) {}

  void messageBox(const std::string& text) override {
    boxes.push_back(text);
    events.push_back("box: " + text);
  }
  void appendLog(LogId log, const std::string& line) override {
    (log == LogId::Test ? testLog : initLog).push_back(line);
    events.push_back("log: " + line);
  }
  void scrollLogToEnd() override {}
  void repaint() override {}
  void pumpEvents() override {
    ++pumps;
    if (auto it = atPump.find(pumps); it != atPump.end()) it->second();
    if (onEveryPump) onEveryPump();
  }
  void pause(std::int32_t ms) override {
    pauses.push_back(ms);
    events.push_back("pause: " + std::to_string(ms));
    clock_.advance(std::chrono::milliseconds(ms));
  }
  void setServiceIndicator(const LabelLook& look) override { indicator = look; }
  void setCaption(const std::string& text) override { caption = text; }
  void showConnected(bool connected) override { shownConnected = connected; }
  void resetPassesSelection() override { ++passesResets; }
  void setRunButtons(bool start, bool stop) override {
    startEnabled = start;
    stopEnabled = stop;
  }
  std::string portName() override { return port; }
  bool withoutFiscal() override { return noFiscal; }

  // Settings.
  std::string port = "sim";
  bool noFiscal = false;
  std::map<int, std::function<void()>> atPump;  // by pump number, from 1
  std::function<void()> onEveryPump;

  // Records.
  std::vector<std::string> testLog;
  std::vector<std::string> initLog;
  std::vector<std::string> boxes;
  std::vector<std::string> events;
  std::vector<std::int32_t> pauses;
  int pumps = 0;
  int passesResets = 0;
  LabelLook indicator;
  std::string caption;
  bool shownConnected = false;
  bool startEnabled = true;
  bool stopEnabled = false;

 private:
  RunState& state_;
  VirtualClock& clock_;
};

}  // namespace tallowick::test
