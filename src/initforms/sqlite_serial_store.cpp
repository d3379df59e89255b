#include "initforms/sqlite_serial_store.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

#include "platform/sqlite_file.h"
#include "platform/system.h"

namespace tallowick {

namespace fs = std::filesystem;

namespace {

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

// A book is small enough to be checked whole at every open; the columns of each table of
// kSchema, in order: a file of ours with others was made by another version of the program.
const SqliteFormat kFormat{
    .role = platform::DataFile::Book,
    .applicationId = SqliteSerialStore::kApplicationId,
    .version = SqliteSerialStore::kSchemaVersion,
    .upgrades = {},
    .schema = kSchema,
    .tables = {"registry_key", "registry_value"},
    .columns = {{"registry_key", {"root", "key"}},
                {"registry_value", {"root", "key", "name", "type", "value"}}},
    .writeAheadLog = false,
    .fullCheck = true,
    .settings = "PRAGMA foreign_keys = ON; PRAGMA synchronous = FULL",
};

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
  explicit Connection(std::unique_ptr<SqliteFile> file)
      : file_(std::move(file)), db_(file_->db()) {}
  ~Connection() override {
    for (auto& [sql, statement] : statements_)
      sqlite3_finalize(statement);
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  SqliteFile& file() { return *file_; }
  StoreError error(int code) const { return file_->error(code); }

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
      return file_->damaged("значение \"" + std::string(name) + "\" ключа \"" + std::string(key) +
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

  std::unique_ptr<SqliteFile> file_;
  sqlite3* db_;
  std::map<std::string, sqlite3_stmt*> statements_;
  int prepareCode_ = SQLITE_OK;
};

SqliteSerialStore::SqliteSerialStore(fs::path file, SqliteStoreOptions options)
    : file_(std::move(file)), options_(options) {}

SqliteSerialStore::~SqliteSerialStore() = default;

StoreStatus SqliteSerialStore::connect() {
  if (connection_) return {};
  auto opened = SqliteFile::open(
      file_, kFormat, {.busyTimeoutMs = options_.busyTimeoutMs, .readOnly = options_.readOnly});
  if (!opened) return opened.error();
  connection_ = std::make_unique<Connection>(std::move(opened).value());
  return {};
}

StoreStatus SqliteSerialStore::runTransaction(TransactionMode mode, const TransactionBody& body) {
  if (auto connected = connect(); !connected) return connected;
  Connection& c = *connection_;
  StoreStatus status =
      c.file().transaction(mode == TransactionMode::Write, [&] { return body(c); });
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
  if (named) return std::make_unique<SqliteSerialStore>(platform::pathOf(*named), options);
  auto file = platform::dataFile(platform::DataFile::Book);
  if (!file) return std::make_unique<UnavailableSerialStore>(file.error());
  return std::make_unique<SqliteSerialStore>(std::move(file).value(), options);
}

}  // namespace tallowick
