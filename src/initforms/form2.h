// The date-and-time step dialog of the initialisation: the user goes on once the printer
// is back from its reboot, or ends the program. The caller reads the answer afterwards.
#pragma once

#include <cstdint>

namespace tallowick {

class Form2Ui {
 public:
  virtual ~Form2Ui() = default;
  // Closes the dialog; the modal call of the caller returns.
  virtual void close() = 0;
};

class TForm2 {
 public:
  static constexpr std::int32_t kEndProgram = -1;
  static constexpr std::int32_t kContinue = 1;

  explicit TForm2(Form2Ui& ui) : ui_(ui) {}

  // Every showing starts from "end the program", so closing the dialog in any other way
  // than with "Продолжить инициализацию" ends it.
  void FormActivate() { answer_ = kEndProgram; }
  void Button2Click();  // "Продолжить инициализацию"
  void Button1Click();  // "Завершить программу"

  std::int32_t answer() const { return answer_; }

 private:
  Form2Ui& ui_;
  std::int32_t answer_ = kEndProgram;
};

}  // namespace tallowick
