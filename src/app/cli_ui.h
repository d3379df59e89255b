// The window seam for the headless runner: log lines to standard output as they are
// written, every message box to standard error as "message: TEXT" (taken as closed at
// once), Ctrl-C as the Stop button.
#pragma once

#include <atomic>
#include <iosfwd>
#include <string>
#include <vector>

#include "link/clock.h"
#include "mainform/run_state.h"
#include "mainform/ui.h"

namespace tallowick {

class CliUi final : public Ui {
 public:
  CliUi(std::ostream& out, std::ostream& err, RunState& state, Clock& clock, std::string port,
        bool withoutFiscal)
      : out_(out), err_(err), state_(state), clock_(clock), port_(std::move(port)),
        withoutFiscal_(withoutFiscal) {}

  // Set from a signal handler; the next event pump turns it into a stop request.
  static std::atomic<bool>& interrupted();

  void messageBox(const std::string& text) override;
  void appendLog(LogId log, const std::string& line) override;
  void scrollLogToEnd() override {}
  void repaint() override {}
  void pumpEvents() override;
  void pause(std::int32_t ms) override;
  void setServiceIndicator(const LabelLook&) override {}
  void setCaption(const std::string&) override {}
  void showConnected(bool) override {}
  void resetPassesSelection() override {}
  void setRunButtons(bool, bool) override {}
  std::string portName() override { return port_; }
  bool withoutFiscal() override { return withoutFiscal_; }

  const std::vector<std::string>& testLog() const { return testLog_; }

 private:
  std::ostream& out_;
  std::ostream& err_;
  RunState& state_;
  Clock& clock_;
  std::string port_;
  bool withoutFiscal_;
  std::vector<std::string> testLog_;
};

}  // namespace tallowick
