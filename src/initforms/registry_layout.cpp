#include "initforms/registry_layout.h"

#include <string>

#include "initforms/serial_numbers.h"
#include "platform/own_text.h"

namespace tallowick {

std::string_view listKey(SerialList list) {
  return list == SerialList::ShouldInit ? kShouldInitKey : kAlreadyInitKey;
}

std::string_view valueTypeName(ValueType type) {
  return type == ValueType::Dword ? "REG_DWORD" : "REG_SZ";
}

std::string foldedName(std::string_view name) {
  std::string lower(name);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

std::string_view keyPath(std::string_view key) {
  if (!key.empty() && key.front() == '\\') key.remove_prefix(1);
  return key;
}

namespace {

// The numbered values of a list are named by their decimal position.
StoreError damage(std::string_view key, const std::string& what) {
  return {StoreErrorKind::Damaged, "Ключ \"" + std::string(key) + "\" повреждён: " + what + "."};
}

StoreResult<std::vector<std::string>> readList(RegistryTransaction& tx, std::string_view key) {
  std::vector<std::string> numbers;
  auto exists = tx.keyExists(key);
  if (!exists) return exists.error();
  if (!exists.value()) return numbers;

  auto count = tx.readValue(key, kCountValue);
  if (!count) return count.error();
  if (!count.value()) return numbers;
  const RegistryValue& countValue = *count.value();
  if (countValue.type != ValueType::Dword) {
    return damage(key, "значение \"Count\" имеет тип " +
                           std::string(valueTypeName(countValue.type)) + " вместо REG_DWORD");
  }
  // Every numbered value must be there before anything is allocated for it: a damaged
  // "Count" may be as large as four thousand million.
  for (std::uint32_t i = 0; i < countValue.dword; ++i) {
    const std::string name = std::to_string(i);
    auto item = tx.readValue(key, name);
    if (!item) return item.error();
    if (!item.value()) {
      return damage(key, "нет значения \"" + name + "\", хотя \"Count\" равно " +
                             std::to_string(countValue.dword));
    }
    if (item.value()->type != ValueType::String) {
      return damage(key, "значение \"" + name + "\" имеет тип " +
                             std::string(valueTypeName(item.value()->type)) + " вместо REG_SZ");
    }
    numbers.push_back(item.value()->text);
  }
  return numbers;
}

StoreStatus replaceList(RegistryTransaction& tx, std::string_view key,
                        const std::vector<std::string>& numbers) {
  if (auto created = tx.createKey(key); !created) return created;
  const auto count = static_cast<std::uint32_t>(numbers.size());
  if (auto set = tx.setValue(key, kCountValue, RegistryValue::ofDword(count)); !set) return set;
  return tx.replaceNumberedValues(key, numbers);
}

StoreStatus checkStorable(const std::vector<std::string>& numbers) {
  for (const std::string& number : numbers) {
    if (!isStorableText(number)) {
      return StoreError{
          StoreErrorKind::Failed,
          Text::own("Заводской номер содержит символы, которые нельзя сохранить; списки "
                    "не изменены.")};
    }
  }
  return {};
}

}  // namespace

bool isPositionName(std::string_view name) {
  if (name.empty()) return false;
  for (const char c : name) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

StoreStatus RegistryTransaction::replaceNumberedValues(std::string_view key,
                                                       const std::vector<std::string>& items) {
  auto names = valueNames(key);
  if (!names) return names.error();
  for (const std::string& name : names.value()) {
    if (!isPositionName(name)) continue;
    if (auto deleted = deleteValue(key, name); !deleted) return deleted;
  }
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (auto set = setValue(key, std::to_string(i), RegistryValue::ofString(items[i])); !set) {
      return set;
    }
  }
  return {};
}

StoreResult<bool> RegistryLayoutStore::isRegistered() {
  bool exists = false;
  auto status = runTransaction(TransactionMode::Read, [&](RegistryTransaction& tx) {
    auto found = tx.keyExists(keyPath(kAppPathsKey));
    if (!found) return StoreStatus(found.error());
    exists = found.value();
    return StoreStatus();
  });
  if (!status) return status.error();
  return exists;
}

StoreResult<bool> RegistryLayoutStore::hasList(SerialList list) {
  bool exists = false;
  auto status = runTransaction(TransactionMode::Read, [&](RegistryTransaction& tx) {
    auto found = tx.keyExists(keyPath(listKey(list)));
    if (!found) return StoreStatus(found.error());
    exists = found.value();
    return StoreStatus();
  });
  if (!status) return status.error();
  return exists;
}

StoreStatus RegistryLayoutStore::registerProgram(std::string_view programPath) {
  if (!isStorableText(programPath)) {
    return StoreError{StoreErrorKind::Failed,
                      Text::own("Путь к программе нельзя сохранить в реестре.")};
  }
  return runTransaction(TransactionMode::Write, [&](RegistryTransaction& tx) {
    const std::string_view key = keyPath(kAppPathsKey);
    if (auto created = tx.createKey(key); !created) return created;
    const RegistryValue path = RegistryValue::ofString(std::string(programPath));
    if (auto set = tx.setValue(key, kDefaultValue, path); !set) return set;
    return tx.setValue(key, kPathValue, path);
  });
}

StoreStatus RegistryLayoutStore::createMissingLists() {
  return runTransaction(TransactionMode::Write, [&](RegistryTransaction& tx) {
    for (const SerialList list : {SerialList::ShouldInit, SerialList::AlreadyInit}) {
      const std::string_view key = keyPath(listKey(list));
      auto exists = tx.keyExists(key);
      if (!exists) return StoreStatus(exists.error());
      if (exists.value()) continue;
      if (auto created = tx.createKey(key); !created) return created;
      if (auto set = tx.setValue(key, kCountValue, RegistryValue::ofDword(0)); !set) return set;
    }
    return StoreStatus();
  });
}

StoreResult<SerialLists> RegistryLayoutStore::readLists() {
  SerialLists lists;
  auto status = runTransaction(TransactionMode::Read, [&](RegistryTransaction& tx) {
    auto shouldInit = readList(tx, keyPath(kShouldInitKey));
    if (!shouldInit) return StoreStatus(shouldInit.error());
    auto alreadyInit = readList(tx, keyPath(kAlreadyInitKey));
    if (!alreadyInit) return StoreStatus(alreadyInit.error());
    lists.shouldInit = std::move(shouldInit).value();
    lists.alreadyInit = std::move(alreadyInit).value();
    return StoreStatus();
  });
  if (!status) return status.error();
  return lists;
}

StoreStatus RegistryLayoutStore::writeLists(const SerialLists& lists) {
  if (auto storable = checkStorable(lists.shouldInit); !storable) return storable;
  if (auto storable = checkStorable(lists.alreadyInit); !storable) return storable;
  return runTransaction(TransactionMode::Write, [&](RegistryTransaction& tx) {
    if (auto done = replaceList(tx, keyPath(kShouldInitKey), lists.shouldInit); !done) return done;
    return replaceList(tx, keyPath(kAlreadyInitKey), lists.alreadyInit);
  });
}

}  // namespace tallowick
