#include "platform/sqlite_file.h"

#include <sqlite3.h>

#include <array>
#include <cstdlib>

#include "platform/whole_file.h"

namespace tallowick {

namespace fs = std::filesystem;
using platform::DataFile;

namespace {

// The words of every failure, by the kind of file and the kind of failure.
struct FileWords {
  DataFile role;
  std::array<std::pair<StoreErrorKind, const char*>, 5> failures;
  const char* foreign;  // a database, but not of this kind
  const char* noTables;
  // A file whose tables another version of the program made; nothing: it reads as damaged.
  const char* otherVersion;
  // A rollback journal cannot be made beside the file; nothing: the system's words.
  const char* folderNotWritable;
};

constexpr std::array<FileWords, 2> kWords{{
    {DataFile::Book,
     {{{StoreErrorKind::Damaged, "Файл с заводскими номерами повреждён и не будет изменён: "},
       {StoreErrorKind::Locked, "Файл с заводскими номерами занят другой программой: "},
       {StoreErrorKind::ReadOnly, "Файл с заводскими номерами доступен только для чтения: "},
       {StoreErrorKind::Unavailable, "Файл с заводскими номерами недоступен: "},
       {StoreErrorKind::Failed, "Ошибка при работе с файлом заводских номеров: "}}},
     "это не файл реестра Tallowick",
     "нет таблиц реестра",
     "Файл с заводскими номерами не является книгой этой версии программы и не будет "
     "изменён: ",
     "Файл с заводскими номерами нельзя изменить: папка "},
    {DataFile::History,
     {{{StoreErrorKind::Damaged, "Файл истории повреждён и не будет изменён: "},
       {StoreErrorKind::Locked, "Файл истории занят другой программой: "},
       {StoreErrorKind::ReadOnly, "Файл истории доступен только для чтения: "},
       {StoreErrorKind::Unavailable, "Файл истории недоступен: "},
       {StoreErrorKind::Failed, "Ошибка при работе с файлом истории: "}}},
     "это не файл истории Tallowick",
     "нет таблиц истории",
     nullptr,
     nullptr},
}};

const FileWords& wordsOf(DataFile role) {
  for (const FileWords& w : kWords) {
    if (w.role == role) return w;
  }
  return kWords.front();
}

StoreErrorKind kindOf(int code) {
  switch (code & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return StoreErrorKind::Locked;
    case SQLITE_READONLY:
      return StoreErrorKind::ReadOnly;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return StoreErrorKind::Damaged;
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
      return StoreErrorKind::Unavailable;
    default:
      return StoreErrorKind::Failed;
  }
}

// A new file: the schema in an image of a whole database file, placed in one step.
StoreResult<std::string> freshImage(const SqliteFormat& format) {
  sqlite3* db = nullptr;
  std::string image;
  int rc = sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (rc == SQLITE_OK) {
    const std::string script = "PRAGMA application_id = " + std::to_string(format.applicationId) +
                               "; PRAGMA user_version = " + std::to_string(format.version) +
                               "; BEGIN; " + format.schema + " COMMIT;";
    rc = sqlite3_exec(db, script.c_str(), nullptr, nullptr, nullptr);
  }
  if (rc == SQLITE_OK) {
    sqlite3_int64 size = 0;
    unsigned char* bytes = sqlite3_serialize(db, "main", &size, 0);
    if (bytes) image.assign(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(size));
    sqlite3_free(bytes);
    if (!bytes || image.size() < 100) rc = SQLITE_NOMEM;
  }
  // The file format's read and write versions 2: the file is in write-ahead-log mode from
  // its first open on (an image of a database in memory cannot say so itself).
  if (rc == SQLITE_OK && format.writeAheadLog) image[18] = image[19] = 2;
  const std::string why = db ? sqlite3_errmsg(db) : "";
  sqlite3_close_v2(db);
  if (rc != SQLITE_OK) return StoreError{kindOf(rc), why};
  return image;
}

std::string joined(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items)
    text += (text.empty() ? "" : ", ") + item;
  return text;
}

}  // namespace

StoreError storeFileError(DataFile role, StoreErrorKind kind, const fs::path& file,
                          const std::string& detail) {
  std::string text;
  for (const auto& [k, words] : wordsOf(role).failures) {
    if (k == kind) text = words;
  }
  text += platform::pathText(file);
  if (!detail.empty()) text += " (" + detail + ")";
  return {kind, text + "."};
}

