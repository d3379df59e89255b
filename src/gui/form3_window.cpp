#include "gui/form3_window.h"

#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

#include "gui/line_dialog.h"
#include "gui/widgets.h"
#include "initforms/serial_numbers.h"
#include "initforms/texts.h"
#include "line/station.h"

namespace tallowick::gui {
namespace {

int selectedRow(const QListWidget* list) {
  const QList<QListWidgetItem*> selected = list->selectedItems();
  return selected.isEmpty() ? -1 : list->row(selected.first());
}

// The whole list in one insertion: item by item, the view would lay itself out again for
// each of up to 100 000 numbers. With uniform item sizes the first row's height is every
// row's height.
void fill(QListWidget* list, const std::vector<std::string>& items) {
  list->setUpdatesEnabled(false);
  list->clear();
  QStringList labels;
  labels.reserve(static_cast<qsizetype>(items.size()));
  for (const std::string& item : items)
    labels << shown(item);
  list->addItems(labels);
  if (list->count() > 0) list->item(0)->setSizeHint(QSize(0, TForm3::kRowHeight));
  list->setUpdatesEnabled(true);
}

}  // namespace

class TForm3::Seam final : public Form3Ui {
 public:
  Seam(TForm3& w, DialogService& dialogs, std::function<void()> showMainWindow,
       std::function<void()> endProgram)
      : w_(w),
        dialogs_(dialogs),
        showMainWindow_(std::move(showMainWindow)),
        endProgram_(std::move(endProgram)) {}

  void messageBox(const std::string& text) override { dialogs_.messageBox(&w_, shown(text)); }
  bool question(const std::string& text) override { return dialogs_.question(&w_, shown(text)); }
  void setStatus(const std::string& text) override { w_.StatusLabel->setText(shown(text)); }
  void setLabel6(const std::string& text) override { w_.Label6->setText(shown(text)); }
  void setFocus(Form3Control control) override { widget(control)->setFocus(); }
  void setEnabled(Form3Control control, bool enabled) override {
    widget(control)->setEnabled(enabled);
  }
  void showListBox1(const std::vector<std::string>& items) override { fill(w_.ListBox1, items); }
  void showListBox2(const std::vector<std::string>& items) override { fill(w_.ListBox2, items); }
  int comboBox1Index() override { return w_.ComboBox1->currentIndex(); }
  int listBox1Index() override { return selectedRow(w_.ListBox1); }
  int listBox2Index() override { return selectedRow(w_.ListBox2); }
  std::string maskEdit1Text() override { return u8(w_.MaskEdit1->text()); }
  std::string maskEdit2Text() override { return u8(w_.MaskEdit2->text()); }
  void showMainWindow() override {
    if (showMainWindow_) showMainWindow_();
  }
  void close() override {
    w_.done(QDialog::Accepted);
    if (endProgram_) endProgram_();
  }

 private:
  QWidget* widget(Form3Control control) {
    switch (control) {
      case Form3Control::MaskEdit1:
        return w_.MaskEdit1;
      case Form3Control::MaskEdit2:
        return w_.MaskEdit2;
      case Form3Control::Button6:
        return w_.Button6;
      case Form3Control::Button8:
        return w_.Button8;
    }
    return w_.Button6;
  }

