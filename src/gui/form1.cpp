#include "gui/form1.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTextCursor>
#include <QThread>
#include <QTimer>
#include <utility>

#include "gui/history_window.h"
#include "gui/input_gate.h"
#include "gui/shape.h"
#include "gui/translation.h"
#include "gui/widgets.h"
#include "initforms/form2.h"
#include "initforms/serial_book.h"
#include "line/station.h"
#include "mainform/connection.h"
#include "mainform/serial_selector.h"
#include "mainform/wall_clock.h"
#include "platform/settings.h"
#include "platform/system.h"
#include "testrun/log_file.h"

namespace tallowick::gui {

// The Ui seam of the window logic, answered by the widgets of TForm1.
class TForm1::MainWindowUi final : public Ui {
 public:
  explicit MainWindowUi(TForm1& w) : w_(w) {}

  // The run's texts are written in the language of the windows: so the log as saved, the
  // history's record and what the window shows read alike.
  void messageBox(const std::string& text) override {
    const std::string shownText = Text::tr(text);
    if (!w_.recordings_.empty()) w_.recordings_.back()->entry.noteMessage(shownText);
    w_.dialogs_.messageBox(&w_, qs(shownText));
  }
  bool question(const std::string& text) override { return w_.dialogs_.question(&w_, shown(text)); }
  void appendLog(LogId log, const std::string& line) override {
    w_.appendLine(log, Text::tr(line));
  }
  void scrollLogToEnd() override {
    QScrollBar* bar = w_.RichEdit1->verticalScrollBar();
    bar->setValue(bar->maximum());
  }
  void repaint() override { w_.repaint(); }
  // What the user did while the gate held it back runs here, in order.
  void pumpEvents() override {
    InputGate& gate = *w_.inputGate_;
    const bool closed = gate.isClosed();
    gate.open();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (closed) gate.close();
  }
  // While a command waits for the printer the window answers as at any event pump: a
  // command asked for from here is refused by the link, which keeps the one under way.
  void pumpWhileWaiting() override { pumpEvents(); }
  // The pause answers the user too, in short slices; a Stop ends it early, and the run
  // stops at its next stop check.
  void pause(std::int32_t ms) override {
    QElapsedTimer elapsed;
    elapsed.start();
    for (;;) {
      pumpEvents();
      const qint64 left = ms - elapsed.elapsed();
      if (left <= 0 || w_.state_.StopRequested) break;
      QThread::msleep(static_cast<unsigned long>(std::min<qint64>(left, 10)));
    }
  }

  void setServiceIndicator(const LabelLook& look) override {
    QFont font = w_.Label9->font();
    font.setPointSize(look.pointSize);
    w_.Label9->setFont(font);
    setFontColour(w_.Label9, fromWindowsColour(look.colour));
    w_.Label9->setText(shown(look.text));
  }
  void setCaption(const std::string& caption) override { w_.setWindowTitle(shown(caption)); }
  void showConnected(bool connected) override {
    w_.Shape1->setBrushColour(fromWindowsColour(connected ? colour::kBrightGreen : colour::kRed));
    w_.Button2->setText(connected ? qs(Text::tr("Отключить")) : qs(Text::tr("Подключить")));
    w_.PageControl1->setEnabled(connected);
    w_.ComboBox1->setEnabled(!connected);
    w_.ComboBox3->setEnabled(!connected);
  }
  void resetPassesSelection() override { w_.ComboBox2->setCurrentIndex(0); }
  // Start stays off until a run that was stopped has ended; it comes on then.
  void setRunButtons(bool startEnabled, bool stopEnabled) override {
    startAsked_ = startEnabled;
    w_.Button3->setEnabled(startEnabled && !w_.testRunning_);
    w_.Button4->setEnabled(stopEnabled);
  }
  void runEnded() { w_.Button3->setEnabled(startAsked_); }
  std::string portName() override { return w_.chosenPort(); }
  bool withoutFiscal() override { return w_.CheckBox1->isChecked(); }

