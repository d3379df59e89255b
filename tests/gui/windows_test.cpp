// The windows as a user meets them: start-up order and modality, captions, items, initial
// and enabled states, colours and sizes, and the wiring of the connection row and the test
// page to the logic, against the built-in virtual printer.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include "gui/program.h"
#include "gui/shape.h"
#include "gui/widgets.h"
#include "initforms/memory_serial_store.h"
#include "initforms/serial_book.h"
#include "sim/fault_plan.h"
#include "window_testing.h"

using tallowick::MemorySerialStore;
using tallowick::VirtualClock;
namespace gui = tallowick::gui;
using gui::DialogService;
using gui::fontColour;
using gui::Program;
using gui::ProgramOptions;
using gui::TShape;
using TForm1 = gui::TForm1;
using TForm2 = gui::TForm2;
using TForm3 = gui::TForm3;
using TForm4 = gui::TForm4;

namespace {

using tallowick::gui::testing::find;
using tallowick::gui::testing::items;
using tallowick::gui::testing::RecordingDialogs;

bool hasFlag(const QWidget* w, Qt::WindowType flag) {
  return (w->windowFlags() & flag) == flag;
}

// A program on a memory store (or, adjusted with `platformStore`, on the store the desktop
// tool uses: the registry on Windows, the file TALLOWICK_REGISTRY names elsewhere), with
// the built-in printer listed as "sim".
struct Fixture {
  // The computer's own ports are left out unless `machinePorts`, so that the lists do not
  // depend on the machine.
  explicit Fixture(std::string model = "", bool machinePorts = false,
                   VirtualClock* virtualClock = nullptr,
                   const std::function<void(ProgramOptions&)>& adjust = {}) {
    ProgramOptions options;
    auto memory = std::make_unique<MemorySerialStore>();
    store = memory.get();
    options.store = std::move(memory);
    options.simulatedModel = std::move(model);
    options.programPath = "/opt/tallowick/tallowick";
    options.dialogs = &dialogs;
    options.clock = virtualClock;
    options.endProgram = [this] { ++programEnds; };
    if (!machinePorts) options.platformPorts = [] { return std::vector<std::string>{}; };
    if (adjust) adjust(options);
    if (!options.store) store = nullptr;
    program = std::make_unique<Program>(std::move(options));
  }

  TForm1& form1() { return program->form1(); }
  // TForm1 as it is after "Продолжить", without its modal loop.
  TForm1& shownForm1() {
    form1().show();
    return form1();
  }
  void connect() { find<QPushButton>(&shownForm1(), "Button2")->click(); }

  RecordingDialogs dialogs;
  MemorySerialStore* store = nullptr;
  int programEnds = 0;
  std::unique_ptr<Program> program;
};

// The adjustment that leaves the program its platform's own store of the book.
void platformStore(ProgramOptions& options) {
  options.store.reset();
}

const QString kCaption = QStringLiteral("Тест регистратора расчетных операций");

}  // namespace

class WindowsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  // Every run of these tests is recorded: never into the user's own history.
  void initTestCase() {
    QVERIFY(history_.isValid());
    qputenv("TALLOWICK_HISTORY", history_.filePath("history.sqlite3").toUtf8());
  }
  void startUpCreatesFourWindowsAndShowsOnlyTForm3();
  void windowBordersAndSizes();
  void tform3TextsAndInitialStates();
  void tform3BuildsAnIntervalAndOpensTheMainWindowModally();
  void tform1TextsItemsAndInitialStates();
  void tform1ActivationFillsThePortsTheDateAndTheSerialNumbers();
  void connectingToTheSimulatedPrinterNamesItsModel();
  void connectingToAnotherModelNamesThatModel();
  void aPortThatDoesNotOpenSaysWhyBelowTheMessage();
  void startRunsAShortTestAndTheLogFills();
  void stopDuringARunEndsItAtTheNextStopCheck();
  void closeDuringARunAsksAndStopsTheRunFirst();
  void logoutDuringARunStopsItAndCloses();
  void eraseAndClearAskFirst();
  void thePortListOffersStableNamesAndTakesAnyPort();
  void aPseudoTerminalOfTheVirtualPrinterWorksFromTheWindow();
  void aQuestionAnswersNoToEnterAndEscape();
  void clicksWhileACommandWaitsAreAnsweredAndStopEndsTheWait();
  void saveWritesWindows1251WithCrLf();
  void saveCancelledWritesNothing();
  void aSaveThatFailsSaysWhyAndKeepsTheOldFile();
  void clearEmptiesTheLog();
  void pageButtonsSendTheirCommands();
  void auxiliaryFunctionsReportPrinterFailuresInBoxes();
  void indicatorFollowsTheServiceMode();
  void aPrinterThatDoesNotAnswerAtConnect();
  void closeOrDisconnectEndsAConnectThatWaitsForEver();
  void theWindowAnswersWhileThePrinterIsSilentAfterItsReboot();
  void anotherPagesCommandDuringAWaitIsRefusedAndTheRunGoesOn();
  void initialisationRefusesIncompleteFieldsAndRefreshesTheDate();
  void initialisationGoesThroughTForm2AndTForm4();
  void tform2AnswersContinueOrEnd();
  void tform4ConfirmsTheNumberOfTheSelector();
  void thePlatformStoreKeepsTheBookForTheNextStart();

 private:
  QTemporaryDir history_;
};

void WindowsTest::startUpCreatesFourWindowsAndShowsOnlyTForm3() {
  Fixture f;
  QCOMPARE(f.program->creationOrder(), (QStringList{"TForm3", "TForm4", "TForm1", "TForm2"}));
  f.program->start();
  QVERIFY(QTest::qWaitForWindowExposed(&f.program->form3()));
  QVERIFY(f.program->form3().isVisible());
  QVERIFY(!f.program->form4().isVisible());
  QVERIFY(!f.program->form1().isVisible());
  QVERIFY(!f.program->form2().isVisible());
  // First run: the program is registered, both lists are empty, the way on is closed.
  QVERIFY(
      f.store->hasKey("Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Tallowick.exe"));
  QVERIFY(!find<QPushButton>(&f.program->form3(), "Button6")->isEnabled());
  QVERIFY(f.dialogs.boxes.isEmpty());
}

void WindowsTest::windowBordersAndSizes() {
  Fixture f;
  struct Expected {
    QWidget* window;
    QSize size;
    QString caption;
    bool closeBox;
    bool minimise;
  };
  const Expected windows[] = {
      {&f.program->form3(), {460, 525}, "Тест фискальных регистраторов", false, false},
      {&f.program->form1(), {540, 527}, kCaption, false, true},
      {&f.program->form2(),
       {467, 99},
       "Шаг1 (установка даты и времени) завершен успешно",
       true,
       false},
      {&f.program->form4(), {472, 140}, "Завершение инициализации", false, false},
  };
  for (const Expected& e : windows) {
    const QString name = e.window->objectName();
    QVERIFY2(hasFlag(e.window, Qt::Tool), qPrintable(name));
    QVERIFY2(hasFlag(e.window, Qt::CustomizeWindowHint), qPrintable(name));
    QCOMPARE(hasFlag(e.window, Qt::WindowCloseButtonHint), e.closeBox);
    QCOMPARE(hasFlag(e.window, Qt::WindowMinimizeButtonHint), e.minimise);
    QCOMPARE(e.window->size(), e.size);
    QCOMPARE(e.window->minimumSize(), e.size);
    QCOMPARE(e.window->maximumSize(), e.size);
    QCOMPARE(e.window->windowTitle(), e.caption);
  }
  QCOMPARE(f.form1().font().family(), QStringLiteral("MS Sans Serif"));
  QCOMPARE(f.form1().font().pointSize(), 8);
}

