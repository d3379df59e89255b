// The SQLite files of a station (the book of serial numbers, the history): made whole or
// not at all, opened only when they are files of this program in a format it knows, and
// every failure told in one table of sentences that name the file and what it is for.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/store_result.h"
#include "platform/system.h"

struct sqlite3;

namespace tallowick {

// What a kind of file holds and how it is checked.
struct SqliteFormat {
  // Whose file it is, for the sentences of its errors.
  platform::DataFile role;
  // Marks the file as this program's, so that a foreign database is never taken for it.
  std::int32_t applicationId;
  // The newest format this program writes; `upgrades[i]` takes a file of format i + 1 to
  // format i + 2, in one transaction with its new number.
  std::int32_t version;
  std::vector<const char*> upgrades;
  // The tables of a new file, in the newest format.
  const char* schema;
  // The tables a file must have, by name in alphabetical order, and where the program
  // depends on them, the exact columns of some.
  std::vector<std::string> tables;
  std::vector<std::pair<std::string, std::vector<std::string>>> columns;
  // A new file keeps its changes in a write-ahead log from its first open on.
  bool writeAheadLog = false;
  // The whole file is checked at the open, not just what can be told at once: for files
  // small enough to read whole each time.
  bool fullCheck = false;
  // Pragmas that every connection sets after the check.
  const char* settings = "";
};

struct SqliteOpenOptions {
  // How long an operation waits for another program or thread that holds the file.
  int busyTimeoutMs = 5000;
  // Opened for reading only; a missing file is an error and is not made.
  bool readOnly = false;
};

// The sentence for a failure of a store's file: what kind of file, the path, the detail.
StoreError storeFileError(platform::DataFile role, StoreErrorKind kind,
                          const std::filesystem::path& file, const std::string& detail);

// One open, checked SQLite file.
class SqliteFile {
 public:
  // Opens `file`, first making it (in the newest format) when it is missing and may be
  // made, then checks that it is a whole file of `format` and brings an older format up
  // to date where the file may be written. The temporary files of writers killed while
  // making it are removed first.
  static StoreResult<std::unique_ptr<SqliteFile>> open(const std::filesystem::path& file,
                                                       const SqliteFormat& format,
                                                       const SqliteOpenOptions& options = {});
  ~SqliteFile();
  SqliteFile(const SqliteFile&) = delete;
  SqliteFile& operator=(const SqliteFile&) = delete;

  sqlite3* db() const { return db_; }
  const std::filesystem::path& path() const { return file_; }
  // The format of the file as found; older than the newest only when the file could not
  // be brought up to date (it may not be written).
  std::int32_t version() const { return version_; }
  bool readOnly() const;

  // The error of an SQLite result code, in the words of this file's role.
  StoreError error(int code) const;
  StoreError error(StoreErrorKind kind, const std::string& detail) const;
  StoreError damaged(const std::string& detail) const {
    return error(StoreErrorKind::Damaged, detail);
  }

  StoreStatus exec(const char* sql);
  // The first column of every row of a query.
  StoreResult<std::vector<std::string>> rows(const char* sql);
  // The one value of a query of one row and one column; empty when it has none.
  StoreResult<std::string> single(const char* sql);

  // Runs `body` in a transaction that takes the write lock before it reads anything when it
  // writes, so that it never gives up half-way for another writer; committed when the body
  // and the commit succeed, rolled back otherwise.
  StoreStatus transaction(bool write, const std::function<StoreStatus()>& body);

 private:
  SqliteFile(sqlite3* db, std::filesystem::path file, const SqliteFormat& format);
  StoreStatus check();
  StoreStatus upgrade();

  sqlite3* db_;
  std::filesystem::path file_;
  const SqliteFormat& format_;
  std::int32_t version_ = 0;
};

}  // namespace tallowick
