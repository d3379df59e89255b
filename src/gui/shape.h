// Shape1 of the main window: a filled circle whose brush colour is the connection state.
#pragma once

#include <QColor>
#include <QWidget>

namespace tallowick::gui {

class TShape final : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QColor brushColour READ brushColour WRITE setBrushColour)

 public:
  explicit TShape(QWidget* parent = nullptr) : QWidget(parent) {}

  QColor brushColour() const { return brush_; }
  void setBrushColour(const QColor& colour);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor brush_ = Qt::white;
};

}  // namespace tallowick::gui
