// The book laid out as registry data, written once for every platform: which keys and
// values hold the lists and the registration, and how a rewrite replaces them. A platform
// store only supplies transactions over its own keys and values.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "initforms/serial_store.h"

namespace tallowick {

// The two value types the book uses.
enum class ValueType {
  Dword,   // REG_DWORD, a 32-bit unsigned integer
  String,  // REG_SZ, a text
};

// "REG_DWORD" or "REG_SZ", as the registry names them.
std::string_view valueTypeName(ValueType type);

struct RegistryValue {
  ValueType type = ValueType::String;
  std::uint32_t dword = 0;
  std::string text;

  static RegistryValue ofDword(std::uint32_t number) { return {ValueType::Dword, number, {}}; }
  static RegistryValue ofString(std::string text) {
    return {ValueType::String, 0, std::move(text)};
  }
  bool operator==(const RegistryValue&) const = default;
};

// A key or value name folded to lower case in ASCII, as the registry compares names.
std::string foldedName(std::string_view name);

// A key path as the registry names it: without the leading '\' that only says "from the
// root".
std::string_view keyPath(std::string_view key);

// The operations of one transaction on keys under HKEY_LOCAL_MACHINE. Keys are named
// without a leading '\'; key and value names compare without regard to ASCII case.
class RegistryTransaction {
 public:
  virtual ~RegistryTransaction() = default;

  virtual StoreResult<bool> keyExists(std::string_view key) = 0;
  // Creates the key and its missing parents; an existing key is left as it is.
  virtual StoreStatus createKey(std::string_view key) = 0;
  // Empty when the key or the value does not exist. A value of a type that the book never
  // writes is reported as damage.
  virtual StoreResult<std::optional<RegistryValue>> readValue(std::string_view key,
                                                              std::string_view name) = 0;
  // Names of all values of the key; empty when the key does not exist.
  virtual StoreResult<std::vector<std::string>> valueNames(std::string_view key) = 0;
  // The key must exist.
  virtual StoreStatus setValue(std::string_view key, std::string_view name,
                               const RegistryValue& value) = 0;
  // Deleting a value that does not exist is no error.
  virtual StoreStatus deleteValue(std::string_view key, std::string_view name) = 0;
  // Replaces the numbered string values of the key ("0", "1", ...; every value whose name
  // is all digits) with one value per item, named by its position. The key must exist.
  // Value by value here; a store that can do it in bulk does it faster.
  virtual StoreStatus replaceNumberedValues(std::string_view key,
                                            const std::vector<std::string>& items);
};

// Whether a value name is all decimal digits: a position in a list.
bool isPositionName(std::string_view name);

enum class TransactionMode { Read, Write };
using TransactionBody = std::function<StoreStatus(RegistryTransaction&)>;

class RegistryLayoutStore : public SerialStore {
 public:
  StoreResult<bool> isRegistered() final;
  StoreResult<bool> hasList(SerialList list) final;
  StoreStatus registerProgram(std::string_view programPath) final;
  StoreStatus createMissingLists() final;
  StoreResult<SerialLists> readLists() final;
  StoreStatus writeLists(const SerialLists& lists) final;

 protected:
  // Runs `body` as one transaction. A write transaction is committed only when `body`
  // succeeds and is rolled back otherwise; its error is returned.
  virtual StoreStatus runTransaction(TransactionMode mode, const TransactionBody& body) = 0;
};

}  // namespace tallowick
