// The windows in Ukrainian and in Romanian: every window and page walked, a whole run made
// from the test page and from the command line's runner, and every text of the program's own
// found in the language chosen (no Russian-only letter in Ukrainian, no Cyrillic at all in
// Romanian); the bytes sent to the printer the same in every language.
#include <QAbstractButton>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <sstream>

#include "app/cli.h"
#include "app/testrun_command.h"
#include "gui/history_window.h"
#include "gui/line_dialog.h"
#include "gui/program.h"
#include "gui/station_window.h"
#include "gui/translation.h"
#include "history/history_store.h"
#include "initforms/memory_serial_store.h"
#include "link/clock.h"
#include "platform/own_text.h"
#include "platform/settings.h"
#include "sim/loopback_line.h"
#include "window_testing.h"

namespace gui = tallowick::gui;
using gui::testing::find;
using gui::testing::RecordingDialogs;

namespace {

// Where a text was seen, and the text.
struct Seen {
  QString where;
  QString text;
};

// Every text a window shows: its caption, and its widgets' texts, items, headers and tips.
// The language box lists each language by its own name, whatever the windows speak.
void collect(QWidget* window, QList<Seen>& out) {
  const QString name = window->objectName();
  const auto add = [&](const QObject* w, const QString& text) {
    if (!text.trimmed().isEmpty()) out.append({name + "/" + w->objectName(), text});
  };
  add(window, window->windowTitle());
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (w->objectName() == "LanguageBox") continue;
    add(w, w->toolTip());
    if (auto* l = qobject_cast<QLabel*>(w)) add(w, l->text());
    if (auto* b = qobject_cast<QAbstractButton*>(w)) add(w, b->text());
    if (auto* g = qobject_cast<QGroupBox*>(w)) add(w, g->title());
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
      add(w, e->text());
      add(w, e->placeholderText());
    }
    if (auto* p = qobject_cast<QPlainTextEdit*>(w)) add(w, p->toPlainText());
    if (auto* t = qobject_cast<QTabWidget*>(w)) {
      for (int i = 0; i < t->count(); ++i)
        add(w, t->tabText(i));
    }
    if (auto* c = qobject_cast<QComboBox*>(w)) {
      for (int i = 0; i < c->count(); ++i)
        add(w, c->itemText(i));
    }
    if (auto* l = qobject_cast<QListWidget*>(w)) {
      for (int i = 0; i < l->count(); ++i)
        add(w, l->item(i)->text());
    }
    if (auto* t = qobject_cast<QTableWidget*>(w)) {
      for (int c = 0; c < t->columnCount(); ++c) {
        if (auto* h = t->horizontalHeaderItem(c)) add(w, h->text());
        for (int r = 0; r < t->rowCount(); ++r) {
          if (auto* i = t->item(r, c)) add(w, i->text());
        }
      }
    }
  }
}

// What must not be seen in a language: Russian's own letters in Ukrainian, any Cyrillic
// letter in Romanian.
bool foreign(const QString& language, QChar c) {
  if (language == "uk") return QStringLiteral("ыэъёЫЭЪЁ").contains(c);
  return c.unicode() >= 0x0400 && c.unicode() <= 0x04FF;
}

QStringList foreignTexts(const QString& language, const QList<Seen>& seen) {
  QStringList found;
  for (const Seen& s : seen) {
    if (std::any_of(s.text.begin(), s.text.end(), [&](QChar c) { return foreign(language, c); }))
      found << s.where + ": " + s.text;
  }
  return found;
}

QList<Seen> lines(const QString& where, const QStringList& texts) {
  QList<Seen> out;
  for (const QString& t : texts)
    out.append({where, t});
  return out;
}

// The country each language's printer reports, and the book's type of its numbers.
struct Variant {
  const char* country;
  int bookType;  // index in the book window's type list
};
Variant variantOf(const QString& language) {
  return language == "uk" ? Variant{"Україна", 1} : Variant{"Moldova", 3};
}

