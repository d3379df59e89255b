// The book in the real Windows registry (under Wine in scripts/test-windows): the keys,
// the value names as RegEnumValueW lists them, and each value's type and data as
// RegQueryValueExW reads them back by name.
// clang-format off
#include <windows.h>
// clang-format on

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <optional>
#include <string>

#include "initforms/registry_serial_store.h"

namespace tallowick {
namespace {

struct Value {
  DWORD type = 0;
  std::wstring text;  // REG_SZ
  DWORD number = 0;   // REG_DWORD
  bool operator==(const Value&) const = default;
};
using Values = std::map<std::wstring, Value>;

Value sz(std::wstring text) {
  return {REG_SZ, std::move(text), 0};
}
Value dword(DWORD number) {
  return {REG_DWORD, {}, number};
}

constexpr REGSAM kView = KEY_WOW64_32KEY;

// Every value of a key under HKEY_LOCAL_MACHINE; nothing when the key is missing.
std::optional<Values> valuesOf(const wchar_t* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | kView, &key) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  Values values;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD nameLength = 256;
    if (RegEnumValueW(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    // The type and the data as a reader asking for this name gets them.
    DWORD type = 0;
    BYTE data[1024];
    DWORD size = sizeof data;
    const std::wstring valueName(name, nameLength);
    Value v{0xFFFFFFFF, {}, 0};
    if (RegQueryValueExW(key, valueName.c_str(), nullptr, &type, data, &size) == ERROR_SUCCESS) {
      v.type = type;
      if (type == REG_SZ) {
        v.text.assign(reinterpret_cast<const wchar_t*>(data), size / sizeof(wchar_t));
        if (!v.text.empty() && v.text.back() == L'\0') v.text.pop_back();
      } else if (type == REG_DWORD && size == sizeof(DWORD)) {
        std::memcpy(&v.number, data, sizeof v.number);
      }
    }
    values[valueName] = v;
  }
  RegCloseKey(key);
  return values;
}

// Removes a key with everything under it, in the registry view the book uses.
LONG removeTree(const wchar_t* parent, const wchar_t* child) {
  HKEY key = nullptr;
  LONG rc = RegOpenKeyExW(HKEY_LOCAL_MACHINE, parent, 0, KEY_ALL_ACCESS | kView, &key);
  if (rc == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
  if (rc != ERROR_SUCCESS) return rc;
  rc = RegDeleteTreeW(key, child);
  RegCloseKey(key);
  return rc == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : rc;
}

constexpr const wchar_t* kShouldInit = L"SOFTWARE\\Morvent\\Tallowick\\1.0\\ShouldInit";
constexpr const wchar_t* kAlreadyInit = L"SOFTWARE\\Morvent\\Tallowick\\1.0\\AlreadyInit";
constexpr const wchar_t* kAppPaths =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Tallowick.exe";

class RegistryStoreWin32 : public ::testing::Test {
 protected:
  void SetUp() override {
    const LONG rc = removeTree(L"SOFTWARE\\Morvent", L"Tallowick");
    if (rc == ERROR_ACCESS_DENIED) GTEST_SKIP() << "HKEY_LOCAL_MACHINE needs an administrator";
    ASSERT_EQ(rc, ERROR_SUCCESS);
    ASSERT_EQ(
        removeTree(L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths", L"Tallowick.exe"),
        ERROR_SUCCESS);
  }
  void TearDown() override {
    removeTree(L"SOFTWARE\\Morvent", L"Tallowick");
    removeTree(L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths", L"Tallowick.exe");
  }

  RegistrySerialStore store;
};

TEST_F(RegistryStoreWin32, WritesExactlyTheKeysValueNamesAndTypes) {
  const auto registeredNow = store.registerProgram("C:\\Tallowick\\Tallowick.exe");
  ASSERT_TRUE(registeredNow) << registeredNow.error().message;
  EXPECT_EQ(valuesOf(kAppPaths), (Values{{L"", sz(L"C:\\Tallowick\\Tallowick.exe")},
                                         {L"Path", sz(L"C:\\Tallowick\\Tallowick.exe")}}));

  ASSERT_TRUE(store.createMissingLists());
  EXPECT_EQ(valuesOf(kShouldInit), (Values{{L"Count", dword(0)}}));
  EXPECT_EQ(valuesOf(kAlreadyInit), (Values{{L"Count", dword(0)}}));

  ASSERT_TRUE(store.writeLists({{"ЕД80012340", "ЕД80012341", "ЕД80012342"}, {"DH21000001"}}));
  EXPECT_EQ(valuesOf(kShouldInit), (Values{{L"Count", dword(3)},
                                           {L"0", sz(L"ЕД80012340")},
                                           {L"1", sz(L"ЕД80012341")},
                                           {L"2", sz(L"ЕД80012342")}}));
  EXPECT_EQ(valuesOf(kAlreadyInit), (Values{{L"Count", dword(1)}, {L"0", sz(L"DH21000001")}}));

  // A shorter list leaves no numbered value of the longer one behind.
  ASSERT_TRUE(store.writeLists({{"ЕД80012341"}, {}}));
  EXPECT_EQ(valuesOf(kShouldInit), (Values{{L"Count", dword(1)}, {L"0", sz(L"ЕД80012341")}}));
  EXPECT_EQ(valuesOf(kAlreadyInit), (Values{{L"Count", dword(0)}}));

  // No key is left behind but the book's own.
  HKEY book = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Morvent\\Tallowick\\1.0", 0,
                          KEY_READ | kView, &book),
            ERROR_SUCCESS);
  DWORD subkeys = 0;
  ASSERT_EQ(RegQueryInfoKeyW(book, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(book);
  EXPECT_EQ(subkeys, 2u);

  const auto lists = store.readLists();
  ASSERT_TRUE(lists);
  EXPECT_EQ(lists.value(), (SerialLists{{"ЕД80012341"}, {}}));
  const auto registered = store.isRegistered();
  ASSERT_TRUE(registered);
  EXPECT_TRUE(registered.value());
}

TEST_F(RegistryStoreWin32, ExistingListsAreLeftAsTheyAre) {
  const auto written = store.writeLists({{"ЕД80000001"}, {}});
  ASSERT_TRUE(written) << written.error().message;
  ASSERT_TRUE(store.createMissingLists());
  EXPECT_EQ(valuesOf(kShouldInit), (Values{{L"Count", dword(1)}, {L"0", sz(L"ЕД80000001")}}));
}

}  // namespace
}  // namespace tallowick
