// The desktop tool as a technician uses it, played through its own windows: the same
// program as `tallowick` (its command line, its real message boxes and save dialog, the
// platform's book), with a driver that finds the windows and their controls by object
// name and presses the buttons. It builds and stores an interval in TForm3, opens the main
// window, and on each port given runs a whole test, saves the log and checks the file;
// then the window "История" lists those runs, and the window "Несколько регистраторов" runs
// those ports again at once.
//
//   tallowick-desktop-run [--port NAME]... [--shots DIR] [--out DIR] [--timeout SECONDS]
//                         [--line] [-- OPTIONS OF tallowick]
//
// --port: the ports to run on, in order (default: sim). --shots: screenshots of TForm3,
// TForm1 and the window "История" as PNG files. --out: where the saved logs go (default: a
// temporary folder). --line: the program works on a line database (given to it by
// --database), whose book already holds numbers: TForm3 is to show the line's lists instead of
// building an interval, the window "История" the line's history, and the pictures are named
// line-tform3.png and line-history.png. Prints one line per step; exits 0 when every step passed, 1
// otherwise.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSysInfo>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <list>
#include <string>
#include <string_view>
#include <vector>

#include "app/gui_app.h"
#include "gui/widgets.h"
#include "link/cp1251.h"
#include "platform/own_text.h"

namespace {

// The program's texts in the language it was started in (--language).
QString shownText(const char* russian) {
  return tallowick::gui::shown(russian);
}
// The book's numbers of the language's country: a Moldovan type for Romanian.
int bookType() {
  return tallowick::textLanguage() == "ro" ? 3 : 1;
}
QString bookPrefix() {
  return tallowick::textLanguage() == "ro" ? "DH210" : "ЕД800";
}
// Pictures of another language than Russian are named with it first: uk-windows-tform3.png.
QString pictureName(const QString& name) {
  const QString language = QString::fromStdString(tallowick::textLanguage());
  return language == "ru" ? name : language + "-" + name;
}

void say(const QString& line) {
  std::fputs(("drive: " + line + "\n").toUtf8().constData(), stdout);
  std::fflush(stdout);
}

[[noreturn]] void fail(const QString& step, const QString& why) {
  say("FAILED at \"" + step + "\": " + why);
  std::_Exit(1);
}

QWidget* window(const char* name) {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->objectName() == QLatin1String(name)) return w;
  }
  return nullptr;
}

template <typename W>
W* control(const char* windowName, const char* name) {
  QWidget* w = window(windowName);
  W* c = w ? w->findChild<W*>(QString::fromLatin1(name)) : nullptr;
  if (!c) fail(QStringLiteral("finding controls"), QString("%1.%2").arg(windowName, name));
  return c;
}

// Clicks from a fresh event: a button whose handler opens a modal loop or runs the test
// then does not hold up the driver, which goes on inside that loop.
void press(QPushButton* button) {
  QTimer::singleShot(0, button, &QPushButton::click);
}

// The saved log as it must be: every line of RichEdit1 in Windows-1251, ended by CR LF.
// Windows-1251, or UTF-8 after its byte-order mark for a log with letters Windows-1251 has no
// place for (a Romanian one).
QByteArray expectedFile(const QString& log) {
  QByteArray bytes;
  QByteArray utf8("\xEF\xBB\xBF");
  bool fits = true;
  for (const QString& line : log.split(QLatin1Char('\n'))) {
    const auto encoded = tallowick::cp1251::encode(line.toStdString());
    fits = fits && encoded.has_value();
    if (encoded) bytes += QByteArray::fromStdString(*encoded) + "\r\n";
    utf8 += line.toUtf8() + "\r\n";
  }
  return fits ? bytes : utf8;
}

struct Step {
  QString name;
  // Acts or waits; true once the step is done.
  std::function<bool()> run;
};

class Driver {
 public:
  Driver(QStringList ports, QString shots, QString out, int timeoutSeconds, bool line)
      : shots_(std::move(shots)),
        out_(std::move(out)),
        timeoutSeconds_(timeoutSeconds),
        line_(line) {
    if (line_) {
      planLineBook();
    } else {
      planBook();
    }
    planContinue();
    for (int i = 0; i < ports.size(); ++i)
      planRun(ports[i], i == 0 && !line_);
    planHistory(static_cast<int>(ports.size()));
    if (!line_) planStation(ports + QStringList{QStringLiteral("sim:KM-15")});
    steps_.push_back({"Закрыть ends the program", [] {
                        press(control<QPushButton>("TForm1", "Button1"));
                        return true;
                      }});
  }

  void start() {
    clock_.start();
    stepClock_.start();
    QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
    timer_.start(20);
  }