SqliteFile::SqliteFile(sqlite3* db, fs::path file, const SqliteFormat& format)
    : db_(db), file_(std::move(file)), format_(format) {}

SqliteFile::~SqliteFile() {
  sqlite3_close_v2(db_);
}

bool SqliteFile::readOnly() const {
  return sqlite3_db_readonly(db_, "main") == 1;
}

StoreError SqliteFile::error(StoreErrorKind kind, const std::string& detail) const {
  return storeFileError(format_.role, kind, file_, detail);
}

StoreError SqliteFile::error(int code) const {
  const FileWords& words = wordsOf(format_.role);
  if (code == SQLITE_READONLY_DIRECTORY && words.folderNotWritable) {
    const fs::path folder = file_.has_parent_path() ? file_.parent_path() : fs::path(".");
    return {StoreErrorKind::ReadOnly,
            words.folderNotWritable + platform::pathText(folder) +
                " недоступна для записи, а изменения записываются через журнал в этой папке (" +
                platform::pathText(file_) + ")."};
  }
  return error(kindOf(code), sqlite3_errmsg(db_));
}

StoreStatus SqliteFile::exec(const char* sql) {
  const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) return error(rc);
  return {};
}

StoreResult<std::vector<std::string>> SqliteFile::rows(const char* sql) {
  sqlite3_stmt* statement = nullptr;
  int rc = sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr);
  if (rc != SQLITE_OK) return error(rc);
  std::vector<std::string> result;
  while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    result.emplace_back(text ? text : "");
  }
  sqlite3_finalize(statement);
  if (rc != SQLITE_DONE) return error(rc);
  return result;
}

StoreResult<std::string> SqliteFile::single(const char* sql) {
  auto found = rows(sql);
  if (!found) return found.error();
  if (found.value().size() != 1) return std::string();
  return found.value().front();
}

StoreStatus SqliteFile::transaction(bool write, const std::function<StoreStatus()>& body) {
  if (write && readOnly()) return error(StoreErrorKind::ReadOnly, "нет права на запись");
  StoreStatus status = exec(write ? "BEGIN IMMEDIATE" : "BEGIN");
  if (!status) return status;
  status = body();
  if (status) status = exec("COMMIT");
  if (!status) (void)exec("ROLLBACK");
  return status;
}

// Only what can be told at once is looked at, unless the format asks for the full check: a
// history may hold years of records, and damage further inside is found where a read or a
// write meets it.
StoreStatus SqliteFile::check() {
  const FileWords& words = wordsOf(format_.role);
  if (format_.fullCheck) {
    // The full check, not the quick one: rows out of key order pass the quick check, yet
    // look-ups then miss keys that are there and a full file would read as an empty one.
    auto integrity = rows("PRAGMA integrity_check");
    if (!integrity) return integrity.error();
    if (integrity.value() != std::vector<std::string>{"ok"}) {
      return damaged(integrity.value().empty() ? std::string() : integrity.value().front());
    }
  }
  auto id = single("PRAGMA application_id");
  if (!id) return id.error();
  if (id.value() != std::to_string(format_.applicationId)) return damaged(words.foreign);
  auto version = single("PRAGMA user_version");
  if (!version) return version.error();
  const long found = std::strtol(version.value().c_str(), nullptr, 10);
  if (found < 1 || found > format_.version || version.value() != std::to_string(found)) {
    return damaged("неизвестная версия формата " + version.value());
  }
  version_ = static_cast<std::int32_t>(found);

  std::string names;
  for (const std::string& table : format_.tables)
    names += (names.empty() ? "'" : ", '") + table + "'";
  auto tables = rows(("SELECT name FROM sqlite_master WHERE type = 'table' AND name IN (" + names +
                      ") ORDER BY name")
                         .c_str());
  if (!tables) return tables.error();
  if (tables.value() != format_.tables) return damaged(words.noTables);
  for (const auto& [table, expected] : format_.columns) {
    auto columns = rows(("SELECT name FROM pragma_table_info('" + table + "')").c_str());
    if (!columns) return columns.error();
    if (columns.value() != expected) {
      const std::string detail = "столбцы таблицы " + table + ": " + joined(columns.value());
      if (!words.otherVersion) return damaged(detail);
      return StoreError{StoreErrorKind::Damaged,
                        words.otherVersion + platform::pathText(file_) + " (" + detail + ")."};
    }
  }

  // A file cut short inside its last page passes every other test, since the missing bytes
  // read as zeros; a whole file is always exactly its pages long. In write-ahead-log mode
  // pages not yet copied back may live in the log beside the file.
  auto mode = single("PRAGMA journal_mode");
  auto pages = single("PRAGMA page_count");
  auto pageSize = single("PRAGMA page_size");
  if (!mode) return mode.error();
  if (!pages) return pages.error();
  if (!pageSize) return pageSize.error();
  std::error_code ec;
  const auto size = fs::file_size(file_, ec);
  if (ec) return error(StoreErrorKind::Unavailable, platform::systemErrorText(ec));
  const auto expected = std::strtoull(pages.value().c_str(), nullptr, 10) *
                        std::strtoull(pageSize.value().c_str(), nullptr, 10);
  fs::path wal = file_;
  wal += "-wal";
  const auto log = fs::file_size(wal, ec);
  const bool pagesInLog = mode.value() == "wal" && !ec && log > 0;
  if (!pagesInLog && size != expected) return damaged("файл обрезан");
  return {};
}

