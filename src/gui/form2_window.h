// TForm2, the date-and-time step dialog of the initialisation: "Продолжить инициализацию"
// or "Завершить программу". Its answer is kept by the Qt-free TForm2.
#pragma once

#include <QDialog>
#include <memory>

#include "initforms/form2.h"

class QLabel;
class QPushButton;

namespace tallowick::gui {

class DialogService;

class TForm2 final : public QDialog {
  Q_OBJECT

 public:
  explicit TForm2(DialogService& dialogs, QWidget* parent = nullptr);
  ~TForm2() override;

  // Shows the dialog modally; returns its answer (TForm2::kContinue or kEndProgram).
  std::int32_t showModal();
  std::int32_t answer() const { return logic_->answer(); }

 public Q_SLOTS:
  void FormActivate();
  void Button2Click();
  void Button1Click();

 protected:
  void showEvent(QShowEvent* event) override;
  // The close box and Escape end the program too, so they ask first ("Нет" the default).
  void reject() override;

 private:
  class Seam;
  DialogService& dialogs_;
  std::unique_ptr<Seam> seam_;
  std::unique_ptr<tallowick::TForm2> logic_;

  QLabel* Label1 = nullptr;
  QPushButton* Button2 = nullptr;
  QPushButton* Button1 = nullptr;
};

}  // namespace tallowick::gui