  int internalTestIndex() override { return w_.ComboBox4->currentIndex(); }
  std::string dateText() override { return u8(w_.Edit2->text()); }
  std::string timeText() override { return u8(w_.Edit3->text()); }
  void setDateTimeTexts(const std::string& date, const std::string& time) override {
    w_.Edit2->setText(qs(date));
    w_.Edit3->setText(qs(time));
  }
  SerialSelector& serialSelector() override { return *w_.links_.selector; }
  std::int32_t showForm2() override {
    return w_.links_.showForm2 ? w_.links_.showForm2() : tallowick::TForm2::kEndProgram;
  }
  void showForm4() override {
    if (w_.links_.showForm4) w_.links_.showForm4();
  }
  void terminateApplication() override {
    if (w_.links_.terminate) w_.links_.terminate();
  }

 private:
  TForm1& w_;
  bool startAsked_ = true;
};

TForm1::TForm1(CommandSet& commands, Clock& clock, DialogService& dialogs, MainWindowLinks links)
    : commands_(commands),
      clock_(clock),
      dialogs_(dialogs),
      links_(std::move(links)),
      ui_(std::make_unique<MainWindowUi>(*this)),
      session_{commands, state_, *ui_, clock, systemLocalTime, links_.numbers},
      testRun_(session_),
      initPage_(session_),
      auxiliaryPage_(session_) {
  setObjectName(QStringLiteral("TForm1"));
  // A tool window whose only border icon is the minimise button.
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowMinimizeButtonHint);
  setFont(windowFont());
  setFixedSize(kClientWidth, kClientHeight);
  setWindowTitle(shown(kMainCaption));

  Label9 = place<QLabel>(this, "Label9", 16, 24, 505, 44);
  QFont big = Label9->font();
  big.setPointSize(24);
  Label9->setFont(big);
  setFontColour(Label9, fromWindowsColour(colour::kRed));

  PageControl1 = place<QTabWidget>(this, "PageControl1", 8, 80, 521, 401);
  // Each language listed by its own name, whatever the windows speak.
  LanguageBox = place<QComboBox>(this, "LanguageBox", 448, 2, 81, 20);
  for (const WindowLanguage& language : kWindowLanguages) {
    LanguageBox->addItem(qs(language.name), qs(language.key));
  }
  LanguageBox->setCurrentIndex(std::max(0, LanguageBox->findData(qs(textLanguage()))));
  LanguageBox->setToolTip(shown(Text::own("Язык окон")));
  connect(LanguageBox, &QComboBox::activated, this, &TForm1::LanguageBoxChange);
  if (links_.stationRunner) {
    // Over the free end of the pages' tab row, so that no control of the window moves for
    // it; a child of the window, so that it is there before a printer is connected.
    Button19 = place<QPushButton>(this, "Button19", 436, 79, 93, 22);
    Button19->setText(qs(Text::tr("Несколько РРО")));
    Button19->setToolTip(qs(Text::tr("Тест нескольких регистраторов сразу")));
    Button19->setAutoDefault(false);
    connect(Button19, &QPushButton::clicked, this, &TForm1::Button19Click);
  }
  TabSheet5 = new QWidget;
  TabSheet5->setObjectName(QStringLiteral("TabSheet5"));
  TabSheet1 = new QWidget;
  TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
  TabSheet2 = new QWidget;
  TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
  PageControl1->addTab(TabSheet5, qs(Text::tr("Инициализация регистратора")));
  PageControl1->addTab(TabSheet1, qs(Text::tr("Тест РРО")));
  PageControl1->addTab(TabSheet2, qs(Text::tr("Вспомогательные функции")));
  buildInitPage(TabSheet5);
  buildTestPage(TabSheet1);
  buildAuxiliaryPage(TabSheet2);
  PageControl1->setEnabled(false);
  connect(PageControl1, &QTabWidget::currentChanged, this, &TForm1::PageControl1Change);

  buildConnectionRow();
  inputGate_ = std::make_unique<InputGate>(this, std::initializer_list<QWidget*>{Button4, Button2});
  // Whatever command waits for the printer, the window goes on answering its user, every
  // 25 ms while the printer is silent; the connect and the test run put checks of their
  // own in its place that also stop the wait.
  commands_.link().setStopCheck([this] {
    ui_->pumpWhileWaiting();
    return false;
  });
  commands_.link().setReadWait(kAnswerPeriod);
  if (links_.journal) {
    journal_ = links_.journal;
  } else {
    ownJournal_ = std::make_unique<history::Journal>(
        links_.historyFile ? links_.historyFile()
                           : platform::dataFile(platform::DataFile::History));
    journal_ = ownJournal_.get();
  }
  if (links_.station) {
    lineHistory_ = std::make_unique<line::StationHistory>(*links_.station);
    // In the free strip above Label9, so that no control of the window moves for it.
    LineLabel = place<QLabel>(this, "LineLabel", 16, 4, 428, 18);
    LineLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &TForm1::showLineState);
    timer->start(kLineStatePeriod);
    showLineState();
  }

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