  TForm3& w_;
  DialogService& dialogs_;
  std::function<void()> showMainWindow_;
  std::function<void()> endProgram_;
};

TForm3::TForm3(SerialStore& store, std::string programPath, DialogService& dialogs,
               std::function<void()> showMainWindow, std::function<void()> endProgram)
    : seam_(
          std::make_unique<Seam>(*this, dialogs, std::move(showMainWindow), std::move(endProgram))),
      logic_(std::make_unique<tallowick::TForm3>(*seam_, store, std::move(programPath))) {
  setObjectName(QStringLiteral("TForm3"));
  // A tool window without border icons.
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setFont(windowFont());
  setFixedSize(kClientWidth, kClientHeight);
  setWindowTitle(shown(texts::kForm3Caption));

  GroupBox1 = place<QGroupBox>(this, "GroupBox1", 8, 8, 444, 188);
  GroupBox1->setTitle(shown(texts::kGroupBox1));
  label(GroupBox1, "Label3", 16, 24, texts::kLabel3);
  ComboBox1 = place<QComboBox>(GroupBox1, "ComboBox1", 16, 42, 249);
  for (const PrinterType& type : kPrinterTypes)
    ComboBox1->addItem(shown(type.item));
  ComboBox1->setCurrentIndex(-1);
  Label6 = place<QLabel>(GroupBox1, "Label6", 280, 44, 150, 20);
  QFont bold = Label6->font();
  bold.setPointSize(10);
  bold.setBold(true);
  Label6->setFont(bold);
  Label6->setText(shown(texts::kLabel6Initial));

  label(GroupBox1, "Label4", 16, 76, texts::kLabel4);
  MaskEdit1 = place<QLineEdit>(GroupBox1, "MaskEdit1", 16, 94, 65, 21);
  label(GroupBox1, "Label5", 16, 124, texts::kLabel5);
  MaskEdit2 = place<QLineEdit>(GroupBox1, "MaskEdit2", 16, 142, 65, 21);
  for (QLineEdit* edit : {MaskEdit1, MaskEdit2}) {
    edit->setInputMask(QStringLiteral("00000"));  // five mandatory digits
    edit->setText(shown(texts::kBoundInitial));
    edit->installEventFilter(this);
  }
  Button8 = place<QPushButton>(GroupBox1, "Button8", 352, 150, 75, 25);
  Button8->setText(shown(texts::kButton8));
  Button8->setEnabled(false);
  // In the free space above Button8, so that no control of the window moves for it.
  LineButton = place<QPushButton>(GroupBox1, "LineButton", 352, 118, 75, 25);
  LineButton->setText(qs(Text::tr("Линия...")));
  LineButton->setToolTip(
      qs(Text::tr("База линии: подключение, имя станции и запас номеров этого компьютера")));

  GroupBox2 = place<QGroupBox>(this, "GroupBox2", 8, 204, 444, 276);
  GroupBox2->setTitle(shown(texts::kGroupBox2));
  label(GroupBox2, "Label1", 16, 22, texts::kLabel1);
  ListBox1 = place<QListWidget>(GroupBox2, "ListBox1", 16, 40, 169, 222);
  label(GroupBox2, "Label2", 259, 22, texts::kLabel2);
  ListBox2 = place<QListWidget>(GroupBox2, "ListBox2", 259, 40, 169, 222);
  for (QListWidget* list : {ListBox1, ListBox2}) {
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setUniformItemSizes(true);
  }
  struct Mover {
    QPushButton** button;
    const char* name;
    std::string_view caption;
    int top;
  };
  for (const Mover& m : {Mover{&Button1, "Button1", texts::kButton1, 76},
                         Mover{&Button2, "Button2", texts::kButton2, 108},
                         Mover{&Button3, "Button3", texts::kButton3, 164},
                         Mover{&Button4, "Button4", texts::kButton4, 196}}) {
    *m.button = place<QPushButton>(GroupBox2, m.name, 197, m.top, 50, 25);
    (*m.button)->setText(shown(m.caption));
  }

  Button5 = place<QPushButton>(this, "Button5", 8, 490, 75, 25);
  Button5->setText(shown(texts::kButton5));
  Button9 = place<QPushButton>(this, "Button9", 91, 490, 75, 25);
  Button9->setText(shown(texts::kButton9));
  Button6 = place<QPushButton>(this, "Button6", 294, 490, 75, 25);
  Button6->setText(shown(texts::kButton6));
  Button6->setEnabled(false);
  Button7 = place<QPushButton>(this, "Button7", 377, 490, 75, 25);
  Button7->setText(shown(texts::kButton7));
  StatusLabel = place<QLabel>(this, "StatusLabel", 172, 490, 118, 25);
  StatusLabel->setAlignment(Qt::AlignCenter);

  for (QPushButton* b : {Button8, Button1, Button2, Button3, Button4, Button5, Button9, Button6,
                         Button7, LineButton}) {
    b->setAutoDefault(false);
  }
  connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TForm3::ComboBox1Change);
  connect(Button8, &QPushButton::clicked, this, &TForm3::Button8Click);
  connect(Button1, &QPushButton::clicked, this, &TForm3::Button1Click);
  connect(Button2, &QPushButton::clicked, this, &TForm3::Button2Click);
  connect(Button3, &QPushButton::clicked, this, &TForm3::Button3Click);
  connect(Button4, &QPushButton::clicked, this, &TForm3::Button4Click);
  connect(Button5, &QPushButton::clicked, this, &TForm3::Button5Click);
  connect(Button9, &QPushButton::clicked, this, &TForm3::Button9Click);
  connect(Button6, &QPushButton::clicked, this, &TForm3::Button6Click);
  connect(Button7, &QPushButton::clicked, this, &TForm3::Button7Click);
  connect(LineButton, &QPushButton::clicked, this, &TForm3::LineButtonClick);

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

TForm3::~TForm3() = default;

void TForm3::showBook() {
  if (!station_) {
    fill(ListBox1, logic_->book().shouldInit());
    fill(ListBox2, logic_->book().alreadyInit());
    return;
  }
  // The line's lists; while it is away, the numbers of the station's own block.
  auto lists = station_->lists();
  fill(ListBox1, lists ? lists.value().toInitialise : std::vector<std::string>());
  fill(ListBox2, lists ? lists.value().initialised : std::vector<std::string>());
  const line::LineState state = station_->state();
  QString text = shown(line::stateText(state));
  if (!state.reachable) text += qs(Text::tr(". Номера — из запаса станции."));
  if (!lists) text += "\n" + shown(lists.error().message);
  LineLabel->setText(text);
  LineLabel->setToolTip(shown(state.problem));
  setFontColour(LineLabel,
                state.reachable && lists ? palette().color(QPalette::WindowText) : QColor(Qt::red));
}

void TForm3::joinLine(line::Station& station) {
  station_ = &station;
  LineLabel = place<QLabel>(GroupBox1, "LineLabel", 96, 140, 250, 40);
  LineLabel->setWordWrap(true);
  LineLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  LineLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  // The line's book is managed by its administrator, from the command line.
  const QString managed = qs(
      Text::tr("На линии книгой номеров управляет администратор линии: tallowick-cli book и db."));
  for (QWidget* w :
       std::initializer_list<QWidget*>{ComboBox1, MaskEdit1, MaskEdit2, Button8, Button1, Button2,
                                       Button3, Button4, Button5, Button9}) {
    w->setEnabled(false);
    w->setToolTip(managed);
  }
}

void TForm3::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormActivate();
}

