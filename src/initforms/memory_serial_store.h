// A store that keeps its keys and values in memory, with the same layout and transaction
// rules as the real ones. Tests use it to look at what was written and to make writes
// fail on purpose.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "initforms/registry_layout.h"

namespace tallowick {

class MemorySerialStore final : public RegistryLayoutStore {
 public:
  enum class Transactions { Atomic, None };
  // Without transactions the store keeps its writes safe with a journal, as the Windows
  // registry store does where the system has no transacted registry.
  explicit MemorySerialStore(Transactions transactions = Transactions::Atomic)
      : transactions_(transactions == Transactions::Atomic) {}

  // Setting up contents directly, outside any transaction.
  void createKey(std::string_view key);
  void removeKey(std::string_view key);
  void putValue(std::string_view key, std::string_view name, RegistryValue value);
  void removeValue(std::string_view key, std::string_view name);

  bool hasKey(std::string_view key) const;
  std::optional<RegistryValue> value(std::string_view key, std::string_view name) const;
  std::vector<std::string> valueNames(std::string_view key) const;

  // Every later transaction fails at its start with `error`, until cleared with nullopt.
  void failTransactions(std::optional<StoreError> error) { failure_ = std::move(error); }
  // The write transaction after this call fails at its (n+1)-th change (set, delete or
  // create), as a store that breaks down half-way would.
  void failAfterChanges(int n) { changesBeforeFailure_ = n; }
  int committedWrites() const { return committedWrites_; }

 protected:
  StoreStatus runTransaction(TransactionMode mode, const TransactionBody& body) override;

 private:
  struct NamedValue {
    std::string name;
    RegistryValue value;
  };
  struct Key {
    std::string name;
    std::map<std::string, NamedValue> values;  // by the name folded to lower case
  };
  using Keys = std::map<std::string, Key>;  // by the path folded to lower case
  class Transaction;

  Keys keys_;
  std::optional<StoreError> failure_;
  std::optional<int> changesBeforeFailure_;
  int committedWrites_ = 0;
  bool transactions_;
};

}  // namespace tallowick
