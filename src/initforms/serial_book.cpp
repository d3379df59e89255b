#include "initforms/serial_book.h"

#include <algorithm>
#include <iterator>

#include "initforms/serial_numbers.h"
#include "initforms/texts.h"

namespace tallowick {

namespace {

bool validIndex(int index, const std::vector<std::string>& list) {
  return index >= 0 && static_cast<std::size_t>(index) < list.size();
}

void moveOne(std::vector<std::string>& from, int index, std::vector<std::string>& to) {
  std::string number = std::move(from[static_cast<std::size_t>(index)]);
  from.erase(from.begin() + index);
  insertSorted(to, std::move(number));
}

// As if each number of `from` were inserted in turn, in one merge: inserting one by one
// costs a pass over `to` per number, which a list of 100 000 numbers cannot afford.
void moveAll(std::vector<std::string>& from, std::vector<std::string>& to) {
  sortSerials(from);
  std::vector<std::string> merged;
  merged.reserve(to.size() + from.size());
  std::merge(std::make_move_iterator(to.begin()), std::make_move_iterator(to.end()),
             std::make_move_iterator(from.begin()), std::make_move_iterator(from.end()),
             std::back_inserter(merged),
             [](const std::string& x, const std::string& y) { return serialLess(x, y); });
  to = std::move(merged);
  from.clear();
}

}  // namespace

SerialBook::StartOutcome SerialBook::start(std::string_view programPath) {
  StartOutcome outcome;
  auto registered = store_.isRegistered();
  if (!registered) {
    outcome.lists = registered.error();
    return outcome;
  }
  auto hasShouldInit = store_.hasList(SerialList::ShouldInit);
  if (!hasShouldInit) {
    outcome.lists = hasShouldInit.error();
    return outcome;
  }
  if (!registered.value() || !hasShouldInit.value()) {
    // Only keys that are missing get an empty list: a machine whose registration was
    // removed must not lose the numbers it still has.
    if (auto done = store_.registerProgram(programPath); !done) outcome.setUp = done.error();
    if (auto done = store_.createMissingLists(); !done && !outcome.setUp) {
      outcome.setUp = done.error();
    }
  }
  auto lists = store_.readLists();
  if (!lists) {
    outcome.lists = lists.error();
    return outcome;
  }
  lists_ = std::move(lists).value();
  sortSerials(lists_.shouldInit);
  sortSerials(lists_.alreadyInit);
  loaded_ = true;
  return outcome;
}

StoreStatus SerialBook::load() {
  auto lists = store_.readLists();
  if (!lists) return lists.error();
  lists_ = std::move(lists).value();
  sortSerials(lists_.shouldInit);
  sortSerials(lists_.alreadyInit);
  loaded_ = true;
  return {};
}

void SerialBook::replaceWithInterval(std::vector<std::string> numbers) {
  sortSerials(numbers);
  lists_.shouldInit = std::move(numbers);
  lists_.alreadyInit.clear();
}

bool SerialBook::moveToAlreadyInit(int index) {
  if (!validIndex(index, lists_.shouldInit)) return false;
  moveOne(lists_.shouldInit, index, lists_.alreadyInit);
  return true;
}

bool SerialBook::moveToShouldInit(int index) {
  if (!validIndex(index, lists_.alreadyInit)) return false;
  moveOne(lists_.alreadyInit, index, lists_.shouldInit);
  return true;
}

void SerialBook::moveAllToAlreadyInit() {
  moveAll(lists_.shouldInit, lists_.alreadyInit);
}

void SerialBook::moveAllToShouldInit() {
  moveAll(lists_.alreadyInit, lists_.shouldInit);
}

StoreStatus SerialBook::store(const SerialLists& lists) {
  if (!loaded_) return StoreError{StoreErrorKind::Failed, std::string(texts::kListsNotLoaded)};
  return store_.writeLists(lists);
}

StoreStatus SerialBook::save() {
  return store(lists_);
}

StoreStatus SerialBook::clear() {
  auto done = store(SerialLists{});
  if (done) lists_ = SerialLists{};
  return done;
}

StoreStatus SerialBook::confirm(const std::string& serial) {
  if (serial.empty()) return {};
  // By its text, wherever it stands: a number typed by hand that is on the list must not
  // stay there to be written into a second printer.
  auto& pending = lists_.shouldInit;
  if (const auto found = std::find(pending.begin(), pending.end(), serial);
      found != pending.end()) {
    pending.erase(found);
  }
  auto& done = lists_.alreadyInit;
  if (std::find(done.begin(), done.end(), serial) == done.end()) insertSorted(done, serial);
  return save();
}

}  // namespace tallowick