// A whole test run of the built-in printer through the command line's runner, in the
// language installed, on a virtual clock: its log and its trace.
struct CommandLineRun {
  QStringList log;
  QByteArray trace;
};
CommandLineRun runFromTheCommandLine(const QString& dir, const std::string& country) {
  tallowick::VirtualClock clock;
  tallowick::CliContext context;
  context.simClock = &clock;
  context.wallClock = [] { return tallowick::platform::LocalDateTime{2026, 12, 10, 9, 30, 0}; };
  context.prepareSim = [country](tallowick::sim::VirtualPrinter& printer) {
    printer.settings().country = country;
  };
  const QString trace = dir + "/run.trace.jsonl";
  std::ostringstream out;
  std::ostringstream err;
  tallowick::runCli({"testrun", "--port", "sim", "--pause", "0", "--trace", trace.toStdString(),
                     "--history", (dir + "/history.sqlite3").toStdString()},
                    out, err, context);
  QFile file(trace);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return {QString::fromStdString(out.str() + err.str()).split('\n'), file.readAll()};
}

}  // namespace

class LanguagesTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() {
    QVERIFY(history_.isValid());
    qputenv("TALLOWICK_HISTORY", history_.filePath("history.sqlite3").toUtf8());
  }
  void cleanup() { gui::installLanguage("ru"); }

  void everyWindowAndPageSpeaksTheLanguage_data();
  void everyWindowAndPageSpeaksTheLanguage();
  void theCommandLinesRunLogsInTheLanguageAndSendsTheSameBytes();
  void russianStaysAsWritten();
  void theStartLanguage_data();
  void theStartLanguage();
  void qtsOwnButtonsSpeakTheLanguage();

 private:
  QTemporaryDir history_;
};

void LanguagesTest::everyWindowAndPageSpeaksTheLanguage_data() {
  QTest::addColumn<QString>("language");
  QTest::newRow("Ukrainian") << "uk";
  QTest::newRow("Romanian") << "ro";
}

void LanguagesTest::everyWindowAndPageSpeaksTheLanguage() {
  QFETCH(QString, language);
  QVERIFY(!gui::installLanguage(language.toStdString()).isEmpty());
  QCOMPARE(tallowick::textLanguage(), language.toStdString());
  const Variant variant = variantOf(language);

  RecordingDialogs dialogs;
  gui::ProgramOptions options;
  options.store = std::make_unique<tallowick::MemorySerialStore>();
  options.simulatedModel = "";
  options.programPath = "/opt/tallowick/tallowick";
  options.dialogs = &dialogs;
  options.endProgram = [] {};
  options.platformPorts = [] { return std::vector<std::string>{}; };
  options.stationRunner = [](tallowick::history::Journal& journal) {
    return tallowick::stationRunner(journal, {});
  };
  gui::Program program(std::move(options));
  program.simulatedPort()->printer().settings().country = variant.country;
  QList<Seen> seen;

  // The book: an interval of numbers of the language's country, saved.
  gui::TForm3& book = program.form3();
  program.start();
  find<QComboBox>(&book, "ComboBox1")->setCurrentIndex(variant.bookType);
  find<QLineEdit>(&book, "MaskEdit1")->setText("12340");
  find<QLineEdit>(&book, "MaskEdit2")->setText("12342");
  find<QPushButton>(&book, "Button8")->click();
  find<QPushButton>(&book, "Button9")->click();
  collect(&book, seen);
  collect(&program.form2(), seen);
  collect(&program.form4(), seen);
  gui::LineDialog line(nullptr);
  collect(&line, seen);

  // The main window before and after the connect, every page, and a whole run.
  gui::TForm1& main = program.form1();
  main.show();
  collect(&main, seen);
  find<QPushButton>(&main, "Button2")->click();
  auto* pages = find<QTabWidget>(&main, "PageControl1");
  for (int page = 0; page < pages->count(); ++page) {
    pages->setCurrentIndex(page);
    collect(&main, seen);
  }
  pages->setCurrentIndex(1);
  find<QLineEdit>(&main, "Edit1")->setText("0");
  find<QPushButton>(&main, "Button3")->click();
  const std::vector<std::string>& log = main.testLog();
  QVERIFY(log.size() > 150);
  collect(&main, seen);
  // The auxiliary page's functions say what they did in boxes.
  pages->setCurrentIndex(2);
  find<QPushButton>(&main, "Button12")->click();

  // The history of that run, and the station window.
  find<QPushButton>(&main, "Button18")->click();
  QVERIFY(main.historyWindow());
  collect(main.historyWindow(), seen);
  find<QPushButton>(main.historyWindow(), "FiguresButton")->click();
  QVERIFY(main.historyWindow()->figuresWindow());
  collect(main.historyWindow()->figuresWindow(), seen);
  find<QPushButton>(&main, "Button19")->click();
  QVERIFY(main.stationWindow());
  collect(main.stationWindow(), seen);

  seen += lines("log", [&] {
    QStringList all;
    for (const std::string& l : log)
      all << QString::fromStdString(l);
    return all;
  }());
  seen += lines("box", dialogs.boxes);
  seen += lines("question", dialogs.questions);
  QVERIFY(!dialogs.boxes.isEmpty());
  const QStringList found = foreignTexts(language, seen);
  QVERIFY2(found.isEmpty(), qPrintable(found.join('\n')));
  main.hide();
}

