#include "gui/shape.h"

#include <QPainter>

namespace tallowick::gui {

void TShape::setBrushColour(const QColor& colour) {
  if (brush_ == colour) return;
  brush_ = colour;
  update();
}

void TShape::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(brush_);
  painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

}  // namespace tallowick::gui
