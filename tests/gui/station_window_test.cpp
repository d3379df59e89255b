// The window "Несколько регистраторов": several virtual printers tested at once, each row
// ending on its own whatever the others do, no run's box stopping another, each run's log
// saved and recorded with its unit's number; a scan the book could not have made refused in
// its row; one row's Stop ending only that run, even while its printer keeps the connect
// waiting for ever; and the main window and the station never on one port.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <sstream>

#include "app/cli.h"
#include "app/testrun_command.h"
#include "gui/program.h"
#include "gui/station_window.h"
#include "history/history_store.h"
#include "history/journal.h"
#include "initforms/memory_serial_store.h"
#include "link/clock.h"
#include "window_testing.h"

namespace gui = tallowick::gui;
namespace history = tallowick::history;
using gui::StationWindow;

namespace {

using gui::testing::find;
using gui::testing::RecordingDialogs;

const tallowick::LocalDateTime kNow{2026, 12, 9, 10, 0, 0};

// The four printers of a line: one silent from its 50th request, one refusing the
// Z-report, one whose line closes mid-run, one healthy.
const QString kSilent = QStringLiteral("sim:FP-90T,fault=any#50+:silence");
const QString kNoZReport = QStringLiteral("sim:FP-90T,fault=A1:error=0012");
const QString kHangsUp = QStringLiteral("sim:FP-90T,fault=any#120:hangup");
const QString kHealthy = QStringLiteral("sim");
// Busy bytes for ever in answer to the connect's first request.
const QString kBusyForEver = QStringLiteral("sim:FP-90T,fault=80:endless-busy");

// A station window on the command line's runner, its history and logs in a folder of the
// test's own; on virtual clocks (every run's own) unless `realTime`.
struct Station {
  explicit Station(bool realTime = false, std::vector<std::string> initialised = {}) {
    dialogs.chosenFolder = dir.path();
    tallowick::CliContext context;
    if (!realTime) context.simClock = &clock;
    context.wallClock = [] { return kNow; };
    journal = std::make_unique<history::Journal>(historyFile());
    gui::StationLinks links{
        .ports = [] { return std::vector<std::string>{}; },
        .runner = tallowick::stationRunner(*journal, context),
        .initialisedNumbers = [initialised]() -> tallowick::StoreResult<std::vector<std::string>> {
          return initialised;
        },
        .busy = &busy};
    window = std::make_unique<StationWindow>(std::move(links), dialogs, nullptr);
    window->showPorts();
  }

  std::filesystem::path historyFile() const {
    return QFile::encodeName(dir.filePath("history.sqlite3")).toStdString();
  }
  void addPort(const QString& port) {
    find<QLineEdit>(window.get(), "PortEdit")->setText(port);
    find<QPushButton>(window.get(), "AddButton")->click();
  }
  QTableWidget* table() { return find<QTableWidget>(window.get(), "RunTable"); }
  QString cell(int row, int column) { return table()->item(row, column)->text(); }
  QLineEdit* unit(int row) {
    return qobject_cast<QLineEdit*>(table()->cellWidget(row, StationWindow::Unit));
  }
  // Types a number as a scanner does: the characters, then Enter.
  void scan(int row, const QString& number) {
    unit(row)->setFocus();
    unit(row)->selectAll();
    for (const QChar c : number)
      QTest::sendKeyEvent(QTest::Click, unit(row), Qt::Key_unknown, QString(c), Qt::NoModifier);
    QTest::keyClick(unit(row), Qt::Key_Return);
  }
  void start() { find<QPushButton>(window.get(), "StartButton")->click(); }
  std::vector<history::Record> records() {
    history::Store store(historyFile());
    auto listed = store.list({}, history::Detail::Full);
    return listed ? listed.value() : std::vector<history::Record>{};
  }

  QTemporaryDir dir;
  RecordingDialogs dialogs;
  tallowick::VirtualClock clock;
  gui::BusyPorts busy;
  std::unique_ptr<history::Journal> journal;
  std::unique_ptr<StationWindow> window;
};

}  // namespace

class StationWindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void fourPrintersEachEndOnTheirOwn();
  void aScanTheBookCouldNotHaveMadeIsRefusedInItsRow();
  void aRowsStopEndsItsConnectAndOnlyItsRun();
  void closingDuringRunsAsksAndStopsThem();
  void theMainWindowAndTheStationNeverShareAPort();
};