void WindowsTest::tform3TextsAndInitialStates() {
  Fixture f;
  TForm3& w = f.program->form3();
  QCOMPARE(find<QGroupBox>(&w, "GroupBox1")->title(),
           QStringLiteral("Подготовка нового интервала номеров:"));
  QCOMPARE(find<QGroupBox>(&w, "GroupBox2")->title(),
           QStringLiteral("Текущий выбанный интервал номеров"));
  QCOMPARE(find<QLabel>(&w, "Label3")->text(),
           QStringLiteral("Тип инициализируемого регистратора:"));
  QCOMPARE(find<QLabel>(&w, "Label4")->text(),
           QStringLiteral("Нижняя граница интервала (пять младших цифр номера):"));
  QCOMPARE(find<QLabel>(&w, "Label5")->text(),
           QStringLiteral("Верхняя граница интервала (пять младших цифр номера):"));
  QCOMPARE(find<QLabel>(&w, "Label1")->text(), QStringLiteral("К инициализации:"));
  QCOMPARE(find<QLabel>(&w, "Label2")->text(), QStringLiteral("Инициализация уже выполнена:"));
  auto* combo = find<QComboBox>(&w, "ComboBox1");
  QCOMPARE(items(combo), (QStringList{"Veltor FP-T320 Retail Украина", "Veltor FP-510T Украина",
                                      "Veltor KM-15 Украина", "Veltor FP-T320 Молдова",
                                      "Veltor FP-510T Молдова", "Veltor FP-90TT"}));
  QCOMPARE(combo->currentIndex(), -1);
  QVERIFY(!combo->isEditable());
  auto* label6 = find<QLabel>(&w, "Label6");
  QCOMPARE(label6->text(), QStringLiteral("  "));
  QVERIFY(label6->font().bold());
  QCOMPARE(label6->font().pointSize(), 10);
  for (const char* name : {"MaskEdit1", "MaskEdit2"}) {
    QCOMPARE(find<QLineEdit>(&w, name)->text(), QStringLiteral("00000"));
  }
  const std::pair<const char*, const char*> buttons[] = {
      {"Button8", "Продолжить"}, {"Button1", ">"},          {"Button2", ">>"},
      {"Button3", "<"},          {"Button4", "<<"},         {"Button5", "Очистить"},
      {"Button9", "Сохранить"},  {"Button6", "Продолжить"}, {"Button7", "Завершить"}};
  for (const auto& [name, caption] : buttons) {
    QCOMPARE(find<QPushButton>(&w, name)->text(), QString::fromUtf8(caption));
  }
  QVERIFY(!find<QPushButton>(&w, "Button8")->isEnabled());
  QVERIFY(!find<QPushButton>(&w, "Button6")->isEnabled());
  QCOMPARE(find<QListWidget>(&w, "ListBox1")->selectionMode(), QAbstractItemView::SingleSelection);
}

void WindowsTest::tform3BuildsAnIntervalAndOpensTheMainWindowModally() {
  Fixture f;
  TForm3& w = f.program->form3();
  f.program->start();
  find<QComboBox>(&w, "ComboBox1")->setCurrentIndex(1);
  QCOMPARE(find<QLabel>(&w, "Label6")->text(), QStringLiteral("ЕД800"));
  QVERIFY(find<QPushButton>(&w, "Button8")->isEnabled());
  auto* lower = find<QLineEdit>(&w, "MaskEdit1");
  auto* upper = find<QLineEdit>(&w, "MaskEdit2");
  lower->setText("12340");
  upper->setText("12342");
  // Enter in the upper bound checks both bounds; an incomplete one is refused.
  upper->setText("12");
  QTest::keyClick(upper, Qt::Key_Return);
  QCOMPARE(f.dialogs.boxes, QStringList{"Некорректные значения границ! Исправьте!"});
  f.dialogs.boxes.clear();
  upper->setText("12342");
  find<QPushButton>(&w, "Button8")->click();
  QCOMPARE(items(find<QListWidget>(&w, "ListBox1")),
           (QStringList{"ЕД80012340", "ЕД80012341", "ЕД80012342"}));
  QVERIFY(!find<QPushButton>(&w, "Button6")->isEnabled());  // until stored
  find<QPushButton>(&w, "Button9")->click();
  QVERIFY(find<QPushButton>(&w, "Button6")->isEnabled());

  // ">" moves the selected number over.
  auto* list1 = find<QListWidget>(&w, "ListBox1");
  list1->item(2)->setSelected(true);
  find<QPushButton>(&w, "Button1")->click();
  QCOMPARE(items(find<QListWidget>(&w, "ListBox2")), QStringList{"ЕД80012342"});
  QCOMPARE(list1->count(), 2);

  // "Продолжить" shows TForm1 modally over TForm3; "Закрыть" ends the program.
  bool sawModal = false;
  QStringList serials;
  QTimer::singleShot(0, [&] {
    TForm1& main = f.form1();
    sawModal = main.isVisible() && main.isModal() && QApplication::activeModalWidget() == &main;
    serials = items(find<QComboBox>(&main, "ComboBox5"));
    find<QPushButton>(&main, "Button1")->click();
  });
  find<QPushButton>(&w, "Button6")->click();
  QVERIFY(sawModal);
  QCOMPARE(serials, (QStringList{"ЕД80012340", "ЕД80012341"}));
  QVERIFY(!f.form1().isVisible());
  QVERIFY(!w.isVisible());
  QCOMPARE(f.programEnds, 1);
}

