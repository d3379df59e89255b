#include "history/history_store.h"

#include <sqlite3.h>

#include <nlohmann/json.hpp>
#include <utility>

#include "platform/sqlite_file.h"
#include "platform/system.h"
#include "platform/utf8.h"

namespace tallowick::history {

namespace fs = std::filesystem;

namespace {

// What waits for the line database: the records not yet forwarded, and the numbers of the
// station's own block of the line's book, with those it used while the line was away.
constexpr const char* kOutboxSchema = R"sql(
CREATE TABLE outbox (run_id INTEGER PRIMARY KEY REFERENCES run (id));
CREATE TABLE line_number (
  number TEXT PRIMARY KEY,
  printer_type TEXT NOT NULL,
  used_at INTEGER,
  answer INTEGER,
  reported INTEGER NOT NULL DEFAULT 0
) WITHOUT ROWID;
)sql";

// One row per record in `run`, kept small so that a list never reads a log; the log and
// the steps, which are most of a record, live in tables of their own. The indexes serve
// the newest-first order alone and under each filter a list offers.
constexpr const char* kRunSchema = R"sql(
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
  duration_ms INTEGER NOT NULL,
  user_name TEXT NOT NULL DEFAULT '',
  uid TEXT NOT NULL DEFAULT '',
  station TEXT NOT NULL DEFAULT '',
  language TEXT NOT NULL DEFAULT ''
);
CREATE UNIQUE INDEX run_by_uid ON run (uid);
CREATE INDEX run_by_station ON run (station, started_at, id);
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
const std::string kSchema = std::string(kRunSchema) + kOutboxSchema;

// The columns of a record. A file of an older format, read where it may not be written,
// reads what it lacks as empty: the user (format 1), the identity and the station (2), the
// language (3).
std::string runColumns(std::int32_t version) {
  return std::string(
             "id, kind, started_at, ended_at, utc_offset_minutes, computer, port, model, "
             "firmware, country, serial_number, passes, pause_ms, outcome, message, error_count, "
             "duration_ms, ") +
         (version >= 2 ? "user_name" : "''") + (version >= 3 ? ", uid, station" : ", '', ''") +
         (version >= 4 ? ", language" : ", ''");
}

// The columns of RunFacts. The first titled step that did not succeed is looked for only in
// the records that did not end finished, which are few.
std::string factsColumns(std::int32_t version) {
  return std::string("id, kind, started_at, utc_offset_minutes, ") +
         (version >= 3 ? "station" : "''") +
         ", model, serial_number, outcome, error_count, duration_ms, CASE WHEN outcome <> "
         "'finished' THEN (SELECT title FROM run_step WHERE run_id = run.id AND result <> "
         "'success' ORDER BY position LIMIT 1) END";
}

// A random identity in the form of a UUID of version 4, made by SQLite itself for the
// records an older format did not give one.
constexpr const char* kRandomUid =
    "lower(hex(randomblob(4))) || '-' || lower(hex(randomblob(2))) || '-4' || "
    "substr(lower(hex(randomblob(2))), 2) || '-' || substr('89ab', 1 + abs(random()) % 4, 1) "
    "|| substr(lower(hex(randomblob(2))), 2) || '-' || lower(hex(randomblob(6)))";

// 2 → 3: each record's identity and station, for the line database, and the outbox to it.
const std::string kIdentityUpgrade =
    std::string(
        "ALTER TABLE run ADD COLUMN uid TEXT NOT NULL DEFAULT '';"
        "ALTER TABLE run ADD COLUMN station TEXT NOT NULL DEFAULT '';"
        "UPDATE run SET uid = ") +
    kRandomUid +
    ";"
    "CREATE UNIQUE INDEX run_by_uid ON run (uid);"
    "CREATE INDEX run_by_station ON run (station, started_at, id);" +
    kOutboxSchema;

