#include "initforms/sqlite_serial_store.h"

#include <fcntl.h>
#include <signal.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

namespace tallowick {

namespace fs = std::filesystem;

namespace {

constexpr const char* kFileName = "registry.sqlite3";

// Key and value names compare without regard to ASCII case, as in the registry; each
// value carries its registry type, and the check keeps a value to what that type holds.
constexpr const char* kSchema = R"sql(
CREATE TABLE registry_key (
  root TEXT NOT NULL COLLATE NOCASE,
  key TEXT NOT NULL COLLATE NOCASE,
  PRIMARY KEY (root, key)
) WITHOUT ROWID;
CREATE TABLE registry_value (
  root TEXT NOT NULL COLLATE NOCASE,
  key TEXT NOT NULL COLLATE NOCASE,
  name TEXT NOT NULL COLLATE NOCASE,
  type TEXT NOT NULL,
  value NOT NULL,
  PRIMARY KEY (root, key, name),
  FOREIGN KEY (root, key) REFERENCES registry_key (root, key),
  CHECK ((type = 'REG_DWORD' AND typeof(value) = 'integer' AND value BETWEEN 0 AND 4294967295)
         OR (type = 'REG_SZ' AND typeof(value) = 'text'))
) WITHOUT ROWID;
)sql";

// The columns of each table of kSchema, in order: a file of ours with others was made by
// another version of the program.
const std::vector<std::pair<std::string, std::vector<std::string>>> kColumns = {
    {"registry_key", {"root", "key"}},
    {"registry_value", {"root", "key", "name", "type", "value"}},
};

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

StoreError fileError(StoreErrorKind kind, const fs::path& file, const std::string& detail) {
  std::string text;
  switch (kind) {
    case StoreErrorKind::Damaged:
      text = "Файл с заводскими номерами повреждён и не будет изменён: ";
      break;
    case StoreErrorKind::Locked:
      text = "Файл с заводскими номерами занят другой программой: ";
      break;
    case StoreErrorKind::ReadOnly:
      text = "Файл с заводскими номерами доступен только для чтения: ";
      break;
    case StoreErrorKind::Unavailable:
      text = "Файл с заводскими номерами недоступен: ";
      break;
    case StoreErrorKind::Failed:
      text = "Ошибка при работе с файлом заводских номеров: ";
      break;
  }
  text += file.string();
  if (!detail.empty()) text += " (" + detail + ")";
  text += ".";
  return {kind, std::move(text)};
}

// A book that may be written in a folder that may not: every change goes through a journal
// beside the file, so the file cannot be changed, though it is not read-only itself.
StoreError folderNotWritableError(const fs::path& file) {
  const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
  return {StoreErrorKind::ReadOnly,
          "Файл с заводскими номерами нельзя изменить: папка " + folder.string() +
              " недоступна для записи, а изменения записываются через журнал в этой папке (" +
              file.string() + ")."};
}

// A file of this program whose tables another version made.
StoreError otherVersionError(const fs::path& file, const std::string& detail) {
  return {StoreErrorKind::Damaged,
          "Файл с заводскими номерами не является книгой этой версии программы и не будет "
          "изменён: " +
              file.string() + " (" + detail + ")."};
}

int asInt(std::size_t size) {
  return static_cast<int>(size);
}

// A JSON string of UTF-8 text: only quotes, backslashes and control characters need
// escapes.
void appendJsonString(std::string& out, const std::string& text) {
  out += '"';
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (b < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", b);
      out += escaped;
    } else {
      out += c;
    }
  }
  out += '"';
}

// The items as one JSON object from each position's value name to the item, the names in
// the order of the index ("0", "1", "10", "100", ...), so that rows go in one after the
// other and need no sorting.
std::string jsonPositions(const std::vector<std::string>& items) {
  std::vector<std::pair<std::string, std::size_t>> names;
  names.reserve(items.size());
  for (std::size_t i = 0; i < items.size(); ++i)
    names.emplace_back(std::to_string(i), i);
  std::sort(names.begin(), names.end());
  std::string out = "{";
  for (const auto& [name, position] : names) {
    if (out.size() > 1) out += ',';
    appendJsonString(out, name);
    out += ':';
    appendJsonString(out, items[position]);
  }
  out += '}';
  return out;
}

}  // namespace

