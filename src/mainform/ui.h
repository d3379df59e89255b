// The seam between the window logic and the windows. Every sequence of the program (the
// connect sequence, the test run, the auxiliary and initialisation pages) talks to its
// window only through this interface, so the same logic drives the Qt windows, the
// headless runner and the recording fake of the tests.
#pragma once

#include <cstdint>
#include <string>

namespace tallowick {

class SerialSelector;

// Windows colour values (0x00BBGGRR), as the windows use them.
namespace colour {
inline constexpr std::uint32_t kRed = 0x0000FF;
inline constexpr std::uint32_t kBrightGreen = 0x00FF00;
inline constexpr std::uint32_t kDarkGreen = 0x008000;
inline constexpr std::uint32_t kYellow = 0x00FFFF;
}  // namespace colour

// The two logs of the main window.
enum class LogId {
  Test,  // RichEdit1, page "Тест РРО"
  Init,  // Memo1, page "Инициализация регистратора"
};

// A text label's look: the service-mode indicator Label9.
struct LabelLook {
  std::uint32_t colour = colour::kRed;
  int pointSize = 24;
  std::string text;
  bool operator==(const LabelLook&) const = default;
};

class Ui {
 public:
  virtual ~Ui() = default;

  // A modal information box with one OK button; returns when it is closed.
  virtual void messageBox(const std::string& text) = 0;
  // A modal question with "Да" and "Нет" before what cannot be undone; true for "Да".
  // "Нет" is the default, so that Enter alone never does the harm.
  virtual bool question(const std::string& text) = 0;
  // Appends one line to a log.
  virtual void appendLog(LogId log, const std::string& line) = 0;
  // Scrolls the test log to its last line.
  virtual void scrollLogToEnd() = 0;
  // Repaints the main window.
  virtual void repaint() = 0;
  // Processes all pending user events (Stop, Disconnect, other pages' buttons) and
  // returns. Handlers run from here may change the run state.
  virtual void pumpEvents() = 0;
  // Blocks for `ms` milliseconds without handling user input.
  virtual void pause(std::int32_t ms) = 0;
  // Called again and again while a command waits for its reply (after every empty read of
  // the line, and at least every 50 ms while bytes come): the window answers its user as at
  // an event pump (Stop, Disconnect, "Закрыть", clicks on any page), the command line takes
  // Ctrl-C as Stop. A command asked for from here is refused by the link, which keeps the
  // one under way.
  virtual void pumpWhileWaiting() {}

  // Label9.
  virtual void setServiceIndicator(const LabelLook& look) = 0;
  // The main window's caption.
  virtual void setCaption(const std::string& caption) = 0;
  // Shape1, Button2's caption, PageControl1 and the two selectors, together.
  virtual void showConnected(bool connected) = 0;
  // ComboBox2 back to its first item ("1").
  virtual void resetPassesSelection() = 0;
  // Button3 (Start) and Button4 (Stop).
  virtual void setRunButtons(bool startEnabled, bool stopEnabled) = 0;

  // The text of ComboBox1: the port to reopen when the run changes the line rate.
  virtual std::string portName() = 0;
  // CheckBox1 "Без фискальных чеков и Z-отчета", read anew at each decision.
  virtual bool withoutFiscal() = 0;

  // ComboBox4 of the auxiliary page: the index of the selected internal test, -1 when none.
  virtual int internalTestIndex() = 0;
  // Edit2 (date, DDMMYY) of the initialisation page.
  virtual std::string dateText() = 0;
  // Edit3 (time, HHMM) of the initialisation page.
  virtual std::string timeText() = 0;
  // Puts new texts into Edit2 and Edit3.
  virtual void setDateTimeTexts(const std::string& date, const std::string& time) = 0;
  // ComboBox5, the serial number to write; TForm4 works on the same selector.
  virtual SerialSelector& serialSelector() = 0;
  // Shows TForm2 modally and returns its answer (negative: end the program).
  virtual std::int32_t showForm2() = 0;
  // Shows TForm4 modally; it confirms the serial number and updates the lists itself.
  virtual void showForm4() = 0;
  // Tells the application to end; it closes once the running handler has returned.
  virtual void terminateApplication() = 0;
};

}  // namespace tallowick
