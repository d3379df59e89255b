// The main window's serial-number selector ComboBox5: an editable combo box whose items
// mirror the book's list "К инициализации". The initialisation page reads the number to
// write from it; TForm4 removes the number once it is confirmed.
#pragma once

#include <string>
#include <vector>

namespace tallowick {

class SerialSelector {
 public:
  virtual ~SerialSelector() = default;
  virtual std::string text() = 0;
  // Shows `text` as the number to write (the book's next number, taken for the printer).
  virtual void setText(const std::string& text) = 0;
  // -1 when no item is selected (for example when the number was typed).
  virtual int selectedIndex() = 0;
  virtual std::vector<std::string> items() = 0;
  virtual void removeItem(int index) = 0;
};

}  // namespace tallowick