// One open database with its prepared statements.
class SqliteSerialStore::Connection final : public RegistryTransaction {
 public:
  Connection(sqlite3* db, fs::path file) : db_(db), file_(std::move(file)) {}
  ~Connection() override {
    for (auto& [sql, statement] : statements_)
      sqlite3_finalize(statement);
    sqlite3_close_v2(db_);
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  StoreError error(int code) const {
    if (code == SQLITE_READONLY_DIRECTORY) return folderNotWritableError(file_);
    return fileError(kindOf(code), file_, sqlite3_errmsg(db_));
  }

  StoreStatus exec(const char* sql) {
    const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) return error(rc);
    return {};
  }

  bool readOnly() const { return sqlite3_db_readonly(db_, "main") == 1; }

  // Runs a single-column query and returns its rows as text.
  StoreResult<std::vector<std::string>> rows(const char* sql) {
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

  StoreResult<bool> keyExists(std::string_view key) override {
    auto* s = statement("SELECT 1 FROM registry_key WHERE root = ?1 AND key = ?2");
    if (!s) return prepareError();
    bindKey(s, key);
    const int rc = sqlite3_step(s);
    sqlite3_reset(s);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    return error(rc);
  }

  StoreStatus createKey(std::string_view key) override {
    auto* s = statement("INSERT OR IGNORE INTO registry_key (root, key) VALUES (?1, ?2)");
    if (!s) return prepareError();
    // The parents too, as the registry has them.
    for (std::size_t at = key.find('\\');; at = key.find('\\', at + 1)) {
      bindKey(s, key.substr(0, at));
      const int rc = sqlite3_step(s);
      sqlite3_reset(s);
      if (rc != SQLITE_DONE) return error(rc);
      if (at == std::string_view::npos) break;
    }
    return {};
  }

  StoreResult<std::optional<RegistryValue>> readValue(std::string_view key,
                                                      std::string_view name) override {
    auto* s = statement(
        "SELECT type, typeof(value), value FROM registry_value "
        "WHERE root = ?1 AND key = ?2 AND name = ?3");
    if (!s) return prepareError();
    bindKey(s, key);
    sqlite3_bind_text(s, 3, name.data(), asInt(name.size()), SQLITE_TRANSIENT);
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_DONE) {
      sqlite3_reset(s);
      return std::optional<RegistryValue>();
    }
    if (rc != SQLITE_ROW) {
      sqlite3_reset(s);
      return error(rc);
    }
    const std::string type = columnText(s, 0);
    const std::string storage = columnText(s, 1);
    std::optional<RegistryValue> value;
    if (type == "REG_DWORD" && storage == "integer") {
      const sqlite3_int64 number = sqlite3_column_int64(s, 2);
      if (number >= 0 && number <= 0xFFFFFFFF) {
        value = RegistryValue::ofDword(static_cast<std::uint32_t>(number));
      }
    } else if (type == "REG_SZ" && storage == "text") {
      value = RegistryValue::ofString(columnText(s, 2));
    }
    sqlite3_reset(s);
    if (!value) {
      return fileError(StoreErrorKind::Damaged, file_,
                       "значение \"" + std::string(name) + "\" ключа \"" + std::string(key) +
                           "\" имеет недопустимый тип " + type);
    }
    return value;
  }