void WindowsTest::tform1TextsItemsAndInitialStates() {
  Fixture f;
  TForm1& w = f.form1();
  auto* pages = find<QTabWidget>(&w, "PageControl1");
  QVERIFY(!pages->isEnabled());
  QCOMPARE(pages->geometry(), QRect(8, 80, 521, 401));
  QCOMPARE(pages->count(), 3);
  QCOMPARE(pages->widget(0)->objectName(), QStringLiteral("TabSheet5"));
  QCOMPARE(pages->widget(1)->objectName(), QStringLiteral("TabSheet1"));
  QCOMPARE(pages->widget(2)->objectName(), QStringLiteral("TabSheet2"));
  QCOMPARE(pages->tabText(0), QStringLiteral("Инициализация регистратора"));
  QCOMPARE(pages->tabText(1), QStringLiteral("Тест РРО"));
  QCOMPARE(pages->tabText(2), QStringLiteral("Вспомогательные функции"));

  auto* label9 = find<QLabel>(&w, "Label9");
  QCOMPARE(label9->text(), QString());
  QCOMPARE(label9->font().pointSize(), 24);
  QCOMPARE(fontColour(label9), QColor(255, 0, 0));
  QCOMPARE(label9->pos(), QPoint(16, 24));

  auto* baud = find<QComboBox>(&w, "ComboBox3");
  QCOMPARE(items(baud), (QStringList{"9600 бод", "19200 бод", "57600 бод", "115200 бод"}));
  QVERIFY(!baud->isEditable());
  QVERIFY(find<QComboBox>(&w, "ComboBox1")->isEditable());  // any port can be typed in
  QCOMPARE(find<QComboBox>(&w, "ComboBox1")->geometry().topLeft(), QPoint(8, 492));
  auto* connect = find<QPushButton>(&w, "Button2");
  QCOMPARE(connect->text(), QStringLiteral("Подключить"));
  QCOMPARE(connect->geometry(), QRect(288, 490, 75, 25));
  auto* shape = find<TShape>(&w, "Shape1");
  QCOMPARE(shape->geometry(), QRect(376, 492, 20, 20));
  QCOMPARE(shape->brushColour(), QColor(255, 0, 0));
  QCOMPARE(find<QPushButton>(&w, "Button1")->text(), QStringLiteral("Закрыть"));
  QCOMPARE(find<QPushButton>(&w, "Button1")->geometry(), QRect(456, 490, 75, 25));

  // TabSheet5.
  QCOMPARE(find<QLabel>(&w, "Label5")->text(),
           QStringLiteral("ВНИМАНИЕ!\nПеред началом инициализации укажите дату, время и "
                          "заводской номер регистратора"));
  auto* memo = find<QPlainTextEdit>(&w, "Memo1");
  QVERIFY(memo->isReadOnly());
  QCOMPARE(memo->geometry(), QRect(16, 56, 481, 209));
  QCOMPARE(memo->palette().color(QPalette::Text), QColor(Qt::white));
  QVERIFY(memo->palette().color(QPalette::Base).lightness() < 128);
  QCOMPARE(find<QLabel>(&w, "Label3")->text(), QStringLiteral("Дата (DDMMYY): "));
  QCOMPARE(find<QLabel>(&w, "Label4")->text(), QStringLiteral("Время (HHMM):"));
  QCOMPARE(find<QLabel>(&w, "Label6")->text(), QStringLiteral("Заводской номер:"));
  QVERIFY(find<QComboBox>(&w, "ComboBox5")->isEditable());

  // TabSheet1.
  auto* log = find<QPlainTextEdit>(&w, "RichEdit1");
  QVERIFY(log->isReadOnly());
  QCOMPARE(log->geometry(), QRect(8, 8, 497, 265));
  QCOMPARE(log->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  QCOMPARE(log->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  QCOMPARE(find<QLineEdit>(&w, "Edit1")->text(), QStringLiteral("1500"));
  QCOMPARE(find<QLabel>(&w, "Label2")->text(), QStringLiteral("Задержка (мс) между подтестами"));
  QCOMPARE(find<QLabel>(&w, "Label1")->text(), QStringLiteral("циклов"));
  auto* passes = find<QComboBox>(&w, "ComboBox2");
  QVERIFY(passes->isEditable());
  QCOMPARE(items(passes), (QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}));
  auto* checkBox = find<QCheckBox>(&w, "CheckBox1");
  QCOMPARE(checkBox->text(), QStringLiteral("Без фискальных чеков и Z-отчета"));
  QVERIFY(!checkBox->isChecked());

  // The buttons of all three pages, with their captions and enabled states.
  const std::tuple<const char*, const char*, bool> buttons[] = {
      {"Button7", "Обновить дату/время", true},
      {"Button9", "Начать инициализацию", true},
      {"Button8", "Стереть фискальную память", true},
      {"Button10", "Перезагрузить устройство", true},
      {"Button3", "Старт", true},
      {"Button4", "Стоп", false},
      {"Button6", "Очистить", true},
      {"Button5", "Сохранить", true},
      {"Button11", "Z-отчет", true},
      {"Button12", "X-отчет", true},
      {"Button13", "Аннулировать чек", true},
      {"Button14", "Перезагрузить устройство", true},
      {"Button15", "Выполнить внутренний тест", true},
      {"Button16", "Открыть денежный ящик", true},
      {"Button17", "Установить налоги", true},
  };
  for (const auto& [name, caption, enabled] : buttons) {
    auto* b = find<QPushButton>(&w, name);
    QCOMPARE(b->text(), QString::fromUtf8(caption));
    QCOMPARE(b->isEnabledTo(pages), enabled);
  }
  auto* tests = find<QComboBox>(&w, "ComboBox4");
  QCOMPARE(items(tests), (QStringList{"0. Техническая информация", "1. Статус фискального блока",
                                      "2. Полный тест"}));
  QCOMPARE(tests->currentIndex(), -1);
  auto* version = find<QLabel>(&w, "Label8");
  QCOMPARE(
      version->text(),
      QStringLiteral("Тест для Veltor FP-510T/FP-T320/FP-820T/FP-90T/KM-15 ver. 2.60 23.02.2012"));
  QVERIFY(version->alignment() & Qt::AlignHCenter);
}

void WindowsTest::tform1ActivationFillsThePortsTheDateAndTheSerialNumbers() {
  Fixture f;
  f.store->createKey("SOFTWARE\\Morvent\\Tallowick\\1.0\\ShouldInit");
  f.program->start();
  TForm1& w = f.shownForm1();
  auto* ports = find<QComboBox>(&w, "ComboBox1");
  QCOMPARE(items(ports), QStringList{"sim"});
  QCOMPARE(ports->currentText(), QStringLiteral("sim"));
  QCOMPARE(find<QComboBox>(&w, "ComboBox3")->currentIndex(), 0);
  QCOMPARE(find<QTabWidget>(&w, "PageControl1")->currentWidget()->objectName(),
           QStringLiteral("TabSheet5"));
  const QString date = find<QLineEdit>(&w, "Edit2")->text();
  const QString time = find<QLineEdit>(&w, "Edit3")->text();
  QCOMPARE(date.size(), 6);
  QCOMPARE(time.size(), 4);
  QCOMPARE(date, QDate::currentDate().toString("ddMMyy"));

  // With this computer's ports, the built-in printer still comes first and is selected.
  Fixture machine("", true);
  auto* all = find<QComboBox>(&machine.shownForm1(), "ComboBox1");
  QVERIFY(all->count() >= 1);
  QCOMPARE(all->itemText(0), QStringLiteral("sim"));
  QCOMPARE(all->currentIndex(), 0);
}

void WindowsTest::connectingToTheSimulatedPrinterNamesItsModel() {
  Fixture f;
  f.connect();
  TForm1& w = f.form1();
  QVERIFY2(f.dialogs.boxes.isEmpty(), qPrintable(f.dialogs.boxes.join('|')));
  QCOMPARE(w.windowTitle(), kCaption + " Veltor FP-90T");
  QCOMPARE(find<TShape>(&w, "Shape1")->brushColour(), QColor(0, 255, 0));
  QCOMPARE(find<QPushButton>(&w, "Button2")->text(), QStringLiteral("Отключить"));
  QVERIFY(find<QTabWidget>(&w, "PageControl1")->isEnabled());
  QVERIFY(!find<QComboBox>(&w, "ComboBox1")->isEnabled());
  QVERIFY(!find<QComboBox>(&w, "ComboBox3")->isEnabled());
  auto* label9 = find<QLabel>(&w, "Label9");
  QCOMPARE(label9->text(), QStringLiteral("Service Mode выключен."));
  QCOMPARE(fontColour(label9), QColor(0, 0x80, 0));
  QCOMPARE(w.state().ConnectedBaudRate, 9600);

  find<QPushButton>(&w, "Button2")->click();
  QCOMPARE(w.windowTitle(), kCaption + " ");
  QCOMPARE(find<TShape>(&w, "Shape1")->brushColour(), QColor(255, 0, 0));
  QCOMPARE(find<QPushButton>(&w, "Button2")->text(), QStringLiteral("Подключить"));
  QVERIFY(!find<QTabWidget>(&w, "PageControl1")->isEnabled());
  QVERIFY(find<QComboBox>(&w, "ComboBox1")->isEnabled());
  QVERIFY(find<QComboBox>(&w, "ComboBox3")->isEnabled());
  QVERIFY(w.state().StopRequested);
}

void WindowsTest::connectingToAnotherModelNamesThatModel() {
  Fixture f("KM-15");
  f.connect();
  QCOMPARE(f.form1().windowTitle(), kCaption + " Veltor KM-15");
}

void WindowsTest::aPortThatDoesNotOpenSaysWhyBelowTheMessage() {
  Fixture f;
  TForm1& w = f.shownForm1();
  auto* ports = find<QComboBox>(&w, "ComboBox1");
  ports->addItem(QStringLiteral("/nonexistent/ttyUSB0"));
  ports->setCurrentIndex(ports->count() - 1);
  find<QPushButton>(&w, "Button2")->click();
  QCOMPARE(f.dialogs.boxes.size(), 1);
  QVERIFY2(f.dialogs.boxes.front().startsWith(
               "Невозможно подключить порт\nПорт /nonexistent/ttyUSB0 не найден"),
           qPrintable(f.dialogs.boxes.front()));
  QCOMPARE(find<TShape>(&w, "Shape1")->brushColour(), QColor(255, 0, 0));
}

namespace {

// Whether the built-in printer plays the script's first command.
bool printerPlaysTheScript(Fixture& f) {
  std::int32_t err = 0;
  const tallowick::CommandResult* r =
      f.form1().session().commands.GetRegistratorParams(tallowick::kDevicePassword, &err);
  return r->accepted() && r->FieldCount > 0 && !r->Fields[0].empty();
}

// Connects, then starts a short run: no pause, without fiscal receipts and Z-report.
bool startShortRun(Fixture& f) {
  f.connect();
  if (!printerPlaysTheScript(f)) return false;
  TForm1& w = f.form1();
  find<QTabWidget>(&w, "PageControl1")->setCurrentIndex(1);
  find<QLineEdit>(&w, "Edit1")->setText("0");
  find<QCheckBox>(&w, "CheckBox1")->setChecked(true);
  find<QPushButton>(&w, "Button3")->click();
  return true;
}

// Runs `action` at the first event pump after Start has disabled itself, as a user who
// presses a button while the run goes on.
void duringTheRun(Fixture& f, std::function<void()> action) {
  auto* poll = new QTimer(&f.form1());
  QObject::connect(poll, &QTimer::timeout, [poll, &f, action] {
    if (find<QPushButton>(&f.form1(), "Button3")->isEnabled()) return;
    poll->stop();
    action();
  });
  poll->start(0);
}

}  // namespace

void WindowsTest::startRunsAShortTestAndTheLogFills() {
  Fixture f;
  QVERIFY2(startShortRun(f), "the built-in printer refused the script's first command");
  TForm1& w = f.form1();
  // The only box of a clean run: the line rate changed and back.
  QCOMPARE(f.dialogs.boxes, QStringList{"Успешно!"});
  const std::vector<std::string>& log = w.testLog();
  QVERIFY(log.size() > 50);
  const auto has = [&](const std::string& line) {
    return std::find(log.begin(), log.end(), line) != log.end();
  };
  QVERIFY(has("Конец теста Veltor FP-90T"));
  QVERIFY(has("Общее количество ошибок: 0"));
  QVERIFY(!has("Тест остановлен"));
  // Every log line is one line of RichEdit1, empty lines included.
  auto* richEdit = find<QPlainTextEdit>(&w, "RichEdit1");
  QCOMPARE(richEdit->document()->blockCount(), static_cast<int>(log.size()));
  QCOMPARE(richEdit->document()->lastBlock().text(), QString::fromUtf8(log.back()));
  // The run is over: Start again, Stop not.
  QVERIFY(find<QPushButton>(&w, "Button3")->isEnabled());
  QVERIFY(!find<QPushButton>(&w, "Button4")->isEnabled());
}

void WindowsTest::stopDuringARunEndsItAtTheNextStopCheck() {
  Fixture f;
  bool stopWasEnabled = false;
  duringTheRun(f, [&] {
    auto* stop = find<QPushButton>(&f.form1(), "Button4");
    stopWasEnabled = stop->isEnabled();
    stop->click();
  });
  QVERIFY2(startShortRun(f), "the built-in printer refused the script's first command");
  QVERIFY(stopWasEnabled);
  QCOMPARE(f.form1().testLog().back(), std::string("Тест остановлен"));
  QVERIFY(find<QPushButton>(&f.form1(), "Button3")->isEnabled());
  QVERIFY(!find<QPushButton>(&f.form1(), "Button4")->isEnabled());
  QVERIFY(!f.form1().state().StopRequested);
}

// "Закрыть" during a run asks; "Да" stops the run at its next stop check and then closes
// the window, "Нет" lets the run go on, and the window stays.
void WindowsTest::closeDuringARunAsksAndStopsTheRunFirst() {
  struct Case {
    bool yes;
    const char* lastLine;
  };
  for (const Case& c :
       {Case{true, "Тест остановлен"}, Case{false, "******************************"}}) {
    Fixture f;
    f.dialogs.answer = c.yes;
    bool visibleAfterClose = false;
    duringTheRun(f, [&] {
      find<QPushButton>(&f.form1(), "Button1")->click();
      visibleAfterClose = f.form1().isVisible();
    });
    QVERIFY2(startShortRun(f), "the built-in printer refused the script's first command");
    QCOMPARE(f.dialogs.questions, QStringList{QString::fromUtf8(TForm1::kStopAndCloseQuestion)});
    QVERIFY(visibleAfterClose);
    const auto& log = f.form1().testLog();
    QCOMPARE(log.back(), std::string(c.lastLine));
    QCOMPARE(f.form1().isVisible(), !c.yes);
    if (!c.yes) continue;
    // The lines up to the stop are all there: the log of a run stopped with Stop at the
    // same moment.
    Fixture stopped;
    duringTheRun(stopped, [&] { find<QPushButton>(&stopped.form1(), "Button4")->click(); });
    QVERIFY(startShortRun(stopped));
    QCOMPARE(log, stopped.form1().testLog());
  }
}

// Logging out during a run is "Закрыть" with its question; with nobody to ask, the run
// stops and the window closes; with no run, the desktop may end the program at once.
void WindowsTest::logoutDuringARunStopsItAndCloses() {
  QVERIFY(Fixture().form1().endRequested(true));
  for (const bool mayAsk : {true, false}) {
    Fixture f;
    f.dialogs.answer = true;
    bool ending = false;
    duringTheRun(f, [&] { ending = f.form1().endRequested(mayAsk); });
    QVERIFY2(startShortRun(f), "the built-in printer refused the script's first command");
    QVERIFY(ending);
    QCOMPARE(f.dialogs.questions.size(), mayAsk ? 1 : 0);
    QCOMPARE(f.form1().testLog().back(), std::string("Тест остановлен"));
    QVERIFY(!f.form1().isVisible());
  }
  // The window manager's close asks as "Закрыть" does.
  {
    Fixture f;
    duringTheRun(f, [&] { f.form1().close(); });
    QVERIFY2(startShortRun(f), "the built-in printer refused the script's first command");
    QCOMPARE(f.dialogs.questions.size(), 1);
    QCOMPARE(f.form1().testLog().back(), std::string("Тест остановлен"));
    QVERIFY(!f.form1().isVisible());
  }
  Fixture f;
  f.dialogs.answer = false;
  bool ending = true;
  duringTheRun(f, [&] { ending = f.form1().endRequested(true); });
  QVERIFY2(startShortRun(f), "the built-in printer refused the script's first command");
  QVERIFY(!ending);
  QVERIFY(f.form1().isVisible());
}

void WindowsTest::clicksWhileACommandWaitsAreAnsweredAndStopEndsTheWait() {
  // The printer is silent on the tax number. While the run waits for it the user clicks
  // "Очистить", then "Стоп": both are answered within the wait, and Stop ends it at once.
  VirtualClock clock;
  Fixture f("", false, &clock);
  std::string error;
  f.program->simulatedPort()->printer().faults().add(
      *tallowick::sim::parseFaultRule("46:silence", error));
  tallowick::DeviceLink& link = f.form1().session().link();
  bool clicked = false;
  bool clearedWhileWaiting = false;
  int clears = 0;
  QObject::connect(find<QPushButton>(&f.form1(), "Button6"), &QPushButton::clicked, [&] {
    ++clears;
    clearedWhileWaiting = clearedWhileWaiting || link.waiting();
  });
  auto* poll = new QTimer(&f.form1());
  QObject::connect(poll, &QTimer::timeout, [&, poll] {
    if (!link.waiting() || link.result()->Command != 0x46) return;
    poll->stop();
    clicked = true;
    QTest::mouseClick(find<QPushButton>(&f.form1(), "Button6"), Qt::LeftButton);
    QTest::mouseClick(find<QPushButton>(&f.form1(), "Button4"), Qt::LeftButton);
  });
  poll->start(0);
  QVERIFY2(startShortRun(f), "the built-in printer refused the script's first command");
  QVERIFY(clicked);
  QCOMPARE(clears, 1);
  QVERIFY(clearedWhileWaiting);
  QCOMPARE(f.form1().testLog(), std::vector<std::string>{"Тест остановлен"});
  QVERIFY(f.dialogs.boxes.isEmpty());  // no time-out box for a wait the user ended
  QVERIFY(clock.now() < std::chrono::seconds(5) + std::chrono::seconds(60));
  QVERIFY(find<QPushButton>(&f.form1(), "Button3")->isEnabled());
}

// "Стереть фискальную память" names the connected printer and sends nothing on "Нет";
// the book's "Очистить" keeps both lists on "Нет".
void WindowsTest::eraseAndClearAskFirst() {
  for (const bool yes : {false, true}) {
    Fixture f("KM-15");
    f.dialogs.answer = yes;
    f.connect();
    int sent = 0;
    f.program->link().setAttemptObserver([&](const tallowick::AttemptRecord&) { ++sent; });
    find<QPushButton>(&f.form1(), "Button8")->click();
    QCOMPARE(f.dialogs.questions.size(), 1);
    QVERIFY(
        f.dialogs.questions[0].startsWith("Стереть фискальную память регистратора Veltor KM-15?"));
    QCOMPARE(sent, yes ? 2 : 0);
    QCOMPARE(f.dialogs.boxes, yes ? QStringList{"Успешно. ФП обнулена!"} : QStringList{});
  }
  Fixture f;
  f.program->start();
  TForm3& w = f.program->form3();
  find<QComboBox>(&w, "ComboBox1")->setCurrentIndex(1);
  find<QLineEdit>(&w, "MaskEdit2")->setText("00002");
  find<QPushButton>(&w, "Button8")->click();
  find<QPushButton>(&w, "Button9")->click();
  QCOMPARE(find<QLabel>(&w, "StatusLabel")->text(), QStringLiteral("Списки сохранены."));
  f.dialogs.answer = false;
  find<QPushButton>(&w, "Button5")->click();
  QCOMPARE(f.dialogs.questions.size(), 1);
  QCOMPARE(items(find<QListWidget>(&w, "ListBox1")).size(), 3);
  QCOMPARE(f.program->form3().book().shouldInit().size(), 3u);
  f.dialogs.answer = true;
  find<QPushButton>(&w, "Button5")->click();
  QCOMPARE(items(find<QListWidget>(&w, "ListBox1")).size(), 0);
  QCOMPARE(find<QLabel>(&w, "StatusLabel")->text(), QStringLiteral("Списки очищены."));
  QVERIFY(f.dialogs.boxes.isEmpty());
}

// The names by id come after the enumeration with their device, and open their own path;
// --port selects a listed port, or types in one that is not listed.
void WindowsTest::thePortListOffersStableNamesAndTakesAnyPort() {
  const auto stable = [](ProgramOptions& o) {
    o.stablePorts = [] {
      return std::vector<tallowick::StablePortName>{
          {"/dev/serial/by-id/usb-FTDI_FT232R_A1-if00-port0", "/dev/ttyUSB0"}};
    };
  };
  struct Case {
    std::string port;  // --port
    QString shown;     // ComboBox1's text
    std::string opened;
  };
  const Case cases[] = {
      {"", "sim", "sim"},
      {"/dev/serial/by-id/usb-FTDI_FT232R_A1-if00-port0",
       "/dev/serial/by-id/usb-FTDI_FT232R_A1-if00-port0 (/dev/ttyUSB0)",
       "/dev/serial/by-id/usb-FTDI_FT232R_A1-if00-port0"},
      {"/tmp/printer", "/tmp/printer", "/tmp/printer"},
  };
  for (const Case& c : cases) {
    Fixture f("", false, nullptr, [&](ProgramOptions& o) {
      stable(o);
      o.port = c.port;
    });
    TForm1& w = f.shownForm1();
    auto* ports = find<QComboBox>(&w, "ComboBox1");
    QVERIFY(ports->isEditable());
    QCOMPARE(items(ports), (QStringList{"sim",
                                        "/dev/serial/by-id/usb-FTDI_FT232R_A1-if00-port0 "
                                        "(/dev/ttyUSB0)"}));
    QCOMPARE(ports->currentText(), c.shown);
    QCOMPARE(w.ui().portName(), c.opened);
  }
}

// tallowick-sim on a pseudo-terminal, its path typed into the port list: connecting reaches
// it as it would a printer on a cable.
void WindowsTest::aPseudoTerminalOfTheVirtualPrinterWorksFromTheWindow() {
#ifndef TALLOWICK_SIM_EXE
  QSKIP("no pseudo-terminals here; COM ports under Wine are tried by the desktop run");
#else
  QTemporaryDir dir;
  const QString link = dir.filePath(QStringLiteral("printer"));
  QProcess sim;
  sim.start(
      QStringLiteral(TALLOWICK_SIM_EXE),
      {QStringLiteral("--link"), link, QStringLiteral("--model"), QStringLiteral("Veltor KM-15")});
  QVERIFY(sim.waitForStarted());
  QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(link), 20000);
  Fixture f;
  TForm1& w = f.shownForm1();
  auto* ports = find<QComboBox>(&w, "ComboBox1");
  ports->setEditText(link);
  find<QPushButton>(&w, "Button2")->click();
  QCOMPARE(f.dialogs.boxes, QStringList{});
  QCOMPARE(w.windowTitle(), kCaption + " Veltor KM-15");
  find<QPushButton>(&w, "Button2")->click();  // disconnect
  sim.terminate();
  QVERIFY(sim.waitForFinished(10000));
#endif
}