TForm1::~TForm1() {
  commands_.link().setStopCheck({});
  commands_.link().setReadWait(std::chrono::milliseconds(SerialLine::kReadTimeoutMs));
}

Ui& TForm1::ui() {
  return *ui_;
}

void TForm1::buildConnectionRow() {
  ComboBox1 = place<QComboBox>(this, "ComboBox1", 8, 492, 145);
  // Any port can be typed in: a path such as a pseudo-terminal's, or COMn.
  ComboBox1->setEditable(true);
  ComboBox1->setInsertPolicy(QComboBox::NoInsert);
  ComboBox3 = place<QComboBox>(this, "ComboBox3", 168, 492, 113);
  ComboBox3->addItems(rateItems());
  Button2 = place<QPushButton>(this, "Button2", 288, 490, 75, 25);
  Button2->setText(qs(Text::tr("Подключить")));
  Shape1 = place<TShape>(this, "Shape1", 376, 492, 20, 20);
  Shape1->setBrushColour(fromWindowsColour(colour::kRed));
  Button1 = place<QPushButton>(this, "Button1", 456, 490, 75, 25);
  Button1->setText(qs(Text::tr("Закрыть")));
  // In the free space of the row, so that no control of the window moves for it.
  Button18 = place<QPushButton>(this, "Button18", 402, 490, 50, 25);
  Button18->setText(qs(Text::tr("История")));
  Button18->setToolTip(qs(Text::tr("История тестов и инициализаций")));
  // Buttons of a dialog would otherwise take Enter as a click of the default button.
  for (QPushButton* b : {Button2, Button18, Button1})
    b->setAutoDefault(false);
  connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
  connect(Button18, &QPushButton::clicked, this, &TForm1::Button18Click);
  connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
}

void TForm1::buildInitPage(QWidget* page) {
  Label5 = place<QLabel>(page, "Label5", 16, 8, 481, 40);
  Label5->setText(
      qs(Text::tr("ВНИМАНИЕ!\nПеред началом инициализации укажите дату, время и заводской номер "
                  "регистратора")));
  Memo1 = place<QPlainTextEdit>(page, "Memo1", 16, 56, 481, 209);
  Memo1->setReadOnly(true);
  QPalette dark = Memo1->palette();
  dark.setColor(QPalette::Base, fromWindowsColour(0x646464));  // the window-frame colour
  dark.setColor(QPalette::Text, Qt::white);
  Memo1->setPalette(dark);

  label(page, "Label3", 16, 284, Text::own("Дата (DDMMYY): "));
  Edit2 = place<QLineEdit>(page, "Edit2", 120, 280, 73, 21);
  label(page, "Label4", 16, 312, Text::own("Время (HHMM):"));
  Edit3 = place<QLineEdit>(page, "Edit3", 120, 308, 73, 21);
  Button7 = place<QPushButton>(page, "Button7", 200, 280, 129, 25);
  Button7->setText(qs(Text::tr("Обновить дату/время")));
  label(page, "Label6", 16, 340, Text::own("Заводской номер:"));
  ComboBox5 = place<QComboBox>(page, "ComboBox5", 120, 336, 145);
  ComboBox5->setEditable(true);
  ComboBox5->setInsertPolicy(QComboBox::NoInsert);

  Button9 = place<QPushButton>(page, "Button9", 336, 280, 161, 25);
  Button9->setText(qs(Text::tr("Начать инициализацию")));
  Button8 = place<QPushButton>(page, "Button8", 336, 308, 161, 25);
  Button8->setText(qs(Text::tr("Стереть фискальную память")));
  Button10 = place<QPushButton>(page, "Button10", 336, 336, 161, 25);
  Button10->setText(qs(Text::tr("Перезагрузить устройство")));
  for (QPushButton* b : {Button7, Button9, Button8, Button10})
    b->setAutoDefault(false);
  connect(Button7, &QPushButton::clicked, this, &TForm1::Button7Click);
  connect(Button8, &QPushButton::clicked, this, &TForm1::Button8Click);
  connect(Button9, &QPushButton::clicked, this, &TForm1::Button9Click);
  connect(Button10, &QPushButton::clicked, this, &TForm1::Button10Click);
}

