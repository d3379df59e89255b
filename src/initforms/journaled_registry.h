// Writes to a registry that has no transactions, kept safe by a journal: the changes of
// a write are collected first, stored whole under kJournalKey, then applied, and the
// journal removed. A write that was cut off after its journal was complete is finished by
// the next operation on the book; one cut off before leaves the book as it was.
#pragma once

#include <string_view>

#include "initforms/registry_layout.h"

namespace tallowick {

// Where an unfinished write keeps its changes; the key exists only while a write runs or
// after one was cut off.
inline constexpr std::string_view kJournalKey = "SOFTWARE\\Morvent\\Tallowick\\1.0\\PendingWrite";

// A registry whose every change takes effect at once.
class DirectRegistry : public RegistryTransaction {
 public:
  // Removes a key that has no subkeys, with its values; a missing key is no error.
  virtual StoreStatus deleteKey(std::string_view key) = 0;
  // Makes the changes made so far under `key` durable before the next step.
  virtual StoreStatus flush(std::string_view key) = 0;
};

// Runs `body` as one transaction over `registry`, as RegistryLayoutStore::runTransaction
// promises: a write whose body fails changes nothing. Every run first finishes a write
// that an earlier run left unfinished.
StoreStatus runJournaled(DirectRegistry& registry, TransactionMode mode,
                         const TransactionBody& body);

}  // namespace tallowick