  StoreResult<std::vector<std::string>> valueNames(std::string_view key) override {
    auto* s = statement("SELECT name FROM registry_value WHERE root = ?1 AND key = ?2");
    if (!s) return prepareError();
    bindKey(s, key);
    std::vector<std::string> names;
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW)
      names.push_back(columnText(s, 0));
    sqlite3_reset(s);
    if (rc != SQLITE_DONE) return error(rc);
    return names;
  }

  StoreStatus setValue(std::string_view key, std::string_view name,
                       const RegistryValue& value) override {
    auto* s = statement(
        "INSERT INTO registry_value (root, key, name, type, value) VALUES (?1, ?2, ?3, ?4, ?5) "
        "ON CONFLICT (root, key, name) DO UPDATE SET type = excluded.type, value = excluded.value");
    if (!s) return prepareError();
    bindKey(s, key);
    sqlite3_bind_text(s, 3, name.data(), asInt(name.size()), SQLITE_TRANSIENT);
    const std::string_view type = valueTypeName(value.type);
    sqlite3_bind_text(s, 4, type.data(), asInt(type.size()), SQLITE_STATIC);
    if (value.type == ValueType::Dword) {
      sqlite3_bind_int64(s, 5, value.dword);
    } else {
      sqlite3_bind_text(s, 5, value.text.data(), asInt(value.text.size()), SQLITE_TRANSIENT);
    }
    const int rc = sqlite3_step(s);
    sqlite3_reset(s);
    if (rc != SQLITE_DONE) return error(rc);
    return {};
  }

  // Two statements for a whole list, whatever its length: one deletes the old positions,
  // one inserts the new ones from a JSON object of them in the index's order. Row by row, a
  // list of 100 000 numbers took a quarter of a second more.
  StoreStatus replaceNumberedValues(std::string_view key,
                                    const std::vector<std::string>& items) override {
    auto* wipe = statement(
        "DELETE FROM registry_value WHERE root = ?1 AND key = ?2 AND name <> '' "
        "AND name NOT GLOB '*[^0-9]*'");
    if (!wipe) return prepareError();
    bindKey(wipe, key);
    int rc = sqlite3_step(wipe);
    sqlite3_reset(wipe);
    if (rc != SQLITE_DONE) return error(rc);
    if (items.empty()) return {};

    auto* insert = statement(
        "INSERT INTO registry_value (root, key, name, type, value) "
        "SELECT ?1, ?2, item.key, 'REG_SZ', item.value FROM json_each(?3) AS item");
    if (!insert) return prepareError();
    const std::string positions = jsonPositions(items);
    bindKey(insert, key);
    sqlite3_bind_text(insert, 3, positions.data(), asInt(positions.size()), SQLITE_STATIC);
    rc = sqlite3_step(insert);
    sqlite3_reset(insert);
    sqlite3_clear_bindings(insert);
    if (rc != SQLITE_DONE) return error(rc);
    return {};
  }

  StoreStatus deleteValue(std::string_view key, std::string_view name) override {
    auto* s = statement("DELETE FROM registry_value WHERE root = ?1 AND key = ?2 AND name = ?3");
    if (!s) return prepareError();
    bindKey(s, key);
    sqlite3_bind_text(s, 3, name.data(), asInt(name.size()), SQLITE_TRANSIENT);
    const int rc = sqlite3_step(s);
    sqlite3_reset(s);
    if (rc != SQLITE_DONE) return error(rc);
    return {};
  }

 private:
  sqlite3_stmt* statement(const char* sql) {
    auto found = statements_.find(sql);
    if (found != statements_.end()) return found->second;
    sqlite3_stmt* prepared = nullptr;
    prepareCode_ = sqlite3_prepare_v2(db_, sql, -1, &prepared, nullptr);
    if (prepareCode_ != SQLITE_OK) return nullptr;
    statements_.emplace(sql, prepared);
    return prepared;
  }

  StoreError prepareError() const { return error(prepareCode_); }

  static void bindKey(sqlite3_stmt* s, std::string_view key) {
    sqlite3_bind_text(s, 1, kRootKeyName.data(), asInt(kRootKeyName.size()), SQLITE_STATIC);
    sqlite3_bind_text(s, 2, key.data(), asInt(key.size()), SQLITE_TRANSIENT);
  }

  static std::string columnText(sqlite3_stmt* s, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, column));
    return std::string(text ? text : "", static_cast<std::size_t>(sqlite3_column_bytes(s, column)));
  }

  sqlite3* db_;
  fs::path file_;
  std::map<std::string, sqlite3_stmt*> statements_;
  int prepareCode_ = SQLITE_OK;
};

