// Keeps the user's input to a window from running handlers in the middle of a command
// exchange, while two chosen controls (Stop and Disconnect) still act at once. While the
// gate is closed, mouse, key and wheel events for the window's other widgets are held
// back; opening it hands them on in the order they came, to run at the next event pump.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

namespace tallowick::gui {

class InputGate final : public QObject {
 public:
  // `window`'s widgets are held back, except `through` and their children.
  InputGate(QWidget* window, std::initializer_list<QWidget*> through);
  ~InputGate() override;

  // From now on the window's input is held back (other windows are never touched).
  void close();
  // Held input goes back to the event queue, in order, and input flows freely again.
  void open();
  bool isClosed() const { return closed_; }
  int heldEvents() const { return static_cast<int>(held_.size()); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool passes(const QWidget* widget) const;

  QPointer<QWidget> window_;
  std::vector<QPointer<QWidget>> through_;
  std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QEvent>>> held_;
  bool closed_ = false;
};

}  // namespace tallowick::gui