// The real question box: "Нет" is the default button, so Enter answers it, and so does
// Escape.
void WindowsTest::aQuestionAnswersNoToEnterAndEscape() {
  for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
    gui::ModalDialogs dialogs;
    QString defaultText;
    QStringList buttons;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      QVERIFY(box);
      defaultText = box->defaultButton()->text();
      for (QAbstractButton* b : box->buttons())
        buttons << b->text();
      QTest::keyClick(box, key);
    });
    QVERIFY(!dialogs.question(nullptr, QStringLiteral("Стереть?")));
    QCOMPARE(defaultText, QStringLiteral("Нет"));
    buttons.sort();
    QCOMPARE(buttons, (QStringList{"Да", "Нет"}));
  }
}

void WindowsTest::saveWritesWindows1251WithCrLf() {
  QTemporaryDir dir;
  Fixture f;
  f.connect();
  TForm1& w = f.form1();
  for (const char* line : {"******************************", "Конец теста Veltor FP-90T", "",
                           "Общее количество ошибок: 0"}) {
    w.ui().appendLog(tallowick::LogId::Test, line);
  }
  w.ui().appendLog(tallowick::LogId::Init, "Начало инициализации регистратора.");
  const QString file = dir.filePath("log.txt");
  f.dialogs.saveAs = file;
  find<QPushButton>(&w, "Button5")->click();
  QCOMPARE(f.dialogs.filters, QStringList{"Все файлы (*.*)|*.*"});
  // The name offered is the one the command line gives a run's log; the window says where
  // the log went.
  QCOMPARE(f.dialogs.suggestions.size(), 1);
  QVERIFY2(QRegularExpression(R"(^sim_Veltor_FP-90T_\d{4}-\d\d-\d\d_\d\d-\d\d-\d\d\.log$)")
               .match(f.dialogs.suggestions[0])
               .hasMatch(),
           qPrintable(f.dialogs.suggestions[0]));
  const QString where = QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath());
  QCOMPARE(find<QLabel>(&w, "SavedLabel")->toolTip(), where);
  QVERIFY(find<QLabel>(&w, "SavedLabel")->text().startsWith(QStringLiteral("Сохранен: ")));

  QFile saved(file);
  QVERIFY(saved.open(QIODevice::ReadOnly));
  // The test log only, in Windows-1251, every line ended by CR LF.
  QCOMPARE(saved.readAll(),
           QByteArray("******************************\r\n"
                      "\xCA\xEE\xED\xE5\xF6 \xF2\xE5\xF1\xF2\xE0 Veltor FP-90T\r\n"
                      "\r\n"
                      "\xCE\xE1\xF9\xE5\xE5 \xEA\xEE\xEB\xE8\xF7\xE5\xF1\xF2\xE2\xEE "
                      "\xEE\xF8\xE8\xE1\xEE\xEA: 0\r\n"));
  // RichEdit1 shows the same four lines, the empty one included.
  QCOMPARE(find<QPlainTextEdit>(&w, "RichEdit1")->toPlainText(),
           QStringLiteral("******************************\nКонец теста Veltor FP-90T\n\n"
                          "Общее количество ошибок: 0"));
  QCOMPARE(find<QPlainTextEdit>(&w, "Memo1")->toPlainText(),
           QStringLiteral("Начало инициализации регистратора."));
}

