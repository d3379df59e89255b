// The page of figures of the window "История": for the records its filter selects, the
// printers tested, the yields, the durations and the initialisations, the failures by step
// as bars with their cumulative share as a line (a Pareto), and the yield by day as lines.
// The charts are drawn here with QPainter, the same on every platform; the page is saved as
// a PNG picture on request.
#pragma once

#include <QDialog>
#include <QString>

#include "history/figures.h"
#include "platform/own_text.h"

class QLabel;
class QPushButton;

namespace tallowick::gui {

class DialogService;

class FiguresWindow final : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 700;
  static constexpr int kClientHeight = 540;
  static constexpr const char* kPictureFilter = Text::own("Рисунки PNG (*.png)|*.png");

  // `report`: the whole selection and its days.
  FiguresWindow(history::FiguresReport report, DialogService& dialogs, QWidget* parent);

  const history::FiguresReport& report() const { return report_; }
  // The page as it is saved: the figures and both charts.
  QImage picture() const;

 public Q_SLOTS:
  void SaveButtonClick();

 private:
  history::FiguresReport report_;
  DialogService& dialogs_;
  QWidget* Page = nullptr;
};

}  // namespace tallowick::gui
