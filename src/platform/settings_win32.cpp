#include <windows.h>

#include "platform/settings.h"
#include "platform/windows_text.h"

namespace tallowick::detail {

namespace {

// Beside the book, under the program's key of the computer, in the registry's 32-bit view
// as the book has always been.
constexpr const wchar_t* kKey = L"SOFTWARE\\Morvent\\Tallowick\\1.0\\Settings";
constexpr REGSAM kView = KEY_WOW64_32KEY;

StoreError registryError(LONG code) {
  const StoreErrorKind kind =
      code == ERROR_ACCESS_DENIED ? StoreErrorKind::ReadOnly : StoreErrorKind::Failed;
  return {kind,
          "Настройки не сохранены в реестре Windows (HKEY_LOCAL_MACHINE\\SOFTWARE\\"
          "Morvent\\Tallowick\\1.0\\Settings): " +
              platform::windowsErrorText(static_cast<unsigned long>(code))};
}

class RegistrySettings final : public Settings {
 public:
  StoreResult<std::optional<std::string>> get(std::string_view name) override {
    HKEY key = nullptr;
    LONG rc = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_QUERY_VALUE | kView, &key);
    if (rc == ERROR_FILE_NOT_FOUND) return std::optional<std::string>();
    if (rc != ERROR_SUCCESS) return registryError(rc);
    const std::wstring valueName = platform::wideFromUtf8(name);
    DWORD type = 0;
    DWORD size = 0;
    rc = RegQueryValueExW(key, valueName.c_str(), nullptr, &type, nullptr, &size);
    std::wstring text(size / sizeof(wchar_t), L'\0');
    if (rc == ERROR_SUCCESS && type == REG_SZ && size > 0) {
      rc = RegQueryValueExW(key, valueName.c_str(), nullptr, &type,
                            reinterpret_cast<BYTE*>(text.data()), &size);
    }
    RegCloseKey(key);
    if (rc == ERROR_FILE_NOT_FOUND || type != REG_SZ) return std::optional<std::string>();
    if (rc != ERROR_SUCCESS) return registryError(rc);
    while (!text.empty() && text.back() == L'\0')
      text.pop_back();
    return std::optional(platform::utf8FromWide(text));
  }

  StoreStatus set(std::string_view name, const std::string& value) override {
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_SET_VALUE | kView, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS) return registryError(rc);
    const std::wstring valueName = platform::wideFromUtf8(name);
    if (value.empty()) {
      rc = RegDeleteValueW(key, valueName.c_str());
      if (rc == ERROR_FILE_NOT_FOUND) rc = ERROR_SUCCESS;
    } else {
      const std::wstring text = platform::wideFromUtf8(value);
      rc = RegSetValueExW(key, valueName.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) return registryError(rc);
    return {};
  }
};

}  // namespace

std::unique_ptr<Settings> platformSettings() {
  return std::make_unique<RegistrySettings>();
}

}  // namespace tallowick::detail
