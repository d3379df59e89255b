#include "gui/station_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <thread>
#include <utility>

#include "gui/dialog_service.h"
#include "gui/widgets.h"
#include "initforms/serial_numbers.h"
#include "platform/settings.h"

namespace tallowick::gui {

bool BusyPorts::take(const std::string& port) {
  const std::lock_guard hold(lock_);
  return ports_.insert(port).second;
}

void BusyPorts::give(const std::string& port) {
  const std::lock_guard hold(lock_);
  ports_.erase(port);
}

bool BusyPorts::busy(const std::string& port) const {
  const std::lock_guard hold(lock_);
  return ports_.count(port) > 0;
}

namespace {

constexpr const char* kMessagePrefix = Text::own("Сообщение: ");
constexpr const char* kWrongForm =
    Text::own("Не номер книги: нужен префикс типа и пять цифр, например ЕД80012345");
constexpr const char* kNotInitialised = Text::own("Нет в списке «Инициализация уже выполнена»");

// The colours of a row's state: light, so that the text stays readable.
const QColor kRunningColour(0xDD, 0xEB, 0xFF);
const QColor kFinishedColour(0xC8, 0xF0, 0xC8);
const QColor kErrorsColour(0xFF, 0xF0, 0xA0);
const QColor kAbortedColour(0xFF, 0xC8, 0xC8);
const QColor kStoppedColour(0xE0, 0xE0, 0xE0);
const QColor kRemarkColour(0xFF, 0xE8, 0xB0);

QString stateCaption(const RunProgress& p) {
  switch (p.state) {
    case RunProgress::State::Running:
      return qs(Text::tr("идёт"));
    case RunProgress::State::Finished:
      return qs(Text::tr("завершён"));
    case RunProgress::State::WithErrors:
      return qs(Text::tr("завершён с ошибками"));
    case RunProgress::State::Aborted:
      return p.message.empty() ? qs(Text::tr("прерван"))
                               : qs(Text::tr("прерван: %1")).arg(qs(p.message));
    case RunProgress::State::Stopped:
      return qs(Text::tr("остановлен"));
  }
  return {};
}

QColor stateColour(RunProgress::State state) {
  switch (state) {
    case RunProgress::State::Running:
      return kRunningColour;
    case RunProgress::State::Finished:
      return kFinishedColour;
    case RunProgress::State::WithErrors:
      return kErrorsColour;
    case RunProgress::State::Aborted:
      return kAbortedColour;
    case RunProgress::State::Stopped:
      return kStoppedColour;
  }
  return {};
}

QTableWidgetItem* textItem() {
  auto* item = new QTableWidgetItem;
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return item;
}

}  // namespace

// One port's run, shared between its thread and the window: what the run told since the
// window last looked, under a lock.
struct StationWindow::Run {
  std::atomic<bool> stop{false};
  std::mutex lock;
  std::vector<std::string> lines;  // log lines and messages not shown yet
  RunProgress progress;
  bool changed = false;
  bool ended = false;
  std::thread thread;
};

struct StationWindow::Row {
  QString port;
  QLineEdit* unit = nullptr;
  QProgressBar* bar = nullptr;
  QPushButton* stop = nullptr;
  QStringList log;
  std::unique_ptr<Run> run;
  bool refused = false;  // the unit's number is not one the book makes
};

StationWindow::StationWindow(StationLinks links, DialogService& dialogs, QWidget* parent)
    : QDialog(parent), links_(std::move(links)), dialogs_(dialogs) {
  setObjectName(QStringLiteral("StationWindow"));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                 Qt::WindowMinimizeButtonHint);
  setFont(windowFont());
  setFixedSize(kClientWidth, kClientHeight);
  setWindowTitle(shown(kTitle));
  buildOptions();
  buildTable();
  refreshTimer_ = new QTimer(this);
  refreshTimer_->setInterval(kRefreshMs);
  connect(refreshTimer_, &QTimer::timeout, this, &StationWindow::refresh);
  updateButtons();
}

