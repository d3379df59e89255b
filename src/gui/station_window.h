// The window "Несколько регистраторов": the automatic test on several ports at once, each
// port its own run in a thread of its own (link, run, clock, error count: nothing shared),
// exactly as `tallowick-cli testrun` runs several ports. One row per port with the unit's
// serial number (typed or scanned), where its run has got to and how it ended; the chosen
// row's log as it grows. A run's message box never stops the others: it is shown in its row
// and log. Each run's log is saved in the folder chosen once, and each run is recorded in the
// history with its unit's number.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/own_text.h"
#include "platform/store_result.h"
#include "testrun/port_run.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class QTimer;

namespace tallowick {
class Settings;
}

namespace tallowick::gui {

class DialogService;

// The ports in use by a window: the main window's connection and the station's runs never
// share one.
class BusyPorts {
 public:
  // False when the port is in use already.
  bool take(const std::string& port);
  void give(const std::string& port);
  bool busy(const std::string& port) const;

 private:
  mutable std::mutex lock_;
  std::set<std::string> ports_;
};

struct StationLinks {
  // The port list as the main window fills it.
  std::function<std::vector<std::string>()> ports;
  // Runs one port's test; from the run's own thread.
  StationRunner runner;
  // The book's list "Инициализация уже выполнена", which a unit's number is looked up in.
  std::function<StoreResult<std::vector<std::string>>()> initialisedNumbers;
  // Where the folder of the logs is kept; none: it is asked for once per session.
  Settings* settings = nullptr;
  BusyPorts* busy = nullptr;
};

class StationWindow final : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 900;
  static constexpr int kClientHeight = 600;
  // How often the rows and the chosen log are brought up to date while runs go on.
  static constexpr int kRefreshMs = 100;
  static constexpr const char* kTitle = Text::own("Несколько регистраторов");
  static constexpr const char* kStopAndCloseQuestion =
      Text::own("Идут тесты регистраторов. Остановить все тесты и закрыть окно?");
  enum Column { Port, Unit, Model, Firmware, Step, Progress, Errors, State, RowStop, Columns };

  StationWindow(StationLinks links, DialogService& dialogs, QWidget* parent);
  ~StationWindow() override;

  // Lists the ports anew and shows the window.
  void showPorts();
  // Runs under way.
  bool running() const;
  // Stops every run at its next stop check; `close` closes the window once they have ended.
  void stopAll(bool close);
  // The lines of a row's log, as shown when the row is chosen.
  QStringList rowLog(int row) const;
  int rowOf(const QString& port) const;

 Q_SIGNALS:
  // The last run under way has ended.
  void runsEnded();

 public Q_SLOTS:
  void StartButtonClick();
  void StopButtonClick();
  void FolderButtonClick();
  void AddButtonClick();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  struct Row;
  struct Run;
  void buildOptions();
  void buildTable();
  // The rows follow the ports checked: a row for each, in the list's order.
  void syncRows();
  void unitEntered(int row);
  // Checks a row's number: a refusal or a remark in its state, at once.
  bool checkUnit(Row& row);
  void startRow(Row& row, const QString& folder);
  void refresh();
  void showRow(Row& row);
  void showChosenLog();
  void rowStopClicked(const QString& port);
  void setRowState(Row& row, const QString& text, const QColor& colour);
  // The book's list "Инициализация уже выполнена" read anew; its failure said.
  void readInitialised();
  // The folder for the logs: the one chosen before, else asked for; empty when none.
  QString logFolder();
  void updateButtons();

  StationLinks links_;
  DialogService& dialogs_;
  std::vector<std::unique_ptr<Row>> rows_;
  std::vector<std::string> initialised_;
  QString folder_;
  bool closePending_ = false;

  QListWidget* PortList = nullptr;
  QLineEdit* PortEdit = nullptr;
  QPushButton* AddButton = nullptr;
  QComboBox* RateBox = nullptr;
  QComboBox* PassesBox = nullptr;
  QLineEdit* PauseEdit = nullptr;
  QCheckBox* FiscalBox = nullptr;
  QLabel* FolderLabel = nullptr;
  QPushButton* FolderButton = nullptr;
  QPushButton* StartButton = nullptr;
  QPushButton* StopButton = nullptr;
  QTableWidget* RunTable = nullptr;
  QPlainTextEdit* RunLog = nullptr;
  QLabel* StatusLabel = nullptr;
  QTimer* refreshTimer_ = nullptr;
};

}  // namespace tallowick::gui
