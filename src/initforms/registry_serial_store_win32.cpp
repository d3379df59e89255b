#include "initforms/registry_serial_store.h"

#include "initforms/journaled_registry.h"
#include "platform/own_text.h"
#include "platform/windows_text.h"

// clang-format off
#include <windows.h>
#include <ktmw32.h>
// clang-format on

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tallowick {

namespace {

// The book has always lived in the 32-bit view of the registry; a 64-bit build keeps
// reading and writing the very same keys.
constexpr REGSAM kView = KEY_WOW64_32KEY;

// ERROR_TRANSACTIONAL_CONFLICT: another transaction changed the same key first. Not every
// SDK's headers name it.
constexpr LONG kTransactionalConflict = 6800;

StoreError registryError(LONG code, std::string_view key) {
  StoreErrorKind kind = StoreErrorKind::Failed;
  std::string text = Text::own("Ошибка при работе с реестром Windows");
  if (code == ERROR_ACCESS_DENIED) {
    kind = StoreErrorKind::ReadOnly;
    text = Text::own(
        "Нет права на запись в реестр Windows (запустите программу от имени администратора)");
  } else if (code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION ||
             code == kTransactionalConflict) {
    kind = StoreErrorKind::Locked;
    text = Text::own("Реестр Windows занят другой программой");
  } else if (code == ERROR_BADDB || code == ERROR_BADKEY || code == ERROR_CANTREAD ||
             code == ERROR_REGISTRY_CORRUPT) {
    kind = StoreErrorKind::Damaged;
    text = Text::own("Реестр Windows повреждён");
  }
  text += ": HKEY_LOCAL_MACHINE\\" + std::string(key) + " (код " + std::to_string(code) + ").";
  return {kind, std::move(text)};
}

StoreError transactionError(DWORD code) {
  return {StoreErrorKind::Unavailable,
          "Не удалось начать или завершить транзакцию реестра Windows (код " +
              std::to_string(code) + ")."};
}

// The transacted registry calls, looked up at run time: a system without them (Wine 8
// has no RegOpenKeyTransactedW) still loads the program and keeps the book with a journal.
using CreateTransactedFn = LONG(WINAPI*)(HKEY, LPCWSTR, DWORD, LPWSTR, DWORD, REGSAM,
                                         const LPSECURITY_ATTRIBUTES, PHKEY, LPDWORD, HANDLE,
                                         PVOID);
using OpenTransactedFn = LONG(WINAPI*)(HKEY, LPCWSTR, DWORD, REGSAM, PHKEY, HANDLE, PVOID);
struct TransactedApi {
  CreateTransactedFn create = nullptr;
  OpenTransactedFn open = nullptr;
};

const TransactedApi& transactedApi() {
  static const TransactedApi api = [] {
    TransactedApi found;
    HMODULE advapi = GetModuleHandleW(L"advapi32.dll");
    if (advapi == nullptr) return found;
    auto create = reinterpret_cast<CreateTransactedFn>(
        reinterpret_cast<void*>(GetProcAddress(advapi, "RegCreateKeyTransactedW")));
    auto open = reinterpret_cast<OpenTransactedFn>(
        reinterpret_cast<void*>(GetProcAddress(advapi, "RegOpenKeyTransactedW")));
    if (create == nullptr || open == nullptr) return found;
    // A system may export the calls and still not implement them.
    HANDLE probe = CreateTransaction(nullptr, nullptr, 0, 0, 0, 0, nullptr);
    if (probe == INVALID_HANDLE_VALUE) return found;
    HKEY key = nullptr;
    const LONG rc =
        open(HKEY_LOCAL_MACHINE, L"SOFTWARE", 0, KEY_READ | kView, &key, probe, nullptr);
    if (rc == ERROR_SUCCESS) RegCloseKey(key);
    RollbackTransaction(probe);
    CloseHandle(probe);
    if (rc != ERROR_CALL_NOT_IMPLEMENTED) found = {create, open};
    return found;
  }();
  return api;
}

// Keys opened inside a registry transaction, or, without one (a null handle), directly.
class Transaction final : public DirectRegistry {
 public:
  explicit Transaction(HANDLE transaction) : transaction_(transaction) {}
  ~Transaction() override {
    for (auto& [path, key] : keys_)
      RegCloseKey(key);
  }
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  StoreResult<bool> keyExists(std::string_view key) override {
    HKEY handle = nullptr;
    const LONG rc = open(key, &handle);
    if (rc == ERROR_FILE_NOT_FOUND) return false;
    if (rc != ERROR_SUCCESS) return registryError(rc, key);
    return true;
  }

  StoreStatus createKey(std::string_view key) override {
    HKEY handle = nullptr;
    const std::wstring path = platform::wideFromUtf8(key);
    const REGSAM access = KEY_READ | KEY_WRITE | kView;
    const LONG rc =
        transaction_ != nullptr
            ? transactedApi().create(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr,
                                     REG_OPTION_NON_VOLATILE, access, nullptr, &handle, nullptr,
                                     transaction_, nullptr)
            : RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              access, nullptr, &handle, nullptr);
    if (rc != ERROR_SUCCESS) return registryError(rc, key);
    remember(key, handle);
    return {};
  }

  StoreResult<std::optional<RegistryValue>> readValue(std::string_view key,
                                                      std::string_view name) override {
    HKEY handle = nullptr;
    LONG rc = open(key, &handle);
    if (rc == ERROR_FILE_NOT_FOUND) return std::optional<RegistryValue>();
    if (rc != ERROR_SUCCESS) return registryError(rc, key);
    const std::wstring valueName = platform::wideFromUtf8(name);
    DWORD type = 0;
    DWORD size = 0;
    rc = RegQueryValueExW(handle, valueName.c_str(), nullptr, &type, nullptr, &size);
    if (rc == ERROR_FILE_NOT_FOUND) return std::optional<RegistryValue>();
    if (rc != ERROR_SUCCESS) return registryError(rc, key);
    std::vector<BYTE> data(size + sizeof(wchar_t));
    for (;;) {
      size = static_cast<DWORD>(data.size());
      rc = RegQueryValueExW(handle, valueName.c_str(), nullptr, &type, data.data(), &size);
      if (rc != ERROR_MORE_DATA) break;
      data.resize(size + sizeof(wchar_t));
    }
    if (rc != ERROR_SUCCESS) return registryError(rc, key);
    if (type == REG_DWORD && size == sizeof(DWORD)) {
      DWORD number = 0;
      std::memcpy(&number, data.data(), sizeof number);
      return std::optional<RegistryValue>(RegistryValue::ofDword(number));
    }
    if (type == REG_SZ) {
      // A string value need not end in a NUL; it ends at the first one if it has one.
      std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
      if (const auto nul = text.find(L'\0'); nul != std::wstring::npos) text.resize(nul);
      return std::optional<RegistryValue>(RegistryValue::ofString(platform::utf8FromWide(text)));
    }
    return StoreError{StoreErrorKind::Damaged, "Значение \"" + std::string(name) +
                                                   "\" ключа HKEY_LOCAL_MACHINE\\" +
                                                   std::string(key) + " имеет недопустимый тип " +
                                                   std::to_string(type) + "."};
  }

  StoreResult<std::vector<std::string>> valueNames(std::string_view key) override {
    std::vector<std::string> names;
    HKEY handle = nullptr;
    LONG rc = open(key, &handle);
    if (rc == ERROR_FILE_NOT_FOUND) return names;
    if (rc != ERROR_SUCCESS) return registryError(rc, key);
    DWORD longest = 0;
    rc = RegQueryInfoKeyW(handle, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          &longest, nullptr, nullptr, nullptr);
    if (rc != ERROR_SUCCESS) return registryError(rc, key);
    std::vector<wchar_t> name(longest + 1);
    for (DWORD index = 0;; ++index) {
      DWORD length = static_cast<DWORD>(name.size());
      rc = RegEnumValueW(handle, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
      if (rc == ERROR_NO_MORE_ITEMS) break;
      if (rc != ERROR_SUCCESS) return registryError(rc, key);
      names.push_back(platform::utf8FromWide(std::wstring_view(name.data(), length)));
    }
    return names;
  }

  StoreStatus setValue(std::string_view key, std::string_view name,
                       const RegistryValue& value) override {
    HKEY handle = nullptr;
    LONG rc = open(key, &handle);
    if (rc != ERROR_SUCCESS) return registryError(rc, key);
    const std::wstring valueName = platform::wideFromUtf8(name);
    if (value.type == ValueType::Dword) {
      const DWORD number = value.dword;
      rc = RegSetValueExW(handle, valueName.c_str(), 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&number), sizeof number);
    } else {
      const std::wstring text = platform::wideFromUtf8(value.text);
      rc = RegSetValueExW(handle, valueName.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    if (rc != ERROR_SUCCESS) return registryError(rc, key);
    return {};
  }

  StoreStatus deleteValue(std::string_view key, std::string_view name) override {
    HKEY handle = nullptr;
    LONG rc = open(key, &handle);
    if (rc == ERROR_FILE_NOT_FOUND) return {};
    if (rc != ERROR_SUCCESS) return registryError(rc, key);
    const std::wstring valueName = platform::wideFromUtf8(name);
    rc = RegDeleteValueW(handle, valueName.c_str());
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) return registryError(rc, key);
    return {};
  }

  StoreStatus deleteKey(std::string_view key) override {
    if (const auto found = keys_.find(std::string(key)); found != keys_.end()) {
      RegCloseKey(found->second);
      keys_.erase(found);
    }
    const std::wstring path = platform::wideFromUtf8(key);
    const LONG rc = RegDeleteKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), kView, 0);
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) return registryError(rc, key);
    return {};
  }

  StoreStatus flush(std::string_view key) override {
    HKEY handle = nullptr;
    LONG rc = open(key, &handle);
    if (rc == ERROR_SUCCESS) rc = RegFlushKey(handle);
    if (rc != ERROR_SUCCESS) return registryError(rc, key);
    return {};
  }

 private:
  LONG openKey(const std::wstring& path, REGSAM access, HKEY* handle) {
    if (transaction_ == nullptr) {
      return RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, access, handle);
    }
    return transactedApi().open(HKEY_LOCAL_MACHINE, path.c_str(), 0, access, handle, transaction_,
                                nullptr);
  }

  // Opens an existing key inside the transaction, once per transaction.
  LONG open(std::string_view key, HKEY* handle) {
    const auto found = keys_.find(std::string(key));
    if (found != keys_.end()) {
      *handle = found->second;
      return ERROR_SUCCESS;
    }
    const std::wstring path = platform::wideFromUtf8(key);
    const LONG rc = openKey(path, KEY_READ | KEY_WRITE | kView, handle);
    if (rc == ERROR_ACCESS_DENIED) {
      // Reading needs no write access; a write through this handle reports the denial.
      const LONG readOnly = openKey(path, KEY_READ | kView, handle);
      if (readOnly == ERROR_SUCCESS) remember(key, *handle);
      return readOnly;
    }
    if (rc == ERROR_SUCCESS) remember(key, *handle);
    return rc;
  }

  void remember(std::string_view key, HKEY handle) {
    auto [entry, added] = keys_.try_emplace(std::string(key), handle);
    if (!added) {
      RegCloseKey(entry->second);
      entry->second = handle;
    }
  }

  HANDLE transaction_;
  std::map<std::string, HKEY> keys_;  // by path as the layout names it
};

}  // namespace

StoreStatus RegistrySerialStore::runTransaction(TransactionMode mode, const TransactionBody& body) {
  if (transactedApi().open == nullptr) {
    Transaction direct(nullptr);
    return runJournaled(direct, mode, body);
  }
  HANDLE transaction = CreateTransaction(nullptr, nullptr, 0, 0, 0, 0, nullptr);
  if (transaction == INVALID_HANDLE_VALUE) return transactionError(GetLastError());
  StoreStatus status;
  {
    // Every key handle is closed before the transaction ends.
    Transaction tx(transaction);
    status = body(tx);
  }
  if (status && mode == TransactionMode::Write && !CommitTransaction(transaction)) {
    status = transactionError(GetLastError());
  }
  if (!status || mode == TransactionMode::Read) RollbackTransaction(transaction);
  CloseHandle(transaction);
  return status;
}

// The registry is the book's one place; reading it never creates anything.
std::unique_ptr<SerialStore> makePlatformSerialStore(StoreAccess,
                                                     const std::optional<std::string>&) {
  return std::make_unique<RegistrySerialStore>();
}

}  // namespace tallowick