StationWindow::~StationWindow() {
  // Nothing outlives the window: every run is stopped and waited for.
  for (auto& row : rows_) {
    if (row->run) row->run->stop = true;
  }
  for (auto& row : rows_) {
    if (!row->run || !row->run->thread.joinable()) continue;
    row->run->thread.join();
    // Only the ports of runs that were still under way are this window's.
    if (links_.busy) links_.busy->give(u8(row->port));
  }
}

void StationWindow::buildOptions() {
  label(this, "PortsLabel", 8, 8, Text::own("Порты:"));
  PortList = place<QListWidget>(this, "PortList", 8, 26, 200, 112);
  connect(PortList, &QListWidget::itemChanged, this, [this] { syncRows(); });
  PortEdit = place<QLineEdit>(this, "PortEdit", 8, 144, 128, 21);
  PortEdit->setPlaceholderText(QStringLiteral("COM3, /dev/ttyUSB0"));
  AddButton = place<QPushButton>(this, "AddButton", 142, 142, 66, 25);
  AddButton->setText(qs(Text::tr("Добавить")));
  connect(AddButton, &QPushButton::clicked, this, &StationWindow::AddButtonClick);
  connect(PortEdit, &QLineEdit::returnPressed, this, &StationWindow::AddButtonClick);

  label(this, "RateLabel", 224, 30, Text::own("Скорость:"));
  RateBox = place<QComboBox>(this, "RateBox", 300, 26, 113);
  RateBox->addItems(rateItems());
  PauseEdit = place<QLineEdit>(this, "PauseEdit", 224, 58, 57, 21);
  PauseEdit->setText(QStringLiteral("1500"));
  label(this, "PauseLabel", 288, 62, Text::own("Задержка (мс) между подтестами"));
  PassesBox = place<QComboBox>(this, "PassesBox", 224, 86, 57);
  fillPasses(PassesBox);
  label(this, "PassesLabel", 288, 90, Text::own("циклов"));
  FiscalBox = place<QCheckBox>(this, "FiscalBox", 224, 116, 260, 17);
  FiscalBox->setText(qs(Text::tr("Без фискальных чеков и Z-отчета")));

  FolderButton = place<QPushButton>(this, "FolderButton", 520, 24, 130, 25);
  FolderButton->setText(qs(Text::tr("Папка журналов…")));
  connect(FolderButton, &QPushButton::clicked, this, &StationWindow::FolderButtonClick);
  FolderLabel = place<QLabel>(this, "FolderLabel", 520, 54, 372, 36);
  FolderLabel->setWordWrap(true);
  FolderLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  if (links_.settings) {
    if (auto kept = links_.settings->get(setting::kLogFolder); kept && kept.value()) {
      folder_ = qs(*kept.value());
    }
  }
  FolderLabel->setText(folder_.isEmpty()
                           ? qs(Text::tr("Папка журналов не выбрана."))
                           : qs(Text::tr("Журналы: %1")).arg(QDir::toNativeSeparators(folder_)));

  StartButton = place<QPushButton>(this, "StartButton", 520, 110, 75, 25);
  StartButton->setText(qs(Text::tr("Старт")));
  StopButton = place<QPushButton>(this, "StopButton", 606, 110, 75, 25);
  StopButton->setText(qs(Text::tr("Стоп")));
  for (QPushButton* b : {AddButton, FolderButton, StartButton, StopButton})
    b->setAutoDefault(false);
  connect(StartButton, &QPushButton::clicked, this, &StationWindow::StartButtonClick);
  connect(StopButton, &QPushButton::clicked, this, &StationWindow::StopButtonClick);
}