SqliteSerialStore::SqliteSerialStore(fs::path file, SqliteStoreOptions options)
    : file_(std::move(file)), options_(options) {}

SqliteSerialStore::~SqliteSerialStore() = default;

StoreResult<fs::path> SqliteSerialStore::defaultFile(const Environment& environment) {
  const auto nonEmpty = [&](const char* name) {
    auto value = environment(name);
    if (value && value->empty()) value.reset();
    return value;
  };
  if (auto named = nonEmpty("TALLOWICK_REGISTRY")) return fs::path(*named);
  // A relative XDG_DATA_HOME is invalid and is ignored, as the base directory rules say.
  if (auto data = nonEmpty("XDG_DATA_HOME"); data && fs::path(*data).is_absolute()) {
    return fs::path(*data) / "Tallowick" / kFileName;
  }
  if (auto home = nonEmpty("HOME")) {
    return fs::path(*home) / ".local" / "share" / "Tallowick" / kFileName;
  }
  return StoreError{StoreErrorKind::Unavailable,
                    "Не удалось определить папку данных пользователя для файла с заводскими "
                    "номерами (не заданы XDG_DATA_HOME и HOME)."};
}

StoreResult<fs::path> SqliteSerialStore::defaultFile() {
  return defaultFile([](const char* name) -> std::optional<std::string> {
    const char* value = std::getenv(name);
    if (!value) return std::nullopt;
    return std::string(value);
  });
}

namespace {

// The start of the names of this machine's temporary books for `file`. The machine is part
// of the name because several benches may share one book in a shared folder, where the
// process numbers of another machine say nothing here.
std::string temporaryPrefix(const fs::path& file) {
  char host[256] = {};
  if (::gethostname(host, sizeof host - 1) != 0 || host[0] == '\0') {
    std::snprintf(host, sizeof host, "localhost");
  }
  return file.filename().string() + ".new." + host + ".";
}

// A writer killed while it made the book leaves its temporary file (and its journal)
// behind, named after its machine and process; a kill just after the link leaves it next
// to the book. Those of this machine's processes that are gone are removed whenever the
// book is opened; those of a live process may still be on their way into place.
void removeAbandonedTemporaries(const fs::path& file) {
  std::error_code ec;
  const fs::path directory = file.has_parent_path() ? file.parent_path() : fs::path(".");
  const std::string prefix = temporaryPrefix(file);
  std::vector<fs::path> abandoned;
  for (auto it = fs::directory_iterator(directory, ec); !ec && it != fs::directory_iterator();
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (!name.starts_with(prefix)) continue;
    const char* digits = name.c_str() + prefix.size();
    pid_t pid = 0;
    const auto [end, parsed] = std::from_chars(digits, name.c_str() + name.size(), pid);
    if (parsed != std::errc{} || end == digits || *end != '.' || pid <= 0) continue;
    if (::kill(pid, 0) == 0 || errno != ESRCH) continue;
    abandoned.push_back(it->path());
  }
  for (const fs::path& path : abandoned)
    fs::remove(path, ec);
}

}  // namespace

