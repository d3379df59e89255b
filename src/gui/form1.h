// TForm1, the main window: the connection row (port, baud rate, connect button, indicator,
// close button), the service-mode indicator Label9 and the three pages. Each handler
// forwards to the Qt-free logic: Button2Click to the connect sequence, the test page to
// TestRun. The window speaks to that logic through the Ui seam (MainWindowUi).
#pragma once

#include <QDialog>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gui/dialog_service.h"
#include "gui/station_window.h"
#include "history/journal.h"
#include "mainform/auxiliary_page.h"
#include "mainform/init_page.h"
#include "mainform/run_state.h"
#include "mainform/session.h"
#include "mainform/ui.h"
#include "platform/own_text.h"
#include "platform/store_result.h"
#include "portcontrol/port_enumeration.h"
#include "testrun/test_run.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QWidget;

namespace tallowick {
class SerialBook;
class SerialSelector;
class NumberKeeper;
}  // namespace tallowick

namespace tallowick::line {
class Station;
class StationHistory;
}  // namespace tallowick::line

namespace tallowick::gui {

class InputGate;
class HistoryWindow;
class TShape;

// The names of the serial ports to offer, in order.
using PortLister = std::function<std::vector<std::string>()>;

// What the main window reaches beyond itself: the other windows and the program's end.
struct MainWindowLinks {
  PortLister ports;
  // The stable names of ports, offered after `ports` with the device each points to.
  std::function<std::vector<StablePortName>()> stablePorts;
  // The port to select when the window is shown (typed in when it is not listed).
  std::string preselectedPort;
  // TForm3's book, whose list "К инициализации" fills ComboBox5.
  SerialBook* book = nullptr;
  // ComboBox5 as TForm4 sees it.
  SerialSelector* selector = nullptr;
  // Where the numbers the initialisation writes are accounted for; none: as typed.
  NumberKeeper* numbers = nullptr;
  // TForm2 shown modally; its answer.
  std::function<std::int32_t()> showForm2;
  // TForm4 shown modally.
  std::function<void()> showForm4;
  // Ends the program once the running handler has returned.
  std::function<void()> terminate;
  // Where the history of runs and initialisations lives; the station's own file when not
  // given.
  std::function<StoreResult<std::filesystem::path>()> historyFile;
  // The journal to record in, when the program made it (on a line); one of the window's
  // own over `historyFile` otherwise.
  history::Journal* journal = nullptr;
  // This station on the line: its state shown, and the history window reading the line's
  // history. None: the station works alone.
  line::Station* station = nullptr;
  // The station window's runs, recorded in the journal given; none: no station window.
  std::function<StationRunner(history::Journal&)> stationRunner;
  // The computer's settings, where the station window keeps the folder of its logs.
  Settings* settings = nullptr;
};

class TForm1 final : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 540;
  static constexpr int kClientHeight = 527;
  static constexpr const char* kSaveFilter = Text::own("Все файлы (*.*)|*.*");
  static constexpr const char* kVersionText =
      Text::own("Тест для Veltor FP-510T/FP-T320/FP-820T/FP-90T/KM-15 ver. 2.60 23.02.2012");
  // At most this long between two looks at the user's input while a command waits.
  static constexpr std::chrono::milliseconds kAnswerPeriod{25};
  // How often the line's state is shown anew.
  static constexpr std::chrono::milliseconds kLineStatePeriod{2000};
  static constexpr const char* kStopAndCloseQuestion = Text::own(
      "Идет тест регистратора. Остановить тест и закрыть программу? Несохраненный журнал "
      "теста будет потерян.");

  TForm1(CommandSet& commands, Clock& clock, DialogService& dialogs, MainWindowLinks links);
  ~TForm1() override;

  RunState& state() { return state_; }
  Session& session() { return session_; }
  Ui& ui();
  // The lines of the test log RichEdit1, as Save writes them.
  const std::vector<std::string>& testLog() const { return testLog_; }
  QComboBox* serialSelector() const { return ComboBox5; }
  // The desktop asks the program to end (the user logs out). False when the user chose to
  // go on with the test run; otherwise the window closes, after stopping a run at its next
  // stop check. `mayAsk`: the desktop lets the program ask the user.
  bool endRequested(bool mayAsk);
  // A long sequence (the test run, the initialisation, the Z-report) is running, here or
  // in the station window.
  bool sequenceRunning() const { return sequencesRunning_ > 0 || stationRunning(); }
  // The journal every test run and initialisation is recorded in.
  history::Journal& journal() { return *journal_; }
  // The window "История", once Button18 has opened it.
  HistoryWindow* historyWindow() const { return historyWindow_.get(); }
  // The window "Несколько регистраторов", once Button19 has opened it.
  StationWindow* stationWindow() const { return stationWindow_.get(); }

 public Q_SLOTS:
  void FormActivate();
  void Button2Click();
  void Button1Click();
  void PageControl1Change(int index);
  void Button3Click();
  void Button4Click();
  void Button5Click();
  void Button6Click();
  // TabSheet5.
  void Button7Click();
  void Button8Click();
  void Button9Click();
  void Button10Click();
  // TabSheet2.
  void Button11Click();
  void Button12Click();
  void Button13Click();
  void Button14Click();
  void Button15Click();
  void Button16Click();
  void Button17Click();
  // "История", beside the connection row.
  void Button18Click();
  // "Несколько РРО", beside the pages' tabs: the station window.
  void Button19Click();
  // The language box in the top right corner: the windows' language from the next start.
  void LanguageBoxChange(int index);

