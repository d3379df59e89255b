// The book on platforms without a Windows registry: one SQLite file that holds the same
// keys, value names, value types and contents as the registry would, so that the file
// reads like the registry it stands in for and rewrites are real transactions.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "initforms/registry_layout.h"

namespace tallowick {

struct SqliteStoreOptions {
  // How long an operation waits for another program that holds the file.
  int busyTimeoutMs = 5000;
  // Opened for reading only; a missing file is an error and is not created.
  bool readOnly = false;
};

class SqliteSerialStore final : public RegistryLayoutStore {
 public:
  // Marks the file as this program's, so that a foreign database is never taken for it.
  static constexpr std::int32_t kApplicationId = 0x544C5752;  // "TLWR"
  static constexpr std::int32_t kSchemaVersion = 1;

  // The file is opened, checked and, when it does not exist, created at the first
  // operation; a failed open is tried again at the next one.
  explicit SqliteSerialStore(std::filesystem::path file, SqliteStoreOptions options = {});
  ~SqliteSerialStore() override;
  SqliteSerialStore(const SqliteSerialStore&) = delete;
  SqliteSerialStore& operator=(const SqliteSerialStore&) = delete;

  const std::filesystem::path& file() const { return file_; }

  // Where the book lives: the file named by TALLOWICK_REGISTRY; otherwise
  // "Tallowick/registry.sqlite3" in $XDG_DATA_HOME (when it is an absolute path) or in
  // ~/.local/share.
  using Environment = std::function<std::optional<std::string>(const char* name)>;
  static StoreResult<std::filesystem::path> defaultFile(const Environment& environment);
  static StoreResult<std::filesystem::path> defaultFile();

 protected:
  StoreStatus runTransaction(TransactionMode mode, const TransactionBody& body) override;

 private:
  class Connection;

  StoreStatus connect();
  StoreStatus check(Connection& connection) const;
  StoreStatus createFile();

  std::filesystem::path file_;
  SqliteStoreOptions options_;
  std::unique_ptr<Connection> connection_;
};

}  // namespace tallowick
