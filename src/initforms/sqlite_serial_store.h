// The book on platforms without a Windows registry: one SQLite file that holds the same
// keys, value names, value types and contents as the registry would, so that the file
// reads like the registry it stands in for and rewrites are real transactions.
#pragma once

#include <cstdint>
#include <filesystem>
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
  // operation; a failed open is tried again at the next one. Where the book lives by
  // default: platform::dataFile(DataFile::Book).
  explicit SqliteSerialStore(std::filesystem::path file, SqliteStoreOptions options = {});
  ~SqliteSerialStore() override;
  SqliteSerialStore(const SqliteSerialStore&) = delete;
  SqliteSerialStore& operator=(const SqliteSerialStore&) = delete;

  const std::filesystem::path& file() const { return file_; }

 protected:
  StoreStatus runTransaction(TransactionMode mode, const TransactionBody& body) override;

 private:
  class Connection;

  StoreStatus connect();

  std::filesystem::path file_;
  SqliteStoreOptions options_;
  std::unique_ptr<Connection> connection_;
};

}  // namespace tallowick