StoreStatus SqliteFile::upgrade() {
  if (version_ >= format_.version || readOnly()) return {};
  return transaction(true, [&]() -> StoreStatus {
    // Another program may have brought it up to date meanwhile.
    auto version = single("PRAGMA user_version");
    if (!version) return version.error();
    auto found = static_cast<std::int32_t>(std::strtol(version.value().c_str(), nullptr, 10));
    for (; found < format_.version; ++found) {
      if (auto done = exec(format_.upgrades[static_cast<std::size_t>(found - 1)]); !done) {
        return done;
      }
    }
    const std::string number = "PRAGMA user_version = " + std::to_string(format_.version);
    if (auto done = exec(number.c_str()); !done) return done;
    version_ = format_.version;
    return {};
  });
}

StoreResult<std::unique_ptr<SqliteFile>> SqliteFile::open(const fs::path& file,
                                                          const SqliteFormat& format,
                                                          const SqliteOpenOptions& options) {
  const auto fail = [&](StoreErrorKind kind, const std::string& detail) {
    return storeFileError(format.role, kind, file, detail);
  };
  if (!options.readOnly) removeLeftovers(file);
  std::error_code ec;
  const bool present = fs::exists(fs::symlink_status(file, ec));
  if (ec && ec != std::errc::no_such_file_or_directory) {
    return fail(StoreErrorKind::Unavailable, platform::systemErrorText(ec));
  }
  if (!present && options.readOnly) return fail(StoreErrorKind::Unavailable, "файла нет");
  if (!present) {
    auto image = freshImage(format);
    if (!image) return fail(image.error().kind, image.error().message);
    WholeFile made;
    if (!made.open(file, Placement::KeepExisting)) {
      made.write(image.value());
      (void)made.commit();
    }
    if (made.error()) return fail(StoreErrorKind::Unavailable, made.reason());
  }

  sqlite3* db = nullptr;
  // Without SQLITE_OPEN_CREATE: the file must be the one made or found above. A file that
  // the process may not write is opened for reading.
  const int rc =
      sqlite3_open_v2(platform::pathText(file).c_str(), &db,
                      options.readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE, nullptr);
  if (rc != SQLITE_OK) {
    StoreError error = fail(kindOf(rc), db ? sqlite3_errmsg(db) : "");
    sqlite3_close_v2(db);
    return error;
  }
  sqlite3_extended_result_codes(db, 1);
  sqlite3_busy_timeout(db, options.busyTimeoutMs);
  std::unique_ptr<SqliteFile> opened(new SqliteFile(db, file, format));

  // Checked under a shared lock, so that no writer changes the file in between.
  if (auto begun = opened->exec("BEGIN"); !begun) return begun.error();
  StoreStatus checked = opened->check();
  (void)opened->exec(checked ? "COMMIT" : "ROLLBACK");
  if (!checked) return checked.error();
  if (auto upgraded = opened->upgrade(); !upgraded) return upgraded.error();
  if (auto set = opened->exec(format.settings); !set) return set.error();
  return opened;
}

}  // namespace tallowick
