// The history in the desktop tool: every test run and initialisation of the main window
// appended once it is over, a history that cannot be written told once, and the window
// "История" listing, filtering, opening a log and exporting, with a damaged file left alone.
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <sstream>

#include "app/cli.h"
#include "gui/figures_window.h"
#include "gui/history_window.h"
#include "gui/program.h"
#include "gui/translation.h"
#include "history/history_store.h"
#include "initforms/memory_serial_store.h"
#include "platform/settings.h"
#include "testrun/log_file.h"
#include "testrun/test_run.h"
#include "window_testing.h"

namespace gui = tallowick::gui;
namespace history = tallowick::history;
using gui::HistoryWindow;
using gui::TForm1;

namespace {

using gui::testing::find;
using gui::testing::RecordingDialogs;

QByteArray contents(const QString& file) {
  QFile f(file);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeContents(const QString& file, const QByteArray& bytes) {
  QFile f(file);
  QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(bytes);
}

// The desktop tool on the built-in printer, its history in a file of the test's own.
struct Fixture {
  Fixture() {
    gui::ProgramOptions options;
    options.store = std::make_unique<tallowick::MemorySerialStore>();
    options.simulatedModel = "";
    options.programPath = "/opt/tallowick/tallowick";
    options.dialogs = &dialogs;
    options.endProgram = [] {};
    options.platformPorts = [] { return std::vector<std::string>{}; };
    options.historyFile = std::filesystem::path(QFile::encodeName(historyFile()).toStdString());
    program = std::make_unique<gui::Program>(std::move(options));
    form1().show();
  }

  QString historyFile() const { return dir.filePath("history.sqlite3"); }
  TForm1& form1() { return program->form1(); }
  void connect() { find<QPushButton>(&form1(), "Button2")->click(); }
  // A short run: no pause, without fiscal receipts and Z-report.
  void shortRun() {
    find<QTabWidget>(&form1(), "PageControl1")->setCurrentIndex(1);
    find<QLineEdit>(&form1(), "Edit1")->setText("0");
    find<QCheckBox>(&form1(), "CheckBox1")->setChecked(true);
    find<QPushButton>(&form1(), "Button3")->click();
  }
  std::vector<history::Record> records() {
    history::Store store(historyFile().toStdString());
    auto listed = store.list({.limit = 0}, history::Detail::Full);
    if (!listed) qFatal("%s", listed.error().message.c_str());
    return listed.value();
  }
  HistoryWindow& openHistory() {
    find<QPushButton>(&form1(), "Button18")->click();
    HistoryWindow* w = form1().historyWindow();
    if (!w || !w->isVisible()) qFatal("the window История did not open");
    return *w;
  }

  QTemporaryDir dir;
  RecordingDialogs dialogs;
  std::unique_ptr<gui::Program> program;
};

// A record of the list tests: started `minutes` after the first, on a printer of `model`.
history::Record listed(int minutes, std::string model, std::string serial,
                       history::Outcome outcome) {
  history::Record r;
  r.startedAtMs = 1796627130000 + std::int64_t{minutes} * 60'000;  // 2026-12-07 07:05:30 UTC
  r.durationMs = 65'000;
  r.endedAtMs = r.startedAtMs + r.durationMs;
  r.port = "sim";
  r.model = std::move(model);
  r.serialNumber = std::move(serial);
  r.outcome = outcome;
  r.errorCount = outcome == history::Outcome::FinishedWithErrors ? 2 : 0;
  r.passes = "1";
  r.pauseMs = "0";
  r.log = {"Начало теста " + r.model, "", "строка " + std::to_string(minutes)};
  return r;
}

// How many pixels of the picture are of the colour.
int pixelsOf(const QImage& image, QColor colour) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x)
      count += image.pixelColor(x, y).rgb() == colour.rgb();
  }
  return count;
}

QString dateOf(std::int64_t ms) {
  return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("dd.MM.yyyy"));
}

}  // namespace

class HistoryWindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() {
    // Nothing here may reach the user's own history.
    QVERIFY(scratch_.isValid());
    qputenv("TALLOWICK_HISTORY", scratch_.filePath("history.sqlite3").toUtf8());
  }

  void runsAndInitialisationsAreRecordedOnceTheyEnd() {
    Fixture f;
    f.connect();
    f.shortRun();
    QCOMPARE(f.dialogs.boxes, QStringList{"Успешно!"});
    const std::vector<std::string> firstLog = f.form1().testLog();
    // A second run, its log after the first in RichEdit1; and an initialisation refused.
    f.shortRun();
    find<QTabWidget>(&f.form1(), "PageControl1")->setCurrentIndex(0);
    find<QComboBox>(&f.form1(), "ComboBox5")->setEditText(QString());
    find<QPushButton>(&f.form1(), "Button9")->click();
    QCOMPARE(f.dialogs.boxes, (QStringList{"Успешно!", "Успешно!", tallowick::kFieldsMissing}));

    const std::vector<history::Record> records = f.records();
    QCOMPARE(records.size(), std::size_t{3});
    const history::Record& init = records[0];
    QCOMPARE(init.kind, history::Kind::Initialisation);
    QCOMPARE(init.outcome, history::Outcome::InputRefused);
    QCOMPARE(init.message, std::string(tallowick::kFieldsMissing));
    QCOMPARE(init.port, std::string("sim"));
    for (const history::Record* run : {&records[1], &records[2]}) {
      QCOMPARE(run->kind, history::Kind::TestRun);
      QCOMPARE(run->outcome, history::Outcome::Finished);
      QCOMPARE(run->port, std::string("sim"));
      QCOMPARE(run->model, f.form1().state().DeviceModel);
      QCOMPARE(run->passes, std::string("1"));
      QCOMPARE(run->pauseMs, std::string("0"));
      QVERIFY(!run->steps.empty());
      QVERIFY(!run->computer.empty());
    }
    // Each run keeps its own lines, as they were written.
    QCOMPARE(records[2].log, firstLog);
    const std::vector<std::string>& all = f.form1().testLog();
    QCOMPARE(records[1].log, std::vector<std::string>(all.begin() + firstLog.size(), all.end()));
  }

  void anInitialisationStartedDuringATestRunIsARecordOfItsOwn() {
    Fixture f;
    f.connect();
    find<QComboBox>(&f.form1(), "ComboBox5")->setEditText(QString());
    // At an event pump of the run, the user presses "Начать инициализацию".
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      if (find<QPushButton>(&f.form1(), "Button3")->isEnabled()) return;
      poll.stop();
      find<QPushButton>(&f.form1(), "Button9")->click();
    });
    poll.start(0);
    f.shortRun();
    QCOMPARE(f.dialogs.boxes, (QStringList{tallowick::kFieldsMissing, "Успешно!"}));
    const std::vector<history::Record> records = f.records();
    QCOMPARE(records.size(), std::size_t{2});
    // Both may start within one millisecond, so their order is not the point here.
    const bool runFirst = records[0].kind == history::Kind::TestRun;
    const history::Record& run = records[runFirst ? 0 : 1];
    const history::Record& init = records[runFirst ? 1 : 0];
    QCOMPARE(run.kind, history::Kind::TestRun);
    QCOMPARE(run.outcome, history::Outcome::Finished);
    QCOMPARE(run.log, f.form1().testLog());
    QCOMPARE(init.kind, history::Kind::Initialisation);
    QCOMPARE(init.outcome, history::Outcome::InputRefused);
    QCOMPARE(init.message, std::string(tallowick::kFieldsMissing));
  }

  void aHistoryThatCannotBeWrittenIsToldOnceAndTheRunsEndAsBefore() {
    Fixture f;
    const QByteArray damaged("not a history of runs\n");
    writeContents(f.historyFile(), damaged);
    f.connect();
    f.shortRun();
    f.shortRun();
    QCOMPARE(f.dialogs.boxes.size(), 3);
    QCOMPARE(f.dialogs.boxes[0], QStringLiteral("Успешно!"));
    QVERIFY2(f.dialogs.boxes[1].startsWith("Файл истории повреждён и не будет изменён: "),
             qPrintable(f.dialogs.boxes[1]));
    QCOMPARE(f.dialogs.boxes[2], QStringLiteral("Успешно!"));
    QCOMPARE(contents(f.historyFile()), damaged);
  }

  void theListShowsTheNewestFirstAndTheFiltersNarrowIt() {
    Fixture f;
    using history::Outcome;
    // Days apart, so that the date filter can pick each.
    const history::Record records[] = {
        listed(0, "Veltor FP-90T", "ЕД80000001", Outcome::Finished),
        listed(24 * 60, "Veltor KM-15", "ЕД80000002", Outcome::Aborted),
        listed(2 * 24 * 60, "Veltor FP-90T", "ЕД80000003", Outcome::FinishedWithErrors),
        listed(3 * 24 * 60, "Veltor FP-90T", "ЕД80000001", Outcome::Stopped),
    };
    std::vector<std::int64_t> ids;
    {
      history::Store store(f.historyFile().toStdString());
      for (const history::Record& r : records)
        ids.push_back(store.append(r).value());
    }
    HistoryWindow& w = f.openHistory();
    QCOMPARE(w.listedIds(), (std::vector<std::int64_t>{ids[3], ids[2], ids[1], ids[0]}));
    auto* list = find<QTableWidget>(&w, "RecordList");
    QCOMPARE(list->item(0, 3)->text(), QStringLiteral("Veltor FP-90T"));
    QCOMPARE(list->item(0, 4)->text(), QStringLiteral("ЕД80000001"));
    QCOMPARE(list->item(0, 5)->text(), QStringLiteral("Остановлен"));
    QCOMPARE(list->item(1, 6)->text(), QStringLiteral("2"));
    QCOMPARE(list->item(0, 7)->text(), QStringLiteral("0:01:05"));
    // The start in the workshop's form, as the filter takes dates; the record's own offset.
    QCOMPARE(list->item(3, 0)->text(), QStringLiteral("07.12.2026 07:05"));
    QCOMPARE(find<QLabel>(&w, "StatusLabel")->text(), QStringLiteral("Записей: 4."));

    const QString day1 = dateOf(records[1].startedAtMs);
    const QString day2 = dateOf(records[2].startedAtMs);
    const struct {
      QString from, until, model, serial;
      int outcome;  // OutcomeBox's index, 0: all
      std::vector<std::int64_t> expected;
    } cases[] = {
        {day1, day2, "", "", 0, {ids[2], ids[1]}},
        {day2, "", "", "", 0, {ids[3], ids[2]}},
        {"", day1, "", "", 0, {ids[1], ids[0]}},
        {"", "", "Veltor KM-15", "", 0, {ids[1]}},
        {"", "", "", " ЕД80000001 ", 0, {ids[3], ids[0]}},
        {"", "", "Veltor FP-90T", "", 3, {}},
        {"", "", "", "", 2, {ids[2]}},
        {"", "", "", "ЕД80000001", 4, {ids[3]}},
        // A part of the number, anywhere in it.
        {"", "", "", "0003", 0, {ids[2]}},
        {"", "", "", "ЕД8000000", 0, {ids[3], ids[2], ids[1], ids[0]}},
        {"", "", "", "Д800000", 3, {ids[1]}},
        {"", "", "", "00000010", 0, {}},
        {"", "", "", "%", 0, {}},
    };
    for (const auto& c : cases) {
      find<QLineEdit>(&w, "FromEdit")->setText(c.from);
      find<QLineEdit>(&w, "UntilEdit")->setText(c.until);
      find<QComboBox>(&w, "ModelBox")->setEditText(c.model);
      find<QLineEdit>(&w, "SerialEdit")->setText(c.serial);
      find<QComboBox>(&w, "OutcomeBox")->setCurrentIndex(c.outcome);
      find<QPushButton>(&w, "ShowButton")->click();
      QCOMPARE(w.listedIds(), c.expected);
    }
    QVERIFY(f.dialogs.boxes.isEmpty());

    // A date that is no date is refused with a box, and the list stays as it was.
    const std::vector<std::int64_t> before = w.listedIds();
    for (const char* bad : {"31.02.2026", "7.12", "сегодня"}) {
      find<QLineEdit>(&w, "FromEdit")->setText(QString::fromUtf8(bad));
      find<QPushButton>(&w, "ShowButton")->click();
      QVERIFY2(f.dialogs.boxes.takeLast().startsWith("Неверная дата \"" + QString::fromUtf8(bad)),
               bad);
      QCOMPARE(w.listedIds(), before);
    }
    find<QLineEdit>(&w, "FromEdit")->setText(day2);
    find<QLineEdit>(&w, "UntilEdit")->setText(day1);
    find<QPushButton>(&w, "ShowButton")->click();
    QCOMPARE(f.dialogs.boxes.takeLast(), QStringLiteral("Начальная дата позже конечной!"));
  }

  void aRecordsLogOpensByDoubleClickAndByTheButton() {
    Fixture f;
    history::Record r = listed(0, "Veltor KM-15", "ЕД80000002", history::Outcome::Aborted);
    r.message = "Таймаут устройства!";
    {
      history::Store store(f.historyFile().toStdString());
      QVERIFY(store.append(listed(5, "Veltor FP-90T", "", history::Outcome::Finished)).ok());
      QVERIFY(store.append(r).ok());
    }
    HistoryWindow& w = f.openHistory();
    auto* list = find<QTableWidget>(&w, "RecordList");
    // The older record, second in the list, opened with a double-click on its row.
    const QRect cell = list->visualItemRect(list->item(1, 2));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell.center());
    QVERIFY(w.logWindow());
    QCOMPARE(find<QPlainTextEdit>(w.logWindow(), "LogText")->toPlainText(),
             QStringLiteral("Начало теста Veltor KM-15\n\nстрока 0"));
    const QString summary = find<QLabel>(w.logWindow(), "SummaryLabel")->text();
    QVERIFY2(summary.contains("Прерван") && summary.contains("Таймаут устройства!") &&
                 summary.contains("ЕД80000002"),
             qPrintable(summary));

    list->setCurrentCell(0, 0);
    find<QPushButton>(&w, "LogButton")->click();
    QCOMPARE(find<QPlainTextEdit>(w.logWindow(), "LogText")->toPlainText(),
             QStringLiteral("Начало теста Veltor FP-90T\n\nстрока 5"));
    find<QPushButton>(w.logWindow(), "CloseLogButton")->click();
    QTRY_VERIFY(!w.logWindow());
  }

  void aRecordsLogIsCopiedAndSavedAsTheTestPageSavesIt() {
    Fixture f;
    history::Record r = listed(0, "Veltor KM-15", "ЕД80000002", history::Outcome::Finished);
    r.utcOffsetMinutes = 120;
    r.language = "uk";
    r.log.push_back("Помилка: немає паперу");
    {
      history::Store store(f.historyFile().toStdString());
      QVERIFY(store.append(r).ok());
    }
    HistoryWindow& w = f.openHistory();
    find<QPushButton>(&w, "LogButton")->click();
    QVERIFY(w.logWindow());
    QGuiApplication::clipboard()->clear();
    find<QPushButton>(w.logWindow(), "CopyLogButton")->click();
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QStringLiteral("Начало теста Veltor KM-15\n\nстрока 0\nПомилка: немає паперу"));

    // Named as a run's log is, at the start the workshop's clock showed and with the log's
    // language, whatever the window's; saved whole, or not at all with the reason in a box.
    const struct {
      QString file;
      bool saved;
    } cases[] = {{f.dir.filePath("run.log"), true}, {f.dir.filePath("no folder/run.log"), false}};
    for (const auto& c : cases) {
      f.dialogs.saveAs = c.file;
      find<QPushButton>(w.logWindow(), "SaveLogButton")->click();
      QCOMPARE(f.dialogs.suggestions.takeLast(),
               QStringLiteral("sim_Veltor_KM-15_2026-12-07_09-05-30_uk.log"));
      QCOMPARE(QFile::exists(c.file), c.saved);
      if (c.saved) {
        QVERIFY(f.dialogs.boxes.isEmpty());
        QCOMPARE(contents(c.file), QByteArray::fromStdString(tallowick::logFileBytes(r.log)));
      } else {
        QCOMPARE(f.dialogs.boxes.size(), 1);
        QVERIFY2(f.dialogs.boxes.takeFirst().contains("run.log"), "the box names the file");
      }
    }
    f.dialogs.saveAs.reset();
    find<QPushButton>(w.logWindow(), "SaveLogButton")->click();
    QVERIFY(f.dialogs.boxes.isEmpty());
  }

  // Every start and kind is seen whole in each language's words, and the columns still fit
  // the list, with no scrolling sideways.
  void theStartAndTheKindFitTheirColumnsInEveryLanguage() {
    const struct {
      const char* language;
      QString initialisation;
    } cases[] = {{"ru", "Инициализация"}, {"uk", "Ініціалізація"}, {"ro", "Inițializare"}};
    for (const auto& [language, initialisation] : cases) {
      gui::installLanguage(language);
      {
        Fixture f;
        {
          // More than the list has room for, so that its scroll bar shows.
          history::Store store(f.historyFile().toStdString());
          for (int i = 0; i < 30; ++i) {
            history::Record r = listed(i, "Veltor KM-15", "ЕД80000002", history::Outcome::Aborted);
            if (i % 2) r.kind = history::Kind::Initialisation;
            QVERIFY(store.append(r).ok());
          }
        }
        HistoryWindow& w = f.openHistory();
        auto* list = find<QTableWidget>(&w, "RecordList");
        QCOMPARE(list->item(0, 1)->text(), initialisation);
        const QFontMetrics metrics(list->font());
        for (int row = 0; row < list->rowCount(); ++row) {
          for (int column : {0, 1}) {
            const QString text = list->item(row, column)->text();
            QVERIFY2(metrics.horizontalAdvance(text) + 8 <= list->columnWidth(column),
                     qPrintable(QStringLiteral("%1: %2").arg(language, text)));
          }
        }
        QVERIFY(list->verticalScrollBar()->isVisible());
        QVERIFY2(list->horizontalHeader()->length() <= list->viewport()->width(), language);
      }
    }
    gui::installLanguage("ru");
  }

  // Four printers on two days: one passes at once, one fails at the X-report and passes the
  // next day, one fails at the Z-report, one at the X-report.
  void theFiguresOfTheFilterAreCountedPicturedAndSaved() {
    Fixture f;
    using history::Outcome;
    const auto failed = [](int minutes, const char* serial, Outcome outcome, const char* step) {
      history::Record r = listed(minutes, "Veltor FP-90T", serial, outcome);
      r.steps = {{.title = "Печать чека"},
                 {.title = step, .result = tallowick::StepResult::PrinterError}};
      return r;
    };
    {
      history::Store store(f.historyFile().toStdString());
      for (const history::Record& r : {
               listed(0, "Veltor FP-90T", "ЕД80000001", Outcome::Finished),
               failed(1, "ЕД80000002", Outcome::Aborted, "X-отчет"),
               failed(2, "ЕД80000003", Outcome::FinishedWithErrors, "Z-отчет"),
               listed(24 * 60, "Veltor FP-90T", "ЕД80000002", Outcome::Finished),
               failed(24 * 60 + 1, "ЕД80000004", Outcome::Aborted, "X-отчет"),
           })
        QVERIFY(store.append(r).ok());
    }
    HistoryWindow& w = f.openHistory();
    const QColor bars(0x33, 0x66, 0xCC);
    const QColor cumulative(0xCC, 0x33, 0x33);
    const struct {
      QString serial;
      QStringList lines;  // the figures' first lines
      std::size_t days;
      bool failures;  // the Pareto drawn
    } cases[] = {
        {"",
         {"Проверено регистраторов: 4; прогонов: 5, из них без заводского номера: 0",
          "Выход с первого раза: 25.0 % (1 из 4)", "Итоговый выход: 50.0 % (2 из 4)",
          "Прогонов с ошибками: 3; длительность прогона: медиана 65.0 с, 90-й процентиль 65.0 с"},
         2,
         true},
        {"0000002",
         {"Проверено регистраторов: 1; прогонов: 2, из них без заводского номера: 0",
          "Выход с первого раза: 0.0 % (0 из 1)", "Итоговый выход: 100.0 % (1 из 1)"},
         2,
         true},
        {"ЕД80000001",
         {"Проверено регистраторов: 1; прогонов: 1, из них без заводского номера: 0",
          "Выход с первого раза: 100.0 % (1 из 1)"},
         1,
         false},
    };
    for (const auto& c : cases) {
      find<QLineEdit>(&w, "SerialEdit")->setText(c.serial);
      find<QPushButton>(&w, "FiguresButton")->click();
      gui::FiguresWindow* figures = w.figuresWindow();
      QVERIFY(figures && figures->isVisible());
      const QStringList lines = find<QLabel>(figures, "SummaryLabel")->text().split('\n');
      QCOMPARE(lines.mid(0, c.lines.size()), c.lines);
      QCOMPARE(figures->report().groups.size(), c.days);
      const QImage picture = figures->picture();
      QCOMPARE(picture.width(), gui::FiguresWindow::kClientWidth);
      QVERIFY2(pixelsOf(picture, bars) > 0, qPrintable(c.serial));
      QCOMPARE(pixelsOf(picture, cumulative) > 0, c.failures);
    }
    // The Pareto of the whole: the X-report first, with two of the three failures.
    find<QLineEdit>(&w, "SerialEdit")->clear();
    find<QPushButton>(&w, "FiguresButton")->click();
    const auto& steps = w.figuresWindow()->report().whole.failuresByStep;
    QCOMPARE(steps.size(), std::size_t{2});
    QCOMPARE(steps[0].step, std::optional<std::string>("X-отчет"));
    QCOMPARE(steps[0].runs, std::size_t{2});
    // The page's numbers are those of the command line's figures over the same history, to
    // the last digit.
    std::ostringstream page;
    history::writeFigures(history::FiguresFormat::Json, w.figuresWindow()->report(), page);
    std::ostringstream out;
    std::ostringstream err;
    QCOMPARE(tallowick::runCli({"history", "stats", "--by", "day", "--format", "json", "--history",
                                f.historyFile().toStdString()},
                               out, err),
             0);
    QCOMPARE(QString::fromStdString(out.str()), QString::fromStdString(page.str()));

    // Saved as a PNG picture of the page, whole or not at all.
    gui::FiguresWindow* figures = w.figuresWindow();
    const struct {
      QString typed, written;
      bool saved;
    } saves[] = {{"figures", "figures.png", true},
                 {"page.png", "page.png", true},
                 {"no folder/figures", "no folder/figures.png", false}};
    for (const auto& c : saves) {
      f.dialogs.saveAs = f.dir.filePath(c.typed);
      find<QPushButton>(figures, "SavePictureButton")->click();
      QCOMPARE(f.dialogs.filters.takeLast(), QString::fromUtf8(gui::FiguresWindow::kPictureFilter));
      const QImage saved(f.dir.filePath(c.written));
      QCOMPARE(!saved.isNull(), c.saved);
      if (c.saved) {
        QCOMPARE(saved.size(), figures->picture().size());
        QVERIFY(f.dialogs.boxes.isEmpty());
      } else {
        QCOMPARE(f.dialogs.boxes.size(), 1);
        QVERIFY2(f.dialogs.boxes.takeFirst().contains("figures.png"), "the box names the file");
      }
    }
    f.dialogs.saveAs.reset();
    find<QPushButton>(figures, "SavePictureButton")->click();
    QVERIFY(f.dialogs.boxes.isEmpty());

    // A filter that cannot be read opens no figures.
    find<QPushButton>(figures, "CloseFiguresButton")->click();
    QTRY_VERIFY(!w.figuresWindow());
    find<QLineEdit>(&w, "FromEdit")->setText("31.02.2026");
    find<QPushButton>(&w, "FiguresButton")->click();
    QVERIFY(f.dialogs.boxes.takeLast().startsWith("Неверная дата"));
    QVERIFY(!w.figuresWindow());
  }

  void exportWritesTheSelectionInTheChosenFormat() {
    Fixture f;
    {
      history::Store store(f.historyFile().toStdString());
      for (int i = 0; i < 3; ++i)
        QVERIFY(store.append(listed(i, "Veltor FP-90T", "", history::Outcome::Finished)).ok());
    }
    HistoryWindow& w = f.openHistory();
    auto* list = find<QTableWidget>(&w, "RecordList");
    auto* status = find<QLabel>(&w, "StatusLabel");
    QString statusWhileAsked;
    f.dialogs.onSave = [&] { statusWhileAsked = status->text(); };
    const struct {
      int format;
      std::vector<int> selected;  // rows
      QString typed;              // the name given in the save dialog
      QString written;            // the file written
      QByteArray counted;         // one per record
      int expected;
      int records;
    } cases[] = {
        {0, {0, 2}, "export-0.csv", "export-0.csv", "\r\n", 3, 2},  // the header and two rows
        {0, {}, "export-0.csv", "export-0.csv", "\r\n", 4, 3},
        // One row selected is the one last clicked: the list is written.
        {0, {1}, "hist", "hist.csv", "\r\n", 4, 3},
        {1, {0, 2}, "export-1", "export-1.json", "\"started_at\"", 2, 2},
        {1, {2}, "export-1.txt", "export-1.txt", "\"started_at\"", 3, 3},
        {2, {}, "export-2.out", "export-2.out", "<testsuite ", 3, 3},
        {2, {0, 1, 2}, "junit", "junit.xml", "<testsuite ", 3, 3},
    };
    for (const auto& c : cases) {
      list->clearSelection();
      for (int row : c.selected)
        list->selectionModel()->select(list->model()->index(row, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
      find<QComboBox>(&w, "FormatBox")->setCurrentIndex(c.format);
      const QString file = f.dir.filePath(c.written);
      f.dialogs.saveAs = f.dir.filePath(c.typed);
      find<QPushButton>(&w, "ExportButton")->click();
      QVERIFY2(f.dialogs.boxes.isEmpty(), qPrintable(f.dialogs.boxes.join('|')));
      QCOMPARE(f.dialogs.filters.takeLast(),
               QString::fromUtf8(HistoryWindow::kExportFilters[c.format]));
      QCOMPARE(static_cast<int>(contents(file).count(c.counted)), c.expected);
      QCOMPARE(statusWhileAsked, QStringLiteral("Будет выгружено записей: %1.").arg(c.records));
      QCOMPARE(status->text(), QStringLiteral("Записей выгружено: %1, в файл %2")
                                   .arg(c.records)
                                   .arg(QDir::toNativeSeparators(file)));
    }
    QVERIFY(!QFile::exists(f.dir.filePath("hist")));
    // A CSV for a spreadsheet carries its byte order mark.
    QVERIFY(contents(f.dir.filePath("export-0.csv")).startsWith("\xEF\xBB\xBF"));

    // A save that cannot be made says why and leaves the old file; a cancelled one writes
    // nothing.
    const QString kept = f.dir.filePath("export-0.csv");
    const QByteArray before = contents(kept);
    f.dialogs.saveAs = f.dir.filePath("no folder/export");
    find<QPushButton>(&w, "ExportButton")->click();
    QCOMPARE(f.dialogs.boxes.size(), 1);
    const QString why = f.dialogs.boxes.takeFirst();
    QVERIFY2(why.contains("export.xml"), qPrintable(why));
    QCOMPARE(status->text(), why);
    f.dialogs.saveAs.reset();
    find<QPushButton>(&w, "ExportButton")->click();
    QVERIFY(f.dialogs.boxes.isEmpty());
    QCOMPARE(status->text(), QStringLiteral("Выгрузка отменена."));
    QCOMPARE(contents(kept), before);
  }

  void aReportOfTheChosenRecordIsSavedAsAPdf() {
    Fixture f;
    {
      history::Store store(f.historyFile().toStdString());
      QVERIFY(store.append(listed(0, "Veltor FP-90T", "ЕД80000001", history::Outcome::Finished)));
      QVERIFY(store.append(listed(60, "Veltor KM-15", "", history::Outcome::Aborted)));
      QVERIFY(store.append(listed(120, "Veltor FP-90T", "ЕД80000001", history::Outcome::Aborted)));
    }
    // The workshop's name from the computer's settings.
    const QString settings = f.dir.filePath("settings.json");
    QVERIFY(tallowick::fileSettings(settings.toStdString())
                ->set(tallowick::setting::kWorkshop, "W3")
                .ok());
    qputenv("TALLOWICK_SETTINGS", QFile::encodeName(settings));
    HistoryWindow& w = f.openHistory();
    auto* list = find<QTableWidget>(&w, "RecordList");
    auto* status = find<QLabel>(&w, "StatusLabel");
    list->setCurrentCell(-1, -1);
    find<QPushButton>(&w, "ReportButton")->click();
    QCOMPARE(f.dialogs.boxes.takeLast(), QStringLiteral("Выберите запись в списке."));

    // The oldest row, of the FP-90T tested twice: asked whether both of its records go in
    // ("Нет": the chosen one alone); the name offered is its number's and day's, the
    // extension added to a name typed without it.
    list->setCurrentCell(2, 0);
    f.dialogs.answer = false;
    f.dialogs.saveAs = f.dir.filePath("отчет");
    find<QPushButton>(&w, "ReportButton")->click();
    QVERIFY2(f.dialogs.boxes.isEmpty(), qPrintable(f.dialogs.boxes.join('|')));
    QCOMPARE(f.dialogs.questions.takeLast(),
             QStringLiteral("Записей заводского номера ЕД80000001 в истории: 2. "
                            "Включить в отчет все?"));
    QCOMPARE(f.dialogs.suggestions.takeLast(), QStringLiteral("REPORT_80000001_2026-12-07.pdf"));
    QCOMPARE(f.dialogs.filters.takeLast(), QStringLiteral("Документы PDF (*.pdf)|*.pdf"));
    const QString file = f.dir.filePath("отчет.pdf");
    const QByteArray pdf = contents(file);
    QVERIFY(pdf.startsWith("%PDF-1.4\n"));
    QVERIFY(pdf.contains("/Subject <FEFF00570033>"));
    QCOMPARE(status->text(), QStringLiteral("Отчет сохранен в файл %1 (записей: 1)")
                                 .arg(QDir::toNativeSeparators(file)));
    // "Да": both, named after the newest.
    f.dialogs.answer = true;
    find<QPushButton>(&w, "ReportButton")->click();
    qunsetenv("TALLOWICK_SETTINGS");
    QVERIFY2(f.dialogs.boxes.isEmpty(), qPrintable(f.dialogs.boxes.join('|')));
    QCOMPARE(status->text(), QStringLiteral("Отчет сохранен в файл %1 (записей: 2)")
                                 .arg(QDir::toNativeSeparators(file)));
    // The row without a serial number: nothing to ask.
    list->setCurrentCell(1, 0);
    find<QPushButton>(&w, "ReportButton")->click();
    QCOMPARE(f.dialogs.questions.size(), 1);
    QCOMPARE(f.dialogs.suggestions.takeLast(),
             QStringLiteral("REPORT_Veltor_KM-15_2026-12-07.pdf"));

    // A file that cannot be written: said in a box and in the status, nothing written.
    f.dialogs.saveAs = f.dir.filePath("no folder/r");
    find<QPushButton>(&w, "ReportButton")->click();
    QCOMPARE(f.dialogs.boxes.size(), 1);
    const QString why = f.dialogs.boxes.takeFirst();
    QVERIFY2(why.contains("r.pdf"), qPrintable(why));
    QCOMPARE(status->text(), why);
    QVERIFY(!QFile::exists(f.dir.filePath("no folder")));
  }

  void aDamagedHistoryIsReportedAndLeftAlone() {
    const QByteArray damages[] = {
        QByteArray("a text, not a database\n"),
        QByteArray("SQLite format 3\0", 16) + QByteArray(84, '\x07'),
    };
    for (const QByteArray& damaged : damages) {
      Fixture f;
      writeContents(f.historyFile(), damaged);
      HistoryWindow& w = f.openHistory();
      const QString status = find<QLabel>(&w, "StatusLabel")->text();
      QVERIFY2(status.startsWith("Файл истории повреждён и не будет изменён: "),
               qPrintable(status));
      QVERIFY(w.listedIds().empty());
      f.dialogs.saveAs = f.dir.filePath("export.csv");
      find<QPushButton>(&w, "ExportButton")->click();
      QCOMPARE(f.dialogs.boxes, QStringList{"Нет записей для экспорта."});
      QVERIFY(!QFile::exists(f.dir.filePath("export.csv")));
      QCOMPARE(contents(f.historyFile()), damaged);
    }
  }

  void theHistoryButtonSitsInTheFreeSpaceOfTheConnectionRow() {
    Fixture f;
    auto* button = find<QPushButton>(&f.form1(), "Button18");
    QCOMPARE(button->text(), QStringLiteral("История"));
    QVERIFY(QRect(QPoint(0, 0), f.form1().size()).contains(button->geometry()));
    for (const char* other :
         {"ComboBox1", "ComboBox3", "Button2", "Shape1", "Button1", "PageControl1", "Label9"}) {
      QVERIFY2(!find<QWidget>(&f.form1(), other)->geometry().intersects(button->geometry()), other);
    }
    // Its caption fits, and it works before any printer is connected.
    QVERIFY(button->fontMetrics().horizontalAdvance(button->text()) < button->width());
    QVERIFY(button->isEnabled());
  }

 private:
  QTemporaryDir scratch_;
};

QTEST_MAIN(HistoryWindowTest)
#include "history_window_test.moc"