  bool finished() const { return next_ == steps_.size(); }

 private:
  void tick() {
    if (clock_.elapsed() > timeoutSeconds_ * 1000LL) {
      fail(current(), QString("not done after %1 s").arg(timeoutSeconds_));
    }
    if (answerModal()) return;
    if (finished() || !steps_[next_].run()) return;
    say(QString("%1 (%2 s)")
            .arg(steps_[next_].name)
            .arg(static_cast<double>(stepClock_.elapsed()) / 1000.0, 0, 'f', 1));
    ++next_;
    stepClock_.restart();
  }

  QString current() const { return finished() ? QStringLiteral("the end") : steps_[next_].name; }

  // Message boxes are read and closed with their OK button; the save dialog gets the
  // file name the driver chose, as a user would type it.
  bool answerModal() {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      boxes_ << box->text();
      say("message box: " + box->text());
      box->button(QMessageBox::Ok)->click();
      return true;
    }
    if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
      if (saveAs_.isEmpty()) fail(current(), "a file dialog nobody asked for");
      // The folder, then the name typed into the dialog's file name field.
      const QFileInfo file(saveAs_);
      dialog->setDirectory(file.absolutePath());
      auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      auto* buttons = dialog->findChild<QDialogButtonBox*>();
      QPushButton* save = buttons ? buttons->button(QDialogButtonBox::Save) : nullptr;
      if (!name || !save) fail(current(), "the save dialog has no file name field or Save button");
      name->setText(file.fileName());
      if (save->isEnabled()) {
        save->click();
        saveAs_.clear();
      }
      return true;
    }
    return false;
  }

  bool settled() const { return stepClock_.elapsed() > 500; }

  void shot(const char* windowName, const QString& file) {
    if (shots_.isEmpty()) return;
    QWidget* w = window(windowName);
    const QRect frame = w->frameGeometry();
    const QPixmap pixels =
        w->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    QDir().mkpath(shots_);
    const QString path = QDir(shots_).filePath(pictureName(file));
    if (!pixels.save(path)) fail(current(), "cannot write " + path);
    say("screenshot " + file);
  }

  void planBook() {
    steps_.push_back({"TForm3 shows", [this] {
                        QWidget* w = window("TForm3");
                        if (!w || !w->isVisible()) return false;
                        if (w->windowTitle() != shownText("Тест фискальных регистраторов"))
                          fail(current(), "caption " + w->windowTitle());
                        return true;
                      }});
    steps_.push_back({"an interval is built", [] {
                        control<QComboBox>("TForm3", "ComboBox1")->setCurrentIndex(bookType());
                        control<QLineEdit>("TForm3", "MaskEdit1")->setText("12340");
                        control<QLineEdit>("TForm3", "MaskEdit2")->setText("12349");
                        press(control<QPushButton>("TForm3", "Button8"));
                        return true;
                      }});
    steps_.push_back({"Сохранить stores it", [this] {
                        auto* list = control<QListWidget>("TForm3", "ListBox1");
                        if (!boxes_.isEmpty()) fail(current(), boxes_.join(" | "));
                        if (list->count() != 10 || list->item(0)->text() != bookPrefix() + "12340")
                          fail(current(), QString("%1 numbers listed").arg(list->count()));
                        press(control<QPushButton>("TForm3", "Button9"));
                        return true;
                      }});
    steps_.push_back({"the book is stored", [this] {
                        if (!boxes_.isEmpty()) fail(current(), boxes_.join(" | "));
                        if (!control<QPushButton>("TForm3", "Button6")->isEnabled()) return false;
                        control<QListWidget>("TForm3", "ListBox1")->setCurrentRow(0);
                        return true;
                      }});
    steps_.push_back({"TForm3 pictured", [this] {
                        if (!settled()) return false;
                        shot("TForm3", "windows-tform3.png");
                        return true;
                      }});
  }

  // On a line the book window lists the line's numbers, which the administrator added.
  void planLineBook() {
    steps_.push_back({"TForm3 lists the line's book", [this] {
                        QWidget* w = window("TForm3");
                        if (!w || !w->isVisible()) return false;
                        auto* list = control<QListWidget>("TForm3", "ListBox1");
                        if (list->count() == 0) return false;
                        if (!list->item(0)->text().startsWith(QStringLiteral("ЕД800")))
                          fail(current(), "first number " + list->item(0)->text());
                        if (!control<QPushButton>("TForm3", "Button6")->isEnabled()) return false;
                        say(QString("the line's book: %1 numbers").arg(list->count()));
                        return true;
                      }});
    steps_.push_back({"TForm3 pictured", [this] {
                        if (!settled()) return false;
                        shot("TForm3", "line-tform3.png");
                        return true;
                      }});
  }

  void planContinue() {
    steps_.push_back({"Продолжить opens TForm1", [] {
                        press(control<QPushButton>("TForm3", "Button6"));
                        return true;
                      }});
    steps_.push_back({"TForm1 shows modally", [this] {
                        QWidget* w = window("TForm1");
                        if (!w || !w->isVisible() || QApplication::activeModalWidget() != w)
                          return false;
                        if (w->windowTitle() != shownText("Тест регистратора расчетных операций"))
                          fail(current(), "caption " + w->windowTitle());
                        auto* ports = control<QComboBox>("TForm1", "ComboBox1");
                        QStringList names;
                        for (int i = 0; i < ports->count(); ++i)
                          names << ports->itemText(i);
                        say("ports listed: " + names.join(", "));
                        return true;
                      }});
  }

  void planRun(const QString& port, bool pictured) {
    steps_.push_back({"connect to " + port, [this, port] {
                        auto* ports = control<QComboBox>("TForm1", "ComboBox1");
                        const int index = ports->findText(port);
                        if (index < 0) fail(current(), "the port list does not offer " + port);
                        ports->setCurrentIndex(index);
                        control<QComboBox>("TForm1", "ComboBox3")->setCurrentIndex(0);
                        boxes_.clear();
                        press(control<QPushButton>("TForm1", "Button2"));
                        return true;
                      }});
    steps_.push_back(
        {"the printer on " + port + " is named", [this] {
           if (!boxes_.isEmpty()) fail(current(), boxes_.join(" | "));
           const QString title = window("TForm1")->windowTitle();
           if (!title.startsWith(shownText("Тест регистратора расчетных операций") + " Veltor "))
             return false;
           say("caption: " + title);
           return true;
         }});
    if (pictured) {
      steps_.push_back({"TForm1 pictured connected", [this] {
                          if (!settled()) return false;
                          shot("TForm1", "windows-tform1-connected.png");
                          return true;
                        }});
    }
    steps_.push_back({"a whole test run starts on " + port, [this] {
                        control<QTabWidget>("TForm1", "PageControl1")->setCurrentIndex(1);
                        control<QPushButton>("TForm1", "Button6")->click();  // Очистить
                        control<QLineEdit>("TForm1", "Edit1")->setText("0");
                        control<QComboBox>("TForm1", "ComboBox2")->setCurrentIndex(0);
                        control<QCheckBox>("TForm1", "CheckBox1")->setChecked(false);
                        press(control<QPushButton>("TForm1", "Button3"));
                        return true;
                      }});
    steps_.push_back({"the run is under way",
                      [] { return !control<QPushButton>("TForm1", "Button3")->isEnabled(); }});
    if (pictured) {
      // The page while the run writes its log: once the log holds its first receipts.
      steps_.push_back({"TForm1 pictured during the run", [this] {
                          auto* log = control<QPlainTextEdit>("TForm1", "RichEdit1");
                          if (control<QPushButton>("TForm1", "Button3")->isEnabled()) return true;
                          if (log->document()->blockCount() < 80) return false;
                          shot("TForm1", "windows-tform1-test-running.png");
                          return true;
                        }});
    }
    steps_.push_back(
        {"the run ends with no errors", [this] {
           if (!control<QPushButton>("TForm1", "Button3")->isEnabled()) return false;
           const QString log = control<QPlainTextEdit>("TForm1", "RichEdit1")->toPlainText();
           const QStringList lines = log.split(QLatin1Char('\n'));
           if (!lines.contains(shownText("Общее количество ошибок: %1").arg(0))) {
             fail(current(), "the log ends: " +
                                 lines.mid(std::max<qsizetype>(0, lines.size() - 8)).join(" / "));
           }
           say("message boxes of the run: " + boxes_.join(" | "));
           return true;
         }});
    if (pictured) {
      steps_.push_back({"TForm1 pictured after the run", [this] {
                          if (!settled()) return false;
                          shot("TForm1", "windows-tform1-test-run.png");
                          return true;
                        }});
    }
    const QString file = QDir(out_).filePath("log-" + QString(port).replace(':', '-') + ".txt");
    steps_.push_back({"Сохранить asks for a file", [this, file] {
                        QFile::remove(file);
                        saveAs_ = file;
                        press(control<QPushButton>("TForm1", "Button5"));
                        return true;
                      }});
    steps_.push_back(
        {"the log is saved whole with CR LF", [this, file] {
           if (!saveAs_.isEmpty() || QApplication::activeModalWidget() != window("TForm1"))
             return false;
           QFile saved(file);
           if (!saved.open(QIODevice::ReadOnly)) fail(current(), "no file " + file);
           const QByteArray bytes = saved.readAll();
           const QByteArray expected =
               expectedFile(control<QPlainTextEdit>("TForm1", "RichEdit1")->toPlainText());
           if (expected.isEmpty() || bytes != expected) {
             fail(current(),
                  QString("%1 bytes, not the %2 expected").arg(bytes.size()).arg(expected.size()));
           }
           say(QString("%1: %2 bytes").arg(file).arg(bytes.size()));
           return true;
         }});
    steps_.push_back({"disconnect from " + port, [] {
                        auto* button = control<QPushButton>("TForm1", "Button2");
                        button->click();
                        return button->text() == shownText("Подключить");
                      }});
  }

  // Every run is in the history, newest first, finished; the window pictured.
  void planHistory(int runs) {
    steps_.push_back({"История opens", [] {
                        press(control<QPushButton>("TForm1", "Button18"));
                        return true;
                      }});
    steps_.push_back({"История lists every run as finished", [this, runs] {
                        QWidget* w = window("HistoryWindow");
                        if (!w || !w->isVisible()) return false;
                        auto* list = control<QTableWidget>("HistoryWindow", "RecordList");
                        // The columns by their headers: a line's history has the station's.
                        const auto column = [list](const QString& header) {
                          for (int c = 0; c < list->columnCount(); ++c) {
                            if (list->horizontalHeaderItem(c)->text() == header) return c;
                          }
                          return 0;
                        };
                        const int kind = column(shownText("Вид")), port = column(shownText("Порт")),
                                  outcome = column(shownText("Результат"));
                        QStringList outcomes;
                        for (int row = 0; row < list->rowCount(); ++row)
                          outcomes << list->item(row, kind)->text() + " " +
                                          list->item(row, port)->text() + ": " +
                                          list->item(row, outcome)->text();
                        say("history: " + outcomes.join(" | "));
                        // A line's history holds the other stations' records too.
                        const bool listed =
                            line_ ? outcomes.join("").count(shownText("Завершен")) >= runs
                                  : list->rowCount() == runs &&
                                        outcomes.join("").count(shownText("Завершен")) == runs;
                        if (!listed)
                          fail(current(), control<QLabel>("HistoryWindow", "StatusLabel")->text());
                        list->selectRow(0);
                        // The picture shows no account of the machine it was taken on.
                        list->setColumnHidden(column(shownText("Пользователь")), true);
                        return true;
                      }});
    steps_.push_back({"История pictured", [this] {
                        if (!settled()) return false;
                        shot("HistoryWindow", line_ ? "line-history.png" : "history.png");
                        control<QPushButton>("HistoryWindow", "CloseButton")->click();
                        return true;
                      }});
  }

  // The same ports again, at once, from the window "Несколько регистраторов", each with its
  // unit's number scanned: every run finishes, its log saved in the folder of the computer's
  // setting; the window pictured during the runs and at their end.
  void planStation(const QStringList& ports) {
    const QString prefix =
        QSysInfo::productType() == QLatin1String("windows") ? "windows-station" : "station";
    steps_.push_back({"Несколько РРО opens the station window", [] {
                        press(control<QPushButton>("TForm1", "Button19"));
                        return true;
                      }});
    steps_.push_back({"the ports are added and their units scanned", [ports] {
                        QWidget* w = window("StationWindow");
                        if (!w || !w->isVisible()) return false;
                        for (const QString& port : ports) {
                          control<QLineEdit>("StationWindow", "PortEdit")->setText(port);
                          control<QPushButton>("StationWindow", "AddButton")->click();
                        }
                        for (int row = 0; row < ports.size(); ++row) {
                          auto* unit = control<QLineEdit>(
                              "StationWindow", qPrintable("Unit" + QString::number(row)));
                          unit->setText(bookPrefix() + QString("1234%1").arg(row));
                          Q_EMIT unit->returnPressed();
                        }
                        control<QLineEdit>("StationWindow", "PauseEdit")->setText("0");
                        press(control<QPushButton>("StationWindow", "StartButton"));
                        return true;
                      }});
    steps_.push_back({"the station's runs are under way", [] {
                        auto* table = control<QTableWidget>("StationWindow", "RunTable");
                        if (control<QPushButton>("StationWindow", "StartButton")->isEnabled())
                          return false;
                        if (table->item(0, 4)->text().isEmpty()) return false;
                        table->selectRow(0);
                        return true;
                      }});
    steps_.push_back({"the station pictured during its runs", [this, prefix] {
                        if (stepClock_.elapsed() < 1500) return false;
                        shot("StationWindow", prefix + "-running.png");
                        return true;
                      }});
    steps_.push_back({"every station run finishes", [this, ports, prefix] {
                        if (!control<QPushButton>("StationWindow", "StartButton")->isEnabled())
                          return false;
                        auto* table = control<QTableWidget>("StationWindow", "RunTable");
                        QStringList states;
                        for (int row = 0; row < table->rowCount(); ++row)
                          states << table->item(row, 0)->text() + ": " +
                                        table->item(row, 7)->text();
                        say("station: " + states.join(" | "));
                        if (states.join("").count(": " + shownText("завершён")) != ports.size() ||
                            states.join("").contains(shownText("завершён с ошибками")))
                          fail(current(), states.join(" | "));
                        const QStringList logs =
                            QDir(QDir(out_).filePath("station")).entryList({"*.log"}, QDir::Files);
                        if (logs.size() != ports.size())
                          fail(current(), "logs saved: " + logs.join(", "));
                        say("station logs: " + logs.join(", "));
                        if (!settled()) return false;
                        shot("StationWindow", prefix + "-done.png");
                        window("StationWindow")->close();
                        return true;
                      }});
  }

  std::vector<Step> steps_;
  std::size_t next_ = 0;
  QString shots_;
  QString out_;
  int timeoutSeconds_;
  bool line_;
  QStringList boxes_;
  QString saveAs_;
  QTimer timer_;
  QElapsedTimer clock_;
  QElapsedTimer stepClock_;
};

}  // namespace