void LanguagesTest::theCommandLinesRunLogsInTheLanguageAndSendsTheSameBytes() {
  QTemporaryDir dir;
  QVERIFY(dir.isValid());
  QMap<QString, QByteArray> traces;
  for (const QString language : {"ru", "uk", "ro"}) {
    gui::installLanguage(language.toStdString());
    QVERIFY(QDir(dir.path()).mkpath(language));
    // One printer for all three: only the language differs.
    const CommandLineRun run = runFromTheCommandLine(dir.path() + "/" + language, "Moldova");
    QVERIFY2(run.log.size() > 150, qPrintable(language));
    traces[language] = run.trace;
    // The history says which language the record's lines were written in.
    const auto records =
        tallowick::history::Store((dir.path() + "/" + language + "/history.sqlite3").toStdString())
            .list({}, tallowick::history::Detail::Full);
    QVERIFY(records && records.value().size() == 1);
    QCOMPARE(records.value().front().language, language.toStdString());
    if (language != "ru") {
      const QStringList found = foreignTexts(language, lines("log", run.log));
      QVERIFY2(found.isEmpty(), qPrintable(found.join('\n')));
    }
  }
  QVERIFY(!traces["ru"].isEmpty());
  QCOMPARE(traces["uk"], traces["ru"]);
  QCOMPARE(traces["ro"], traces["ru"]);
  // The Ukrainian printer in Ukrainian.
  gui::installLanguage("uk");
  QVERIFY(QDir(dir.path()).mkpath("uk-ua"));
  const CommandLineRun ukrainian = runFromTheCommandLine(dir.path() + "/uk-ua", "Україна");
  QVERIFY(ukrainian.log.contains("Загальна кількість помилок: 0"));
  const QStringList found = foreignTexts("uk", lines("log", ukrainian.log));
  QVERIFY2(found.isEmpty(), qPrintable(found.join('\n')));
}

// Russian is the language the texts are written in: nothing is translated, and a text of
// another language is never taken for one of the program's own.
void LanguagesTest::russianStaysAsWritten() {
  gui::installLanguage("uk");
  QCOMPARE(Text::tr("Общее количество ошибок: %1"), std::string("Загальна кількість помилок: %1"));
  QCOMPARE(Text::tr("sim"), std::string("sim"));
  gui::installLanguage("ro");
  QCOMPARE(Text::tr("Да"), std::string("Da"));
  gui::installLanguage("ru");
  QCOMPARE(tallowick::textLanguage(), std::string("ru"));
  QCOMPARE(Text::tr("Да"), std::string("Да"));
  QCOMPARE(tallowick::withArgs("%2 из %1, %3%%", {"a", "b"}), std::string("b из a, %3%"));
}

