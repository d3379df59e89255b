#include "history/history_store.h"

#include <sqlite3.h>

#include <array>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <utility>

#include "history/new_file.h"
#include "history/utf8.h"

namespace tallowick::history {

namespace fs = std::filesystem;

namespace {

// One row per record in `run`, kept small so that a list never reads a log; the log and
// the steps, which are most of a record, live in tables of their own. The indexes serve
// the newest-first order alone and under each filter a list offers.
constexpr const char* kSchema = R"sql(
CREATE TABLE run (
  id INTEGER PRIMARY KEY,
  kind TEXT NOT NULL CHECK (kind IN ('testrun', 'init')),
  started_at INTEGER NOT NULL,
  ended_at INTEGER NOT NULL,
  utc_offset_minutes INTEGER NOT NULL,
  computer TEXT NOT NULL,
  port TEXT NOT NULL,
  model TEXT NOT NULL,
  firmware TEXT NOT NULL,
  country TEXT NOT NULL,
  serial_number TEXT NOT NULL,
  passes TEXT NOT NULL,
  pause_ms TEXT NOT NULL,
  outcome TEXT NOT NULL CHECK (outcome IN ('finished', 'finished_with_errors', 'aborted',
                                           'stopped', 'input_refused')),
  message TEXT NOT NULL,
  error_count INTEGER NOT NULL,
  duration_ms INTEGER NOT NULL
);
CREATE INDEX run_by_start ON run (started_at, id);
CREATE INDEX run_by_serial_number ON run (serial_number, started_at, id);
CREATE INDEX run_by_model ON run (model, started_at, id);
CREATE INDEX run_by_outcome ON run (outcome, started_at, id);
CREATE TABLE run_step (
  run_id INTEGER NOT NULL REFERENCES run (id),
  position INTEGER NOT NULL,
  title TEXT NOT NULL,
  command INTEGER NOT NULL,
  result TEXT NOT NULL CHECK (result IN ('success', 'argument_error', 'no_reply',
                                         'printer_error', 'stopped', 'aborted')),
  code TEXT NOT NULL,
  message TEXT NOT NULL,
  elapsed_ms INTEGER NOT NULL,
  PRIMARY KEY (run_id, position)
) WITHOUT ROWID;
CREATE TABLE run_log (
  run_id INTEGER PRIMARY KEY REFERENCES run (id),
  lines TEXT NOT NULL
);
)sql";

constexpr const char* kRunColumns =
    "id, kind, started_at, ended_at, utc_offset_minutes, computer, port, model, firmware, "
    "country, serial_number, passes, pause_ms, outcome, message, error_count, duration_ms";

// Records read in one transaction of a long read; appenders wait for no more than one page.
constexpr std::size_t kPageSize = 200;

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

constexpr std::array<std::pair<StoreErrorKind, const char*>, 5> kErrorTexts{{
    {StoreErrorKind::Damaged, "Файл истории повреждён и не будет изменён: "},
    {StoreErrorKind::Locked, "Файл истории занят другой программой: "},
    {StoreErrorKind::ReadOnly, "Файл истории доступен только для чтения: "},
    {StoreErrorKind::Unavailable, "Файл истории недоступен: "},
    {StoreErrorKind::Failed, "Ошибка при работе с файлом истории: "},
}};

StoreError fileError(StoreErrorKind kind, const fs::path& file, const std::string& detail) {
  std::string text;
  for (const auto& [k, words] : kErrorTexts) {
    if (k == kind) text = words;
  }
  text += pathText(file);
  if (!detail.empty()) text += " (" + detail + ")";
  return {kind, text + "."};
}

// Where the first text of the record that is not UTF-8 is, if any: "поле port",
// "строка 3 журнала", "шаг 2".
std::optional<std::string> notUtf8(const Record& r) {
  for (const auto& [name, text] : describingTexts(r)) {
    if (!isUtf8(*text)) return std::string("поле ") + name;
  }
  if (!isUtf8(r.message)) return "поле message";
  for (std::size_t i = 0; i < r.log.size(); ++i) {
    if (!isUtf8(r.log[i])) return "строка " + std::to_string(i + 1) + " журнала";
  }
  for (std::size_t i = 0; i < r.steps.size(); ++i) {
    const StepReport& s = r.steps[i];
    if (!isUtf8(s.title) || !isUtf8(s.code) || !isUtf8(s.message)) {
      return "шаг " + std::to_string(i + 1);
    }
  }
  return std::nullopt;
}

// A new history: the schema in an image of a whole database file.
StoreResult<std::string> freshImage() {
  sqlite3* db = nullptr;
  std::string image;
  int rc = sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (rc == SQLITE_OK) {
    const std::string script = "PRAGMA application_id = " + std::to_string(Store::kApplicationId) +
                               "; PRAGMA user_version = " + std::to_string(Store::kSchemaVersion) +
                               "; BEGIN; " + kSchema + " COMMIT;";
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
  if (rc == SQLITE_OK) image[18] = image[19] = 2;
  const std::string why = db ? sqlite3_errmsg(db) : "";
  sqlite3_close_v2(db);
  if (rc != SQLITE_OK) return StoreError{kindOf(rc), why};
  return image;
}

}  // namespace

// One open database, and the statements of one operation on it.
class detail::Connection {
 public:
  Connection(sqlite3* db, fs::path file) : db_(db), file_(std::move(file)) {}
  ~Connection() { sqlite3_close_v2(db_); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  StoreError error(int code) const { return fileError(kindOf(code), file_, sqlite3_errmsg(db_)); }
  StoreError damaged(const std::string& detail) const {
    return fileError(StoreErrorKind::Damaged, file_, detail);
  }

  StoreStatus exec(const char* sql) {
    const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) return error(rc);
    return {};
  }