void StationWindowTest::fourPrintersEachEndOnTheirOwn() {
  Station s;
  for (const QString& port : {kSilent, kNoZReport, kHangsUp, kHealthy})
    s.addPort(port);
  QCOMPARE(s.table()->rowCount(), 4);
  const QStringList units{"ДЧ70000001", "ДЧ70000002", "ДЧ70000003", "ДЧ70000004"};
  for (int r = 0; r < 4; ++r)
    s.scan(r, units[r]);
  find<QLineEdit>(s.window.get(), "PauseEdit")->setText("0");
  s.start();
  QVERIFY(s.window->running());
  QTRY_VERIFY_WITH_TIMEOUT(!s.window->running(), 240000);

  // No run's box was shown to anyone: each is in its row and its log.
  QVERIFY2(s.dialogs.boxes.isEmpty(), qPrintable(s.dialogs.boxes.join('\n')));
  QVERIFY(s.dialogs.questions.isEmpty());
  const std::vector<history::Record> records = s.records();
  QCOMPARE(records.size(), std::size_t{4});
  for (int r = 0; r < 4; ++r) {
    const QString port = s.cell(r, StationWindow::Port);
    const auto record = std::find_if(records.begin(), records.end(), [&](const auto& rec) {
      return QString::fromStdString(rec.port) == port;
    });
    QVERIFY(record != records.end());
    QCOMPARE(QString::fromStdString(record->serialNumber), units[r]);
    const QString state = s.cell(r, StationWindow::State);
    if (port == kHealthy) {
      QCOMPARE(state, QStringLiteral("завершён"));
      QCOMPARE(record->outcome, history::Outcome::Finished);
    } else if (port == kNoZReport) {
      QVERIFY2(record->outcome == history::Outcome::FinishedWithErrors ||
                   record->outcome == history::Outcome::Aborted,
               qPrintable(state));
      QVERIFY2(state.contains("Z-отчета") || state == "завершён с ошибками", qPrintable(state));
    } else {
      // Silent or gone: the run ends there, with its own box's text in its row.
      QCOMPARE(record->outcome, history::Outcome::Aborted);
      QCOMPARE(state, "прерван: " + QString::fromStdString(record->message));
      QVERIFY(!record->message.empty());
      QVERIFY(
          s.window->rowLog(r).contains("Сообщение: " + QString::fromStdString(record->message)));
    }
    auto* bar = qobject_cast<QProgressBar*>(s.table()->cellWidget(r, StationWindow::Progress));
    QCOMPARE(bar->value(), bar->maximum());
  }

  // The healthy run's log is the one a single run on the command line saves.
  const QString saved = s.dir.filePath("sim_Veltor_FP-90T_2026-12-09_10-00-00.log");
  QFile station(saved);
  QVERIFY2(station.open(QIODevice::ReadOnly), qPrintable(saved));
  const QString single = s.dir.filePath("single.log");
  tallowick::VirtualClock clock;
  tallowick::CliContext context;
  context.simClock = &clock;
  context.wallClock = [] { return kNow; };
  context.historyFile = QFile::encodeName(s.dir.filePath("single.sqlite3")).toStdString();
  std::ostringstream out;
  std::ostringstream err;
  QCOMPARE(tallowick::runCli({"testrun", "--port", "sim", "--pause", "0", "--log",
                              QFile::encodeName(single).toStdString()},
                             out, err, context),
           0);
  QFile alone(single);
  QVERIFY(alone.open(QIODevice::ReadOnly));
  QCOMPARE(station.readAll(), alone.readAll());
}

void StationWindowTest::aScanTheBookCouldNotHaveMadeIsRefusedInItsRow() {
  Station s(false, {"ДЧ70000002"});
  s.addPort(kHealthy);
  s.addPort(QStringLiteral("sim:KM-15"));
  s.scan(0, "12345");
  QCOMPARE(s.cell(0, StationWindow::State),
           QStringLiteral("Не номер книги: нужен префикс типа и пять цифр, например ЕД80012345"));
  QVERIFY2(s.unit(0)->hasFocus() || !s.window->isActiveWindow(), "the next scan goes there");
  QCOMPARE(s.unit(0)->selectedText(), QStringLiteral("12345"));
  // A number the book has not initialised is taken, with a remark.
  s.scan(0, "ДЧ70000001");
  QCOMPARE(s.cell(0, StationWindow::State),
           QStringLiteral("Нет в списке «Инициализация уже выполнена»"));
  QCOMPARE(s.unit(0)->toolTip(), s.cell(0, StationWindow::State));
  s.scan(1, "ДЧ70000002");
  QCOMPARE(s.cell(1, StationWindow::State), QString());
  // A refused number keeps its run from starting; the other row starts.
  s.scan(1, "ДЧ7000000");
  s.start();
  QTRY_VERIFY_WITH_TIMEOUT(!s.window->running(), 120000);
  QCOMPARE(s.cell(0, StationWindow::State), QStringLiteral("завершён"));
  QVERIFY(s.cell(1, StationWindow::State).startsWith("Не номер книги"));
  QCOMPARE(s.records().size(), std::size_t{1});
}