void TForm1::buildTestPage(QWidget* page) {
  RichEdit1 = place<QPlainTextEdit>(page, "RichEdit1", 8, 8, 497, 265);
  RichEdit1->setReadOnly(true);
  RichEdit1->setLineWrapMode(QPlainTextEdit::NoWrap);
  RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

  Edit1 = place<QLineEdit>(page, "Edit1", 8, 284, 57, 21);
  Edit1->setText(QStringLiteral("1500"));
  label(page, "Label2", 72, 288, Text::own("Задержка (мс) между подтестами"));
  ComboBox2 = place<QComboBox>(page, "ComboBox2", 8, 312, 57);
  fillPasses(ComboBox2);
  label(page, "Label1", 72, 316, Text::own("циклов"));
  CheckBox1 = place<QCheckBox>(page, "CheckBox1", 8, 342, 260, 17);
  CheckBox1->setText(qs(Text::tr("Без фискальных чеков и Z-отчета")));

  Button3 = place<QPushButton>(page, "Button3", 344, 284, 75, 25);
  Button3->setText(qs(Text::tr("Старт")));
  Button4 = place<QPushButton>(page, "Button4", 430, 284, 75, 25);
  Button4->setText(qs(Text::tr("Стоп")));
  Button4->setEnabled(false);
  Button6 = place<QPushButton>(page, "Button6", 344, 316, 75, 25);
  Button6->setText(qs(Text::tr("Очистить")));
  Button5 = place<QPushButton>(page, "Button5", 430, 316, 75, 25);
  Button5->setText(qs(Text::tr("Сохранить")));
  for (QPushButton* b : {Button3, Button4, Button6, Button5})
    b->setAutoDefault(false);
  connect(Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
  connect(Button4, &QPushButton::clicked, this, &TForm1::Button4Click);
  connect(Button5, &QPushButton::clicked, this, &TForm1::Button5Click);
  // Beside "Без фискальных чеков и Z-отчета", where no control is: where the log was saved.
  SavedLabel = place<QLabel>(page, "SavedLabel", 272, 343, 233, 17);
  SavedLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  connect(Button6, &QPushButton::clicked, this, &TForm1::Button6Click);
}

void TForm1::buildAuxiliaryPage(QWidget* page) {
  struct Entry {
    QPushButton** button;
    const char* name;
    const char* caption;
  };
  const Entry left[] = {
      {&Button11, "Button11", Text::own("Z-отчет")},
      {&Button12, "Button12", Text::own("X-отчет")},
      {&Button13, "Button13", Text::own("Аннулировать чек")},
      {&Button14, "Button14", Text::own("Перезагрузить устройство")},
      {&Button16, "Button16", Text::own("Открыть денежный ящик")},
      {&Button17, "Button17", Text::own("Установить налоги")},
  };
  int top = 16;
  for (const Entry& e : left) {
    *e.button = place<QPushButton>(page, e.name, 16, top, 169, 25);
    (*e.button)->setText(shown(e.caption));
    (*e.button)->setAutoDefault(false);
    top += 32;
  }
  Button15 = place<QPushButton>(page, "Button15", 216, 16, 169, 25);
  Button15->setText(qs(Text::tr("Выполнить внутренний тест")));
  Button15->setAutoDefault(false);
  ComboBox4 = place<QComboBox>(page, "ComboBox4", 216, 48, 201);
  ComboBox4->addItems({qs(Text::tr("0. Техническая информация")),
                       qs(Text::tr("1. Статус фискального блока")),
                       qs(Text::tr("2. Полный тест"))});
  ComboBox4->setCurrentIndex(-1);

  connect(Button11, &QPushButton::clicked, this, &TForm1::Button11Click);
  connect(Button12, &QPushButton::clicked, this, &TForm1::Button12Click);
  connect(Button13, &QPushButton::clicked, this, &TForm1::Button13Click);
  connect(Button14, &QPushButton::clicked, this, &TForm1::Button14Click);
  connect(Button15, &QPushButton::clicked, this, &TForm1::Button15Click);
  connect(Button16, &QPushButton::clicked, this, &TForm1::Button16Click);
  connect(Button17, &QPushButton::clicked, this, &TForm1::Button17Click);

  Label8 = place<QLabel>(page, "Label8", 0, 330, 513, 17);
  Label8->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
  Label8->setText(shown(kVersionText));
}

void TForm1::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // Activation belongs to the showing from TForm3, not to a restore after minimising.
  if (!event->spontaneous() && !activated_) {
    activated_ = true;
    FormActivate();
  }
}

