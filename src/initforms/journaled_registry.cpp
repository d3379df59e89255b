#include "initforms/journaled_registry.h"
#include "platform/own_text.h"

#include <charconv>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tallowick {

namespace {

// One change of a write, as it is applied and as the journal keeps it.
struct Change {
  enum Kind : char { CreateKey = 'K', SetString = 'S', SetDword = 'D', DeleteValue = 'X' };
  Kind kind = CreateKey;
  std::string key;
  std::string name;
  RegistryValue value;
};

// A journal entry: the kind, then each field as its length in bytes, ':' and the bytes,
// so that no text can be mistaken for a separator.
void appendField(std::string& out, std::string_view field) {
  out += std::to_string(field.size());
  out += ':';
  out += field;
}

std::string encode(const Change& change) {
  std::string entry(1, static_cast<char>(change.kind));
  appendField(entry, change.key);
  appendField(entry, change.name);
  if (change.kind == Change::SetString) appendField(entry, change.value.text);
  if (change.kind == Change::SetDword) appendField(entry, std::to_string(change.value.dword));
  return entry;
}

std::optional<std::string> takeField(std::string_view& entry) {
  std::size_t length = 0;
  const auto [end, ec] = std::from_chars(entry.data(), entry.data() + entry.size(), length);
  if (ec != std::errc() || end == entry.data() || end == entry.data() + entry.size() ||
      *end != ':') {
    return std::nullopt;
  }
  entry.remove_prefix(static_cast<std::size_t>(end - entry.data()) + 1);
  if (length > entry.size()) return std::nullopt;
  std::string field(entry.substr(0, length));
  entry.remove_prefix(length);
  return field;
}

std::optional<Change> decode(std::string_view entry) {
  if (entry.empty()) return std::nullopt;
  Change change;
  change.kind = static_cast<Change::Kind>(entry.front());
  entry.remove_prefix(1);
  auto key = takeField(entry);
  auto name = takeField(entry);
  if (!key || !name || key->empty()) return std::nullopt;
  change.key = std::move(*key);
  change.name = std::move(*name);
  switch (change.kind) {
    case Change::CreateKey:
    case Change::DeleteValue:
      break;
    case Change::SetString: {
      auto text = takeField(entry);
      if (!text) return std::nullopt;
      change.value = RegistryValue::ofString(std::move(*text));
      break;
    }
    case Change::SetDword: {
      auto digits = takeField(entry);
      std::uint32_t number = 0;
      if (!digits || digits->empty()) return std::nullopt;
      const auto [end, ec] =
          std::from_chars(digits->data(), digits->data() + digits->size(), number);
      if (ec != std::errc() || end != digits->data() + digits->size()) return std::nullopt;
      change.value = RegistryValue::ofDword(number);
      break;
    }
    default:
      return std::nullopt;
  }
  if (!entry.empty()) return std::nullopt;
  return change;
}

StoreStatus apply(DirectRegistry& registry, const Change& change) {
  switch (change.kind) {
    case Change::CreateKey:
      return registry.createKey(change.key);
    case Change::DeleteValue:
      return registry.deleteValue(change.key, change.name);
    default:
      return registry.setValue(change.key, change.name, change.value);
  }
}

// Applies the changes, makes them durable and removes the journal.
StoreStatus applyAll(DirectRegistry& registry, const std::vector<Change>& changes) {
  std::set<std::string> keys;
  for (const Change& change : changes) {
    if (auto done = apply(registry, change); !done) return done;
    keys.insert(foldedName(change.key));
  }
  for (const Change& change : changes) {
    if (keys.erase(foldedName(change.key)) == 0) continue;
    if (auto flushed = registry.flush(change.key); !flushed) return flushed;
  }
  return registry.deleteKey(kJournalKey);
}

StoreError damagedJournal(const std::string& what) {
  return {StoreErrorKind::Damaged, "Незавершённая запись списков заводских номеров (ключ \"" +
                                       std::string(kJournalKey) + "\") повреждена: " + what +
                                       "; ничего не изменено."};
}

// Finishes a write that an earlier run left unfinished. A journal without "Count" was
// cut off while it was written, before anything else changed: it is dropped.
StoreStatus finishPendingWrite(DirectRegistry& registry) {
  auto exists = registry.keyExists(kJournalKey);
  if (!exists) return exists.error();
  if (!exists.value()) return {};
  auto count = registry.readValue(kJournalKey, kCountValue);
  if (!count) return count.error();
  if (!count.value()) return registry.deleteKey(kJournalKey);
  if (count.value()->type != ValueType::Dword)
    return damagedJournal(Text::own("\"Count\" не REG_DWORD"));
  std::vector<Change> changes;
  for (std::uint32_t i = 0; i < count.value()->dword; ++i) {
    const std::string name = std::to_string(i);
    auto entry = registry.readValue(kJournalKey, name);
    if (!entry) return entry.error();
    if (!entry.value() || entry.value()->type != ValueType::String) {
      return damagedJournal("нет строкового значения \"" + name + "\"");
    }
    auto change = decode(entry.value()->text);
    if (!change) return damagedJournal("значение \"" + name + "\" не читается");
    changes.push_back(std::move(*change));
  }
  return applyAll(registry, changes);
}

// The body's view of a write: reads see the registry with the changes made so far,
// changes are only collected.
class CollectedWrite final : public RegistryTransaction {
 public:
  explicit CollectedWrite(DirectRegistry& registry) : registry_(registry) {}