void StationWindowTest::aRowsStopEndsItsConnectAndOnlyItsRun() {
  Station s(true);
  s.addPort(kBusyForEver);
  s.addPort(kHealthy);
  find<QLineEdit>(s.window.get(), "PauseEdit")->setText("100");
  s.start();
  QTest::qWait(300);
  QVERIFY(s.window->running());
  find<QPushButton>(s.window.get(), "RowStop0")->click();
  QTRY_COMPARE_WITH_TIMEOUT(s.cell(0, StationWindow::State), QStringLiteral("остановлен"), 1000);
  QCOMPARE(s.cell(1, StationWindow::State), QStringLiteral("идёт"));
  QTRY_VERIFY_WITH_TIMEOUT(!s.window->running(), 240000);
  QCOMPARE(s.cell(1, StationWindow::State), QStringLiteral("завершён"));
}

void StationWindowTest::closingDuringRunsAsksAndStopsThem() {
  Station s(true);
  s.addPort(kBusyForEver);
  s.addPort(QStringLiteral("sim:KM-15,fault=80:endless-busy"));
  s.start();
  s.dialogs.answer = false;
  s.window->close();
  QCOMPARE(s.dialogs.questions,
           QStringList{"Идут тесты регистраторов. Остановить все тесты и закрыть окно?"});
  QVERIFY(s.window->isVisible());
  QVERIFY(s.window->running());
  s.dialogs.answer = true;
  QTest::keyClick(s.window.get(), Qt::Key_Escape);
  QCOMPARE(s.dialogs.questions.size(), 2);
  QTRY_VERIFY_WITH_TIMEOUT(!s.window->isVisible(), 5000);
  QVERIFY(!s.window->running());
  QCOMPARE(s.cell(0, StationWindow::State), QStringLiteral("остановлен"));
  QCOMPARE(s.cell(1, StationWindow::State), QStringLiteral("остановлен"));
}

void StationWindowTest::theMainWindowAndTheStationNeverShareAPort() {
  QTemporaryDir dir;
  RecordingDialogs dialogs;
  dialogs.chosenFolder = dir.path();
  gui::ProgramOptions options;
  options.store = std::make_unique<tallowick::MemorySerialStore>();
  options.simulatedModel = "";
  options.dialogs = &dialogs;
  options.endProgram = [] {};
  options.platformPorts = [] { return std::vector<std::string>{}; };
  options.historyFile = QFile::encodeName(dir.filePath("history.sqlite3")).toStdString();
  options.stationRunner = [](history::Journal& journal) {
    return tallowick::stationRunner(journal, {});
  };
  gui::Program program(std::move(options));
  gui::TForm1& main = program.form1();
  main.show();
  find<QPushButton>(&main, "Button19")->click();
  StationWindow* station = main.stationWindow();
  QVERIFY(station && station->isVisible());
  find<QLineEdit>(station, "PortEdit")->setText(kBusyForEver);
  find<QPushButton>(station, "AddButton")->click();
  find<QPushButton>(station, "StartButton")->click();
  QVERIFY(station->running());

  auto* ports = find<QComboBox>(&main, "ComboBox1");
  ports->setEditText(kBusyForEver);
  find<QPushButton>(&main, "Button2")->click();
  QCOMPARE(dialogs.boxes.value(0),
           "Порт " + kBusyForEver + " занят окном «Несколько регистраторов».");
  QVERIFY(!main.state().Connected);

  // The main window's "Закрыть" asks, stops the station's runs and closes once they end.
  find<QPushButton>(&main, "Button1")->click();
  QCOMPARE(dialogs.questions.size(), 1);
  QTRY_VERIFY_WITH_TIMEOUT(!main.isVisible(), 5000);
  QVERIFY(!station->running());

  // Connected in the main window, the port is not the station's.
  main.show();
  find<QListWidget>(station, "PortList")
      ->findItems(kBusyForEver, Qt::MatchExactly)
      .front()
      ->setCheckState(Qt::Unchecked);
  ports->setEditText(QStringLiteral("sim"));
  find<QPushButton>(&main, "Button2")->click();
  QVERIFY(main.state().Connected);
  find<QLineEdit>(station, "PortEdit")->setText(QStringLiteral("sim"));
  find<QPushButton>(station, "AddButton")->click();
  find<QPushButton>(station, "StartButton")->click();
  QVERIFY(!station->running());
  QCOMPARE(station->findChild<QTableWidget*>("RunTable")->item(0, StationWindow::State)->text(),
           QStringLiteral("Порт sim занят главным окном"));
}

QTEST_MAIN(StationWindowTest)
#include "station_window_test.moc"