void WindowsTest::saveCancelledWritesNothing() {
  QTemporaryDir dir;
  Fixture f;
  f.connect();
  f.dialogs.saveAs.reset();
  find<QPushButton>(&f.form1(), "Button5")->click();
  QCOMPARE(f.dialogs.filters.size(), 1);
  QVERIFY(QDir(dir.path()).isEmpty());
  QVERIFY(f.dialogs.boxes.isEmpty());
}

void WindowsTest::aSaveThatFailsSaysWhyAndKeepsTheOldFile() {
  QTemporaryDir dir;
  Fixture f;
  f.connect();
  f.form1().ui().appendLog(tallowick::LogId::Test, "Тест остановлен");
  const struct {
    QString file;
    QString reason;
  } cases[] = {
      {dir.path(), "это не обычный файл"},
      {dir.filePath("missing/log.txt"), "не существует"},
  };
  for (const auto& c : cases) {
    f.dialogs.boxes.clear();
    f.dialogs.saveAs = c.file;
    find<QPushButton>(&f.form1(), "Button5")->click();
    QCOMPARE(f.dialogs.boxes.size(), 1);
    QVERIFY2(f.dialogs.boxes.front().startsWith("Невозможно записать файл " + c.file + ": "),
             qPrintable(f.dialogs.boxes.front()));
    QVERIFY2(f.dialogs.boxes.front().contains(c.reason), qPrintable(f.dialogs.boxes.front()));
  }
  QVERIFY(QDir(dir.path()).isEmpty());
}

