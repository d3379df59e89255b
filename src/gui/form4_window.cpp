#include "gui/form4_window.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

#include "gui/widgets.h"
#include "initforms/texts.h"

namespace tallowick::gui {

std::string ComboBoxSelector::text() {
  return combo_ ? u8(combo_->currentText()) : std::string();
}

void ComboBoxSelector::setText(const std::string& text) {
  if (combo_) combo_->setEditText(qs(text));
}

int ComboBoxSelector::selectedIndex() {
  if (!combo_) return -1;
  const int index = combo_->currentIndex();
  if (index < 0 || combo_->itemText(index) != combo_->currentText()) return -1;
  return index;
}

std::vector<std::string> ComboBoxSelector::items() {
  std::vector<std::string> out;
  if (!combo_) return out;
  for (int i = 0; i < combo_->count(); ++i)
    out.push_back(u8(combo_->itemText(i)));
  return out;
}

void ComboBoxSelector::removeItem(int index) {
  if (combo_) combo_->removeItem(index);
}

class TForm4::Seam final : public Form4Ui {
 public:
  Seam(TForm4& w, DialogService& dialogs) : w_(w), dialogs_(dialogs) {}
  void setLabel2(const std::string& text) override { w_.Label2->setText(shown(text)); }
  void messageBox(const std::string& text) override { dialogs_.messageBox(&w_, shown(text)); }
  void close() override { w_.done(QDialog::Accepted); }

 private:
  TForm4& w_;
  DialogService& dialogs_;
};

TForm4::TForm4(SerialSelector& selector, NumberKeeper& numbers, DialogService& dialogs,
               QWidget* parent)
    : QDialog(parent),
      seam_(std::make_unique<Seam>(*this, dialogs)),
      logic_(std::make_unique<tallowick::TForm4>(*seam_, selector, numbers)) {
  setObjectName(QStringLiteral("TForm4"));
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setFont(windowFont());
  setFixedSize(472, 140);
  setWindowTitle(shown(texts::kForm4Caption));

  Label1 = place<QLabel>(this, "Label1", 16, 16, 440, 28);
  QFont large = Label1->font();
  large.setPointSize(14);
  Label1->setFont(large);
  Label1->setText(shown(texts::kForm4Label1));

  Label2 = place<QLabel>(this, "Label2", 16, 56, 440, 28);
  QFont serial = Label2->font();
  serial.setPointSize(12);
  serial.setBold(true);
  Label2->setFont(serial);
  setFontColour(Label2, Qt::red);

  Button1 = place<QPushButton>(this, "Button1", 16, 104, 121, 25);
  Button1->setText(shown(texts::kForm4Button1));
  Button2 = place<QPushButton>(this, "Button2", 368, 104, 91, 25);
  Button2->setText(shown(texts::kForm4Button2));
  for (QPushButton* b : {Button1, Button2})
    b->setAutoDefault(false);
  connect(Button1, &QPushButton::clicked, this, &TForm4::Button1Click);
  connect(Button2, &QPushButton::clicked, this, &TForm4::Button2Click);
}

TForm4::~TForm4() = default;

void TForm4::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormActivate();
}

void TForm4::FormActivate() {
  logic_->FormActivate();
}
void TForm4::Button2Click() {
  logic_->Button2Click();
}
void TForm4::Button1Click() {
  logic_->Button1Click();
}

}  // namespace tallowick::gui