void TForm1::fillPortList() {
  ComboBox1->clear();
  if (links_.ports) {
    for (const std::string& port : links_.ports())
      ComboBox1->addItem(qs(port), qs(port));
  }
  if (links_.stablePorts) {
    for (const StablePortName& name : links_.stablePorts())
      ComboBox1->addItem(qs(name.path + " (" + name.device + ")"), qs(name.path));
  }
  // The names by id are long: the open list is as wide as they are.
  ComboBox1->view()->setMinimumWidth(ComboBox1->view()->sizeHintForColumn(0) + 24);
  ComboBox1->setCurrentIndex(0);
  if (links_.preselectedPort.empty()) return;
  const QString wanted = qs(links_.preselectedPort);
  int index = ComboBox1->findData(wanted);
  if (index < 0) index = ComboBox1->findText(wanted);
  if (index >= 0) {
    ComboBox1->setCurrentIndex(index);
  } else {
    ComboBox1->setEditText(wanted);
  }
}

std::string TForm1::chosenPort() const {
  const QString text = ComboBox1->currentText();
  const int index = ComboBox1->findText(text);
  // A listed port opens the name it stands for; an entry without one, or a typed name,
  // opens what it says.
  const QString listed = index >= 0 ? ComboBox1->itemData(index).toString() : QString();
  return u8(listed.isEmpty() ? text.trimmed() : listed);
}

void TForm1::FormActivate() {
  fillPortList();
  ComboBox3->setCurrentIndex(0);
  const LocalDateTime now = session_.wallClock();
  Edit2->setText(qs(ddmmyy(now)));
  Edit3->setText(qs(hhmm(now)));
  {
    // Opening the first page is part of the activation, not a page change of the user.
    const QSignalBlocker quiet(PageControl1);
    PageControl1->setCurrentWidget(TabSheet5);
  }
  ComboBox5->clear();
  if (links_.station) {
    // On a line, the line's "К инициализации" (the station's block while it is away).
    if (auto lists = links_.station->lists()) {
      for (const std::string& serial : lists.value().toInitialise)
        ComboBox5->addItem(qs(serial));
    }
  } else if (links_.book) {
    for (const std::string& serial : links_.book->shouldInit())
      ComboBox5->addItem(qs(serial));
  }
  ComboBox5->setCurrentIndex(0);
}

void TForm1::PageControl1Change(int index) {
  QWidget* page = PageControl1->widget(index);
  if (page == TabSheet5) initPage_.PageControl1Change(Page::TabSheet5);
  if (page == TabSheet1) initPage_.PageControl1Change(Page::TabSheet1);
  if (page == TabSheet2) initPage_.PageControl1Change(Page::TabSheet2);
}

void TForm1::Button2Click() {
  if (state_.Connected) {
    tallowick::Button2Click(session_, ComboBox3->currentIndex());
    releasePort();
    return;
  }
  // The station window's runs and this window never open one port together.
  const std::string port = chosenPort();
  if (!busyPorts_.take(port)) {
    dialogs_.messageBox(this, qs(Text::tr("Порт %1 занят окном «%2»."))
                                  .arg(qs(port), qs(Text::tr(StationWindow::kTitle))));
    return;
  }
  connectedPort_ = port;
  // The connect waits for the printer's answer: "Закрыть" meanwhile stops that wait.
  runSequence([this] {
    connecting_ = true;
    tallowick::Button2Click(session_, ComboBox3->currentIndex());
    connecting_ = false;
  });
}

void TForm1::releasePort() {
  if (state_.Connected || connectedPort_.empty()) return;
  busyPorts_.give(connectedPort_);
  connectedPort_.clear();
}