 protected:
  void showEvent(QShowEvent* event) override;
  // The window manager's close (for instance at logout) during a long sequence is taken
  // as "Закрыть"; otherwise it is ignored, as the window has no close box.
  void closeEvent(QCloseEvent* event) override;
  // The window has no close box and Escape does not close it: "Закрыть" does.
  void reject() override {}

 private:
  class MainWindowUi;
  friend class MainWindowUi;

  void buildConnectionRow();
  void buildInitPage(QWidget* page);
  void buildTestPage(QWidget* page);
  void buildAuxiliaryPage(QWidget* page);
  void appendLine(LogId log, const std::string& line);
  void fillPortList();
  // The port to open: the path behind a listed stable name, or what was typed.
  std::string chosenPort() const;
  // A long sequence runs inside this handler; a "Закрыть" pressed at one of its event
  // pumps closes the window once the sequence has returned.
  void runSequence(const std::function<void()>& sequence);
  // "Закрыть" while a sequence runs: a test run is stopped first if the user agrees (the
  // answer when nobody may be asked is yes); the window closes once the sequence has
  // returned. False when the user chose to go on.
  bool closeDuringSequence(bool mayAsk);
  // A test run or an initialisation being recorded: its entry takes the message boxes,
  // `lines` the lines of its log.
  struct Recording {
    history::Journal::Entry& entry;
    LogId log;
    std::vector<std::string> lines;
  };
  // From the start of the run to its end; the printer is the one the connect found.
  void beginRecording(Recording& recording);
  void endRecording(Recording& recording);
  // Tells that the history could not be written, once, after the run's own boxes.
  void tellUnrecorded(const std::optional<Failure>& problem);

  CommandSet& commands_;
  Clock& clock_;
  DialogService& dialogs_;
  MainWindowLinks links_;
  RunState state_;
  std::unique_ptr<MainWindowUi> ui_;
  std::unique_ptr<InputGate> inputGate_;
  Session session_;
  TestRun testRun_;
  InitPage initPage_;
  AuxiliaryPage auxiliaryPage_;
  std::vector<std::string> testLog_;
  int testLines_ = 0;
  int memoLines_ = 0;
  bool activated_ = false;
  int sequencesRunning_ = 0;
  bool testRunning_ = false;
  bool connecting_ = false;
  bool closePending_ = false;
  // When the last test run began, for the name "Сохранить" suggests.
  std::optional<LocalDateTime> runStartedAt_;
  // Shows the line's state in LineLabel.
  void showLineState();

  std::unique_ptr<history::Journal> ownJournal_;
  history::Journal* journal_ = nullptr;
  std::unique_ptr<line::StationHistory> lineHistory_;
  std::unique_ptr<HistoryWindow> historyWindow_;
  // The ports the main window and the station window's runs have open.
  BusyPorts busyPorts_;
  std::string connectedPort_;
  // After the journal: its runs are ended before the journal goes.
  std::unique_ptr<StationWindow> stationWindow_;
  // The station window's runs under way.
  bool stationRunning() const;
  // Gives the port back once the printer is no longer connected here.
  void releasePort();
  // The book's list "Инициализация уже выполнена": the line's on a line.
  StoreResult<std::vector<std::string>> initialisedNumbers();
  // The runs being recorded, the innermost last: an initialisation started at an event pump
  // of a test run is recorded as a run of its own.
  std::vector<Recording*> recordings_;

  QLabel* Label9 = nullptr;
  QTabWidget* PageControl1 = nullptr;
  QWidget* TabSheet5 = nullptr;
  QWidget* TabSheet1 = nullptr;
  QWidget* TabSheet2 = nullptr;
  QComboBox* ComboBox1 = nullptr;
  QComboBox* ComboBox3 = nullptr;
  QPushButton* Button2 = nullptr;
  TShape* Shape1 = nullptr;
  QPushButton* Button1 = nullptr;
  QPushButton* Button18 = nullptr;
  QPushButton* Button19 = nullptr;
  QComboBox* LanguageBox = nullptr;
  // The line's state, above Label9, on a line only.
  QLabel* LineLabel = nullptr;

  // TabSheet5 "Инициализация регистратора".
  QLabel* Label5 = nullptr;
  QPlainTextEdit* Memo1 = nullptr;
  QLineEdit* Edit2 = nullptr;
  QLineEdit* Edit3 = nullptr;
  QPushButton* Button7 = nullptr;
  QComboBox* ComboBox5 = nullptr;
  QPushButton* Button9 = nullptr;
  QPushButton* Button8 = nullptr;
  QPushButton* Button10 = nullptr;

  // TabSheet1 "Тест РРО".
  QPlainTextEdit* RichEdit1 = nullptr;
  QLineEdit* Edit1 = nullptr;
  QComboBox* ComboBox2 = nullptr;
  QPushButton* Button3 = nullptr;
  QPushButton* Button4 = nullptr;
  QPushButton* Button6 = nullptr;
  QPushButton* Button5 = nullptr;
  QCheckBox* CheckBox1 = nullptr;
  // Where "Сохранить" put the log.
  QLabel* SavedLabel = nullptr;

  // TabSheet2 "Вспомогательные функции".
  QPushButton* Button11 = nullptr;
  QPushButton* Button12 = nullptr;
  QPushButton* Button13 = nullptr;
  QPushButton* Button14 = nullptr;
  QPushButton* Button15 = nullptr;
  QComboBox* ComboBox4 = nullptr;
  QPushButton* Button16 = nullptr;
  QPushButton* Button17 = nullptr;
  QLabel* Label8 = nullptr;
};

}  // namespace tallowick::gui