// A new book is built under a temporary name and linked into place only when complete,
// so that the file at the real name is always a whole book: an empty or half-made file
// there is never ours and is reported, not reused.
StoreStatus SqliteSerialStore::createFile() {
  std::error_code ec;
  const fs::path directory = file_.parent_path();
  if (!directory.empty()) {
    fs::create_directories(directory, ec);
    if (ec) return fileError(StoreErrorKind::Unavailable, file_, ec.message());
  }
  static std::atomic<unsigned> counter{0};
  const fs::path temporary =
      file_.parent_path() /
      (temporaryPrefix(file_) + std::to_string(::getpid()) + "." + std::to_string(counter++));

  sqlite3* db = nullptr;
  int rc =
      sqlite3_open_v2(temporary.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  StoreStatus status;
  if (rc != SQLITE_OK) {
    status = fileError(kindOf(rc), temporary, db ? sqlite3_errmsg(db) : "");
  } else {
    const std::string script = "PRAGMA application_id = " + std::to_string(kApplicationId) +
                               "; PRAGMA user_version = " + std::to_string(kSchemaVersion) +
                               "; BEGIN; " + kSchema + " COMMIT;";
    rc = sqlite3_exec(db, script.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) status = fileError(kindOf(rc), temporary, sqlite3_errmsg(db));
  }
  sqlite3_close_v2(db);
  if (!status) {
    fs::remove(temporary, ec);
    return status;
  }

  // link() refuses to replace a file that another instance has just put in place.
  if (::link(temporary.c_str(), file_.c_str()) != 0 && errno != EEXIST) {
    const int linkError = errno;
    if (!fs::exists(file_, ec)) fs::rename(temporary, file_, ec);
    if (ec || !fs::exists(file_)) {
      fs::remove(temporary, ec);
      return fileError(StoreErrorKind::Unavailable, file_,
                       std::error_code(linkError, std::generic_category()).message());
    }
  }
  fs::remove(temporary, ec);
  if (!directory.empty()) {
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
      ::fsync(fd);
      ::close(fd);
    }
  }
  return {};
}

// The file must be a whole, undamaged book of this program in a format it knows.
StoreStatus SqliteSerialStore::check(Connection& connection) const {
  const auto single = [&](const char* pragma) -> StoreResult<std::string> {
    auto rows = connection.rows(pragma);
    if (!rows) return rows.error();
    if (rows.value().size() != 1) return std::string();
    return rows.value().front();
  };
  // The full check, not the quick one: rows out of key order pass the quick check, yet
  // look-ups then miss keys that are there and a full book would read as an empty one.
  auto integrity = connection.rows("PRAGMA integrity_check");
  if (!integrity) return integrity.error();
  if (integrity.value() != std::vector<std::string>{"ok"}) {
    return fileError(StoreErrorKind::Damaged, file_,
                     integrity.value().empty() ? std::string() : integrity.value().front());
  }
  auto id = single("PRAGMA application_id");
  if (!id) return id.error();
  if (id.value() != std::to_string(kApplicationId)) {
    return fileError(StoreErrorKind::Damaged, file_, "это не файл реестра Tallowick");
  }
  auto version = single("PRAGMA user_version");
  if (!version) return version.error();
  if (version.value() != std::to_string(kSchemaVersion)) {
    return fileError(StoreErrorKind::Damaged, file_,
                     "неизвестная версия формата " + version.value());
  }
  auto tables = connection.rows(
      "SELECT name FROM sqlite_master WHERE type = 'table' "
      "AND name IN ('registry_key', 'registry_value') ORDER BY name");
  if (!tables) return tables.error();
  if (tables.value() != std::vector<std::string>{"registry_key", "registry_value"}) {
    return fileError(StoreErrorKind::Damaged, file_, "нет таблиц реестра");
  }
  for (const auto& [table, expected] : kColumns) {
    auto columns = connection.rows(("SELECT name FROM pragma_table_info('" + table + "')").c_str());
    if (!columns) return columns.error();
    if (columns.value() != expected) {
      std::string found;
      for (const auto& c : columns.value())
        found += (found.empty() ? "" : ", ") + c;
      return otherVersionError(file_, "столбцы таблицы " + table + ": " + found);
    }
  }
  // A file cut short inside its last page still passes the structural check, since the
  // missing bytes read as zeros; a whole book is always exactly its pages long.
  auto mode = single("PRAGMA journal_mode");
  auto pages = single("PRAGMA page_count");
  auto pageSize = single("PRAGMA page_size");
  if (!mode) return mode.error();
  if (!pages) return pages.error();
  if (!pageSize) return pageSize.error();
  std::error_code ec;
  const auto size = fs::file_size(file_, ec);
  if (ec) return fileError(StoreErrorKind::Unavailable, file_, ec.message());
  if (mode.value() != "wal" &&
      size != std::stoull("0" + pages.value()) * std::stoull("0" + pageSize.value())) {
    return fileError(StoreErrorKind::Damaged, file_, "файл обрезан");
  }
  return {};
}

