// The window seam for the headless runner: log lines to standard output as they are
// written, every message box to standard error as "message: TEXT" (taken as closed at
// once), Ctrl-C as the Stop button of every run that is under way.
#pragma once

#include <atomic>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "link/clock.h"
#include "mainform/run_state.h"
#include "mainform/serial_selector.h"
#include "mainform/ui.h"

namespace tallowick {

// ComboBox5 without a window: one serial number given on the command line, typed over the
// book's list "К инициализации", which stays as it is.
class CliSerialSelector final : public SerialSelector {
 public:
  std::string text() override { return text_; }
  int selectedIndex() override { return -1; }
  std::vector<std::string> items() override { return items_; }
  void removeItem(int) override {}
  void setText(const std::string& text) override { text_ = text; }
  void setItems(std::vector<std::string> items) { items_ = std::move(items); }

 private:
  std::string text_;
  std::vector<std::string> items_;
};

class CliUi final : public Ui {
 public:
  CliUi(std::ostream& out, std::ostream& err, RunState& state, Clock& clock, std::string port,
        bool withoutFiscal)
      : out_(out),
        err_(err),
        state_(state),
        clock_(clock),
        port_(std::move(port)),
        withoutFiscal_(withoutFiscal),
        stopsSeen_(stopRequests().load()) {}

  // Counted up from a signal handler. Every window sees each request, at its next event
  // pump, as its Stop button: several runs at once all stop.
  static std::atomic<unsigned>& stopRequests();
  // Takes the requests after the `count`th as this window's (the count at its making,
  // unless told otherwise), so that one asked for before it was made is not missed.
  void takeStopRequestsAfter(unsigned count) { stopsSeen_ = count; }
  // A stop of this run alone (a station window's row): seen as the Stop button once set.
  void setOwnStop(const std::atomic<bool>* stop) { ownStop_ = stop; }

  void messageBox(const std::string& text) override;
  // Nobody can answer: the question goes to standard error as "question: TEXT" and gets
  // the answer set with setQuestionAnswer (No at first, the safe one).
  bool question(const std::string& text) override;
  void appendLog(LogId log, const std::string& line) override;
  void scrollLogToEnd() override {}
  void repaint() override {}
  void pumpEvents() override;
  // Ctrl-C is noticed during a pause too: the pause ends early, the run stops at its next
  // stop check.
  void pause(std::int32_t ms) override;
  void pumpWhileWaiting() override;
  void setServiceIndicator(const LabelLook&) override {}
  void setCaption(const std::string&) override {}
  void showConnected(bool) override {}
  void resetPassesSelection() override {}
  void setRunButtons(bool, bool) override {}
  std::string portName() override { return port_; }
  bool withoutFiscal() override { return withoutFiscal_; }
  // No ComboBox4 to choose from: the test set with setInternalTest (none at first).
  int internalTestIndex() override { return internalTest_; }
  std::string dateText() override { return date_; }
  std::string timeText() override { return time_; }
  void setDateTimeTexts(const std::string& date, const std::string& time) override {
    date_ = date;
    time_ = time;
  }
  SerialSelector& serialSelector() override { return serial_; }
  // Nobody can answer TForm2 here: its texts go to standard error, then the answer set with
  // setForm2Answer (continue at first) is given after setForm2Wait milliseconds, the time
  // the printer needs to come back from its reboot.
  std::int32_t showForm2() override;
  // Nobody can confirm the number: TForm4's question and the number go to standard error
  // and the lists stay as they are, as after "Неправильный".
  void showForm4() override;
  void terminateApplication() override { terminated_ = true; }

  void setInternalTest(int index) { internalTest_ = index; }
  CliSerialSelector& cliSerialSelector() { return serial_; }
  void setForm2Answer(std::int32_t answer) { form2Answer_ = answer; }
  void setForm2Wait(std::int32_t ms) { form2WaitMs_ = ms; }
  void setQuestionAnswer(bool yes) { questionAnswer_ = yes; }
  // How many questions were answered No.
  int questionsRefused() const { return refused_; }
  bool terminated() const { return terminated_; }

  const std::vector<std::string>& testLog() const { return testLog_; }
  // The page "Инициализация регистратора"'s log.
  const std::vector<std::string>& initLog() const { return initLog_; }
  // Sees every message box and every log line as it is shown (from the run's thread).
  void setMessageObserver(std::function<void(const std::string&)> observer) {
    messageObserver_ = std::move(observer);
  }
  void setLineObserver(std::function<void(const std::string&)> observer) {
    lineObserver_ = std::move(observer);
  }

 private:
  std::ostream& out_;
  std::ostream& err_;
  RunState& state_;
  Clock& clock_;
  std::string port_;
  bool withoutFiscal_;
  unsigned stopsSeen_;
  const std::atomic<bool>* ownStop_ = nullptr;
  std::vector<std::string> testLog_;
  std::vector<std::string> initLog_;
  std::function<void(const std::string&)> messageObserver_;
  std::function<void(const std::string&)> lineObserver_;
  int internalTest_ = -1;
  std::string date_;
  std::string time_;
  CliSerialSelector serial_;
  std::int32_t form2Answer_ = 1;
  std::int32_t form2WaitMs_ = 0;
  bool terminated_ = false;
  bool questionAnswer_ = false;
  int refused_ = 0;
};

}  // namespace tallowick
