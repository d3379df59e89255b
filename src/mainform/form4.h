// The serial-number confirmation at the end of an initialisation: shows the number that
// was written and passes the user's answer to the keeper of the numbers (the station's book
// moves a confirmed number from "К инициализации" to "Инициализация уже выполнена" and
// stores both lists; the line's book records the answer).
#pragma once

#include <string>

#include "mainform/number_keeper.h"
#include "mainform/serial_selector.h"

namespace tallowick {

class Form4Ui {
 public:
  virtual ~Form4Ui() = default;
  virtual void setLabel2(const std::string& text) = 0;
  // A modal information box with one OK button; returns when it is closed.
  virtual void messageBox(const std::string& text) = 0;
  virtual void close() = 0;
};

class TForm4 {
 public:
  TForm4(Form4Ui& ui, SerialSelector& selector, NumberKeeper& numbers)
      : ui_(ui), selector_(selector), numbers_(numbers) {}

  void FormActivate();
  void Button2Click();  // "Правильный"
  void Button1Click();  // "Неправильный"

 private:
  void confirm();
  void removeFromSelector(const std::string& serial, int selected);

  Form4Ui& ui_;
  SerialSelector& selector_;
  NumberKeeper& numbers_;
};

}  // namespace tallowick
