// The serial-number interval manager, the program's first window: printer type, interval
// bounds, the two lists and the moves between them, storing and clearing, and the way on
// to the main window. The Qt window implements Form3Ui and forwards its events here.
#pragma once

#include <string>
#include <vector>

#include "initforms/serial_book.h"
#include "initforms/serial_store.h"

namespace tallowick {

// The controls whose focus or enabled state the logic changes.
enum class Form3Control { MaskEdit1, MaskEdit2, Button6, Button8 };

// The keys the bound fields react to.
enum class Form3Key { Enter, Other };

class Form3Ui {
 public:
  virtual ~Form3Ui() = default;

  // A modal information box with one OK button; returns when it is closed.
  virtual void messageBox(const std::string& text) = 0;
  // A modal question with "Да" and "Нет" ("Нет" the default); true for "Да".
  virtual bool question(const std::string& text) = 0;
  // The window's status line: what the last store operation did; empty to clear it.
  virtual void setStatus(const std::string& text) = 0;
  virtual void setLabel6(const std::string& text) = 0;
  virtual void setFocus(Form3Control control) = 0;
  virtual void setEnabled(Form3Control control, bool enabled) = 0;
  // ListBox1 ("К инициализации") and ListBox2 show exactly these items, in this order.
  virtual void showListBox1(const std::vector<std::string>& items) = 0;
  virtual void showListBox2(const std::vector<std::string>& items) = 0;

  // Selected positions, -1 when nothing is selected.
  virtual int comboBox1Index() = 0;
  virtual int listBox1Index() = 0;
  virtual int listBox2Index() = 0;
  virtual std::string maskEdit1Text() = 0;
  virtual std::string maskEdit2Text() = 0;

  // Shows the main window TForm1 modally; returns when it is closed.
  virtual void showMainWindow() = 0;
  // Closes this window, which ends the program.
  virtual void close() = 0;
};

class TForm3 {
 public:
  TForm3(Form3Ui& ui, SerialStore& store, std::string programPath);

  void FormActivate();
  void ComboBox1Change();
  void MaskEdit1KeyDown(Form3Key key);
  void MaskEdit2KeyDown(Form3Key key);
  void Button8Click();  // generate the interval
  void Button1Click();  // ">"
  void Button2Click();  // ">>"
  void Button3Click();  // "<"
  void Button4Click();  // "<<"
  void Button5Click();  // "Очистить"
  void Button9Click();  // "Сохранить"
  void Button6Click();  // "Продолжить": the main window
  void Button7Click();  // "Завершить"

  // The lists for the main window's serial-number selector and the confirmation dialog.
  SerialBook& book() { return book_; }

 private:
  void start();
  void generateInterval();
  void checkBoundsOnEnter();
  void showLists();
  void setButton6(bool enabled);
  void reportStoreError(std::string_view what, const StoreError& error);

  Form3Ui& ui_;
  SerialBook book_;
  std::string programPath_;
  std::string prefix_;  // of the chosen printer type; empty while none is chosen
  bool activated_ = false;
};

}  // namespace tallowick
