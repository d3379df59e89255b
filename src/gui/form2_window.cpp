#include "gui/form2_window.h"

#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

#include "gui/dialog_service.h"
#include "gui/widgets.h"
#include "initforms/texts.h"

namespace tallowick::gui {

class TForm2::Seam final : public Form2Ui {
 public:
  explicit Seam(TForm2& w) : w_(w) {}
  void close() override { w_.done(QDialog::Accepted); }

 private:
  TForm2& w_;
};

TForm2::TForm2(DialogService& dialogs, QWidget* parent)
    : QDialog(parent),
      dialogs_(dialogs),
      seam_(std::make_unique<Seam>(*this)),
      logic_(std::make_unique<tallowick::TForm2>(*seam_)) {
  setObjectName(QStringLiteral("TForm2"));
  // A tool window with a close box; closing it answers "end the program".
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setFont(windowFont());
  setFixedSize(467, 99);
  setWindowTitle(shown(texts::kForm2Caption));

  Label1 = place<QLabel>(this, "Label1", 16, 12, 440, 40);
  Label1->setText(shown(texts::kForm2Label1));
  Button2 = place<QPushButton>(this, "Button2", 152, 64, 161, 25);
  Button2->setText(shown(texts::kForm2Button2));
  Button1 = place<QPushButton>(this, "Button1", 320, 64, 139, 25);
  Button1->setText(shown(texts::kForm2Button1));
  for (QPushButton* b : {Button2, Button1})
    b->setAutoDefault(false);
  connect(Button2, &QPushButton::clicked, this, &TForm2::Button2Click);
  connect(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
}

TForm2::~TForm2() = default;

std::int32_t TForm2::showModal() {
  exec();
  return logic_->answer();
}

void TForm2::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormActivate();
}

void TForm2::reject() {
  if (!dialogs_.question(this, shown(texts::kForm2CloseQuestion))) return;
  QDialog::reject();
}

void TForm2::FormActivate() {
  logic_->FormActivate();
}
void TForm2::Button2Click() {
  logic_->Button2Click();
}
void TForm2::Button1Click() {
  logic_->Button1Click();
}

}  // namespace tallowick::gui
