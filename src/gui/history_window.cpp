#include "gui/history_window.h"

#include <QClipboard>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QTimeZone>
#include <algorithm>
#include <array>
#include <numeric>

#include "gui/dialog_service.h"
#include "gui/form1.h"
#include "gui/translation.h"
#include "gui/widgets.h"
#include "history/test_report.h"
#include "platform/settings.h"
#include "testrun/log_file.h"

namespace tallowick::gui {

namespace {

using history::Outcome;

// The outcomes in the order of the filter's box.
constexpr Outcome kOutcomes[] = {Outcome::Finished, Outcome::FinishedWithErrors, Outcome::Aborted,
                                 Outcome::Stopped, Outcome::InputRefused};

QString outcomeText(Outcome outcome) {
  return shown(history::outcomeWords(outcome));
}

QString kindText(history::Kind kind) {
  return kind == history::Kind::TestRun ? qs(Text::tr("Тест РРО")) : qs(Text::tr("Инициализация"));
}

QString durationText(std::int64_t ms) {
  const std::int64_t seconds = ms / 1000;
  return QStringLiteral("%1:%2:%3")
      .arg(seconds / 3600)
      .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
      .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// The start as the workshop's clock showed it.
QDateTime startedAt(const history::Record& r) {
  return QDateTime::fromMSecsSinceEpoch(r.startedAtMs, QTimeZone::utc())
      .addSecs(std::int64_t{r.utcOffsetMinutes} * 60);
}

// In the workshop's form, the form the date filter is typed in: "09.12.2026 09:05".
QString startText(const history::Record& r) {
  return startedAt(r).toString(QStringLiteral("dd.MM.yyyy HH:mm"));
}

// What a cell needs beside its text: its margins and the grid.
constexpr int kCellPadding = 12;

// The column of the station, on a line.
constexpr int kStationColumn = 1;
constexpr const char* kReportFilter = Text::own("Документы PDF (*.pdf)|*.pdf");
constexpr const char* kWaitingNote = Text::own("* — еще не на линии: ждет отправки со станции.");

// The formats of FormatBox, in its order.
constexpr history::Format kFormats[] = {history::Format::Csv, history::Format::Json,
                                        history::Format::Junit};

}  // namespace

HistoryWindow::HistoryWindow(history::Journal& journal, DialogService& dialogs, QWidget* parent,
                             history::LineHistory* line)
    : QDialog(parent),
      query_(journal.store(), journal.unavailable(), line),
      dialogs_(dialogs),
      onLine_(line != nullptr) {
  setObjectName(QStringLiteral("HistoryWindow"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setFont(windowFont());
  setFixedSize(kClientWidth, kClientHeight);
  setWindowTitle(qs(Text::tr("История")));

  // The filters, in one row above the list.
  label(this, "Label1", 8, 12, Text::own("Дата с"));
  FromEdit = place<QLineEdit>(this, "FromEdit", 48, 8, 81, 21);
  label(this, "Label2", 136, 12, Text::own("по"));
  UntilEdit = place<QLineEdit>(this, "UntilEdit", 154, 8, 81, 21);
  for (QLineEdit* e : {FromEdit, UntilEdit})
    e->setPlaceholderText(qs(Text::tr("ДД.ММ.ГГГГ")));
  label(this, "Label3", 246, 12, Text::own("Модель"));
  ModelBox = place<QComboBox>(this, "ModelBox", 290, 8, 121);
  ModelBox->setEditable(true);
  ModelBox->setInsertPolicy(QComboBox::NoInsert);
  ModelBox->addItem(QString());
  label(this, "Label4", 422, 12, Text::own("Заводской номер"));
  SerialEdit = place<QLineEdit>(this, "SerialEdit", 514, 8, 105, 21);
  label(this, "Label5", 8, 40, Text::own("Результат"));
  OutcomeBox = place<QComboBox>(this, "OutcomeBox", 66, 36, 155);
  OutcomeBox->addItem(qs(Text::tr("Все")));
  for (const Outcome o : kOutcomes)
    OutcomeBox->addItem(outcomeText(o));
  ShowButton = place<QPushButton>(this, "ShowButton", 697, 6, 75, 25);
  ShowButton->setText(qs(Text::tr("Показать")));
  FiguresButton = place<QPushButton>(this, "FiguresButton", 677, 34, 95, 25);
  FiguresButton->setText(qs(Text::tr("Показатели")));

  RecordList = place<QTableWidget>(this, "RecordList", 8, 64, 764, 372);
  QStringList headers{qs(Text::tr("Начало")),
                      qs(Text::tr("Вид")),
                      qs(Text::tr("Порт")),
                      qs(Text::tr("Модель")),
                      qs(Text::tr("Заводской номер")),
                      qs(Text::tr("Результат")),
                      qs(Text::tr("Ошибок")),
                      qs(Text::tr("Длительность")),
                      qs(Text::tr("Пользователь"))};
  // On a line the station of each record follows its start, and the rest give way to it.
  std::vector<int> widths{112, 82, 72, 96, 98, 118, 46, 66, 74};
  if (onLine_) {
    headers.insert(kStationColumn, qs(Text::tr("Станция")));
    widths = {118, 64, 76, 40, 90, 96, 100, 46, 74, 44};
  }
  // The start and the kind as wide as their texts in the language shown (and a waiting
  // record's mark).
  const QFontMetrics metrics(RecordList->font());
  const auto fitted = [&](std::size_t column, std::initializer_list<QString> texts) {
    int width = 0;
    for (const QString& t : texts)
      width = std::max(width, metrics.horizontalAdvance(t) + kCellPadding);
    widths[column] = width;
  };
  const std::size_t kindColumn = onLine_ ? 2 : 1;
  fitted(0, {QStringLiteral("30.12.2026 20:00 *")});
  fitted(kindColumn, {kindText(history::Kind::TestRun), kindText(history::Kind::Initialisation)});
  // Inside the frame and beside the scroll bar of a long list, so that the list never
  // scrolls sideways; the user's column stretches to the rest.
  const int inside = RecordList->width() - 2 * RecordList->frameWidth() -
                     RecordList->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  widths.back() = inside - std::accumulate(widths.begin(), widths.end() - 1, 0);
  RecordList->setColumnCount(static_cast<int>(headers.size()));
  RecordList->setHorizontalHeaderLabels(headers);
  for (int i = 0; i < RecordList->columnCount(); ++i)
    RecordList->setColumnWidth(i, widths[static_cast<std::size_t>(i)]);
  RecordList->horizontalHeader()->setStretchLastSection(true);
  RecordList->verticalHeader()->hide();
  RecordList->verticalHeader()->setDefaultSectionSize(20);
  RecordList->setSelectionBehavior(QAbstractItemView::SelectRows);
  RecordList->setSelectionMode(QAbstractItemView::ExtendedSelection);
  RecordList->setEditTriggers(QAbstractItemView::NoEditTriggers);
  RecordList->setWordWrap(false);

  StatusLabel = place<QLabel>(this, "StatusLabel", 8, 442, 339, 46);
  StatusLabel->setWordWrap(true);
  StatusLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  StatusLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  ReportButton = place<QPushButton>(this, "ReportButton", 355, 442, 75, 25);
  ReportButton->setText(qs(Text::tr("Отчет...")));
  ReportButton->setToolTip(qs(Text::tr("Отчет об испытаниях выбранной записи в PDF")));
  LogButton = place<QPushButton>(this, "LogButton", 436, 442, 75, 25);
  LogButton->setText(qs(Text::tr("Журнал")));
  FormatBox = place<QComboBox>(this, "FormatBox", 520, 444, 85);
  FormatBox->addItems({QStringLiteral("CSV"), QStringLiteral("JSON"), QStringLiteral("JUnit XML")});
  ExportButton = place<QPushButton>(this, "ExportButton", 612, 442, 75, 25);
  ExportButton->setText(qs(Text::tr("Экспорт...")));
  CloseButton = place<QPushButton>(this, "CloseButton", 697, 442, 75, 25);
  CloseButton->setText(qs(Text::tr("Закрыть")));
  for (QPushButton* b :
       {ShowButton, FiguresButton, ReportButton, LogButton, ExportButton, CloseButton})
    b->setAutoDefault(false);

  connect(ShowButton, &QPushButton::clicked, this, &HistoryWindow::ShowButtonClick);
  for (QLineEdit* e : {FromEdit, UntilEdit, SerialEdit})
    connect(e, &QLineEdit::returnPressed, this, &HistoryWindow::ShowButtonClick);
  connect(LogButton, &QPushButton::clicked, this, &HistoryWindow::LogButtonClick);
  connect(ReportButton, &QPushButton::clicked, this, &HistoryWindow::ReportButtonClick);
  connect(FiguresButton, &QPushButton::clicked, this, &HistoryWindow::FiguresButtonClick);
  connect(ExportButton, &QPushButton::clicked, this, &HistoryWindow::ExportButtonClick);
  connect(CloseButton, &QPushButton::clicked, this, &QDialog::close);
  connect(RecordList, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
    openLog(RecordList->item(row, 0)->data(Qt::UserRole).toLongLong());
  });
}

HistoryWindow::~HistoryWindow() = default;

void HistoryWindow::showList() {
  ShowButtonClick();
  show();
  raise();
  activateWindow();
}

std::optional<Failure> HistoryWindow::readFilter(history::Filter& filter) const {
  const int outcome = OutcomeBox->currentIndex();
  const history::FilterEntries entries{
      .from = u8(FromEdit->text().trimmed()),
      .until = u8(UntilEdit->text().trimmed()),
      .model = u8(ModelBox->currentText().trimmed()),
      .serialPart = u8(SerialEdit->text().trimmed()),
      .outcome =
          outcome > 0
              ? std::string(history::outcomeKey(kOutcomes[static_cast<std::size_t>(outcome - 1)]))
              : std::string(),
      .kind = {},
      .limit = {}};
  const auto read = history::readFilter(entries, history::DateForm::Workshop, kListLimit);
  if (const auto* refused = std::get_if<history::FilterRefusal>(&read)) {
    return Failure{withArgs(Text::tr("Неверная дата \"%1\"! Укажите существующую дату в виде "
                                     "ДД.ММ.ГГГГ, например 07.12.2026."),
                            {refused->entry})};
  }
  filter = std::get<history::Filter>(read);
  if (history::endsBeforeItBegins(filter))
    return Failure{Text::own("Начальная дата позже конечной!")};
  return std::nullopt;
}

void HistoryWindow::ShowButtonClick() {
  history::Filter filter;
  if (const auto refused = readFilter(filter)) {
    dialogs_.messageBox(this, shown(refused->message));
    return;
  }
  auto listed = query_.list(filter);
  if (!listed) {
    // The file is not touched; what was listed before is no longer to be trusted.
    RecordList->setRowCount(0);
    setStatus(shown(listed.error().message), true);
    return;
  }
  fill(listed.value());
  const std::size_t count = listed.value().size();
  QString text;
  if (count == 0) {
    text = qs(Text::tr("Записей нет."));
  } else if (count >= kListLimit) {
    text = qs(Text::tr("Показаны последние %1 записей; более ранние найдет фильтр.")).arg(count);
  } else {
    text = qs(Text::tr("Записей: %1.")).arg(count);
  }
  const bool waiting = std::any_of(listed.value().begin(), listed.value().end(),
                                   [](const history::Record& r) { return r.waiting; });
  if (waiting) text += " " + shown(kWaitingNote);
  // The line could not be reached: the station's own history is listed, and why.
  if (!query_.note().empty()) text += " " + shown(query_.note());
  setStatus(text, !query_.note().empty());
}

void HistoryWindow::fill(const std::vector<history::Record>& records) {
  RecordList->clearSelection();
  RecordList->setRowCount(static_cast<int>(records.size()));
  int row = 0;
  for (const history::Record& r : records) {
    QStringList cells{startText(r),
                      kindText(r.kind),
                      qs(r.port),
                      qs(r.model),
                      qs(r.serialNumber),
                      outcomeText(r.outcome),
                      QString::number(r.errorCount),
                      durationText(r.durationMs),
                      qs(r.user)};
    if (onLine_) cells.insert(kStationColumn, qs(r.station));
    const int outcomeColumn = onLine_ ? 6 : 5;
    for (int column = 0; column < RecordList->columnCount(); ++column) {
      auto* item = new QTableWidgetItem(cells[column]);
      if (column == outcomeColumn && !r.message.empty()) item->setToolTip(qs(r.message));
      RecordList->setItem(row, column, item);
    }
    if (r.waiting) {
      QTableWidgetItem* start = RecordList->item(row, 0);
      start->setText(start->text() + QStringLiteral(" *"));
      start->setToolTip(shown(kWaitingNote));
    }
    RecordList->item(row, 0)->setData(Qt::UserRole, QVariant::fromValue<qlonglong>(r.id));
    // The models met so far are offered for the filter.
    if (!r.model.empty() && ModelBox->findText(qs(r.model)) < 0) ModelBox->addItem(qs(r.model));
    ++row;
  }
  if (row > 0) RecordList->setCurrentCell(0, 0, QItemSelectionModel::NoUpdate);
}

void HistoryWindow::setStatus(const QString& text, bool problem) {
  StatusLabel->setText(text);
  setFontColour(StatusLabel, problem ? Qt::red : palette().color(QPalette::WindowText));
}

std::vector<std::int64_t> HistoryWindow::listedIds() const {
  std::vector<std::int64_t> ids;
  for (int row = 0; row < RecordList->rowCount(); ++row)
    ids.push_back(RecordList->item(row, 0)->data(Qt::UserRole).toLongLong());
  return ids;
}

std::vector<std::int64_t> HistoryWindow::chosenIds() const {
  std::vector<std::int64_t> ids;
  for (int row = 0; row < RecordList->rowCount(); ++row) {
    if (RecordList->item(row, 0)->isSelected())
      ids.push_back(RecordList->item(row, 0)->data(Qt::UserRole).toLongLong());
  }
  // One selected row is most often the one last clicked or opened, not a choice.
  return ids.size() > 1 ? ids : listedIds();
}

void HistoryWindow::LogButtonClick() {
  const int row = RecordList->currentRow();
  if (row < 0) {
    dialogs_.messageBox(this, qs(Text::tr("Выберите запись в списке.")));
    return;
  }
  openLog(RecordList->item(row, 0)->data(Qt::UserRole).toLongLong());
}

void HistoryWindow::openLog(std::int64_t id) {
  auto found = query_.find(id);
  if (!found || !found.value()) {
    dialogs_.messageBox(
        this, found ? qs(Text::tr("Запись не найдена в истории.")) : shown(found.error().message));
    return;
  }
  const history::Record& r = *found.value();
  delete logWindow_;
  logWindow_ = new QDialog(this);
  logWindow_->setObjectName(QStringLiteral("HistoryLog"));
  logWindow_->setAttribute(Qt::WA_DeleteOnClose);
  logWindow_->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                             Qt::WindowCloseButtonHint);
  logWindow_->setFont(windowFont());
  logWindow_->setFixedSize(620, 460);
  logWindow_->setWindowTitle(qs(Text::tr("Журнал: ")) + kindText(r.kind) + ", " + startText(r));

  QString summary = kindText(r.kind) + qs(Text::tr(", порт ")) + qs(r.port);
  if (!r.model.empty()) summary += ", " + qs(r.model);
  if (!r.serialNumber.empty()) summary += qs(Text::tr(", заводской номер ")) + qs(r.serialNumber);
  summary += qs(Text::tr(", язык журнала: %1")).arg(languageName(history::languageOf(r)));
  summary += "\n" + outcomeText(r.outcome) + qs(Text::tr(", ошибок: ")) +
             QString::number(r.errorCount) + qs(Text::tr(", длительность ")) +
             durationText(r.durationMs);
  if (!r.message.empty()) summary += ": " + qs(r.message);
  auto* header = place<QLabel>(logWindow_, "SummaryLabel", 8, 8, 604, 40);
  header->setWordWrap(true);
  header->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  header->setTextInteractionFlags(Qt::TextSelectableByMouse);
  header->setText(summary);

  auto* text = place<QPlainTextEdit>(logWindow_, "LogText", 8, 52, 604, 368);
  text->setReadOnly(true);
  text->setLineWrapMode(QPlainTextEdit::NoWrap);
  QStringList lines;
  for (const std::string& line : r.log)
    lines << qs(line);
  text->setPlainText(lines.join(QLatin1Char('\n')));

  auto* copy = place<QPushButton>(logWindow_, "CopyLogButton", 8, 428, 75, 25);
  copy->setText(qs(Text::tr("Копировать")));
  connect(copy, &QPushButton::clicked, logWindow_,
          [text] { QGuiApplication::clipboard()->setText(text->toPlainText()); });
  // Saved as the test page saves a log, named as its runs' files are, in the log's language.
  const QDateTime at = startedAt(r);
  const std::string stem = runFileStem(portFileNames({r.port}).front(), r.model,
                                       {at.date().year(), at.date().month(), at.date().day(),
                                        at.time().hour(), at.time().minute(), at.time().second()},
                                       history::languageOf(r));
  auto* save = place<QPushButton>(logWindow_, "SaveLogButton", 89, 428, 75, 25);
  save->setText(qs(Text::tr("Сохранить...")));
  connect(save, &QPushButton::clicked, logWindow_,
          [this, log = r.log, stem] { saveLog(log, stem); });
  for (QPushButton* b : {copy, save})
    b->setAutoDefault(false);

  auto* close = place<QPushButton>(logWindow_, "CloseLogButton", 537, 428, 75, 25);
  close->setText(qs(Text::tr("Закрыть")));
  close->setAutoDefault(false);
  connect(close, &QPushButton::clicked, logWindow_, &QDialog::close);
  logWindow_->show();
}

void HistoryWindow::saveLog(const std::vector<std::string>& log, const std::string& stem) {
  const auto file =
      dialogs_.saveFileName(logWindow_, shown(TForm1::kSaveFilter), qs(stem + ".log"));
  if (!file) return;
  if (const auto problem = writeLogFile(file->toStdString(), log))
    dialogs_.messageBox(logWindow_, shown(problem->message));
}

void HistoryWindow::FiguresButtonClick() {
  history::Filter filter;
  if (const auto refused = readFilter(filter)) {
    dialogs_.messageBox(this, shown(refused->message));
    return;
  }
  // Everything the filter selects, not only the records the list has room for.
  filter.limit = 0;
  auto facts = query_.facts(filter);
  if (!facts) {
    setStatus(shown(facts.error().message), true);
    return;
  }
  delete figuresWindow_;
  figuresWindow_ = new FiguresWindow(history::countFigures(facts.value(), history::Grouping::Day),
                                     dialogs_, this);
  figuresWindow_->setAttribute(Qt::WA_DeleteOnClose);
  figuresWindow_->show();
}

void HistoryWindow::ExportButtonClick() {
  const std::vector<std::int64_t> ids = chosenIds();
  if (ids.empty()) {
    dialogs_.messageBox(this, qs(Text::tr("Нет записей для экспорта.")));
    return;
  }
  const int format = FormatBox->currentIndex();
  const QString filter = shown(kExportFilters[format]);
  // What is written is told before the name is asked.
  setStatus(qs(Text::tr("Будет выгружено записей: %1.")).arg(ids.size()), false);
  const auto chosen = dialogs_.saveFileName(this, filter);
  if (!chosen) {
    setStatus(qs(Text::tr("Выгрузка отменена.")), false);
    return;
  }
  const QString file = withExtension(*chosen, filter);
  // The records in the order listed, newest first, each with its log and steps.
  const auto exported = query_.exportTo(kFormats[format], ids, file.toStdString());
  if (!exported) {
    setStatus(shown(exported.message), true);
    dialogs_.messageBox(this, shown(exported.message));
    return;
  }
  setStatus(qs(Text::tr("Записей выгружено: %1, в файл %2"))
                .arg(exported.records)
                .arg(QDir::toNativeSeparators(file)),
            false);
}

void HistoryWindow::ReportButtonClick() {
  const int row = RecordList->currentRow();
  if (row < 0) {
    dialogs_.messageBox(this, qs(Text::tr("Выберите запись в списке.")));
    return;
  }
  auto found = query_.find(RecordList->item(row, 0)->data(Qt::UserRole).toLongLong());
  if (!found || !found.value()) {
    dialogs_.messageBox(
        this, found ? qs(Text::tr("Запись не найдена в истории.")) : shown(found.error().message));
    return;
  }
  // The chosen record, or every record of its printer, oldest first, when the user wants them.
  std::vector<history::Record> records{*found.value()};
  if (const std::string& serial = records.front().serialNumber; !serial.empty()) {
    auto all = history::printerRecords(query_, serial);
    if (all && all.value().size() > 1 &&
        dialogs_.question(this, qs(Text::tr("Записей заводского номера %1 в истории: %2. "
                                            "Включить в отчет все?"))
                                    .arg(qs(serial))
                                    .arg(all.value().size()))) {
      records = std::move(all).value();
    }
  }
  const history::Record& r = records.back();
  // The fonts before the name is asked: without them there is nothing to save.
  const auto fonts = history::loadReportFonts(history::reportFontFolders());
  if (const auto* missing = std::get_if<Failure>(&fonts)) {
    dialogs_.messageBox(this, qs(missing->message));
    return;
  }
  const QString filter = shown(kReportFilter);
  const auto chosen = dialogs_.saveFileName(this, filter, qs(history::reportFileName(r)));
  if (!chosen) return;
  const QString file = withExtension(*chosen, filter);

  const auto named = computerSettings()->get(setting::kWorkshop);
  const history::ReportHeading heading =
      history::headingNow(named && named.value() ? *named.value() : std::string());
  if (const auto failed = history::saveTestReport(file.toStdString(), records, heading,
                                                  std::get<history::ReportFonts>(fonts))) {
    setStatus(shown(failed->message), true);
    dialogs_.messageBox(this, shown(failed->message));
    return;
  }
  setStatus(qs(Text::tr("Отчет сохранен в файл %1 (записей: %2)"))
                .arg(QDir::toNativeSeparators(file))
                .arg(records.size()),
            false);
}

}  // namespace tallowick::gui