const SqliteFormat kFormat{
    .role = platform::DataFile::History,
    .applicationId = Store::kApplicationId,
    .version = Store::kSchemaVersion,
    .upgrades =
        {// 1 → 2: the user who ran it, beside the computer.
         "ALTER TABLE run ADD COLUMN user_name TEXT NOT NULL DEFAULT ''", kIdentityUpgrade.c_str(),
         // 3 → 4: the language its texts were written in.
         "ALTER TABLE run ADD COLUMN language TEXT NOT NULL DEFAULT ''"},
    .schema = kSchema.c_str(),
    .tables = {"run", "run_log", "run_step"},
    .columns = {},
    .writeAheadLog = true,
    .fullCheck = false,
    // A commit is complete in the log without waiting for the disk; the log reaches the
    // disk whenever it is copied back. A process killed at any moment loses nothing
    // committed; a power cut may lose the last records, never the file. The log is copied
    // back into the file once it holds about 40 MB (or when the last program closes the
    // file), so that the two flushes of a copy fall on one append in about a thousand
    // rather than one in a hundred.
    .settings = "PRAGMA synchronous = NORMAL; PRAGMA wal_autocheckpoint = 10000",
};

// Records read in one transaction of a long read; appenders wait for no more than one page.
constexpr std::size_t kPageSize = 200;
// The same for the facts of records, which are a small part of a record.
constexpr std::size_t kFactsPageSize = 5000;

// Where the first text of the record that is not UTF-8 is, if any: "поле port",
// "строка 3 журнала", "шаг 2".
std::optional<std::string> notUtf8(const Record& r) {
  return firstText(r, [](std::string_view text) { return !isUtf8(text); });
}

}  // namespace

// One open history, and the statements of one operation on it.
class detail::Connection {
 public:
  explicit Connection(std::unique_ptr<SqliteFile> file) : file_(std::move(file)) {}

  SqliteFile& file() { return *file_; }
  StoreError error(int code) const { return file_->error(code); }
  StoreError damaged(const std::string& detail) const { return file_->damaged(detail); }
  std::int64_t lastId() const { return sqlite3_last_insert_rowid(file_->db()); }
  // The columns of a record in this file's format.
  const std::string& runColumns() const { return columns_; }
  std::int32_t version() const { return file_->version(); }

  class Statement {
   public:
    Statement(Connection& c, const std::string& sql) : c_(c) {
      rc_ = sqlite3_prepare_v2(c.file_->db(), sql.c_str(), -1, &s_, nullptr);
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
    Statement& bindNull() {
      if (rc_ == SQLITE_OK) rc_ = sqlite3_bind_null(s_, ++bound_);
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
    // Valid until the next step.
    std::string_view view(int column) const {
      const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(s_, column));
      return std::string_view(bytes ? bytes : "",
                              static_cast<std::size_t>(sqlite3_column_bytes(s_, column)));
    }
    std::string text(int column) const {
      const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(s_, column));
      return std::string(bytes ? bytes : "",
                         static_cast<std::size_t>(sqlite3_column_bytes(s_, column)));
    }
    std::int64_t integer(int column) const { return sqlite3_column_int64(s_, column); }
    bool isNull(int column) const { return sqlite3_column_type(s_, column) == SQLITE_NULL; }

   private:
    Connection& c_;
    sqlite3_stmt* s_ = nullptr;
    int rc_ = SQLITE_OK;
    int bound_ = 0;
  };

 private:
  std::unique_ptr<SqliteFile> file_;
  std::string columns_ = history::runColumns(file_->version());
};

using detail::Connection;
using Statement = Connection::Statement;