void StationWindow::buildTable() {
  RunTable = place<QTableWidget>(this, "RunTable", 8, 176, kClientWidth - 16, 210);
  RunTable->setColumnCount(Columns);
  RunTable->setHorizontalHeaderLabels(
      {qs(Text::tr("Порт")), qs(Text::tr("Заводской номер")), qs(Text::tr("Модель")),
       qs(Text::tr("Прошивка")), qs(Text::tr("Шаг")), qs(Text::tr("Ход")), qs(Text::tr("Ошибки")),
       qs(Text::tr("Состояние")), QString()});
  const int widths[Columns] = {90, 110, 100, 70, 150, 90, 60, 160, 50};
  for (int c = 0; c < Columns; ++c)
    RunTable->setColumnWidth(c, widths[c]);
  RunTable->horizontalHeader()->setStretchLastSection(true);
  RunTable->verticalHeader()->hide();
  RunTable->setSelectionBehavior(QAbstractItemView::SelectRows);
  RunTable->setSelectionMode(QAbstractItemView::SingleSelection);
  connect(RunTable, &QTableWidget::itemSelectionChanged, this, &StationWindow::showChosenLog);

  RunLog = place<QPlainTextEdit>(this, "RunLog", 8, 392, kClientWidth - 16, 176);
  RunLog->setReadOnly(true);
  RunLog->setLineWrapMode(QPlainTextEdit::NoWrap);
  StatusLabel = place<QLabel>(this, "StatusLabel", 8, 574, kClientWidth - 16, 20);
  StatusLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
}

void StationWindow::showPorts() {
  readInitialised();
  if (!running()) {
    QStringList checked;
    for (int i = 0; i < PortList->count(); ++i) {
      if (PortList->item(i)->checkState() == Qt::Checked) checked << PortList->item(i)->text();
    }
    QStringList names;
    for (const std::string& port : links_.ports ? links_.ports() : std::vector<std::string>{})
      names << qs(port);
    // Ports typed in before stay with the ports found.
    for (const QString& port : checked) {
      if (!names.contains(port)) names << port;
    }
    const QSignalBlocker quiet(PortList);
    PortList->clear();
    for (const QString& name : names) {
      auto* item = new QListWidgetItem(name, PortList);
      item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
      item->setCheckState(checked.contains(name) ? Qt::Checked : Qt::Unchecked);
    }
    syncRows();
  }
  show();
  raise();
  activateWindow();
}

void StationWindow::AddButtonClick() {
  const QString port = PortEdit->text().trimmed();
  if (port.isEmpty() || running()) return;
  const auto found = PortList->findItems(port, Qt::MatchExactly);
  QListWidgetItem* item = found.isEmpty() ? new QListWidgetItem(port, PortList) : found.front();
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
  item->setCheckState(Qt::Checked);
  PortEdit->clear();
}

void StationWindow::syncRows() {
  if (running()) return;
  QStringList ports;
  for (int i = 0; i < PortList->count(); ++i) {
    if (PortList->item(i)->checkState() == Qt::Checked) ports << PortList->item(i)->text();
  }
  // A number scanned for a port stays with it.
  std::vector<std::unique_ptr<Row>> kept;
  for (const QString& port : ports) {
    auto same = std::find_if(rows_.begin(), rows_.end(),
                             [&](const auto& row) { return row && row->port == port; });
    if (same != rows_.end()) {
      kept.push_back(std::move(*same));
      continue;
    }
    auto row = std::make_unique<Row>();
    row->port = port;
    kept.push_back(std::move(row));
  }
  for (auto& row : rows_) {
    if (row && row->run && row->run->thread.joinable()) row->run->thread.join();
  }
  QStringList units;
  for (const auto& row : kept)
    units << (row->unit ? row->unit->text() : QString());
  // The table deletes the cells' widgets later: till then they must not be found by name.
  for (int r = 0; r < RunTable->rowCount(); ++r) {
    for (int c : {Unit, Progress, RowStop}) {
      if (QWidget* old = RunTable->cellWidget(r, c)) old->setObjectName(QString());
    }
  }
  rows_ = std::move(kept);
  RunTable->clearContents();
  RunTable->setRowCount(static_cast<int>(rows_.size()));
  for (int r = 0; r < static_cast<int>(rows_.size()); ++r) {
    Row& row = *rows_[static_cast<std::size_t>(r)];
    for (int c : {Port, Model, Firmware, Step, Errors, State})
      RunTable->setItem(r, c, textItem());
    RunTable->item(r, Port)->setText(row.port);
    row.unit = new QLineEdit;
    row.unit->setObjectName("Unit" + QString::number(r));
    row.unit->setText(units[r]);
    row.unit->setFrame(false);
    connect(row.unit, &QLineEdit::returnPressed, this, [this, r] { unitEntered(r); });
    connect(row.unit, &QLineEdit::editingFinished, this,
            [this, r] { checkUnit(*rows_[static_cast<std::size_t>(r)]); });
    RunTable->setCellWidget(r, Unit, row.unit);
    row.bar = new QProgressBar;
    row.bar->setRange(0, 1);
    row.bar->setValue(0);
    row.bar->setTextVisible(false);
    RunTable->setCellWidget(r, Progress, row.bar);
    row.stop = new QPushButton(qs(Text::tr("Стоп")));
    row.stop->setObjectName("RowStop" + QString::number(r));
    row.stop->setEnabled(false);
    connect(row.stop, &QPushButton::clicked, this,
            [this, port = row.port] { rowStopClicked(port); });
    RunTable->setCellWidget(r, RowStop, row.stop);
    if (!row.unit->text().isEmpty()) checkUnit(row);
    if (row.run) showRow(row);
  }
  updateButtons();
}