  const std::vector<Change>& changes() const { return changes_; }

  StoreResult<bool> keyExists(std::string_view key) override {
    if (created_.count(foldedName(key))) return true;
    return registry_.keyExists(key);
  }

  StoreStatus createKey(std::string_view key) override {
    for (std::size_t at = key.find('\\'); at != std::string_view::npos;
         at = key.find('\\', at + 1)) {
      created_.insert(foldedName(key.substr(0, at)));
    }
    created_.insert(foldedName(key));
    changes_.push_back({Change::CreateKey, std::string(key), {}, {}});
    return {};
  }

  StoreResult<std::optional<RegistryValue>> readValue(std::string_view key,
                                                      std::string_view name) override {
    if (const auto found = values_.find(valueId(key, name)); found != values_.end()) {
      return found->second.second;
    }
    return registry_.readValue(key, name);
  }

  StoreResult<std::vector<std::string>> valueNames(std::string_view key) override {
    auto stored = registry_.valueNames(key);
    if (!stored) return stored;
    std::map<std::string, std::string> names;  // by the folded name
    for (const std::string& name : stored.value())
      names.emplace(foldedName(name), name);
    const std::string prefix = foldedName(key) + '\\';
    for (auto it = values_.lower_bound(prefix);
         it != values_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
      const std::string folded = it->first.substr(prefix.size());
      if (it->second.second) {
        names.insert_or_assign(folded, it->second.first);
      } else {
        names.erase(folded);
      }
    }
    std::vector<std::string> result;
    for (auto& [folded, name] : names)
      result.push_back(std::move(name));
    return result;
  }

  StoreStatus setValue(std::string_view key, std::string_view name,
                       const RegistryValue& value) override {
    auto exists = keyExists(key);
    if (!exists) return exists.error();
    if (!exists.value()) {
      return StoreError{StoreErrorKind::Failed,
                        "Нет ключа HKEY_LOCAL_MACHINE\\" + std::string(key) + "."};
    }
    values_.insert_or_assign(valueId(key, name), std::pair{std::string(name), value});
    changes_.push_back({value.type == ValueType::Dword ? Change::SetDword : Change::SetString,
                        std::string(key), std::string(name), value});
    return {};
  }

  StoreStatus deleteValue(std::string_view key, std::string_view name) override {
    values_.insert_or_assign(valueId(key, name),
                             std::pair{std::string(name), std::optional<RegistryValue>()});
    changes_.push_back({Change::DeleteValue, std::string(key), std::string(name), {}});
    return {};
  }

 private:
  // A key path holds no value name, so "key\name" names one value unambiguously.
  static std::string valueId(std::string_view key, std::string_view name) {
    return foldedName(key) + '\\' + foldedName(name);
  }

  DirectRegistry& registry_;
  std::vector<Change> changes_;
  std::set<std::string> created_;
  std::map<std::string, std::pair<std::string, std::optional<RegistryValue>>> values_;
};

StoreStatus writeJournal(DirectRegistry& registry, const std::vector<Change>& changes) {
  if (auto created = registry.createKey(kJournalKey); !created) return created;
  for (std::size_t i = 0; i < changes.size(); ++i) {
    auto set = registry.setValue(kJournalKey, std::to_string(i),
                                 RegistryValue::ofString(encode(changes[i])));
    if (!set) return set;
  }
  // Written last: only a journal with its "Count" is ever applied.
  const auto count = static_cast<std::uint32_t>(changes.size());
  if (auto set = registry.setValue(kJournalKey, kCountValue, RegistryValue::ofDword(count)); !set) {
    return set;
  }
  return registry.flush(kJournalKey);
}

}  // namespace

StoreStatus runJournaled(DirectRegistry& registry, TransactionMode mode,
                         const TransactionBody& body) {
  if (auto finished = finishPendingWrite(registry); !finished) return finished;
  if (mode == TransactionMode::Read) return body(registry);
  CollectedWrite write(registry);
  if (auto status = body(write); !status) return status;
  if (write.changes().empty()) return {};
  if (auto journaled = writeJournal(registry, write.changes()); !journaled) {
    // Nothing but the journal was touched; a journal without "Count" is never applied.
    (void)registry.deleteKey(kJournalKey);
    return journaled;
  }
  return applyAll(registry, write.changes());
}

}  // namespace tallowick
