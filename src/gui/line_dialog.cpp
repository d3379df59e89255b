#include "gui/line_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "gui/widgets.h"
#include "line/station.h"
#include "platform/settings.h"
#include "platform/system.h"

namespace tallowick::gui {
namespace {

// The values of the fields as settings, so that they are checked exactly as the settings
// will be read at the next start.
class TypedSettings final : public Settings {
 public:
  StoreResult<std::optional<std::string>> get(std::string_view name) override {
    const auto found = values_.find(std::string(name));
    if (found == values_.end() || found->second.empty()) return std::optional<std::string>();
    return std::optional<std::string>(found->second);
  }
  StoreStatus set(std::string_view name, const std::string& value) override {
    values_[std::string(name)] = value;
    return {};
  }

 private:
  std::map<std::string, std::string> values_;
};

constexpr std::string_view kFields[] = {setting::kDatabase, setting::kStation, setting::kBlockSize};

}  // namespace

LineDialog::LineDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("LineDialog"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setFont(windowFont());
  setFixedSize(440, 262);
  setWindowTitle(shown(kCaption));

  label(this, "Label1", 8, 10, Text::own("Подключение к базе линии (без пароля):"));
  DatabaseEdit = place<QLineEdit>(this, "DatabaseEdit", 8, 28, 424, 21);
  DatabaseEdit->setPlaceholderText(QStringLiteral("postgresql://station7@line-server/tallowick"));
  label(this, "Label2", 8, 58, Text::own("Имя станции на линии:"));
  StationEdit = place<QLineEdit>(this, "StationEdit", 8, 76, 200, 21);
  StationEdit->setPlaceholderText(qs(platform::computerName()));
  label(this, "Label3", 224, 58, Text::own("Запас номеров станции:"));
  BlockEdit = place<QLineEdit>(this, "BlockEdit", 224, 76, 80, 21);
  BlockEdit->setPlaceholderText(QString::number(line::kDefaultBlockSize));

  auto* note = place<QLabel>(this, "NoteLabel", 8, 106, 424, 58);
  note->setWordWrap(true);
  note->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  note->setText(qs(
      Text::tr("Пустое подключение: станция работает одна, со своей книгой номеров. Пароль берется "
               "из файла паролей или служб libpq, а не отсюда. Изменения вступят в силу при "
               "следующем запуске программы.")));
  MessageLabel = place<QLabel>(this, "MessageLabel", 8, 168, 424, 54);
  MessageLabel->setWordWrap(true);
  MessageLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  MessageLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

  SaveButton = place<QPushButton>(this, "SaveButton", 276, 230, 75, 25);
  SaveButton->setText(qs(Text::tr("Сохранить")));
  CloseButton = place<QPushButton>(this, "CloseButton", 357, 230, 75, 25);
  CloseButton->setText(qs(Text::tr("Закрыть")));
  for (QPushButton* b : {SaveButton, CloseButton})
    b->setAutoDefault(false);
  connect(SaveButton, &QPushButton::clicked, this, &LineDialog::SaveButtonClick);
  connect(CloseButton, &QPushButton::clicked, this, &QDialog::reject);
}

LineDialog::~LineDialog() = default;

void LineDialog::showSettings() {
  setMessage({}, false);
  const std::unique_ptr<Settings> settings = computerSettings();
  QLineEdit* edits[] = {DatabaseEdit, StationEdit, BlockEdit};
  for (std::size_t i = 0; i < std::size(kFields); ++i) {
    auto value = settings->get(kFields[i]);
    if (!value) {
      setMessage(shown(value.error().message), true);
      break;
    }
    edits[i]->setText(qs(value.value().value_or(std::string())));
  }
  open();
}

void LineDialog::SaveButtonClick() {
  const QLineEdit* edits[] = {DatabaseEdit, StationEdit, BlockEdit};
  TypedSettings typed;
  for (std::size_t i = 0; i < std::size(kFields); ++i)
    (void)typed.set(kFields[i], u8(edits[i]->text().trimmed()));
  // The block is read only for a line; one kept for later is checked all the same, as a
  // database given by TALLOWICK_DATABASE would read it.
  if (DatabaseEdit->text().trimmed().isEmpty()) (void)typed.set(setting::kDatabase, "dbname=x");
  const auto nothing = [](const char*) -> std::optional<std::string> { return std::nullopt; };
  if (auto chosen = line::chooseLine(std::nullopt, std::nullopt, nothing, &typed); !chosen) {
    setMessage(shown(chosen.error().message), true);
    return;
  }
  const std::unique_ptr<Settings> settings = computerSettings();
  for (std::size_t i = 0; i < std::size(kFields); ++i) {
    if (auto saved = settings->set(kFields[i], u8(edits[i]->text().trimmed())); !saved) {
      setMessage(shown(saved.error().message), true);
      return;
    }
  }
  setMessage(shown(kSaved), false);
}

void LineDialog::setMessage(const QString& text, bool problem) {
  MessageLabel->setText(text);
  setFontColour(MessageLabel, problem ? Qt::red : palette().color(QPalette::WindowText));
}

}  // namespace tallowick::gui