  bool readOnly() const { return sqlite3_db_readonly(db_, "main") == 1; }
  std::int64_t lastId() const { return sqlite3_last_insert_rowid(db_); }

  class Statement {
   public:
    Statement(Connection& c, const std::string& sql) : c_(c) {
      rc_ = sqlite3_prepare_v2(c.db_, sql.c_str(), -1, &s_, nullptr);
    }
    ~Statement() { sqlite3_finalize(s_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(std::string_view text) {
      if (rc_ == SQLITE_OK) {
        rc_ = sqlite3_bind_text(s_, ++bound_, text.data(), static_cast<int>(text.size()),
                                SQLITE_TRANSIENT);
      }
      return *this;
    }
    Statement& bind(std::int64_t number) {
      if (rc_ == SQLITE_OK) rc_ = sqlite3_bind_int64(s_, ++bound_, number);
      return *this;
    }
    // SQLITE_ROW or SQLITE_DONE; anything else is an error.
    int step() {
      if (rc_ != SQLITE_OK) return rc_;
      const int rc = sqlite3_step(s_);
      if (rc != SQLITE_ROW && rc != SQLITE_DONE) rc_ = rc;
      return rc;
    }
    StoreError error() const { return c_.error(rc_); }
    StoreStatus done() {
      if (step() == SQLITE_DONE) return {};
      return error();
    }
    std::string text(int column) const {
      const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(s_, column));
      return std::string(bytes ? bytes : "",
                         static_cast<std::size_t>(sqlite3_column_bytes(s_, column)));
    }
    std::int64_t integer(int column) const { return sqlite3_column_int64(s_, column); }

   private:
    Connection& c_;
    sqlite3_stmt* s_ = nullptr;
    int rc_ = SQLITE_OK;
    int bound_ = 0;
  };

  // A single value of a query of one row and one column; empty when it has none.
  StoreResult<std::string> single(const char* sql) {
    Statement s(*this, sql);
    const int rc = s.step();
    if (rc == SQLITE_ROW) return s.text(0);
    if (rc == SQLITE_DONE) return std::string();
    return s.error();
  }

