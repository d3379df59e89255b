#include "initforms/memory_serial_store.h"

#include "initforms/journaled_registry.h"
#include "platform/own_text.h"

namespace tallowick {

class MemorySerialStore::Transaction final : public DirectRegistry {
 public:
  // `changesLeft` counts down to an injected failure; `writable` is false for reads.
  Transaction(Keys& keys, std::optional<int>& changesLeft, bool writable)
      : keys_(keys), left_(changesLeft), writable_(writable) {}

  StoreResult<bool> keyExists(std::string_view key) override {
    return keys_.count(foldedName(key)) != 0;
  }

  StoreStatus createKey(std::string_view key) override {
    if (auto allowed = change(); !allowed) return allowed;
    // Parents first, as the registry creates them.
    for (std::size_t at = key.find('\\'); at != std::string_view::npos;
         at = key.find('\\', at + 1)) {
      keys_.try_emplace(foldedName(key.substr(0, at)), Key{std::string(key.substr(0, at)), {}});
    }
    keys_.try_emplace(foldedName(key), Key{std::string(key), {}});
    return {};
  }

  StoreResult<std::optional<RegistryValue>> readValue(std::string_view key,
                                                      std::string_view name) override {
    const auto found = keys_.find(foldedName(key));
    if (found == keys_.end()) return std::optional<RegistryValue>();
    const auto value = found->second.values.find(foldedName(name));
    if (value == found->second.values.end()) return std::optional<RegistryValue>();
    return std::optional<RegistryValue>(value->second.value);
  }

  StoreResult<std::vector<std::string>> valueNames(std::string_view key) override {
    std::vector<std::string> names;
    const auto found = keys_.find(foldedName(key));
    if (found == keys_.end()) return names;
    for (const auto& [lower, named] : found->second.values)
      names.push_back(named.name);
    return names;
  }

  StoreStatus setValue(std::string_view key, std::string_view name,
                       const RegistryValue& value) override {
    if (auto allowed = change(); !allowed) return allowed;
    const auto found = keys_.find(foldedName(key));
    if (found == keys_.end()) return StoreError{StoreErrorKind::Failed, Text::own("Нет ключа.")};
    auto [entry, added] =
        found->second.values.try_emplace(foldedName(name), NamedValue{std::string(name), value});
    if (!added) entry->second.value = value;
    return {};
  }

  StoreStatus deleteValue(std::string_view key, std::string_view name) override {
    if (auto allowed = change(); !allowed) return allowed;
    const auto found = keys_.find(foldedName(key));
    if (found != keys_.end()) found->second.values.erase(foldedName(name));
    return {};
  }

  StoreStatus deleteKey(std::string_view key) override {
    if (auto allowed = change(); !allowed) return allowed;
    keys_.erase(foldedName(key));
    return {};
  }

  StoreStatus flush(std::string_view) override { return {}; }

 private:
  StoreStatus change() {
    if (!writable_) return StoreError{StoreErrorKind::Failed, Text::own("Изменение при чтении.")};
    if (!left_) return {};
    if (*left_ == 0) {
      left_.reset();
      return StoreError{StoreErrorKind::Failed, Text::own("Запись прервана (сбой для проверки).")};
    }
    --*left_;
    return {};
  }

  Keys& keys_;
  std::optional<int>& left_;
  bool writable_;
};

StoreStatus MemorySerialStore::runTransaction(TransactionMode mode, const TransactionBody& body) {
  if (failure_) return *failure_;
  if (!transactions_) {
    // Every change lands at once; an injected failure stops the write there, as a
    // program that was killed or lost its power would stop.
    Transaction direct(keys_, changesBeforeFailure_, true);
    StoreStatus status = runJournaled(direct, mode, body);
    changesBeforeFailure_.reset();
    return status;
  }
  if (mode == TransactionMode::Read) {
    std::optional<int> noFailure;
    Transaction tx(keys_, noFailure, false);
    return body(tx);
  }
  Keys working = keys_;
  Transaction tx(working, changesBeforeFailure_, true);
  StoreStatus status = body(tx);
  changesBeforeFailure_.reset();
  if (status) {
    keys_ = std::move(working);
    ++committedWrites_;
  }
  return status;
}

void MemorySerialStore::createKey(std::string_view key) {
  std::optional<int> noFailure;
  (void)Transaction(keys_, noFailure, true).createKey(keyPath(key));
}

void MemorySerialStore::removeKey(std::string_view key) {
  keys_.erase(foldedName(keyPath(key)));
}

void MemorySerialStore::putValue(std::string_view key, std::string_view name, RegistryValue value) {
  createKey(key);
  std::optional<int> noFailure;
  (void)Transaction(keys_, noFailure, true).setValue(keyPath(key), name, value);
}

void MemorySerialStore::removeValue(std::string_view key, std::string_view name) {
  std::optional<int> noFailure;
  (void)Transaction(keys_, noFailure, true).deleteValue(keyPath(key), name);
}

bool MemorySerialStore::hasKey(std::string_view key) const {
  return keys_.count(foldedName(keyPath(key))) != 0;
}

std::optional<RegistryValue> MemorySerialStore::value(std::string_view key,
                                                      std::string_view name) const {
  const auto found = keys_.find(foldedName(keyPath(key)));
  if (found == keys_.end()) return std::nullopt;
  const auto value = found->second.values.find(foldedName(name));
  if (value == found->second.values.end()) return std::nullopt;
  return value->second.value;
}

std::vector<std::string> MemorySerialStore::valueNames(std::string_view key) const {
  std::vector<std::string> names;
  const auto found = keys_.find(foldedName(keyPath(key)));
  if (found == keys_.end()) return names;
  for (const auto& [lower, named] : found->second.values)
    names.push_back(named.name);
  return names;
}

}  // namespace tallowick
