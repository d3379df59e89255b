// The dialog "База линии", opened from the book window: where a workshop's administrator sets
// this computer's line database (its connection, never a password), the station's name and
// the station's block of numbers. The values are checked as the program checks them when it
// starts, nothing is saved while one is refused, and they are used from the next start.
#pragma once

#include <QDialog>
#include "platform/own_text.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace tallowick::gui {

class LineDialog final : public QDialog {
  Q_OBJECT

 public:
  static constexpr const char* kCaption = Text::own("База линии");
  static constexpr const char* kSaved =
      Text::own("Сохранено. Настройки линии вступят в силу при следующем запуске программы.");

  explicit LineDialog(QWidget* parent);
  ~LineDialog() override;

  // The fields filled from this computer's settings, and the dialog shown.
  void showSettings();

 public Q_SLOTS:
  void SaveButtonClick();

 private:
  void setMessage(const QString& text, bool problem);

  QLineEdit* DatabaseEdit = nullptr;
  QLineEdit* StationEdit = nullptr;
  QLineEdit* BlockEdit = nullptr;
  QLabel* MessageLabel = nullptr;
  QPushButton* SaveButton = nullptr;
  QPushButton* CloseButton = nullptr;
};

}  // namespace tallowick::gui
