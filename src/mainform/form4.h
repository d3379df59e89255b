// The serial-number confirmation at the end of an initialisation: shows the number that
// was written and, when the user confirms it, moves it from "К инициализации" to
// "Инициализация уже выполнена" and stores both lists.
#pragma once

#include <string>

#include "initforms/serial_book.h"
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
  TForm4(Form4Ui& ui, SerialSelector& selector, SerialBook& book)
      : ui_(ui), selector_(selector), book_(book) {}

  void FormActivate();
  void Button2Click();  // "Правильный"
  void Button1Click();  // "Неправильный"

 private:
  void confirm();
  void removeFromSelector(const std::string& serial, int selected);

  Form4Ui& ui_;
  SerialSelector& selector_;
  SerialBook& book_;
};

}  // namespace tallowick
