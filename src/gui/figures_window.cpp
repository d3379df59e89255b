#include "gui/figures_window.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPolygonF>
#include <QPushButton>
#include <algorithm>
#include <cmath>
#include <utility>

#include "gui/dialog_service.h"
#include "gui/widgets.h"
#include "platform/whole_file.h"

namespace tallowick::gui {

namespace {

const QColor kBarColour(0x33, 0x66, 0xCC);
const QColor kCumulativeColour(0xCC, 0x33, 0x33);
const QColor kFinalColour(0x2E, 0x8B, 0x57);

// "87.5 %", or "—" for a share of nothing.
QString shareText(std::optional<double> share) {
  return share ? QString::number(*share * 100, 'f', 1) + QStringLiteral(" %") : QStringLiteral("—");
}

QString secondsText(std::optional<std::int64_t> ms) {
  return ms ? qs(Text::tr("%1 с")).arg(static_cast<double>(*ms) / 1000.0, 0, 'f', 1)
            : QStringLiteral("—");
}

QString summaryText(const history::Figures& f) {
  const auto yield = [&](const char* text, std::size_t passed, std::optional<double> share) {
    return qs(Text::tr(text)).arg(shareText(share)).arg(passed).arg(f.printers);
  };
  const history::Initialisations& i = f.initialisations;
  return QStringList{
      qs(Text::tr("Проверено регистраторов: %1; прогонов: %2, из них без заводского номера: %3"))
          .arg(f.printers)
          .arg(f.runs)
          .arg(f.runsWithoutSerial),
      yield(Text::own("Выход с первого раза: %1 (%2 из %3)"), f.firstPassPrinters,
            f.firstPassYield),
      yield(Text::own("Итоговый выход: %1 (%2 из %3)"), f.finalPassPrinters, f.finalYield),
      qs(Text::tr("Прогонов с ошибками: %1; длительность прогона: медиана %2, 90-й процентиль %3"))
          .arg(f.failedRuns)
          .arg(secondsText(f.medianDurationMs), secondsText(f.p90DurationMs)),
      qs(Text::tr("Инициализаций: %1 (выполнено %2, не выполнено %3)"))
          .arg(i.total)
          .arg(i.done)
          .arg(i.failed),
  }
      .join(QLatin1Char('\n'));
}

// A chart's frame: its title above, the plot inside margins for the axes' labels, and a
// sentence in place of the plot when there is nothing to draw.
class Chart : public QWidget {
 public:
  Chart(QWidget* parent, const char* name, QString title)
      : QWidget(parent), title_(std::move(title)) {
    setObjectName(QString::fromLatin1(name));
  }

 protected:
  // Draws the plot; false when there is nothing to draw.
  virtual bool plot(QPainter& p, const QRect& area) = 0;
  virtual QString nothing() const = 0;

  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), Qt::white);
    p.setPen(Qt::black);
    const int line = fontMetrics().height();
    p.drawText(QRect(0, 2, width(), line + 4), Qt::AlignCenter, title_);
    // A line under the title for a legend.
    const QRect area(40, 2 * line + 12, width() - 80, height() - 3 * line - 24);
    p.drawLine(area.bottomLeft(), area.bottomRight());
    if (!plot(p, area)) {
      p.setPen(Qt::black);
      p.drawText(area, Qt::AlignCenter, nothing());
    }
  }

  // The labels of a share's axis, 0 % below and 100 % above, on the left or the right.
  void shareAxis(QPainter& p, const QRect& area, bool right) {
    const int x = right ? area.right() : area.left();
    p.setPen(Qt::black);
    p.drawLine(x, area.top(), x, area.bottom());
    const int line = fontMetrics().height();
    const QRect label(right ? x + 4 : 0, 0, area.left() - 4, line);
    const Qt::Alignment side = right ? Qt::AlignLeft : Qt::AlignRight;
    p.drawText(label.translated(0, area.top() - line / 2), side | Qt::AlignVCenter,
               QStringLiteral("100 %"));
    p.drawText(label.translated(0, area.bottom() - line / 2), side | Qt::AlignVCenter,
               QStringLiteral("0 %"));
  }

  // The labels under the slots of the plot, as many as fit.
  void slotLabels(QPainter& p, const QRect& area, const QStringList& labels) {
    const double slot = static_cast<double>(area.width()) / static_cast<double>(labels.size());
    const int every = std::max(1, static_cast<int>(std::ceil(fontMetrics().height() * 3 / slot)));
    p.setPen(Qt::black);
    for (int i = 0; i < labels.size(); i += every) {
      const QRectF cell(area.left() + i * slot - slot * (every - 1) / 2, area.bottom() + 2,
                        slot * every, fontMetrics().height());
      p.drawText(
          cell, Qt::AlignHCenter | Qt::AlignTop,
          fontMetrics().elidedText(labels[i], Qt::ElideRight, static_cast<int>(cell.width()) - 2));
    }
  }

 private:
  QString title_;
};

