// The persistent side of the serial-number book: the two lists of factory serial numbers
// and the program's registration, kept as registry keys and values under
// HKEY_LOCAL_MACHINE (the real registry on Windows, an SQLite file elsewhere).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/store_result.h"

namespace tallowick {

// The keys and value names of the book, relative to HKEY_LOCAL_MACHINE. A leading '\'
// says that the path starts at the root; the key itself is named without it.
inline constexpr std::string_view kShouldInitKey =
    "\\SOFTWARE\\Morvent\\Tallowick\\1.0\\ShouldInit";
inline constexpr std::string_view kAlreadyInitKey =
    "\\SOFTWARE\\Morvent\\Tallowick\\1.0\\AlreadyInit";
inline constexpr std::string_view kAppPathsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Tallowick.exe";
inline constexpr std::string_view kCountValue = "Count";
inline constexpr std::string_view kPathValue = "Path";
inline constexpr std::string_view kDefaultValue = "";
inline constexpr std::string_view kRootKeyName = "HKEY_LOCAL_MACHINE";

enum class SerialList {
  ShouldInit,   // "К инициализации"
  AlreadyInit,  // "Инициализация уже выполнена"
};

std::string_view listKey(SerialList list);

struct SerialLists {
  std::vector<std::string> shouldInit;
  std::vector<std::string> alreadyInit;
  bool operator==(const SerialLists&) const = default;
};

class SerialStore {
 public:
  virtual ~SerialStore() = default;

  // Whether the program's App Paths entry exists.
  virtual StoreResult<bool> isRegistered() = 0;
  // Whether the key of a list exists.
  virtual StoreResult<bool> hasList(SerialList list) = 0;
  // Writes the App Paths entry: its default value and "Path", both `programPath`.
  virtual StoreStatus registerProgram(std::string_view programPath) = 0;
  // Creates each list key that does not exist yet, with "Count" 0, in one transaction.
  // A key that exists is left exactly as it is.
  virtual StoreStatus createMissingLists() = 0;
  // Both lists in stored order, read together. A missing key or a missing "Count" is an
  // empty list; a "Count" that the numbered values do not bear out is damage.
  virtual StoreResult<SerialLists> readLists() = 0;
  // Replaces both lists in one transaction: afterwards the store holds exactly `lists`
  // (no numbered value of an earlier, longer list is left behind), or, on an error,
  // exactly what it held before.
  virtual StoreStatus writeLists(const SerialLists& lists) = 0;
};

// Answers every call with the same error: the store of a program that could not even
// find where its book lives.
class UnavailableSerialStore final : public SerialStore {
 public:
  explicit UnavailableSerialStore(StoreError error) : error_(std::move(error)) {}

  StoreResult<bool> isRegistered() override { return error_; }
  StoreResult<bool> hasList(SerialList) override { return error_; }
  StoreStatus registerProgram(std::string_view) override { return error_; }
  StoreStatus createMissingLists() override { return error_; }
  StoreResult<SerialLists> readLists() override { return error_; }
  StoreStatus writeLists(const SerialLists&) override { return error_; }

 private:
  StoreError error_;
};

enum class StoreAccess {
  ReadWrite,
  // Only reads: a missing book is an error rather than a new, empty one.
  ReadOnly,
};

// The store of this platform at its usual place, or in `file` where the platform keeps the
// book in a file. Never null: when the place cannot be determined, every call of the
// returned store reports why.
std::unique_ptr<SerialStore> makePlatformSerialStore(
    StoreAccess access = StoreAccess::ReadWrite,
    const std::optional<std::string>& file = std::nullopt);

}  // namespace tallowick