int main(int argc, char** argv) {
  QStringList ports;
  QString shots;
  QString out;
  int timeout = 900;
  bool line = false;
  std::vector<char*> programArgs{argv[0]};
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    if (a == "--port" && hasValue) {
      ports << QString::fromLocal8Bit(argv[++i]);
    } else if (a == "--shots" && hasValue) {
      shots = QString::fromLocal8Bit(argv[++i]);
    } else if (a == "--out" && hasValue) {
      out = QString::fromLocal8Bit(argv[++i]);
    } else if (a == "--timeout" && hasValue) {
      timeout = std::atoi(argv[++i]);
    } else if (a == "--line") {
      line = true;
    } else if (a == "--") {
      programArgs.insert(programArgs.end(), argv + i + 1, argv + argc);
      break;
    } else {
      std::fprintf(stderr, "tallowick-desktop-run: unknown argument %s\n", a.c_str());
      return 2;
    }
  }
  if (ports.isEmpty()) ports << QStringLiteral("sim");
  QTemporaryDir scratch;
  if (out.isEmpty()) out = scratch.path();
  // Where the book is a file, a new one for every run (the registry ignores the option);
  // the runs it makes go into a history of its own, never the user's.
  std::list<std::string> added;  // the texts that programArgs points into
  const std::pair<const char*, const char*> ownFiles[] = {{"--registry", "book.sqlite3"},
                                                          {"--history", "history.sqlite3"}};
  for (const auto& [option, name] : ownFiles) {
    if (std::find(programArgs.begin(), programArgs.end(), std::string_view(option)) !=
        programArgs.end())
      continue;
    programArgs.push_back(added.emplace_back(option).data());
    programArgs.push_back(
        added.emplace_back(QDir(scratch.path()).filePath(name).toStdString()).data());
  }

  // The station window's logs go to a folder of the computer's setting, never asked for.
  if (!line) {
    const QString stationLogs = QDir(out).filePath("station");
    QDir().mkpath(stationLogs);
    const QString settings = QDir(scratch.path()).filePath("settings.json");
    QFile file(settings);
    if (!file.open(QIODevice::WriteOnly)) return 2;
    file.write(QJsonDocument(QJsonObject{{"log_folder", stationLogs}}).toJson());
    file.close();
    qputenv("TALLOWICK_SETTINGS", QFile::encodeName(settings));
  }

  std::unique_ptr<Driver> driver;
  bool allStepsDone = false;
  const int code =
      tallowick::runDesktopTool(static_cast<int>(programArgs.size()), programArgs.data(), [&] {
        // Qt's own save dialog, which the driver can fill in like any other window.
        QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
        driver = std::make_unique<Driver>(ports, shots, out, timeout, line);
        // The driver and its timer go while the application still stands.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, [&] {
          allStepsDone = driver->finished();
          driver.reset();
        });
        driver->start();
      });
  if (code != 0 || !allStepsDone) {
    say(QString("FAILED: the program ended with code %1 before the last step").arg(code));
    return 1;
  }
  say("passed");
  return 0;
}