// The failed runs by step, most first, as bars; their cumulative share as a line.
class ParetoChart final : public Chart {
 public:
  ParetoChart(QWidget* parent, const std::vector<history::StepFailures>& steps)
      : Chart(parent, "ParetoChart", qs(Text::tr("Отказы по шагам"))), steps_(steps) {}

 private:
  QString nothing() const override { return qs(Text::tr("Отказов нет.")); }

  bool plot(QPainter& p, const QRect& area) override {
    if (steps_.empty()) return false;
    std::size_t most = 1;
    for (const history::StepFailures& s : steps_)
      most = std::max(most, s.runs);
    const double slot = static_cast<double>(area.width()) / static_cast<double>(steps_.size());
    QPolygonF cumulative;
    QStringList labels;
    for (std::size_t i = 0; i < steps_.size(); ++i) {
      const history::StepFailures& s = steps_[i];
      const double height = area.height() * static_cast<double>(s.runs) / static_cast<double>(most);
      const double left = area.left() + slot * static_cast<double>(i);
      p.fillRect(QRectF(left + slot * 0.15, area.bottom() - height, slot * 0.7, height),
                 kBarColour);
      cumulative << QPointF(left + slot / 2, area.bottom() - area.height() * s.cumulative);
      labels << (s.step ? qs(*s.step) : qs(Text::tr("(вне шагов)")));
    }
    // The runs on the left, the cumulative share on the right.
    p.setPen(Qt::black);
    p.drawLine(area.topLeft(), area.bottomLeft());
    const int line = fontMetrics().height();
    p.drawText(QRect(0, area.top() - line / 2, area.left() - 4, line),
               Qt::AlignRight | Qt::AlignVCenter, QString::number(most));
    p.drawText(QRect(0, area.bottom() - line / 2, area.left() - 4, line),
               Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("0"));
    shareAxis(p, area, true);
    slotLabels(p, area, labels);
    p.setPen(QPen(kCumulativeColour, 2));
    p.drawPolyline(cumulative);
    p.setBrush(kCumulativeColour);
    for (const QPointF& point : cumulative)
      p.drawEllipse(point, 3, 3);
    return true;
  }

  std::vector<history::StepFailures> steps_;
};

// The first-pass and the final yield of each day, as two lines.
class YieldChart final : public Chart {
 public:
  YieldChart(QWidget* parent, const std::vector<history::Figures>& days)
      : Chart(parent, "YieldChart", qs(Text::tr("Выход по дням"))), days_(days) {}

 private:
  QString nothing() const override { return qs(Text::tr("Нет проверенных регистраторов.")); }

