// Small helpers the windows share: Windows colour values on Qt widgets, and the fixed
// pixel layout the windows are drawn in.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/own_text.h"

class QWidget;
class QComboBox;
class QLabel;

namespace tallowick::gui {

// A Windows colour value (0x00BBGGRR) as a QColor, and back.
QColor fromWindowsColour(std::uint32_t bgr);
std::uint32_t toWindowsColour(const QColor& colour);

inline QString qs(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string u8(const QString& text) {
  return text.toUtf8().toStdString();
}
// One of the program's own texts, made here or by the Qt-free logic, in the language of the
// windows. Data (ports, models, numbers, a record's lines) is shown with qs, as it is.
inline QString shown(std::string_view text) {
  return qs(Text::tr(text));
}

// Creates a child widget with its object name at a fixed place. A height of 0 keeps the
// widget's natural height.
template <typename W>
W* place(QWidget* parent, const char* objectName, int left, int top, int width = 0,
         int height = 0) {
  auto* w = new W(parent);
  w->setObjectName(QString::fromLatin1(objectName));
  if (width == 0) width = w->sizeHint().width();
  if (height == 0) height = w->sizeHint().height();
  w->setGeometry(left, top, width, height);
  return w;
}

// A label sized to its text.
QLabel* label(QWidget* parent, const char* objectName, int left, int top, std::string_view text);

// The line rates the windows offer, as the main window's ComboBox3 lists them.
QStringList rateItems();
// A number-of-passes box as the page "Тест РРО" has it: editable, "1" to "10", "1" chosen.
void fillPasses(QComboBox* box);

// The font the windows are laid out in ("MS Sans Serif" 8 pt, or the closest font here).
QFont windowFont();

// A label's font colour.
void setFontColour(QWidget* widget, const QColor& colour);
QColor fontColour(const QWidget* widget);

}  // namespace tallowick::gui
