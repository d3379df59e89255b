#include "mainform/form4.h"

#include <algorithm>

#include "initforms/texts.h"

namespace tallowick {

void TForm4::FormActivate() {
  ui_.setLabel2(selector_.text());
}

void TForm4::Button2Click() {
  confirm();
}

void TForm4::Button1Click() {
  // The number stays where it was in the station's book; the line keeps the answer.
  (void)numbers_.answered(selector_.text(), false);
  ui_.messageBox(std::string(texts::kInitialisedWrongly));
  ui_.close();
}

void TForm4::confirm() {
  const std::string serial = selector_.text();
  const int selected = selector_.selectedIndex();
  const StoreStatus saved = numbers_.answered(serial, true);
  if (!serial.empty()) removeFromSelector(serial, selected);
  if (saved) {
    ui_.messageBox(std::string(texts::kInitialisedRightly));
  } else {
    ui_.messageBox(std::string(texts::kInitialisedNotSaved) + "\n" + saved.error().message);
  }
  ui_.close();
}

// The selected item when it carries the number, otherwise the item that does: the
// selector must never offer a number that is already used.
void TForm4::removeFromSelector(const std::string& serial, int selected) {
  const std::vector<std::string> items = selector_.items();
  const auto inRange = [&](int index) {
    return index >= 0 && static_cast<std::size_t>(index) < items.size();
  };
  if (inRange(selected) && items[static_cast<std::size_t>(selected)] == serial) {
    selector_.removeItem(selected);
    return;
  }
  const auto found = std::find(items.begin(), items.end(), serial);
  if (found != items.end()) selector_.removeItem(static_cast<int>(found - items.begin()));
}

}  // namespace tallowick