  bool plot(QPainter& p, const QRect& area) override {
    const bool any = std::any_of(days_.begin(), days_.end(), [](const history::Figures& d) {
      return d.firstPassYield.has_value();
    });
    if (!any) return false;
    shareAxis(p, area, false);
    const double slot = static_cast<double>(area.width()) / static_cast<double>(days_.size());
    QStringList labels;
    for (const history::Figures& d : days_) {
      // "2026-12-07" as "07.12".
      const QString day = qs(d.group);
      labels << day.mid(8, 2) + QLatin1Char('.') + day.mid(5, 2);
    }
    slotLabels(p, area, labels);
    const auto line = [&](std::optional<double> history::Figures::*yield, const QColor& colour) {
      QPolygonF points;
      for (std::size_t i = 0; i < days_.size(); ++i) {
        if (const auto share = days_[i].*yield) {
          points << QPointF(area.left() + slot * (static_cast<double>(i) + 0.5),
                            area.bottom() - area.height() * *share);
        }
      }
      p.setPen(QPen(colour, 2));
      p.setBrush(colour);
      p.drawPolyline(points);
      for (const QPointF& point : points)
        p.drawEllipse(point, 3, 3);
    };
    line(&history::Figures::finalYield, kFinalColour);
    line(&history::Figures::firstPassYield, kBarColour);
    // The legend, above the plot on the right.
    const int height = fontMetrics().height();
    const int baseline = area.top() - height / 2 - 4;
    int x = area.right();
    for (const auto& [text, colour] : {std::pair{qs(Text::tr("итоговый")), kFinalColour},
                                       std::pair{qs(Text::tr("с первого раза")), kBarColour}}) {
      x -= fontMetrics().horizontalAdvance(text) + 4;
      p.setPen(colour);
      p.drawText(QPoint(x, baseline), text);
      p.fillRect(QRect(x - 14, baseline - fontMetrics().ascent() / 2 - 1, 10, 4), colour);
      x -= 24;
    }
    return true;
  }

  std::vector<history::Figures> days_;
};

}  // namespace

FiguresWindow::FiguresWindow(history::FiguresReport report, DialogService& dialogs, QWidget* parent)
    : QDialog(parent), report_(std::move(report)), dialogs_(dialogs) {
  setObjectName(QStringLiteral("FiguresWindow"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setFont(windowFont());
  setFixedSize(kClientWidth, kClientHeight);
  setWindowTitle(qs(Text::tr("Показатели")));

  Page = place<QWidget>(this, "Page", 0, 0, kClientWidth, kClientHeight - 40);
  Page->setAutoFillBackground(true);
  auto* summary = place<QLabel>(Page, "SummaryLabel", 8, 8, kClientWidth - 16, 80);
  summary->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
  summary->setText(summaryText(report_.whole));
  const int top = 96;
  const int width = (kClientWidth - 24) / 2;
  auto* pareto = new ParetoChart(Page, report_.whole.failuresByStep);
  pareto->setGeometry(8, top, width, Page->height() - top - 8);
  auto* yield = new YieldChart(Page, report_.groups);
  yield->setGeometry(16 + width, top, width, Page->height() - top - 8);

  auto* save = place<QPushButton>(this, "SavePictureButton", 8, kClientHeight - 33, 110, 25);
  save->setText(qs(Text::tr("Сохранить PNG...")));
  auto* close =
      place<QPushButton>(this, "CloseFiguresButton", kClientWidth - 83, kClientHeight - 33, 75, 25);
  close->setText(qs(Text::tr("Закрыть")));
  for (QPushButton* b : {save, close})
    b->setAutoDefault(false);
  connect(save, &QPushButton::clicked, this, &FiguresWindow::SaveButtonClick);
  connect(close, &QPushButton::clicked, this, &QDialog::close);
}

QImage FiguresWindow::picture() const {
  return Page->grab().toImage();
}

void FiguresWindow::SaveButtonClick() {
  const QString filter = shown(kPictureFilter);
  const auto chosen = dialogs_.saveFileName(this, filter, QStringLiteral("figures.png"));
  if (!chosen) return;
  const QString file = withExtension(*chosen, filter);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  picture().save(&buffer, "PNG");
  // Whole or not at all, as every file the program saves.
  if (const auto problem =
          writeWholeFile(file.toStdString(), std::string_view(bytes.constData(), bytes.size())))
    dialogs_.messageBox(this, shown(problem->message));
}

}  // namespace tallowick::gui
