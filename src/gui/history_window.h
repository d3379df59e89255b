// The window "История": the records of the history newest first, narrowed by the start
// date, the model, a part of the serial number and the outcome; one record's log in a window
// of its own, copied or saved; what the list shows exported as CSV, JSON or JUnit XML (only
// the rows chosen, when several are). It only reads the history, through the queries the
// command line uses too: a file it cannot read is reported in its status line and left as it
// is. On a line it reads the line's history, each record with its station, and marks this
// station's records that have not reached the line yet. "Показатели" opens the figures of
// everything the filter selects, beyond the records listed.
#pragma once

#include <QDialog>
#include <QPointer>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "gui/figures_window.h"
#include "history/journal.h"
#include "history/query.h"
#include "platform/own_text.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace tallowick::gui {

class DialogService;

class HistoryWindow final : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 780;
  static constexpr int kClientHeight = 496;
  // The most records one list shows; a filter finds older ones.
  static constexpr std::size_t kListLimit = 1000;
  static constexpr const char* kExportFilters[] = {
      Text::own("Файлы CSV (*.csv)|*.csv"),
      Text::own("Файлы JSON (*.json)|*.json"),
      Text::own("Отчеты JUnit XML (*.xml)|*.xml"),
  };

  // `line`: the line's history, read in place of the station's own with the station's
  // records that still wait marked, and the station of each record shown.
  HistoryWindow(history::Journal& journal, DialogService& dialogs, QWidget* parent,
                history::LineHistory* line = nullptr);
  ~HistoryWindow() override;

  // Lists the records anew and shows the window.
  void showList();
  // The ids of the records listed, top to bottom.
  std::vector<std::int64_t> listedIds() const;
  // The window with the log of the record opened last, while it is open.
  QDialog* logWindow() const { return logWindow_; }
  // The page of figures opened last, while it is open.
  FiguresWindow* figuresWindow() const { return figuresWindow_; }

 public Q_SLOTS:
  void ShowButtonClick();
  void LogButtonClick();
  void ExportButtonClick();
  void FiguresButtonClick();
  void ReportButtonClick();

 private:
  // The filter the fields describe; the message for a refused field.
  std::optional<Failure> readFilter(history::Filter& filter) const;
  void fill(const std::vector<history::Record>& records);
  void setStatus(const QString& text, bool problem);
  // The ids of the selected records when several are selected, else of every record listed.
  std::vector<std::int64_t> chosenIds() const;
  void openLog(std::int64_t id);
  // The log of the record open, written as the test page writes one, named `stem`.log.
  void saveLog(const std::vector<std::string>& log, const std::string& stem);

  history::Query query_;
  DialogService& dialogs_;
  bool onLine_ = false;

  QLineEdit* FromEdit = nullptr;
  QLineEdit* UntilEdit = nullptr;
  QComboBox* ModelBox = nullptr;
  QLineEdit* SerialEdit = nullptr;
  QComboBox* OutcomeBox = nullptr;
  QPushButton* ShowButton = nullptr;
  QPushButton* FiguresButton = nullptr;
  QTableWidget* RecordList = nullptr;
  QLabel* StatusLabel = nullptr;
  QPushButton* ReportButton = nullptr;
  QPushButton* LogButton = nullptr;
  QComboBox* FormatBox = nullptr;
  QPushButton* ExportButton = nullptr;
  QPushButton* CloseButton = nullptr;
  // Gone by itself when the dialog closes, and while the window is destroyed, without a
  // signal reaching a window that is no longer whole.
  QPointer<QDialog> logWindow_;
  QPointer<FiguresWindow> figuresWindow_;
};

}  // namespace tallowick::gui
