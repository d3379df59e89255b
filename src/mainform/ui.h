// The seam between the window logic and the windows. Every sequence of the program (the
// connect sequence, the test run, the auxiliary and initialisation pages) talks to its
// window only through this interface, so the same logic drives the Qt windows, the
// headless runner and the recording fake of the tests.
#pragma once

#include <cstdint>
#include <string>

namespace tallowick {

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
};

}  // namespace tallowick