void WindowsTest::clearEmptiesTheLog() {
  QTemporaryDir dir;
  Fixture f;
  f.connect();
  TForm1& w = f.form1();
  w.ui().appendLog(tallowick::LogId::Test, "Тест остановлен");
  find<QPushButton>(&w, "Button6")->click();
  QVERIFY(w.testLog().empty());
  QVERIFY(find<QPlainTextEdit>(&w, "RichEdit1")->toPlainText().isEmpty());
  f.dialogs.saveAs = dir.filePath("empty.txt");
  find<QPushButton>(&w, "Button5")->click();
  QCOMPARE(QFileInfo(dir.filePath("empty.txt")).size(), 0);
  // A line after the clearing is the log's first line again.
  w.ui().appendLog(tallowick::LogId::Test, "");
  w.ui().appendLog(tallowick::LogId::Test, "X");
  QCOMPARE(find<QPlainTextEdit>(&w, "RichEdit1")->toPlainText(), QStringLiteral("\nX"));
}

void WindowsTest::pageButtonsSendTheirCommands() {
  struct Case {
    const char* button;
    int internalTest;  // ComboBox4's selection
    int command;       // the first command sent, -1 for none
    const char* data;
    QStringList boxes;  // the message boxes shown, in order
  };
  const Case cases[] = {
      {"Button11", -1, 0xA1, "582014;0;", {"Z-отчет - успешно!"}},
      {"Button12", -1, 0xA1, "582014;1;", {"X-отчет - успешно"}},
      // Cancel the receipt: the display's status first.
      {"Button13", -1, 0x81, "582014;3;0;;", {"Нет открытых чеков!"}},
      {"Button14", -1, 0xF3, "582014;", {}},  // reboot: no box when it went well
      {"Button15", -1, -1, "", {}},           // internal test, none chosen
      // The internal test: a service receipt first.
      {"Button15", 2, 0x60, "582014;", {"Внутренний тест - успешно"}},
      {"Button16", -1, 0x83, "582014;", {"Открытие денежного ящика -- успешно!"}},
      {"Button17", -1, 0x80, "582014;", {"Успешно!"}},  // tax rates: identification first
      {"Button10", -1, 0xF3, "582014;", {"Успешно. Регистратор перезагружен!"}},
      {"Button8", -1, 0xF0, "582014;", {"Успешно. ФП обнулена!"}},
      {"Button9", -1, 0x82, "582014;1;", {}},  // initialisation: the probe first
  };
  for (const Case& c : cases) {
    Fixture f;
    f.connect();
    std::vector<std::pair<int, std::string>> sent;
    f.program->link().setAttemptObserver([&](const tallowick::AttemptRecord& a) {
      sent.emplace_back(a.result.Command, a.result.RequestData);
    });
    find<QComboBox>(&f.form1(), "ComboBox4")->setCurrentIndex(c.internalTest);
    find<QComboBox>(&f.form1(), "ComboBox5")->setEditText("ЕД80012340");
    // Should the initialisation get as far as TForm2, the user ends it there.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
      if (f.program->form2().isVisible()) {
        find<QPushButton>(&f.program->form2(), "Button1")->click();
      }
    });
    answer.start(0);
    find<QPushButton>(&f.form1(), c.button)->click();
    if (c.command < 0) {
      QVERIFY2(sent.empty(), c.button);
      continue;
    }
    QVERIFY2(!sent.empty(), c.button);
    QCOMPARE(sent.front().first, c.command);
    QCOMPARE(sent.front().second, std::string(c.data));
    QCOMPARE(f.dialogs.boxes, c.boxes);
  }
}

void WindowsTest::auxiliaryFunctionsReportPrinterFailuresInBoxes() {
  struct Case {
    const char* button;
    const char* fault;
    QString box;
  };
  const Case cases[] = {
      // The FP-90T clears the tape after a failed report too, but announces no success.
      {"Button11", "A1#1:error=0012", "Ошибка Z-отчета"},
      {"Button12", "A1:silence", "Таймаут устройства! Ошибка X-отчета!"},
      {"Button13", "81:error=0012", "Ошибка индикаторов клиента"},
      {"Button14", "F3:silence", "Таймаут устройства! Ошибка!"},
      {"Button16", "83:error=0012", "Ошибка открытия денежного ящика!"},
      {"Button17", "47:silence", "Таймаут устройства! Ошибка!"},
  };
  for (const Case& c : cases) {
    VirtualClock clock;
    Fixture f("", false, &clock);
    f.connect();
    std::string error;
    const auto rule = tallowick::sim::parseFaultRule(c.fault, error);
    QVERIFY2(rule, error.c_str());
    f.program->simulatedPort()->printer().faults().add(*rule);
    find<QPushButton>(&f.form1(), c.button)->click();
    QVERIFY2(f.dialogs.boxes == QStringList{c.box},
             qPrintable(QString(c.button) + ": " + f.dialogs.boxes.join('|')));
  }
}

void WindowsTest::indicatorFollowsTheServiceMode() {
  Fixture f;
  auto& printer = f.program->simulatedPort()->printer();
  printer.state().serviceMode = true;
  f.connect();
  auto* label9 = find<QLabel>(&f.form1(), "Label9");
  QCOMPARE(label9->text(), QStringLiteral("Внимание!  Service Mode включен."));
  QCOMPARE(fontColour(label9), QColor(255, 0, 0));
  // The next reply that shows the mode gone turns the indicator green.
  printer.state().serviceMode = false;
  find<QPushButton>(&f.form1(), "Button2")->click();
  find<QPushButton>(&f.form1(), "Button2")->click();
  QCOMPARE(label9->text(), QStringLiteral("Service Mode выключен."));
  QCOMPARE(fontColour(label9), QColor(0, 0x80, 0));
}

void WindowsTest::aPrinterThatDoesNotAnswerAtConnect() {
  VirtualClock clock;
  Fixture f("", false, &clock);
  std::string error;
  f.program->simulatedPort()->printer().faults().add(
      *tallowick::sim::parseFaultRule("80:silence", error));
  f.connect();
  TForm1& w = f.form1();
  QCOMPARE(f.dialogs.boxes, QStringList{"Таймаут устройства! Ошибка GetDeviceInfo!"});
  // The port is open, so the user can disconnect; no model is named.
  QCOMPARE(w.windowTitle(), kCaption);
  QCOMPARE(find<QPushButton>(&w, "Button2")->text(), QStringLiteral("Отключить"));
  auto* label9 = find<QLabel>(&w, "Label9");
  QCOMPARE(label9->text(), QString());
  QCOMPARE(fontColour(label9), QColor(255, 255, 0));
}

namespace {

// Presses `button` as the window system delivers a click: queued, to be handled at the next
// event pump.
void postClick(QWidget* button, QPoint at = {}) {
  if (at.isNull()) at = button->rect().center();
  for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    QCoreApplication::postEvent(
        button, new QMouseEvent(type, QPointF(at), QPointF(button->mapToGlobal(at)), Qt::LeftButton,
                                type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                Qt::NoModifier));
  }
}

// Runs `action` once, at the first event pump at which `when` holds.
void once(QObject* owner, std::function<bool()> when, std::function<void()> action) {
  auto* poll = new QTimer(owner);
  QObject::connect(poll, &QTimer::timeout, [poll, when, action] {
    if (!when()) return;
    poll->stop();
    action();
  });
  poll->start(0);
}

// The main window connected, on the run's page with no pause between steps: ready for a
// whole run through Start.
TForm1& readyForAWholeRun(Fixture& f) {
  f.connect();
  TForm1& w = f.form1();
  find<QTabWidget>(&w, "PageControl1")->setCurrentIndex(1);
  find<QLineEdit>(&w, "Edit1")->setText("0");
  return w;
}

// The run waits for the printer after its reboot command, polling it with GetDeviceInfo.
bool waitingAfterTheReboot(TForm1& w) {
  tallowick::DeviceLink& link = w.session().link();
  const auto& log = w.testLog();
  return link.waiting() && link.result()->Command == 0x80 &&
         std::find(log.begin(), log.end(), "Перезагрузка устройства") != log.end();
}

}  // namespace

