#include "gui/input_gate.h"

#include <QCoreApplication>
#include <QEvent>

namespace tallowick::gui {
namespace {

bool isUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
      return true;
    default:
      return false;
  }
}

}  // namespace

InputGate::InputGate(QWidget* window, std::initializer_list<QWidget*> through) : window_(window) {
  for (QWidget* w : through)
    through_.emplace_back(w);
}

InputGate::~InputGate() {
  if (closed_) QCoreApplication::instance()->removeEventFilter(this);
}

void InputGate::close() {
  if (closed_) return;
  closed_ = true;
  QCoreApplication::instance()->installEventFilter(this);
}

void InputGate::open() {
  if (closed_) {
    closed_ = false;
    QCoreApplication::instance()->removeEventFilter(this);
  }
  auto held = std::move(held_);
  held_.clear();
  for (auto& [receiver, event] : held) {
    if (receiver) QCoreApplication::postEvent(receiver, event.release());
  }
}

bool InputGate::passes(const QWidget* widget) const {
  if (!window_ || widget->window() != window_) return true;
  for (const auto& w : through_) {
    if (w && (widget == w || w->isAncestorOf(widget))) return true;
  }
  return false;
}

bool InputGate::eventFilter(QObject* watched, QEvent* event) {
  // Only the widgets themselves are judged: the window system's event for the window as a
  // whole goes on to the widget under the mouse or with the focus, and is judged there.
  if (!closed_ || !isUserInput(event->type()) || !watched->isWidgetType()) return false;
  if (passes(static_cast<QWidget*>(watched))) return false;
  held_.emplace_back(watched, std::unique_ptr<QEvent>(event->clone()));
  return true;
}

}  // namespace tallowick::gui