void TForm1::Button1Click() {
  if (sequencesRunning_ > 0 || stationRunning()) {
    closeDuringSequence(true);
    return;
  }
  done(QDialog::Accepted);
}

bool TForm1::closeDuringSequence(bool mayAsk) {
  if (closePending_) return true;  // asked and answered already
  if (testRunning_ || stationRunning()) {
    if (mayAsk && !dialogs_.question(this, shown(kStopAndCloseQuestion))) return false;
    // As Stop does; a Stop already pressed needs nothing more.
    if (testRunning_ && !state_.StopRequested) testRun_.Button4Click();
    if (stationRunning()) stationWindow_->stopAll(false);
  }
  // A connect has nothing to lose: its wait for the printer ends at once.
  if (connecting_) state_.StopRequested = true;
  closePending_ = true;
  return true;
}

bool TForm1::endRequested(bool mayAsk) {
  if (!sequenceRunning()) return true;
  return closeDuringSequence(mayAsk);
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (sequenceRunning()) {
    event->ignore();
    closeDuringSequence(true);
    return;
  }
  QDialog::closeEvent(event);
}

void TForm1::runSequence(const std::function<void()>& sequence) {
  ++sequencesRunning_;
  sequence();
  --sequencesRunning_;
  releasePort();
  if (sequencesRunning_ == 0 && closePending_ && !stationRunning()) {
    closePending_ = false;
    done(QDialog::Accepted);
  }
}

void TForm1::beginRecording(Recording& recording) {
  recording.entry.identify(state_);
  recordings_.push_back(&recording);
}

void TForm1::endRecording(Recording& recording) {
  std::erase(recordings_, &recording);
}

void TForm1::tellUnrecorded(const std::optional<Failure>& problem) {
  if (problem) dialogs_.messageBox(this, shown(problem->message));
}

void TForm1::Button3Click() {
  // A Start pressed at an event pump of a run, after its Stop, waits for that run to end.
  if (testRunning_) return;
  runSequence([this] {
    const std::string passes = u8(ComboBox2->currentText());
    const std::string pause = u8(Edit1->text());
    runStartedAt_ = session_.wallClock();
    const auto entry = journal_->begin(history::Kind::TestRun, chosenPort(), clock_);
    Recording recording{*entry, LogId::Test, {}};
    beginRecording(recording);
    testRun_.setStepObserver(entry->stepObserver());
    // During the run the user's input waits for the run's event pumps, so that nothing but
    // Stop and Disconnect can run while a command waits for its reply.
    testRunning_ = true;
    inputGate_->close();
    const RunOutcome outcome = testRun_.Button3Click(passes, pause);
    inputGate_->open();
    testRunning_ = false;
    ui_->runEnded();
    testRun_.setStepObserver({});
    endRecording(recording);
    tellUnrecorded(entry->endTestRun(outcome, passes, pause, std::move(recording.lines)));
  });
}

void TForm1::Button4Click() {
  testRun_.Button4Click();
}

void TForm1::Button7Click() {
  initPage_.Button7Click();
}
void TForm1::Button8Click() {
  initPage_.Button8Click();
}
void TForm1::Button9Click() {
  runSequence([this] {
    // The number as it was entered: the confirmation afterwards takes it off the list.
    const std::string serial = ui_->serialSelector().text();
    const auto entry = journal_->begin(history::Kind::Initialisation, chosenPort(), clock_);
    Recording recording{*entry, LogId::Init, {}};
    beginRecording(recording);
    const InitEnd end = initPage_.Button9Click();
    endRecording(recording);
    tellUnrecorded(entry->endInitialisation(end, serial, std::move(recording.lines)));
  });
}
void TForm1::Button10Click() {
  initPage_.Button10Click();
}

void TForm1::Button11Click() {
  runSequence([this] { auxiliaryPage_.Button11Click(); });
}
void TForm1::Button12Click() {
  auxiliaryPage_.Button12Click();
}
void TForm1::Button13Click() {
  auxiliaryPage_.Button13Click();
}
void TForm1::Button14Click() {
  auxiliaryPage_.Button14Click();
}
void TForm1::Button15Click() {
  auxiliaryPage_.Button15Click();
}
void TForm1::Button16Click() {
  auxiliaryPage_.Button16Click();
}
void TForm1::Button17Click() {
  auxiliaryPage_.Button17Click();
}

