#include "initforms/form3.h"

#include "initforms/serial_numbers.h"
#include "initforms/texts.h"

namespace tallowick {

TForm3::TForm3(Form3Ui& ui, SerialStore& store, std::string programPath)
    : ui_(ui), book_(store), programPath_(std::move(programPath)) {}

// The window is activated again whenever one of its message boxes or the main window
// closes; the set-up and the loading belong to the first activation only.
void TForm3::FormActivate() {
  if (activated_) return;
  activated_ = true;
  start();
}

void TForm3::start() {
  const SerialBook::StartOutcome outcome = book_.start(programPath_);
  if (outcome.setUp) reportStoreError(texts::kSetUpFailed, *outcome.setUp);
  if (outcome.lists) reportStoreError(texts::kListsNotRead, *outcome.lists);
  showLists();
  setButton6(!book_.shouldInit().empty());
}

void TForm3::ComboBox1Change() {
  const int index = ui_.comboBox1Index();
  if (index < 0 || static_cast<std::size_t>(index) >= kPrinterTypes.size()) return;
  prefix_ = kPrinterTypes[static_cast<std::size_t>(index)].prefix;
  ui_.setLabel6(prefix_);
  ui_.setFocus(Form3Control::MaskEdit1);
  ui_.setEnabled(Form3Control::Button8, true);
}

void TForm3::MaskEdit1KeyDown(Form3Key key) {
  if (key == Form3Key::Enter) ui_.setFocus(Form3Control::MaskEdit2);
}

// The bounds are checked when the user is done with them (Enter), not at every key: a
// message box at each key would stand in the way of correcting a half-typed bound.
void TForm3::MaskEdit2KeyDown(Form3Key key) {
  if (key == Form3Key::Enter) checkBoundsOnEnter();
}

void TForm3::checkBoundsOnEnter() {
  const auto upper = parseBound(ui_.maskEdit2Text());
  const auto lower = parseBound(ui_.maskEdit1Text());
  if (!upper || !lower) {
    ui_.messageBox(std::string(texts::kBadBounds));
    return;
  }
  if (*upper >= *lower) ui_.setFocus(Form3Control::Button8);
}

void TForm3::Button8Click() {
  generateInterval();
}

void TForm3::generateInterval() {
  if (prefix_.empty()) return;
  const auto upper = parseBound(ui_.maskEdit2Text());
  const auto lower = parseBound(ui_.maskEdit1Text());
  if (!upper || !lower) {
    ui_.messageBox(std::string(texts::kBadBounds));
    return;
  }
  if (*upper < *lower) {
    ui_.messageBox(std::string(texts::kBadRange));
    return;
  }
  book_.replaceWithInterval(intervalSerialNumbers(prefix_, *lower, *upper));
  showLists();
}

void TForm3::Button1Click() {
  if (book_.moveToAlreadyInit(ui_.listBox1Index())) showLists();
  setButton6(!book_.shouldInit().empty());
}

void TForm3::Button2Click() {
  book_.moveAllToAlreadyInit();
  showLists();
  setButton6(false);
}

void TForm3::Button3Click() {
  if (!book_.moveToShouldInit(ui_.listBox2Index())) return;
  showLists();
  setButton6(true);
}

void TForm3::Button4Click() {
  book_.moveAllToShouldInit();
  showLists();
  setButton6(true);
}

void TForm3::Button5Click() {
  if (!ui_.question(std::string(texts::kClearQuestion))) return;
  if (auto done = book_.clear(); !done) {
    reportStoreError(texts::kListsNotSaved, done.error());
    return;
  }
  showLists();
  ui_.setStatus(std::string(texts::kListsCleared));
  setButton6(false);
}

void TForm3::Button9Click() {
  if (auto done = book_.save(); !done) {
    reportStoreError(texts::kListsNotSaved, done.error());
    return;
  }
  ui_.setStatus(std::string(texts::kListsSaved));
  if (!book_.shouldInit().empty()) setButton6(true);
}

void TForm3::Button6Click() {
  ui_.showMainWindow();
  ui_.close();
}

void TForm3::Button7Click() {
  ui_.close();
}

// Lists that changed are no longer the ones stored, so the status line says nothing.
void TForm3::showLists() {
  ui_.showListBox1(book_.shouldInit());
  ui_.showListBox2(book_.alreadyInit());
  ui_.setStatus({});
}

void TForm3::setButton6(bool enabled) {
  ui_.setEnabled(Form3Control::Button6, enabled);
}

void TForm3::reportStoreError(std::string_view what, const StoreError& error) {
  ui_.messageBox(std::string(what) + "\n" + error.message);
}

}  // namespace tallowick