namespace {

// The columns of runColumns() from the current row.
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
  r.user = s.text(17);
  r.uid = s.text(18);
  r.station = s.text(19);
  r.language = s.text(20);
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

using detail::Order;

// Where a long read in `order` has got to: the last record handed over.
struct Cursor {
  Order order;
  std::int64_t startedAtMs;
  std::int64_t id;
};

std::string selectSql(const Connection& c, const std::string& columns, const Filter& f, Order order,
                      const std::optional<Cursor>& after, std::size_t limit) {
  std::string sql = "SELECT " + columns + " FROM run WHERE 1";
  if (f.fromMs) sql += " AND started_at >= ?";
  if (f.untilMs) sql += " AND started_at < ?";
  if (f.model) sql += " AND model = ?";
  if (f.serialNumber) sql += " AND serial_number = ?";
  // instr rather than LIKE, so that a typed '%' or '_' is a character like any other.
  if (f.serialPart) sql += " AND instr(serial_number, ?) > 0";
  if (f.outcome) sql += " AND outcome = ?";
  if (f.kind) sql += " AND kind = ?";
  // A file of a format before stations were kept, read where it may not be brought up to
  // date, holds records of no station.
  if (f.station) sql += c.version() >= 3 ? " AND station = ?" : " AND '' = ?";
  const bool started = order == Order::Started;
  if (after) sql += started ? " AND (started_at, id) < (?, ?)" : " AND id < ?";
  sql += started ? " ORDER BY started_at DESC, id DESC" : " ORDER BY id DESC";
  if (limit > 0) sql += " LIMIT " + std::to_string(limit);
  return sql;
}

void bindFilter(Statement& s, const Filter& f, const std::optional<Cursor>& after) {
  if (f.fromMs) s.bind(*f.fromMs);
  if (f.untilMs) s.bind(*f.untilMs);
  if (f.model) s.bind(*f.model);
  if (f.serialNumber) s.bind(*f.serialNumber);
  if (f.serialPart) s.bind(*f.serialPart);
  if (f.outcome) s.bind(outcomeKey(*f.outcome));
  if (f.kind) s.bind(kindKey(*f.kind));
  if (f.station) s.bind(*f.station);
  if (after && after->order == Order::Started) s.bind(after->startedAtMs);
  if (after) s.bind(after->id);
}

// The columns of factsColumns() from the current row.
StoreResult<RunFacts> factsFrom(const Statement& s, Connection& c) {
  RunFacts f;
  f.id = s.integer(0);
  const auto kind = kindFromKey(s.view(1));
  const auto outcome = outcomeFromKey(s.view(7));
  if (!kind || !outcome) {
    return c.damaged("запись " + std::to_string(f.id) + " не читается");
  }
  f.kind = *kind;
  f.startedAtMs = s.integer(2);
  f.utcOffsetMinutes = static_cast<std::int32_t>(s.integer(3));
  f.station = s.text(4);
  f.model = s.text(5);
  f.serialNumber = s.text(6);
  f.outcome = *outcome;
  f.errorCount = static_cast<std::int32_t>(s.integer(8));
  f.durationMs = s.integer(9);
  if (!s.isNull(10)) f.failedStep = s.text(10);
  return f;
}

// The id of the record with this identity, or 0.
StoreResult<std::int64_t> idOfUid(Connection& c, const std::string& uid) {
  if (uid.empty()) return std::int64_t{0};
  Statement s(c, "SELECT id FROM run WHERE uid = ?");
  s.bind(uid);
  const int rc = s.step();
  if (rc == SQLITE_ROW) return s.integer(0);
  if (rc == SQLITE_DONE) return std::int64_t{0};
  return s.error();
}

StoreStatus insert(Connection& c, const Record& r) {
  Statement run(c,
                "INSERT INTO run (" + c.runColumns() +
                    ") VALUES (NULL, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
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
      .bind(r.durationMs)
      .bind(r.user)
      .bind(r.uid.empty() ? platform::newUid() : r.uid)
      .bind(r.station)
      .bind(r.language);
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

RunFacts factsOf(const Record& r) {
  RunFacts f{.id = r.id,
             .kind = r.kind,
             .startedAtMs = r.startedAtMs,
             .utcOffsetMinutes = r.utcOffsetMinutes,
             .station = r.station,
             .model = r.model,
             .serialNumber = r.serialNumber,
             .outcome = r.outcome,
             .errorCount = r.errorCount,
             .durationMs = r.durationMs,
             .failedStep = std::nullopt};
  if (r.outcome == Outcome::Finished) return f;
  for (const StepReport& step : r.steps) {
    if (step.result != StepResult::Success) {
      f.failedStep = step.title;
      break;
    }
  }
  return f;
}

Store::Store(fs::path file, StoreOptions options) : file_(std::move(file)), options_(options) {}

Store::~Store() = default;

StoreStatus Store::connect() {
  if (connection_) return {};
  auto opened = SqliteFile::open(file_, kFormat, {.busyTimeoutMs = options_.busyTimeoutMs});
  if (!opened) return opened.error();
  connection_ = std::make_unique<Connection>(std::move(opened).value());
  return {};
}

template <typename Body>
StoreStatus Store::transaction(bool write, Body&& body) {
  if (auto connected = connect(); !connected) return connected;
  Connection& c = *connection_;
  if (write && damage_) return *damage_;
  StoreStatus status = c.file().transaction(write, [&] { return body(c); });
  // Damage found inside the file keeps every later write of this store away from it; and
  // after damage or a lost file, the file is checked afresh next time.
  if (!status && status.error().kind == StoreErrorKind::Damaged) damage_ = status.error();
  if (!status && (status.error().kind == StoreErrorKind::Damaged ||
                  status.error().kind == StoreErrorKind::Unavailable)) {
    connection_.reset();
  }
  return status;
}

StoreResult<std::int64_t> Store::append(const Record& record, Forwarding forwarding) {
  if (auto field = notUtf8(record)) {
    return StoreError{StoreErrorKind::Failed, "Запись не добавлена в историю: " + *field +
                                                  " содержит текст не в кодировке UTF-8."};
  }
  std::lock_guard lock(mutex_);
  std::int64_t id = 0;
  StoreStatus status = transaction(true, [&](Connection& c) -> StoreStatus {
    // A record is held once, however often it is given.
    auto held = idOfUid(c, record.uid);
    if (!held) return held.error();
    id = held.value();
    if (id != 0) return {};
    if (auto inserted = insert(c, record); !inserted) return inserted;
    id = c.lastId();
    if (forwarding == Forwarding::Queue) {
      Statement queued(c, "INSERT INTO outbox (run_id) VALUES (?)");
      queued.bind(id);
      return queued.done();
    }
    return {};
  });
  if (!status) return status.error();
  return id;
}

template <typename Row, typename Read, typename Take>
StoreStatus Store::pages(const Filter& filter, Order order, std::size_t pageSize,
                         std::string (*columns)(std::int32_t version), Read&& read, Take&& take) {
  std::lock_guard lock(mutex_);
  std::optional<Cursor> after;
  std::size_t left = filter.limit;
  for (bool more = true; more;) {
    const std::size_t page = left == 0 ? pageSize : std::min(left, pageSize);
    std::vector<Row> rows;
    rows.reserve(page);
    StoreStatus status = transaction(false, [&](Connection& c) -> StoreStatus {
      Statement s(c, selectSql(c, columns(c.version()), filter, order, after, page));
      bindFilter(s, filter, after);
      int rc;
      while ((rc = s.step()) == SQLITE_ROW) {
        auto row = read(s, c);
        if (!row) return row.error();
        rows.push_back(std::move(row).value());
      }
      if (rc != SQLITE_DONE) return s.error();
      return {};
    });
    if (!status) return status;
    for (Row& row : rows) {
      if (!take(std::move(row))) return {};
    }
    if (filter.limit > 0) left -= rows.size();
    more = rows.size() == page && (filter.limit == 0 || left > 0);
    if (!rows.empty()) after = Cursor{order, rows.back().startedAtMs, rows.back().id};
  }
  return {};
}

StoreStatus Store::forEach(const Filter& filter, Detail detail,
                           const std::function<bool(const Record&)>& take) {
  return pages<Record>(
      filter, Order::Started, kPageSize, runColumns,
      [detail](const Statement& s, Connection& c) -> StoreResult<Record> {
        auto record = recordFrom(s, c);
        if (!record || detail == Detail::Summary) return record;
        Record r = std::move(record).value();
        if (auto read = readDetail(c, r); !read) return read.error();
        return r;
      },
      [&](Record&& r) { return take(r); });
}

StoreResult<std::vector<RunFacts>> Store::facts(const Filter& filter) {
  std::vector<RunFacts> facts;
  // The whole history reads fastest in the order it was added; a condition that an index
  // serves, and a limit, in the order of the start.
  const bool indexed = filter.fromMs || filter.untilMs || filter.model || filter.serialNumber ||
                       filter.outcome || filter.station;
  const Order order = filter.limit > 0 || indexed ? Order::Started : Order::Added;
  StoreStatus status =
      pages<RunFacts>(filter, order, kFactsPageSize, factsColumns, factsFrom, [&](RunFacts&& f) {
        facts.push_back(std::move(f));
        return true;
      });
  if (!status) return status.error();
  return facts;
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
    Statement s(c, "SELECT " + c.runColumns() + " FROM run WHERE id = ?");
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

StoreResult<std::vector<Record>> Store::waiting(std::size_t limit) {
  std::lock_guard lock(mutex_);
  std::vector<Record> records;
  StoreStatus status = transaction(false, [&](Connection& c) -> StoreStatus {
    Statement s(c, "SELECT " + c.runColumns() +
                       " FROM run WHERE id IN (SELECT run_id FROM outbox ORDER BY run_id LIMIT ?) "
                       "ORDER BY id");
    // SQLite reads a negative limit as none.
    s.bind(limit == 0 ? std::int64_t{-1} : static_cast<std::int64_t>(limit));
    int rc;
    while ((rc = s.step()) == SQLITE_ROW) {
      auto record = recordFrom(s, c);
      if (!record) return record.error();
      records.push_back(std::move(record).value());
      if (auto read = readDetail(c, records.back()); !read) return read;
    }
    if (rc != SQLITE_DONE) return s.error();
    return {};
  });
  if (!status) return status.error();
  return records;
}

StoreResult<std::size_t> Store::waitingCount() {
  std::lock_guard lock(mutex_);
  std::size_t count = 0;
  StoreStatus status = transaction(false, [&](Connection& c) -> StoreStatus {
    Statement s(c, "SELECT count(*) FROM outbox");
    if (s.step() != SQLITE_ROW) return s.error();
    count = static_cast<std::size_t>(s.integer(0));
    return {};
  });
  if (!status) return status.error();
  return count;
}

StoreStatus Store::forwarded(const std::vector<std::int64_t>& ids) {
  std::lock_guard lock(mutex_);
  return transaction(true, [&](Connection& c) -> StoreStatus {
    for (const std::int64_t id : ids) {
      Statement s(c, "DELETE FROM outbox WHERE run_id = ?");
      s.bind(id);
      if (auto done = s.done(); !done) return done;
    }
    return {};
  });
}

StoreResult<std::size_t> Store::queueAll() {
  std::lock_guard lock(mutex_);
  std::size_t queued = 0;
  StoreStatus status = transaction(true, [&](Connection& c) -> StoreStatus {
    if (auto done = c.file().exec("INSERT OR IGNORE INTO outbox (run_id) SELECT id FROM run");
        !done) {
      return done;
    }
    queued = static_cast<std::size_t>(sqlite3_changes(c.file().db()));
    return {};
  });
  if (!status) return status.error();
  return queued;
}

StoreResult<std::vector<std::string>> Store::blockNumbers(const std::string& printerType) {
  std::lock_guard lock(mutex_);
  std::vector<std::string> numbers;
  StoreStatus status = transaction(false, [&](Connection& c) -> StoreStatus {
    Statement s(c,
                "SELECT number FROM line_number WHERE printer_type = ? AND used_at IS NULL "
                "ORDER BY number");
    s.bind(printerType);
    int rc;
    while ((rc = s.step()) == SQLITE_ROW)
      numbers.push_back(s.text(0));
    if (rc != SQLITE_DONE) return s.error();
    return {};
  });
  if (!status) return status.error();
  return numbers;
}

StoreStatus Store::replaceBlock(const std::string& printerType,
                                const std::vector<std::string>& numbers) {
  std::lock_guard lock(mutex_);
  return transaction(true, [&](Connection& c) -> StoreStatus {
    Statement wipe(c, "DELETE FROM line_number WHERE printer_type = ? AND used_at IS NULL");
    wipe.bind(printerType);
    if (auto done = wipe.done(); !done) return done;
    for (const std::string& number : numbers) {
      // A number used here and not yet reported stays as it is.
      Statement add(c, "INSERT OR IGNORE INTO line_number (number, printer_type) VALUES (?, ?)");
      add.bind(number).bind(printerType);
      if (auto done = add.done(); !done) return done;
    }
    return {};
  });
}

StoreResult<bool> Store::useFromBlock(const std::string& number, std::int64_t atMs) {
  std::lock_guard lock(mutex_);
  bool used = false;
  StoreStatus status = transaction(true, [&](Connection& c) -> StoreStatus {
    Statement s(c, "UPDATE line_number SET used_at = ? WHERE number = ? AND used_at IS NULL");
    s.bind(atMs).bind(number);
    if (auto done = s.done(); !done) return done;
    used = sqlite3_changes(c.file().db()) == 1;
    return {};
  });
  if (!status) return status.error();
  return used;
}

StoreStatus Store::dropFromBlock(const std::string& number) {
  std::lock_guard lock(mutex_);
  return transaction(true, [&](Connection& c) -> StoreStatus {
    Statement s(c, "DELETE FROM line_number WHERE number = ? AND used_at IS NULL");
    s.bind(number);
    return s.done();
  });
}

StoreStatus Store::noteUse(const std::string& number, const std::string& printerType,
                           std::int64_t atMs, std::optional<bool> answer) {
  std::lock_guard lock(mutex_);
  return transaction(true, [&](Connection& c) -> StoreStatus {
    Statement s(c,
                "INSERT INTO line_number (number, printer_type, used_at, answer) VALUES (?, ?, "
                "?, ?) ON CONFLICT (number) DO UPDATE SET used_at = coalesce(used_at, "
                "excluded.used_at), answer = coalesce(excluded.answer, answer), reported = 0");
    s.bind(number).bind(printerType).bind(atMs);
    if (answer) {
      s.bind(std::int64_t{*answer ? 1 : 0});
    } else {
      s.bindNull();
    }
    return s.done();
  });
}

StoreResult<std::vector<Store::BlockUse>> Store::unreportedUses() {
  std::lock_guard lock(mutex_);
  std::vector<BlockUse> uses;
  StoreStatus status = transaction(false, [&](Connection& c) -> StoreStatus {
    Statement s(c,
                "SELECT number, used_at, answer FROM line_number WHERE used_at IS NOT NULL AND "
                "reported = 0 ORDER BY used_at, number");
    int rc;
    while ((rc = s.step()) == SQLITE_ROW) {
      BlockUse use{s.text(0), s.integer(1), std::nullopt};
      if (!s.isNull(2)) use.answer = s.integer(2) != 0;
      uses.push_back(std::move(use));
    }
    if (rc != SQLITE_DONE) return s.error();
    return {};
  });
  if (!status) return status.error();
  return uses;
}

StoreStatus Store::reported(const std::vector<std::string>& numbers) {
  std::lock_guard lock(mutex_);
  return transaction(true, [&](Connection& c) -> StoreStatus {
    for (const std::string& number : numbers) {
      Statement s(c, "DELETE FROM line_number WHERE number = ? AND used_at IS NOT NULL");
      s.bind(number);
      if (auto done = s.done(); !done) return done;
    }
    return {};
  });
}

}  // namespace tallowick::history