 private:
  sqlite3* db_;
  fs::path file_;
};

using detail::Connection;
using Statement = Connection::Statement;

namespace {

// The file must be a whole history of this program in a format it knows. Only what can be
// told at once is looked at here, since a history may hold years of records: damage
// further inside is found where a read or write meets it.
StoreStatus checkFile(Connection& c, const fs::path& file) {
  auto id = c.single("PRAGMA application_id");
  if (!id) return id.error();
  if (id.value() != std::to_string(Store::kApplicationId)) {
    return c.damaged("это не файл истории Tallowick");
  }
  auto version = c.single("PRAGMA user_version");
  if (!version) return version.error();
  if (version.value() != std::to_string(Store::kSchemaVersion)) {
    return c.damaged("неизвестная версия формата " + version.value());
  }
  auto tables = c.single(
      "SELECT group_concat(name, ',') FROM (SELECT name FROM sqlite_master WHERE type = 'table' "
      "AND name IN ('run', 'run_step', 'run_log') ORDER BY name)");
  if (!tables) return tables.error();
  if (tables.value() != "run,run_log,run_step") return c.damaged("нет таблиц истории");
  // A file cut short inside its last page passes every other test, since the missing bytes
  // read as zeros; a whole history is always exactly its pages long.
  auto mode = c.single("PRAGMA journal_mode");
  auto pages = c.single("PRAGMA page_count");
  auto pageSize = c.single("PRAGMA page_size");
  if (!mode) return mode.error();
  if (!pages) return pages.error();
  if (!pageSize) return pageSize.error();
  std::error_code ec;
  const auto size = fs::file_size(file, ec);
  if (ec) return fileError(StoreErrorKind::Unavailable, file, ec.message());
  const auto expected = std::strtoull(pages.value().c_str(), nullptr, 10) *
                        std::strtoull(pageSize.value().c_str(), nullptr, 10);
  // In WAL mode pages not yet copied back may live in the log beside the file.
  fs::path wal = file;
  wal += "-wal";
  const auto log = fs::file_size(wal, ec);
  const bool pagesInLog = mode.value() == "wal" && !ec && log > 0;
  if (!pagesInLog && size != expected) return c.damaged("файл обрезан");
  return {};
}

// The columns of kRunColumns from the current row.
StoreResult<Record> recordFrom(const Statement& s, Connection& c) {
  Record r;
  r.id = s.integer(0);
  const auto kind = kindFromKey(s.text(1));
  const auto outcome = outcomeFromKey(s.text(13));
  if (!kind || !outcome) {
    return c.damaged("запись " + std::to_string(r.id) + " не читается");
  }
  r.kind = *kind;
  r.startedAtMs = s.integer(2);
  r.endedAtMs = s.integer(3);
  r.utcOffsetMinutes = static_cast<std::int32_t>(s.integer(4));
  r.computer = s.text(5);
  r.port = s.text(6);
  r.model = s.text(7);
  r.firmware = s.text(8);
  r.country = s.text(9);
  r.serialNumber = s.text(10);
  r.passes = s.text(11);
  r.pauseMs = s.text(12);
  r.outcome = *outcome;
  r.message = s.text(14);
  r.errorCount = static_cast<std::int32_t>(s.integer(15));
  r.durationMs = s.integer(16);
  return r;
}

// The log and the steps of `r`.
StoreStatus readDetail(Connection& c, Record& r) {
  Statement log(c, "SELECT lines FROM run_log WHERE run_id = ?");
  log.bind(r.id);
  const int rc = log.step();
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) return log.error();
  if (rc == SQLITE_ROW) {
    const auto lines = nlohmann::json::parse(log.text(0), nullptr, false);
    bool whole = lines.is_array();
    if (whole) {
      for (const auto& line : lines)
        whole = whole && line.is_string();
    }
    if (!whole) return c.damaged("журнал записи " + std::to_string(r.id) + " не читается");
    r.log = lines.get<std::vector<std::string>>();
  }

