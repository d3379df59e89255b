// TForm3, the serial-number interval manager: the program's first and main window. It
// owns the book of serial numbers (through the Qt-free TForm3) and opens the main window.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>

#include "gui/dialog_service.h"
#include "initforms/form3.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tallowick::line {
class Station;
}

namespace tallowick::gui {

class LineDialog;

class TForm3 final : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 460;
  static constexpr int kClientHeight = 525;
  // The row height of the two lists.
  static constexpr int kRowHeight = 14;

  // `showMainWindow` shows TForm1 modally; `endProgram` ends the program once this
  // window has closed.
  TForm3(SerialStore& store, std::string programPath, DialogService& dialogs,
         std::function<void()> showMainWindow, std::function<void()> endProgram);
  ~TForm3() override;

  SerialBook& book() { return logic_->book(); }
  // Shows the book's lists again (after the confirmation dialog changed them).
  void showBook();
  // The station is on a line: the lists are the line's, with whether it is reachable, and
  // the controls that change the station's own book are disabled.
  void joinLine(line::Station& station);
  // The dialog "База линии", once LineButton has opened it.
  LineDialog* lineDialog() const { return lineDialog_; }

 public Q_SLOTS:
  void FormActivate();
  void ComboBox1Change();
  void Button8Click();
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void Button4Click();
  void Button5Click();
  void Button9Click();
  void Button6Click();
  void Button7Click();
  void LineButtonClick();

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  // No border icons: the window is left with "Завершить" or "Продолжить".
  void reject() override {}

 private:
  class Seam;
  friend class Seam;

  std::unique_ptr<Seam> seam_;
  std::unique_ptr<tallowick::TForm3> logic_;
  line::Station* station_ = nullptr;
  LineDialog* lineDialog_ = nullptr;

  QGroupBox* GroupBox1 = nullptr;
  QComboBox* ComboBox1 = nullptr;
  QLabel* Label6 = nullptr;
  QLineEdit* MaskEdit1 = nullptr;
  QLineEdit* MaskEdit2 = nullptr;
  QPushButton* Button8 = nullptr;
  QGroupBox* GroupBox2 = nullptr;
  QListWidget* ListBox1 = nullptr;
  QListWidget* ListBox2 = nullptr;
  QPushButton* Button1 = nullptr;
  QPushButton* Button2 = nullptr;
  QPushButton* Button3 = nullptr;
  QPushButton* Button4 = nullptr;
  QPushButton* Button5 = nullptr;
  QPushButton* Button9 = nullptr;
  QPushButton* Button6 = nullptr;
  QPushButton* Button7 = nullptr;
  // What the last "Сохранить" or "Очистить" did, between the two button pairs.
  QLabel* StatusLabel = nullptr;
  // The dialog "База линии", in the free space of GroupBox1.
  QPushButton* LineButton = nullptr;
  // Whether the line is reachable, on a line only.
  QLabel* LineLabel = nullptr;
};

}  // namespace tallowick::gui