void WindowsTest::closeOrDisconnectEndsAConnectThatWaitsForEver() {
  // The printer answers the connect's GetDeviceInfo with busy bytes for ever. "Закрыть"
  // ends the wait and closes the window once the connect has returned; "Отключить" (the
  // connect button, which says so as soon as the port is open) ends it and leaves the
  // window unconnected. No time-out box either way: the printer did not fail.
  for (const char* button : {"Button1", "Button2"}) {
    VirtualClock clock;
    Fixture f("", false, &clock);
    std::string error;
    f.program->simulatedPort()->printer().faults().add(
        *tallowick::sim::parseFaultRule("80#1:endless-busy", error));
    TForm1& w = f.shownForm1();
    tallowick::DeviceLink& link = w.session().link();
    tallowick::Micros pressed{-1};
    once(
        &w, [&] { return link.waiting() && clock.now() >= std::chrono::milliseconds(500); },
        [&] {
          pressed = clock.now();
          postClick(find<QPushButton>(&w, button));
        });
    find<QPushButton>(&w, "Button2")->click();
    QVERIFY(pressed.count() >= 0);
    QVERIFY(clock.now() - pressed <= std::chrono::milliseconds(100));
    QVERIFY2(f.dialogs.boxes.isEmpty(), qPrintable(f.dialogs.boxes.join('|')));
    QVERIFY(!link.isOpen());
    QCOMPARE(find<QPushButton>(&w, "Button2")->text(), QStringLiteral("Подключить"));
    QCOMPARE(find<TShape>(&w, "Shape1")->brushColour(), QColor(255, 0, 0));
    QCOMPARE(w.isVisible(), std::string(button) == "Button2");
    if (!w.isVisible()) continue;
    // Nothing of the stop is left: the next connect names the printer.
    find<QPushButton>(&w, "Button2")->click();
    QCOMPARE(w.windowTitle(), kCaption + " Veltor FP-90T");
  }
}

void WindowsTest::theWindowAnswersWhileThePrinterIsSilentAfterItsReboot() {
  // The whole run on a virtual clock: after its reboot command the printer is silent for
  // seconds, and the run waits for it with GetDeviceInfo. A click on another page's tab is
  // answered before that wait ends, within one read period; so is a Stop, which shows at
  // once that it was heard (it disables itself, and Start stays off) and ends the run.
  VirtualClock clock;
  Fixture f("", false, &clock);
  TForm1& w = readyForAWholeRun(f);
  auto* pages = find<QTabWidget>(&w, "PageControl1");
  const auto& log = w.testLog();
  const auto inRebootWait = [&] { return waitingAfterTheReboot(w); };
  auto* stop = find<QPushButton>(&w, "Button4");
  auto* start = find<QPushButton>(&w, "Button3");
  tallowick::Micros clicked{-1};
  tallowick::Micros pageShown{-1};
  bool shownWhileWaiting = false;
  tallowick::Micros stopped{-1};
  bool stopHeardAtOnce = false;
  QObject::connect(pages, &QTabWidget::currentChanged, [&](int index) {
    if (clicked.count() < 0 || pageShown.count() >= 0 || index != 2) return;
    pageShown = clock.now();
    shownWhileWaiting = inRebootWait();
    // Then Stop, on the page of the run.
    pages->setCurrentIndex(1);
    stopped = clock.now();
    postClick(stop);
  });
  QObject::connect(stop, &QPushButton::clicked, [&] {
    stopHeardAtOnce = clock.now() - stopped <= std::chrono::milliseconds(100) &&
                      !stop->isEnabled() && !start->isEnabled() && inRebootWait();
    // A Start that reached the window before the run has stopped starts nothing.
    w.Button3Click();
  });
  once(&w, inRebootWait, [&] {
    clicked = clock.now();
    QTabBar* bar = pages->tabBar();
    postClick(bar, bar->tabRect(2).center());
  });
  start->click();
  QVERIFY(clicked.count() >= 0);
  QVERIFY(pageShown.count() >= 0);
  QVERIFY(pageShown - clicked <= std::chrono::milliseconds(100));
  QVERIFY(shownWhileWaiting);
  QVERIFY(stopHeardAtOnce);
  QCOMPARE(log.back(), std::string("Тест остановлен"));
  QCOMPARE(std::count(log.begin(), log.end(), std::string("Перезагрузка устройства")), 1);
  QVERIFY2(f.dialogs.boxes.isEmpty(), qPrintable(f.dialogs.boxes.join('|')));
  QVERIFY(start->isEnabled());
  QVERIFY(!stop->isEnabled());
}

void WindowsTest::anotherPagesCommandDuringAWaitIsRefusedAndTheRunGoesOn() {
  // While the run waits for the printer after its reboot command, the user opens the page
  // of the auxiliary functions and asks for an X-report. The link refuses it (a command is
  // under way), the page says so in its box, and the run goes on to its end untouched.
  VirtualClock clock;
  Fixture f("", false, &clock);
  TForm1& w = readyForAWholeRun(f);
  auto* pages = find<QTabWidget>(&w, "PageControl1");
  tallowick::DeviceLink& link = w.session().link();
  const auto& log = w.testLog();
  bool asked = false;
  bool refusedInTheWait = false;
  QObject::connect(find<QPushButton>(&w, "Button12"), &QPushButton::clicked, [&] {
    refusedInTheWait = link.waiting() && f.dialogs.boxes.contains("Ошибка X-отчета");
  });
  once(
      &w, [&] { return waitingAfterTheReboot(w); },
      [&] {
        asked = true;
        pages->setCurrentIndex(2);
        postClick(find<QPushButton>(&w, "Button12"));
      });
  find<QPushButton>(&w, "Button3")->click();
  QVERIFY(asked);
  QVERIFY(refusedInTheWait);
  QCOMPARE(f.dialogs.boxes, (QStringList{"Ошибка X-отчета", "Успешно!"}));
  QCOMPARE(log.back(), std::string("******************************"));
  QVERIFY(std::find(log.begin(), log.end(), "Общее количество ошибок: 0") != log.end());
}

void WindowsTest::initialisationRefusesIncompleteFieldsAndRefreshesTheDate() {
  Fixture f;
  f.connect();
  TForm1& w = f.form1();
  int sent = 0;
  f.program->link().setAttemptObserver([&](const tallowick::AttemptRecord&) { ++sent; });
  auto* date = find<QLineEdit>(&w, "Edit2");
  auto* time = find<QLineEdit>(&w, "Edit3");
  date->setText("2302120");
  find<QPushButton>(&w, "Button9")->click();
  QCOMPARE(f.dialogs.boxes, QStringList{"Не заполнены все необходимые поля!!!"});
  QCOMPARE(sent, 0);

  const QString today = QDate::currentDate().toString("ddMMyy");
  find<QPushButton>(&w, "Button7")->click();
  QCOMPARE(date->text(), today);
  QCOMPARE(time->text().size(), 4);
  // Coming back to the page refreshes the fields too.
  date->setText("x");
  auto* pages = find<QTabWidget>(&w, "PageControl1");
  pages->setCurrentIndex(2);
  QCOMPARE(date->text(), QStringLiteral("x"));
  pages->setCurrentIndex(0);
  QCOMPARE(date->text(), today);
  QCOMPARE(sent, 0);
}

