// The book of factory serial numbers: the list still to initialise and the list already
// initialised, kept sorted as the windows show them, and written to the store as a whole.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "initforms/serial_store.h"

namespace tallowick {

class SerialBook {
 public:
  explicit SerialBook(SerialStore& store) : store_(store) {}

  struct StartOutcome {
    std::optional<StoreError> setUp;  // the first-run set-up failed
    std::optional<StoreError> lists;  // the stored lists could not be read
  };

  // The first-run set-up where it is due (the program not registered, or no list of
  // numbers to initialise), then the stored lists. The set-up never empties a list that is
  // already stored.
  StartOutcome start(std::string_view programPath);

  // The stored lists alone, without the first-run set-up: for a program that uses the book
  // without owning it (the command line).
  StoreStatus load();

  // False until the stored lists were read. Until then nothing is written: the lists
  // shown would replace stored numbers that were never seen.
  bool loaded() const { return loaded_; }

  const std::vector<std::string>& shouldInit() const { return lists_.shouldInit; }
  const std::vector<std::string>& alreadyInit() const { return lists_.alreadyInit; }

  // A new interval: its numbers to initialise, nothing already initialised. Not stored.
  void replaceWithInterval(std::vector<std::string> numbers);
  // Moves one number from one list into the other; false when `index` names none.
  bool moveToAlreadyInit(int index);
  bool moveToShouldInit(int index);
  void moveAllToAlreadyInit();
  void moveAllToShouldInit();

  // Stores both lists as they are.
  StoreStatus save();
  // Empties the stored lists, then the lists here; on an error both stay as they were.
  StoreStatus clear();
  // Records a printer initialised with `serial`: the number leaves the list to initialise
  // and joins the initialised one, then both are stored. The lists change even when
  // storing fails, since the number is used up either way. An empty text records nothing.
  StoreStatus confirm(const std::string& serial);

 private:
  StoreStatus store(const SerialLists& lists);

  SerialStore& store_;
  SerialLists lists_;
  bool loaded_ = false;
};

}  // namespace tallowick
