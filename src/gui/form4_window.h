// TForm4, the serial-number confirmation at the end of an initialisation: "Правильный"
// moves the number to "Инициализация уже выполнена" through the Qt-free TForm4.
#pragma once

#include <QDialog>
#include <memory>

#include "gui/dialog_service.h"
#include "mainform/form4.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace tallowick::gui {

// The main window's ComboBox5 as the confirmation sees it. The dialog is made before the
// main window, so the selector is attached once the main window exists.
class ComboBoxSelector final : public SerialSelector {
 public:
  void attach(QComboBox* combo) { combo_ = combo; }

  std::string text() override;
  void setText(const std::string& text) override;
  // The selected item; -1 when the text shown is not that item's (the user typed it).
  int selectedIndex() override;
  std::vector<std::string> items() override;
  void removeItem(int index) override;

 private:
  QComboBox* combo_ = nullptr;
};

class TForm4 final : public QDialog {
  Q_OBJECT

 public:
  TForm4(SerialSelector& selector, NumberKeeper& numbers, DialogService& dialogs,
         QWidget* parent = nullptr);
  ~TForm4() override;

  void showModal() { exec(); }

 public Q_SLOTS:
  void FormActivate();
  void Button2Click();
  void Button1Click();

 protected:
  void showEvent(QShowEvent* event) override;
  // No close box, and Escape does not close it: one of the two buttons answers.
  void reject() override {}

 private:
  class Seam;
  std::unique_ptr<Seam> seam_;
  std::unique_ptr<tallowick::TForm4> logic_;

  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QPushButton* Button1 = nullptr;
  QPushButton* Button2 = nullptr;
};

}  // namespace tallowick::gui