StoreStatus SqliteSerialStore::connect() {
  if (connection_) return {};
  if (!options_.readOnly) removeAbandonedTemporaries(file_);
  std::error_code ec;
  const bool present = fs::exists(fs::symlink_status(file_, ec));
  if (ec && ec != std::errc::no_such_file_or_directory) {
    return fileError(StoreErrorKind::Unavailable, file_, ec.message());
  }
  if (!present && options_.readOnly) {
    return fileError(StoreErrorKind::Unavailable, file_, "файла нет");
  }
  if (!present) {
    if (auto created = createFile(); !created) return created;
  }

  sqlite3* db = nullptr;
  // Without SQLITE_OPEN_CREATE: the file must be the one checked above. A file that the
  // process may not write is opened for reading.
  const int rc =
      sqlite3_open_v2(file_.c_str(), &db,
                      options_.readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE, nullptr);
  if (rc != SQLITE_OK) {
    StoreError error = fileError(kindOf(rc), file_, db ? sqlite3_errmsg(db) : "");
    sqlite3_close_v2(db);
    return error;
  }
  sqlite3_extended_result_codes(db, 1);
  sqlite3_busy_timeout(db, options_.busyTimeoutMs);
  auto connection = std::make_unique<Connection>(db, file_);

  // Checked under a shared lock, so that no writer changes the file in between.
  if (auto begun = connection->exec("BEGIN"); !begun) return begun;
  StoreStatus checked = check(*connection);
  (void)connection->exec(checked ? "COMMIT" : "ROLLBACK");
  if (!checked) return checked;
  if (auto set = connection->exec("PRAGMA foreign_keys = ON; PRAGMA synchronous = FULL"); !set) {
    return set;
  }
  connection_ = std::move(connection);
  return {};
}

StoreStatus SqliteSerialStore::runTransaction(TransactionMode mode, const TransactionBody& body) {
  if (auto connected = connect(); !connected) return connected;
  Connection& c = *connection_;
  const bool write = mode == TransactionMode::Write;
  if (write && c.readOnly()) {
    return fileError(StoreErrorKind::ReadOnly, file_, "нет права на запись");
  }
  // A write takes the write lock before it reads anything, so it never has to give up
  // half-way because another writer came first.
  StoreStatus status = c.exec(write ? "BEGIN IMMEDIATE" : "BEGIN");
  if (status) {
    status = body(c);
    if (status) status = c.exec("COMMIT");
    if (!status) (void)c.exec("ROLLBACK");
  }
  // Damage or a lost file found on the way: check everything afresh next time.
  if (!status && (status.error().kind == StoreErrorKind::Damaged ||
                  status.error().kind == StoreErrorKind::Unavailable)) {
    connection_.reset();
  }
  return status;
}

std::unique_ptr<SerialStore> makePlatformSerialStore(StoreAccess access,
                                                     const std::optional<std::string>& named) {
  SqliteStoreOptions options;
  options.readOnly = access == StoreAccess::ReadOnly;
  if (named) return std::make_unique<SqliteSerialStore>(fs::path(*named), options);
  auto file = SqliteSerialStore::defaultFile();
  if (!file) return std::make_unique<UnavailableSerialStore>(file.error());
  return std::make_unique<SqliteSerialStore>(std::move(file).value(), options);
}

}  // namespace tallowick