  Statement steps(c,
                  "SELECT title, command, result, code, message, elapsed_ms FROM run_step "
                  "WHERE run_id = ? ORDER BY position");
  steps.bind(r.id);
  int step;
  while ((step = steps.step()) == SQLITE_ROW) {
    const auto result = stepResultFromKey(steps.text(2));
    if (!result) return c.damaged("шаги записи " + std::to_string(r.id) + " не читаются");
    r.steps.push_back({.title = steps.text(0),
                       .command = static_cast<std::int32_t>(steps.integer(1)),
                       .result = *result,
                       .code = steps.text(3),
                       .message = steps.text(4),
                       .elapsedMs = steps.integer(5)});
  }
  if (step != SQLITE_DONE) return steps.error();
  return {};
}

// Where a long read has got to: the last record handed over, in newest-first order.
struct Cursor {
  std::int64_t startedAtMs;
  std::int64_t id;
};

std::string selectSql(const Filter& f, const std::optional<Cursor>& after, std::size_t limit) {
  std::string sql = std::string("SELECT ") + kRunColumns + " FROM run WHERE 1";
  if (f.fromMs) sql += " AND started_at >= ?";
  if (f.untilMs) sql += " AND started_at < ?";
  if (f.model) sql += " AND model = ?";
  if (f.serialNumber) sql += " AND serial_number = ?";
  if (f.outcome) sql += " AND outcome = ?";
  if (f.kind) sql += " AND kind = ?";
  if (after) sql += " AND (started_at, id) < (?, ?)";
  sql += " ORDER BY started_at DESC, id DESC";
  if (limit > 0) sql += " LIMIT " + std::to_string(limit);
  return sql;
}

void bindFilter(Statement& s, const Filter& f, const std::optional<Cursor>& after) {
  if (f.fromMs) s.bind(*f.fromMs);
  if (f.untilMs) s.bind(*f.untilMs);
  if (f.model) s.bind(*f.model);
  if (f.serialNumber) s.bind(*f.serialNumber);
  if (f.outcome) s.bind(outcomeKey(*f.outcome));
  if (f.kind) s.bind(kindKey(*f.kind));
  if (after) s.bind(after->startedAtMs).bind(after->id);
}

StoreStatus insert(Connection& c, const Record& r) {
  Statement run(c, std::string("INSERT INTO run (") + kRunColumns +
                       ") VALUES (NULL, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
  run.bind(kindKey(r.kind))
      .bind(r.startedAtMs)
      .bind(r.endedAtMs)
      .bind(std::int64_t{r.utcOffsetMinutes})
      .bind(r.computer)
      .bind(r.port)
      .bind(r.model)
      .bind(r.firmware)
      .bind(r.country)
      .bind(r.serialNumber)
      .bind(r.passes)
      .bind(r.pauseMs)
      .bind(outcomeKey(r.outcome))
      .bind(r.message)
      .bind(std::int64_t{r.errorCount})
      .bind(r.durationMs);
  if (auto done = run.done(); !done) return done;
  const std::int64_t id = c.lastId();

  Statement log(c, "INSERT INTO run_log (run_id, lines) VALUES (?, ?)");
  log.bind(id).bind(nlohmann::json(r.log).dump());
  if (auto done = log.done(); !done) return done;

  for (std::size_t i = 0; i < r.steps.size(); ++i) {
    const StepReport& s = r.steps[i];
    Statement step(c,
                   "INSERT INTO run_step (run_id, position, title, command, result, code, "
                   "message, elapsed_ms) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    step.bind(id)
        .bind(static_cast<std::int64_t>(i))
        .bind(s.title)
        .bind(std::int64_t{s.command})
        .bind(stepResultKey(s.result))
        .bind(s.code)
        .bind(s.message)
        .bind(s.elapsedMs);
    if (auto done = step.done(); !done) return done;
  }
  return {};
}

}  // namespace

Store::Store(fs::path file, StoreOptions options) : file_(std::move(file)), options_(options) {}

Store::~Store() = default;

StoreResult<fs::path> Store::defaultFile() {
  return defaultFile([](const char* name) -> std::optional<std::string> {
    const char* value = std::getenv(name);
    if (!value) return std::nullopt;
    return std::string(value);
  });
}

StoreStatus Store::connect() {
  if (connection_) return {};
  removeAbandonedNewFiles(file_);
  std::error_code ec;
  const bool present = fs::exists(fs::symlink_status(file_, ec));
  if (ec && ec != std::errc::no_such_file_or_directory) {
    return fileError(StoreErrorKind::Unavailable, file_, ec.message());
  }
  if (!present) {
    auto image = freshImage();
    if (!image) return fileError(image.error().kind, file_, image.error().message);
    if (auto failed = placeNewFile(file_, image.value())) {
      return fileError(StoreErrorKind::Unavailable, file_, *failed);
    }
  }

  sqlite3* db = nullptr;
  // Without SQLITE_OPEN_CREATE: the file must be the one made or found above. A file that
  // the process may not write is opened for reading.
  const int rc = sqlite3_open_v2(pathText(file_).c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
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
  StoreStatus checked = checkFile(*connection, file_);
  (void)connection->exec(checked ? "COMMIT" : "ROLLBACK");
  if (!checked) return checked;
  // A commit is complete in the log without waiting for the disk; the log reaches the disk
  // whenever it is copied back. A process killed at any moment loses nothing committed; a
  // power cut may lose the last records, never the file.
  // The log is copied back into the file once it holds about 40 MB (or when the last
  // program closes the file), so that the two flushes of a copy fall on one append in
  // about a thousand rather than one in a hundred.
  if (auto set = connection->exec("PRAGMA synchronous = NORMAL; PRAGMA wal_autocheckpoint = 10000");
      !set) {
    return set;
  }
  connection_ = std::move(connection);
  return {};
}

template <typename Body>
StoreStatus Store::transaction(bool write, Body&& body) {
  if (auto connected = connect(); !connected) return connected;
  Connection& c = *connection_;
  if (write && damage_) return *damage_;
  if (write && c.readOnly())
    return fileError(StoreErrorKind::ReadOnly, file_, "нет права на запись");
  // A write takes the write lock first, so it never gives up half-way for another writer.
  StoreStatus status = c.exec(write ? "BEGIN IMMEDIATE" : "BEGIN");
  if (status) {
    status = body(c);
    if (status) status = c.exec("COMMIT");
    if (!status) (void)c.exec("ROLLBACK");
  }
  // Damage found inside the file keeps every later write of this store away from it; and
  // after damage or a lost file, the file is checked afresh next time.
  if (!status && status.error().kind == StoreErrorKind::Damaged) damage_ = status.error();
  if (!status && (status.error().kind == StoreErrorKind::Damaged ||
                  status.error().kind == StoreErrorKind::Unavailable)) {
    connection_.reset();
  }
  return status;
}

StoreResult<std::int64_t> Store::append(const Record& record) {
  if (auto field = notUtf8(record)) {
    return StoreError{StoreErrorKind::Failed, "Запись не добавлена в историю: " + *field +
                                                  " содержит текст не в кодировке UTF-8."};
  }
  std::lock_guard lock(mutex_);
  std::int64_t id = 0;
  StoreStatus status = transaction(true, [&](Connection& c) -> StoreStatus {
    if (auto inserted = insert(c, record); !inserted) return inserted;
    id = c.lastId();
    return {};
  });
  if (!status) return status.error();
  return id;
}

StoreStatus Store::forEach(const Filter& filter, Detail detail,
                           const std::function<bool(const Record&)>& take) {
  std::lock_guard lock(mutex_);
  std::optional<Cursor> after;
  std::size_t left = filter.limit;
  for (bool more = true; more;) {
    const std::size_t page = left == 0 ? kPageSize : std::min(left, kPageSize);
    std::vector<Record> records;
    StoreStatus status = transaction(false, [&](Connection& c) -> StoreStatus {
      Statement s(c, selectSql(filter, after, page));
      bindFilter(s, filter, after);
      int rc;
      while ((rc = s.step()) == SQLITE_ROW) {
        auto record = recordFrom(s, c);
        if (!record) return record.error();
        records.push_back(std::move(record).value());
        if (detail == Detail::Full) {
          if (auto read = readDetail(c, records.back()); !read) return read;
        }
      }
      if (rc != SQLITE_DONE) return s.error();
      return {};
    });
    if (!status) return status;
    for (const Record& r : records) {
      if (!take(r)) return {};
    }
    if (filter.limit > 0) left -= records.size();
    more = records.size() == page && (filter.limit == 0 || left > 0);
    if (!records.empty()) after = Cursor{records.back().startedAtMs, records.back().id};
  }
  return {};
}

StoreResult<std::vector<Record>> Store::list(const Filter& filter, Detail detail) {
  std::vector<Record> records;
  StoreStatus status = forEach(filter, detail, [&](const Record& r) {
    records.push_back(r);
    return true;
  });
  if (!status) return status.error();
  return records;
}

StoreResult<std::optional<Record>> Store::find(std::int64_t id) {
  std::lock_guard lock(mutex_);
  std::optional<Record> found;
  StoreStatus status = transaction(false, [&](Connection& c) -> StoreStatus {
    Statement s(c, std::string("SELECT ") + kRunColumns + " FROM run WHERE id = ?");
    s.bind(id);
    const int rc = s.step();
    if (rc == SQLITE_DONE) return {};
    if (rc != SQLITE_ROW) return s.error();
    auto record = recordFrom(s, c);
    if (!record) return record.error();
    found = std::move(record).value();
    return readDetail(c, *found);
  });
  if (!status) return status.error();
  return found;
}

std::optional<std::string> Appender::append(const Record& record) {
  auto appended = store_.append(record);
  if (appended) return std::nullopt;
  if (failed_.exchange(true)) return std::nullopt;
  return appended.error().message;
}

}  // namespace tallowick::history