void TForm1::Button18Click() {
  if (!historyWindow_) {
    historyWindow_ = std::make_unique<HistoryWindow>(*journal_, dialogs_, this, lineHistory_.get());
  }
  historyWindow_->showList();
}

void TForm1::LanguageBoxChange(int index) {
  const std::string key = u8(LanguageBox->itemData(index).toString());
  if (!links_.settings) return;
  if (const auto kept = links_.settings->set(setting::kLanguage, key); !kept) {
    dialogs_.messageBox(this, shown(kept.error().message));
    return;
  }
  dialogs_.messageBox(
      this, key == textLanguage()
                ? shown(Text::own("Окна останутся на этом языке."))
                : shown(Text::own("Язык окон сменится при следующем запуске программы.")));
}

void TForm1::Button19Click() {
  if (!stationWindow_) {
    StationLinks links{.ports = links_.ports,
                       .runner = links_.stationRunner(*journal_),
                       .initialisedNumbers = [this] { return initialisedNumbers(); },
                       .settings = links_.settings,
                       .busy = &busyPorts_};
    stationWindow_ = std::make_unique<StationWindow>(std::move(links), dialogs_, this);
    // "Закрыть" asked while the station's runs went on closes once they have ended.
    connect(stationWindow_.get(), &StationWindow::runsEnded, this, [this] {
      if (closePending_ && sequencesRunning_ == 0) {
        closePending_ = false;
        done(QDialog::Accepted);
      }
    });
  }
  stationWindow_->showPorts();
}

bool TForm1::stationRunning() const {
  return stationWindow_ && stationWindow_->running();
}

StoreResult<std::vector<std::string>> TForm1::initialisedNumbers() {
  if (links_.station) {
    auto lists = links_.station->lists();
    if (!lists) return lists.error();
    return std::move(lists.value().initialised);
  }
  if (!links_.book) return std::vector<std::string>{};
  return links_.book->alreadyInit();
}

void TForm1::showLineState() {
  const line::LineState state = links_.station->state();
  LineLabel->setText(shown(line::stateText(state)));
  LineLabel->setToolTip(shown(state.problem));
  setFontColour(LineLabel, state.reachable && state.conflicts.empty()
                               ? palette().color(QPalette::WindowText)
                               : fromWindowsColour(colour::kRed));
}

void TForm1::Button6Click() {
  testLog_.clear();
  testLines_ = 0;
  RichEdit1->clear();
}

void TForm1::Button5Click() {
  // Named as the command line and the station window name a run's log: port, model and the
  // start of the run.
  const std::string stem = runFileStem(portFileNames({chosenPort()}).front(), state_.DeviceModel,
                                       runStartedAt_ ? *runStartedAt_ : session_.wallClock());
  const auto file = dialogs_.saveFileName(this, shown(kSaveFilter), qs(stem + ".log"));
  if (!file) return;
  if (const auto problem = writeLogFile(file->toStdString(), testLog_)) {
    dialogs_.messageBox(this, shown(problem->message));
    return;
  }
  const QString where = QDir::toNativeSeparators(QFileInfo(*file).absoluteFilePath());
  SavedLabel->setText(SavedLabel->fontMetrics().elidedText(qs(Text::tr("Сохранен: %1")).arg(where),
                                                           Qt::ElideMiddle, SavedLabel->width()));
  SavedLabel->setToolTip(where);
}

// Lines are added by hand rather than with appendPlainText, which would put a line into
// the first block when that block holds an empty line, and so lose the empty line.
void TForm1::appendLine(LogId log, const std::string& line) {
  QPlainTextEdit* edit = log == LogId::Test ? RichEdit1 : Memo1;
  int& lines = log == LogId::Test ? testLines_ : memoLines_;
  if (log == LogId::Test) testLog_.push_back(line);
  for (Recording* recording : recordings_) {
    if (recording->log == log) recording->lines.push_back(line);
  }
  QScrollBar* bar = edit->verticalScrollBar();
  const bool atEnd = bar->value() >= bar->maximum();
  QTextCursor cursor(edit->document());
  cursor.movePosition(QTextCursor::End);
  if (lines > 0) cursor.insertBlock();
  cursor.insertText(qs(line));
  ++lines;
  if (atEnd) bar->setValue(bar->maximum());
}

}  // namespace tallowick::gui