bool StationWindow::checkUnit(Row& row) {
  const std::string number = u8(row.unit->text().trimmed());
  row.refused = !number.empty() && !isBookSerialNumber(number);
  QString remark;
  QColor colour;
  if (row.refused) {
    remark = shown(kWrongForm);
    colour = kAbortedColour;
  } else if (!number.empty() &&
             std::find(initialised_.begin(), initialised_.end(), number) == initialised_.end()) {
    remark = shown(kNotInitialised);
    colour = kRemarkColour;
  }
  QPalette palette = row.unit->palette();
  palette.setColor(QPalette::Base,
                   remark.isEmpty() ? RunTable->palette().color(QPalette::Base) : colour);
  row.unit->setPalette(palette);
  row.unit->setToolTip(remark);
  if (!row.run) setRowState(row, remark, remark.isEmpty() ? QColor() : colour);
  return !row.refused;
}

void StationWindow::unitEntered(int index) {
  Row& row = *rows_[static_cast<std::size_t>(index)];
  if (!checkUnit(row)) {
    // The next scan takes the place of the refused number.
    row.unit->selectAll();
    return;
  }
  const auto next = static_cast<std::size_t>(index + 1);
  if (next < rows_.size()) {
    rows_[next]->unit->setFocus();
    rows_[next]->unit->selectAll();
  } else {
    StartButton->setFocus();
  }
}

void StationWindow::setRowState(Row& row, const QString& text, const QColor& colour) {
  const int r = rowOf(row.port);
  if (r < 0) return;
  QTableWidgetItem* item = RunTable->item(r, State);
  item->setText(text);
  item->setToolTip(text);
  item->setBackground(colour.isValid() ? QBrush(colour) : QBrush());
}

int StationWindow::rowOf(const QString& port) const {
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i]->port == port) return static_cast<int>(i);
  }
  return -1;
}

void StationWindow::readInitialised() {
  if (!links_.initialisedNumbers) return;
  if (auto known = links_.initialisedNumbers()) {
    initialised_ = std::move(known.value());
  } else {
    StatusLabel->setText(qs(Text::tr("Книга не прочитана, номера не сверены: %1"))
                             .arg(shown(known.error().message)));
  }
}

QString StationWindow::logFolder() {
  if (!folder_.isEmpty() && QDir(folder_).exists()) return folder_;
  FolderButtonClick();
  return folder_;
}

void StationWindow::FolderButtonClick() {
  const auto chosen = dialogs_.folder(this, qs(Text::tr("Папка для журналов тестов")),
                                      folder_.isEmpty() ? QDir::homePath() : folder_);
  if (!chosen) return;
  folder_ = *chosen;
  FolderLabel->setText(qs(Text::tr("Журналы: %1")).arg(QDir::toNativeSeparators(folder_)));
  if (!links_.settings) return;
  if (const auto kept = links_.settings->set(setting::kLogFolder, u8(folder_)); !kept) {
    StatusLabel->setText(qs(Text::tr("Папка не запомнена для следующих запусков: %1"))
                             .arg(shown(kept.error().message)));
  }
}