// The bound fields see a key before it changes them, as a key-down handler does.
bool TForm3::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && (watched == MaskEdit1 || watched == MaskEdit2)) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    const Form3Key which =
        key == Qt::Key_Return || key == Qt::Key_Enter ? Form3Key::Enter : Form3Key::Other;
    if (watched == MaskEdit1) {
      logic_->MaskEdit1KeyDown(which);
    } else {
      logic_->MaskEdit2KeyDown(which);
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TForm3::FormActivate() {
  logic_->FormActivate();
  if (!station_) return;
  showBook();
  // The main window works on a line whatever its book holds: a test run needs no number,
  // and an initialisation is told clearly when the line has none to give.
  Button6->setEnabled(true);
}
void TForm3::ComboBox1Change() {
  logic_->ComboBox1Change();
}
void TForm3::Button8Click() {
  logic_->Button8Click();
}
void TForm3::Button1Click() {
  logic_->Button1Click();
}
void TForm3::Button2Click() {
  logic_->Button2Click();
}
void TForm3::Button3Click() {
  logic_->Button3Click();
}
void TForm3::Button4Click() {
  logic_->Button4Click();
}
void TForm3::Button5Click() {
  logic_->Button5Click();
}
void TForm3::Button9Click() {
  logic_->Button9Click();
}
void TForm3::Button6Click() {
  logic_->Button6Click();
}
void TForm3::Button7Click() {
  logic_->Button7Click();
}
void TForm3::LineButtonClick() {
  if (!lineDialog_) lineDialog_ = new LineDialog(this);
  lineDialog_->showSettings();
}

}  // namespace tallowick::gui