void WindowsTest::initialisationGoesThroughTForm2AndTForm4() {
  // The printer reboots after its clock is set and is silent for a few seconds: the user
  // waits for it in TForm2, which the virtual clock lets pass at once.
  VirtualClock printerClock;
  Fixture f("", false, &printerClock);
  f.store->createKey("SOFTWARE\\Morvent\\Tallowick\\1.0\\ShouldInit");
  f.program->start();
  TForm3& form3 = f.program->form3();
  find<QComboBox>(&form3, "ComboBox1")->setCurrentIndex(1);
  find<QLineEdit>(&form3, "MaskEdit1")->setText("00001");
  find<QLineEdit>(&form3, "MaskEdit2")->setText("00002");
  find<QPushButton>(&form3, "Button8")->click();
  find<QPushButton>(&form3, "Button9")->click();
  f.connect();
  TForm1& w = f.form1();

  // The user goes on in TForm2 and confirms the number in TForm4.
  QStringList dialogsSeen;
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&] {
    if (f.program->form2().isVisible()) {
      dialogsSeen << "TForm2";
      printerClock.advance(std::chrono::seconds(10));
      find<QPushButton>(&f.program->form2(), "Button2")->click();
    } else if (f.program->form4().isVisible()) {
      dialogsSeen << "TForm4:" + find<QLabel>(&f.program->form4(), "Label2")->text();
      find<QPushButton>(&f.program->form4(), "Button2")->click();
    }
  });
  answer.start(0);
  find<QPushButton>(&w, "Button9")->click();
  answer.stop();

  QCOMPARE(f.dialogs.boxes,
           (QStringList{"Инициализация выполнена!", "Инициализация завершена успешно!"}));
  QCOMPARE(dialogsSeen, (QStringList{"TForm2", "TForm4:ЕД80000001"}));
  const QString memo = find<QPlainTextEdit>(&w, "Memo1")->toPlainText();
  QVERIFY(memo.startsWith("Начало инициализации регистратора.\n"));
  QVERIFY(memo.endsWith("\nКонец инициализации регистратора."));
  // The confirmed number has left the selector and TForm3's first list.
  QCOMPARE(items(find<QComboBox>(&w, "ComboBox5")), QStringList{"ЕД80000002"});
  QCOMPARE(items(find<QListWidget>(&form3, "ListBox1")), QStringList{"ЕД80000002"});
  QCOMPARE(items(find<QListWidget>(&form3, "ListBox2")), QStringList{"ЕД80000001"});
  QCOMPARE(f.programEnds, 0);
}

void WindowsTest::tform2AnswersContinueOrEnd() {
  Fixture f;
  TForm2& w = f.program->form2();
  QCOMPARE(find<QLabel>(&w, "Label1")->text(),
           QStringLiteral("Дата и время установлены.\nПосле перезагрузки РРО, инициализацию можно "
                          "продолжить."));
  QCOMPARE(find<QPushButton>(&w, "Button2")->text(), QStringLiteral("Продолжить инициализацию"));
  QCOMPARE(find<QPushButton>(&w, "Button2")->geometry(), QRect(152, 64, 161, 25));
  QCOMPARE(find<QPushButton>(&w, "Button1")->text(), QStringLiteral("Завершить программу"));
  QCOMPARE(find<QPushButton>(&w, "Button1")->geometry(), QRect(320, 64, 139, 25));

  const std::pair<const char*, std::int32_t> answers[] = {
      {"Button2", tallowick::TForm2::kContinue},
      {"Button1", tallowick::TForm2::kEndProgram},
      {nullptr, tallowick::TForm2::kEndProgram},  // the close box
  };
  for (const auto& [button, answer] : answers) {
    bool modal = false;
    QTimer::singleShot(0, [&, button = button] {
      modal = w.isVisible() && QApplication::activeModalWidget() == &w;
      if (button) {
        find<QPushButton>(&w, button)->click();
      } else {
        w.close();
      }
    });
    QCOMPARE(w.showModal(), answer);
    QVERIFY(modal);
    QVERIFY(!w.isVisible());
  }
  // The close box and Escape end the program only when the user says so: "Нет" leaves the
  // dialog up, waiting for its buttons.
  QCOMPARE(f.dialogs.questions,
           QStringList{"Завершить программу? Инициализация не будет продолжена."});
  f.dialogs.answer = false;
  bool stayed = false;
  QTimer::singleShot(0, [&] {
    QTest::keyClick(&w, Qt::Key_Escape);
    w.close();
    stayed = w.isVisible();
    find<QPushButton>(&w, "Button2")->click();
  });
  QCOMPARE(w.showModal(), tallowick::TForm2::kContinue);
  QVERIFY(stayed);
  QCOMPARE(f.dialogs.questions.size(), 3);
}

void WindowsTest::tform4ConfirmsTheNumberOfTheSelector() {
  Fixture f;
  f.store->createKey("SOFTWARE\\Morvent\\Tallowick\\1.0\\ShouldInit");
  f.program->start();
  TForm3& form3 = f.program->form3();
  find<QComboBox>(&form3, "ComboBox1")->setCurrentIndex(2);
  find<QLineEdit>(&form3, "MaskEdit1")->setText("00007");
  find<QLineEdit>(&form3, "MaskEdit2")->setText("00008");
  find<QPushButton>(&form3, "Button8")->click();
  find<QPushButton>(&form3, "Button9")->click();
  TForm1& main = f.shownForm1();
  auto* selector = find<QComboBox>(&main, "ComboBox5");
  QCOMPARE(selector->currentText(), QStringLiteral("ЛД10400007"));

  TForm4& w = f.program->form4();
  QCOMPARE(find<QLabel>(&w, "Label1")->text(),
           QStringLiteral("Проверьте правильность заводского номера:"));
  QCOMPARE(find<QLabel>(&w, "Label1")->font().pointSize(), 14);
  auto* serial = find<QLabel>(&w, "Label2");
  QCOMPARE(fontColour(serial), QColor(255, 0, 0));
  QVERIFY(serial->font().bold());
  QCOMPARE(serial->font().pointSize(), 12);
  QCOMPARE(find<QPushButton>(&w, "Button1")->text(), QStringLiteral("Неправильный"));
  QCOMPARE(find<QPushButton>(&w, "Button1")->geometry(), QRect(16, 104, 121, 25));
  QCOMPARE(find<QPushButton>(&w, "Button2")->text(), QStringLiteral("Правильный"));
  QCOMPARE(find<QPushButton>(&w, "Button2")->geometry(), QRect(368, 104, 91, 25));

  // "Неправильный" changes nothing.
  QString shown;
  QTimer::singleShot(0, [&] {
    shown = serial->text();
    find<QPushButton>(&w, "Button1")->click();
  });
  w.showModal();
  QCOMPARE(shown, QStringLiteral("ЛД10400007"));
  QCOMPARE(f.dialogs.boxes.takeLast(), QStringLiteral("Инициализация завершена некорректно!"));
  QCOMPARE(selector->count(), 2);

  // "Правильный" moves the number and takes it out of the selector.
  QTimer::singleShot(0, [&] { find<QPushButton>(&w, "Button2")->click(); });
  w.showModal();
  QCOMPARE(f.dialogs.boxes.takeLast(), QStringLiteral("Инициализация завершена успешно!"));
  QCOMPARE(items(selector), QStringList{"ЛД10400008"});
  QCOMPARE(form3.book().alreadyInit(), std::vector<std::string>{"ЛД10400007"});
  form3.showBook();
  QCOMPARE(items(find<QListWidget>(&form3, "ListBox1")), QStringList{"ЛД10400008"});
  QCOMPARE(items(find<QListWidget>(&form3, "ListBox2")), QStringList{"ЛД10400007"});
}

void WindowsTest::thePlatformStoreKeepsTheBookForTheNextStart() {
  QTemporaryDir dir;
  qputenv("TALLOWICK_REGISTRY", dir.filePath("book.sqlite3").toUtf8());
  {
    Fixture f("", false, nullptr, platformStore);
    f.program->start();
    TForm3& w = f.program->form3();
    // Whatever an earlier run left in the registry goes first.
    find<QPushButton>(&w, "Button5")->click();
    find<QComboBox>(&w, "ComboBox1")->setCurrentIndex(4);
    find<QLineEdit>(&w, "MaskEdit1")->setText("00005");
    find<QLineEdit>(&w, "MaskEdit2")->setText("00007");
    find<QPushButton>(&w, "Button8")->click();
    find<QListWidget>(&w, "ListBox1")->setCurrentRow(0);
    find<QPushButton>(&w, "Button1")->click();
    find<QPushButton>(&w, "Button9")->click();
    QVERIFY2(f.dialogs.boxes.isEmpty(), qPrintable(f.dialogs.boxes.join('|')));
  }
  Fixture again("", false, nullptr, platformStore);
  again.program->start();
  TForm3& w = again.program->form3();
  QCOMPARE(items(find<QListWidget>(&w, "ListBox1")), (QStringList{"ED81000006", "ED81000007"}));
  QCOMPARE(items(find<QListWidget>(&w, "ListBox2")), QStringList{"ED81000005"});
  QVERIFY(find<QPushButton>(&w, "Button6")->isEnabled());
  QVERIFY2(again.dialogs.boxes.isEmpty(), qPrintable(again.dialogs.boxes.join('|')));
  qunsetenv("TALLOWICK_REGISTRY");
}

QTEST_MAIN(WindowsTest)
#include "windows_test.moc"