void StationWindow::StartButtonClick() {
  if (running()) return;
  if (rows_.empty()) {
    StatusLabel->setText(qs(Text::tr("Отметьте порты, на которых проверить регистраторы.")));
    return;
  }
  const QString folder = logFolder();
  if (folder.isEmpty()) {
    StatusLabel->setText(qs(Text::tr("Тесты не начаты: не выбрана папка для журналов.")));
    return;
  }
  readInitialised();
  int started = 0;
  for (auto& row : rows_) {
    row->log.clear();
    row->run.reset();
    if (!checkUnit(*row)) continue;
    if (links_.busy && !links_.busy->take(u8(row->port))) {
      setRowState(*row, qs(Text::tr("Порт %1 занят главным окном")).arg(row->port), kAbortedColour);
      continue;
    }
    startRow(*row, folder);
    ++started;
  }
  showChosenLog();
  if (started > 0) {
    StatusLabel->setText(qs(Text::tr("Идут тесты: %1.")).arg(started));
    refreshTimer_->start();
  }
  updateButtons();
}

void StationWindow::startRow(Row& row, const QString& folder) {
  row.run = std::make_unique<Run>();
  Run* run = row.run.get();
  StationRunRequest request{.port = u8(row.port),
                            .unit = u8(row.unit->text().trimmed()),
                            .passes = u8(PassesBox->currentText()),
                            .pause = u8(PauseEdit->text()),
                            .withoutFiscal = FiscalBox->isChecked(),
                            .baudIndex = RateBox->currentIndex(),
                            .logFolder = u8(QDir::toNativeSeparators(folder)),
                            .stop = &run->stop};
  run->progress.state = RunProgress::State::Running;
  run->changed = true;
  StationRunEvents events{.line =
                              [run](const std::string& line) {
                                const std::lock_guard hold(run->lock);
                                run->lines.push_back(line);
                              },
                          .message =
                              [run](const std::string& text) {
                                const std::lock_guard hold(run->lock);
                                run->lines.push_back(kMessagePrefix + text);
                              },
                          .progress =
                              [run](const RunProgress& progress) {
                                const std::lock_guard hold(run->lock);
                                run->progress = progress;
                                run->changed = true;
                              }};
  row.bar->setRange(0, 1);
  row.bar->setValue(0);
  row.stop->setEnabled(true);
  row.unit->setReadOnly(true);
  run->thread = std::thread([this, run, runner = links_.runner, request, events] {
    const int code = runner(request, events);
    {
      const std::lock_guard hold(run->lock);
      run->progress.code = code;
      run->ended = true;
      run->changed = true;
    }
    // The end is shown at once, not at the next look: the window waits for every run before
    // it goes, and a call posted to it then is dropped with it.
    QMetaObject::invokeMethod(this, &StationWindow::refresh, Qt::QueuedConnection);
  });
}

