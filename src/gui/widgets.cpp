#include "gui/widgets.h"

#include <QComboBox>
#include <QLabel>
#include <QPalette>
#include <QWidget>

namespace tallowick::gui {

QColor fromWindowsColour(std::uint32_t bgr) {
  return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                static_cast<int>((bgr >> 16) & 0xFF));
}

std::uint32_t toWindowsColour(const QColor& colour) {
  return static_cast<std::uint32_t>(colour.red()) |
         (static_cast<std::uint32_t>(colour.green()) << 8) |
         (static_cast<std::uint32_t>(colour.blue()) << 16);
}

QLabel* label(QWidget* parent, const char* objectName, int left, int top, std::string_view text) {
  auto* l = new QLabel(shown(text), parent);
  l->setObjectName(QString::fromLatin1(objectName));
  l->move(left, top);
  l->adjustSize();
  return l;
}

QFont windowFont() {
  // Where that font is missing, fonts of the same widths keep the texts inside the fixed
  // layout; a wide default sans-serif would cut them off.
  static const bool substituted = [] {
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Microsoft Sans Serif"),
                                QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    return true;
  }();
  (void)substituted;
  QFont font(QStringLiteral("MS Sans Serif"), 8);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

void setFontColour(QWidget* widget, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, colour);
  palette.setColor(QPalette::Text, colour);
  widget->setPalette(palette);
}

QColor fontColour(const QWidget* widget) {
  return widget->palette().color(QPalette::WindowText);
}

QStringList rateItems() {
  return {qs(Text::tr("9600 бод")), qs(Text::tr("19200 бод")), qs(Text::tr("57600 бод")),
          qs(Text::tr("115200 бод"))};
}

void fillPasses(QComboBox* box) {
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  for (int i = 1; i <= 10; ++i)
    box->addItem(QString::number(i));
  box->setCurrentIndex(0);
}

}  // namespace tallowick::gui