void LanguagesTest::theStartLanguage_data() {
  QTest::addColumn<QString>("asked");   // --language; empty: not given
  QTest::addColumn<QString>("kept");    // the setting; empty: none, "-": no settings at all
  QTest::addColumn<QString>("system");  // the computer's locale
  QTest::addColumn<bool>("answer");     // to the first start's question
  QTest::addColumn<QString>("language");
  QTest::addColumn<int>("questions");
  QTest::addColumn<QString>("keptAfter");
  QTest::newRow("the option wins") << "ro"
                                   << "uk"
                                   << "uk_UA" << true << "ro" << 0 << "uk";
  QTest::newRow("the setting") << ""
                               << "uk"
                               << "ro_MD" << true << "uk" << 0 << "uk";
  QTest::newRow("a setting of no language") << ""
                                            << "de"
                                            << "uk_UA" << true << "ru" << 0 << "de";
  QTest::newRow("a Ukrainian computer, taken") << ""
                                               << ""
                                               << "uk_UA" << true << "uk" << 1 << "uk";
  QTest::newRow("a Romanian computer, declined") << ""
                                                 << ""
                                                 << "ro_RO" << false << "ru" << 1 << "ru";
  QTest::newRow("a Russian computer") << ""
                                      << ""
                                      << "ru_RU" << true << "ru" << 0 << "";
  QTest::newRow("another language") << ""
                                    << ""
                                    << "de_DE" << true << "ru" << 0 << "";
  QTest::newRow("no settings to keep it in") << ""
                                             << "-"
                                             << "uk_UA" << true << "uk" << 1 << "-";
}

// The language of a start: the option, the setting, else the computer's own when the user
// takes it (asked once, in that language, the answer kept).
void LanguagesTest::theStartLanguage() {
  QFETCH(QString, asked);
  QFETCH(QString, kept);
  QFETCH(QString, system);
  QFETCH(bool, answer);
  QFETCH(QString, language);
  QFETCH(int, questions);
  QFETCH(QString, keptAfter);
  QTemporaryDir dir;
  QVERIFY(dir.isValid());
  auto settings = tallowick::fileSettings((dir.path() + "/settings.json").toStdString());
  if (kept != "-" && !kept.isEmpty()) {
    QVERIFY(settings->set(tallowick::setting::kLanguage, kept.toStdString()));
  }
  RecordingDialogs dialogs;
  dialogs.answer = answer;
  const std::optional<std::string> option =
      asked.isEmpty() ? std::nullopt : std::optional<std::string>(asked.toStdString());
  const std::string chosen =
      gui::startLanguage(option, kept == "-" ? nullptr : settings.get(), dialogs, system);
  QCOMPARE(QString::fromStdString(chosen), language);
  QCOMPARE(dialogs.questions.size(), questions);
  if (questions > 0) {
    // Asked in the language offered.
    QVERIFY(!dialogs.questions.front().contains(QStringLiteral("языке")));
  }
  if (kept != "-") {
    const auto after = settings->get(tallowick::setting::kLanguage);
    QVERIFY(after);
    QCOMPARE(QString::fromStdString(after.value().value_or("")), keptAfter);
  }
}

// Qt's own standard buttons: Qt's Ukrainian, and ours where Qt has no Romanian.
void LanguagesTest::qtsOwnButtonsSpeakTheLanguage() {
  const std::pair<const char*, const char*> cases[] = {
      {"ru", "Отмена"}, {"uk", "Скасувати"}, {"ro", "Anulează"}};
  for (const auto& [language, cancel] : cases) {
    QVERIFY(!gui::installLanguage(language).isEmpty());
    QDialogButtonBox box(QDialogButtonBox::Cancel);
    QCOMPARE(box.button(QDialogButtonBox::Cancel)->text(), QString::fromUtf8(cancel));
  }
}

QTEST_MAIN(LanguagesTest)
#include "languages_test.moc"