void StationWindow::refresh() {
  const int chosen = RunTable->currentRow();
  bool anyRunning = false;
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    Row& row = *rows_[i];
    if (!row.run) continue;
    std::vector<std::string> lines;
    bool changed = false;
    bool ended = false;
    {
      const std::lock_guard hold(row.run->lock);
      lines.swap(row.run->lines);
      changed = std::exchange(row.run->changed, false);
      ended = row.run->ended;
    }
    QStringList added;
    for (const std::string& line : lines)
      added << qs(line);
    row.log << added;
    if (static_cast<int>(i) == chosen && !added.isEmpty()) {
      QScrollBar* bar = RunLog->verticalScrollBar();
      const bool atEnd = bar->value() >= bar->maximum();
      for (const QString& line : added)
        RunLog->appendPlainText(line);
      if (atEnd) bar->setValue(bar->maximum());
    }
    if (changed) showRow(row);
    if (ended && row.run->thread.joinable()) {
      row.run->thread.join();
      if (links_.busy) links_.busy->give(u8(row.port));
      row.stop->setEnabled(false);
      row.unit->setReadOnly(false);
    }
    if (!ended) anyRunning = true;
  }
  if (anyRunning) return;
  refreshTimer_->stop();
  int counts[5] = {};
  for (const auto& row : rows_) {
    if (row->run) ++counts[static_cast<int>(row->run->progress.state)];
  }
  StatusLabel->setText(qs(Text::tr("Тесты закончены: завершены %1, с ошибками %2, прерваны %3, "
                                   "остановлены %4."))
                           .arg(counts[static_cast<int>(RunProgress::State::Finished)])
                           .arg(counts[static_cast<int>(RunProgress::State::WithErrors)])
                           .arg(counts[static_cast<int>(RunProgress::State::Aborted)])
                           .arg(counts[static_cast<int>(RunProgress::State::Stopped)]));
  updateButtons();
  Q_EMIT runsEnded();
  if (closePending_) {
    closePending_ = false;
    QDialog::reject();
  }
}

void StationWindow::showRow(Row& row) {
  RunProgress p;
  {
    const std::lock_guard hold(row.run->lock);
    p = row.run->progress;
  }
  const int r = rowOf(row.port);
  RunTable->item(r, Model)->setText(qs(p.model));
  RunTable->item(r, Firmware)->setText(qs(p.firmware));
  RunTable->item(r, Step)->setText(qs(p.step));
  RunTable->item(r, Step)->setToolTip(qs(p.step));
  RunTable->item(r, Errors)->setText(QString::number(p.errors));
  if (p.planned > 0) {
    row.bar->setRange(0, p.planned);
    row.bar->setValue(p.done);
  } else if (p.state != RunProgress::State::Running) {
    row.bar->setValue(row.bar->maximum());
  }
  setRowState(row, stateCaption(p), stateColour(p.state));
}

void StationWindow::showChosenLog() {
  const int chosen = RunTable->currentRow();
  RunLog->clear();
  if (chosen < 0 || chosen >= static_cast<int>(rows_.size())) return;
  RunLog->setPlainText(rows_[static_cast<std::size_t>(chosen)]->log.join(QLatin1Char('\n')));
  RunLog->verticalScrollBar()->setValue(RunLog->verticalScrollBar()->maximum());
}

QStringList StationWindow::rowLog(int row) const {
  return rows_.at(static_cast<std::size_t>(row))->log;
}

void StationWindow::rowStopClicked(const QString& port) {
  const int r = rowOf(port);
  if (r < 0) return;
  Row& row = *rows_[static_cast<std::size_t>(r)];
  if (row.run) row.run->stop = true;
  row.stop->setEnabled(false);
}

void StationWindow::StopButtonClick() {
  stopAll(false);
}

void StationWindow::stopAll(bool close) {
  for (auto& row : rows_) {
    if (row->run) row->run->stop = true;
    if (row->stop) row->stop->setEnabled(false);
  }
  if (close) closePending_ = true;
}

bool StationWindow::running() const {
  return std::any_of(rows_.begin(), rows_.end(),
                     [](const auto& row) { return row->run && row->run->thread.joinable(); });
}

void StationWindow::updateButtons() {
  const bool busy = running();
  StartButton->setEnabled(!busy);
  StopButton->setEnabled(busy);
  PortList->setEnabled(!busy);
  for (QWidget* w : std::initializer_list<QWidget*>{PortEdit, AddButton, RateBox, PassesBox,
                                                    PauseEdit, FiscalBox, FolderButton})
    w->setEnabled(!busy);
}

void StationWindow::closeEvent(QCloseEvent* event) {
  if (running()) {
    event->ignore();
    if (closePending_ || dialogs_.question(this, shown(kStopAndCloseQuestion))) {
      stopAll(true);
    }
    return;
  }
  QDialog::closeEvent(event);
}

void StationWindow::reject() {
  // Escape asks as the close box does.
  if (running()) {
    close();
    return;
  }
  QDialog::reject();
}

}  // namespace tallowick::gui
