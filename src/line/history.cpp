#include "line/history.h"

#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>
#include <set>

#include "platform/own_text.h"
#include "platform/utf8.h"

namespace tallowick::line {

using history::Detail;
using history::Filter;
using history::Record;

namespace {

// A batch: one statement, one transaction, a few megabytes on the wire.
constexpr std::size_t kBatchBytes = std::size_t{4} << 20;
constexpr std::size_t kBatchRecords = 1000;

// The records of a batch, given as one JSON array, inserted with their logs and steps in
// one statement; the identities the line holds already are skipped.
constexpr const char* kForward = R"sql(
WITH input AS (
  SELECT * FROM json_to_recordset($1::json) AS r (
    uid uuid, station text, kind text, started_at bigint, ended_at bigint,
    utc_offset_minutes integer, computer text, user_name text, port text, model text,
    firmware text, country text, serial_number text, passes text, pause_ms text,
    outcome text, message text, error_count integer, duration_ms bigint, language text,
    log json, steps json)
), added AS (
  INSERT INTO tallowick.run (uid, station, kind, started_at, ended_at, utc_offset_minutes,
                             computer, user_name, port, model, firmware, country,
                             serial_number, passes, pause_ms, outcome, message, error_count,
                             duration_ms, language)
  SELECT uid, station, kind, started_at, ended_at, utc_offset_minutes, computer, user_name,
         port, model, firmware, country, serial_number, passes, pause_ms, outcome, message,
         error_count, duration_ms, language
    FROM input
  ON CONFLICT (uid) DO NOTHING
  RETURNING id, uid
), details AS (
  INSERT INTO tallowick.run_detail (run_id, log, steps)
  SELECT a.id, i.log::jsonb, i.steps::jsonb FROM added a JOIN input i USING (uid)
)
SELECT count(*) FROM added
)sql";

constexpr const char* kRunColumns =
    "id, uid::text, station, kind, started_at, ended_at, utc_offset_minutes, computer, "
    "user_name, port, model, firmware, country, serial_number, passes, pause_ms, outcome, "
    "message, error_count, duration_ms, language";

// The columns of history::RunFacts. The first titled step that did not succeed is looked for
// only in the records that did not end finished, which are few.
constexpr const char* kFactsColumns =
    "id, kind, started_at, utc_offset_minutes, station, model, serial_number, outcome, "
    "error_count, duration_ms, CASE WHEN outcome <> 'finished' THEN (SELECT step->>'title' "
    "FROM tallowick.run_detail, jsonb_array_elements(steps) WITH ORDINALITY AS s (step, n) "
    "WHERE run_id = run.id AND step->>'result' <> 'success' ORDER BY n LIMIT 1) END";

// The statement that reads `columns` of the records the filter selects, newest first, with
// its parameters.
std::string selectSql(const char* columns, const Filter& filter, std::vector<Param>& params) {
  std::string sql = std::string("SELECT ") + columns + " FROM tallowick.run WHERE true";
  const auto where = [&](const char* condition, Param value, const char* closing = "") {
    params.push_back(std::move(value));
    sql += std::string(" AND ") + condition + " $" + std::to_string(params.size()) + closing;
  };
  if (filter.fromMs) where("started_at >=", param(*filter.fromMs));
  if (filter.untilMs) where("started_at <", param(*filter.untilMs));
  if (filter.model) where("model =", *filter.model);
  if (filter.serialNumber) where("serial_number =", *filter.serialNumber);
  // strpos rather than LIKE, so that a typed '%' or '_' is a character like any other.
  if (filter.serialPart) where("strpos(serial_number,", *filter.serialPart, ") > 0");
  if (filter.outcome) where("outcome =", std::string(history::outcomeKey(*filter.outcome)));
  if (filter.kind) where("kind =", std::string(history::kindKey(*filter.kind)));
  if (filter.station) where("station =", *filter.station);
  sql += " ORDER BY started_at DESC, id DESC";
  if (filter.limit > 0) sql += " LIMIT " + std::to_string(filter.limit);
  return sql;
}

bool uuidText(std::string_view text) {
  if (text.size() != 36) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
    const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (dash ? c != '-' : !hex) return false;
  }
  return true;
}

// A uid as the server writes it.
std::string lowered(std::string uid) {
  for (char& c : uid) {
    if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
  }
  return uid;
}

// A record as one JSON object of the batch, written by hand: a forward of thousands of
// records writes hundreds of megabytes of it. Its texts are UTF-8 (see unforwardable).
class JsonWriter {
 public:
  explicit JsonWriter(std::string& out) : out_(out) {}

  void open(char bracket) {
    comma();
    out_ += bracket;
    first_ = true;
  }
  void close(char bracket) {
    out_ += bracket;
    first_ = false;
  }
  JsonWriter& key(std::string_view name) {
    comma();
    string(name);
    out_ += ':';
    first_ = true;
    return *this;
  }
  void value(std::string_view text) {
    comma();
    string(text);
  }
  void value(std::int64_t number) {
    comma();
    out_ += std::to_string(number);
  }

 private:
  void comma() {
    if (!first_) out_ += ',';
    first_ = false;
  }
  void string(std::string_view text) {
    out_ += '"';
    std::size_t plain = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const auto c = static_cast<unsigned char>(text[i]);
      if (c >= 0x20 && c != '"' && c != '\\') continue;
      out_.append(text, plain, i - plain);
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out_ += escaped;
      plain = i + 1;
    }
    out_.append(text, plain);
    out_ += '"';
  }

  std::string& out_;
  bool first_ = true;
};

void writeRecord(std::string& out, const Record& r) {
  JsonWriter w(out);
  w.open('{');
  const std::pair<const char*, const std::string*> texts[] = {
      {"uid", &r.uid},           {"station", &r.station},  {"computer", &r.computer},
      {"user_name", &r.user},    {"port", &r.port},        {"model", &r.model},
      {"firmware", &r.firmware}, {"country", &r.country},  {"serial_number", &r.serialNumber},
      {"passes", &r.passes},     {"pause_ms", &r.pauseMs}, {"message", &r.message},
      {"language", &r.language}};
  for (const auto& [name, text] : texts)
    w.key(name).value(*text);
  w.key("kind").value(history::kindKey(r.kind));
  w.key("outcome").value(history::outcomeKey(r.outcome));
  w.key("started_at").value(r.startedAtMs);
  w.key("ended_at").value(r.endedAtMs);
  w.key("utc_offset_minutes").value(r.utcOffsetMinutes);
  w.key("error_count").value(r.errorCount);
  w.key("duration_ms").value(r.durationMs);
  w.key("log").open('[');
  for (const std::string& line : r.log)
    w.value(line);
  w.close(']');
  w.key("steps").open('[');
  for (const StepReport& step : r.steps) {
    w.open('{');
    w.key("title").value(step.title);
    w.key("command").value(step.command);
    w.key("result").value(history::stepResultKey(step.result));
    w.key("code").value(step.code);
    w.key("message").value(step.message);
    w.key("elapsed_ms").value(step.elapsedMs);
    w.close('}');
  }
  w.close(']');
  w.close('}');
}

StoreError unreadable(const Connection& c, const std::string& what) {
  return {StoreErrorKind::Damaged,
          withArgs(Text::tr("История базы линии %1 не читается: %2."), {c.server(), what})};
}

// The columns of kRunColumns in `row`.
StoreResult<Record> recordFrom(const Connection& c, const Rows& rows, int row) {
  Record r;
  r.id = rows.integer(row, 0);
  const auto kind = history::kindFromKey(rows.text(row, 3));
  const auto outcome = history::outcomeFromKey(rows.text(row, 16));
  if (!kind || !outcome) return unreadable(c, "запись " + std::to_string(r.id));
  r.uid = rows.text(row, 1);
  r.station = rows.text(row, 2);
  r.kind = *kind;
  r.startedAtMs = rows.integer(row, 4);
  r.endedAtMs = rows.integer(row, 5);
  r.utcOffsetMinutes = static_cast<std::int32_t>(rows.integer(row, 6));
  r.computer = rows.text(row, 7);
  r.user = rows.text(row, 8);
  r.port = rows.text(row, 9);
  r.model = rows.text(row, 10);
  r.firmware = rows.text(row, 11);
  r.country = rows.text(row, 12);
  r.serialNumber = rows.text(row, 13);
  r.passes = rows.text(row, 14);
  r.pauseMs = rows.text(row, 15);
  r.outcome = *outcome;
  r.message = rows.text(row, 17);
  r.errorCount = static_cast<std::int32_t>(rows.integer(row, 18));
  r.durationMs = rows.integer(row, 19);
  r.language = rows.text(row, 20);
  return r;
}

// A step as the line keeps it: an object of the keys jsonOf gives it.
std::optional<StepReport> stepFrom(const nlohmann::json& step) {
  if (!step.is_object()) return std::nullopt;
  const auto text = [&](const char* key) -> const std::string* {
    const auto found = step.find(key);
    return found != step.end() && found->is_string() ? found->get_ptr<const std::string*>()
                                                     : nullptr;
  };
  const auto number = [&](const char* key) -> std::optional<std::int64_t> {
    const auto found = step.find(key);
    if (found == step.end() || !found->is_number_integer()) return std::nullopt;
    return found->get<std::int64_t>();
  };
  const std::string* result = text("result");
  const auto key = result ? history::stepResultFromKey(*result) : std::nullopt;
  const auto command = number("command");
  const auto elapsed = number("elapsed_ms");
  if (!key || !command || !elapsed || !text("title") || !text("code") || !text("message")) {
    return std::nullopt;
  }
  return StepReport{.title = *text("title"),
                    .command = static_cast<std::int32_t>(*command),
                    .result = *key,
                    .code = *text("code"),
                    .message = *text("message"),
                    .elapsedMs = *elapsed};
}

// The logs and steps of the records, read for all of them at once.
StoreStatus readDetail(Connection& c, std::vector<Record>& records) {
  if (records.empty()) return {};
  std::map<std::int64_t, Record*> byId;
  std::string ids = "{";
  for (Record& r : records) {
    byId[r.id] = &r;
    ids += (ids.size() > 1 ? "," : "") + std::to_string(r.id);
  }
  ids += "}";
  auto details = c.query(
      "SELECT run_id, log::text, steps::text FROM tallowick.run_detail "
      "WHERE run_id = ANY ($1::bigint[])",
      {ids});
  if (!details) return details.error();
  const Rows& d = details.value();
  for (int i = 0; i < d.size(); ++i) {
    const std::int64_t id = d.integer(i, 0);
    Record& r = *byId[id];
    const auto log = nlohmann::json::parse(d.text(i, 1), nullptr, false);
    const auto steps = nlohmann::json::parse(d.text(i, 2), nullptr, false);
    bool whole = log.is_array() && steps.is_array();
    for (const auto& line : whole ? log : nlohmann::json::array()) {
      whole = whole && line.is_string();
      if (whole) r.log.push_back(line.get<std::string>());
    }
    for (const auto& step : whole ? steps : nlohmann::json::array()) {
      auto read = stepFrom(step);
      whole = whole && read;
      if (whole) r.steps.push_back(std::move(*read));
    }
    if (!whole) return unreadable(c, "журнал или шаги записи " + std::to_string(id));
  }
  return {};
}

StoreResult<std::vector<Record>> select(Connection& c, const std::string& sql,
                                        const std::vector<Param>& params, Detail detail) {
  auto rows = c.query(sql, params);
  if (!rows) return rows.error();
  std::vector<Record> records;
  records.reserve(static_cast<std::size_t>(rows.value().size()));
  for (int i = 0; i < rows.value().size(); ++i) {
    auto record = recordFrom(c, rows.value(), i);
    if (!record) return record.error();
    records.push_back(std::move(record).value());
  }
  if (detail == Detail::Full) {
    if (auto read = readDetail(c, records); !read) return read.error();
  }
  return records;
}

StoreResult<std::size_t> forwardBatch(Connection& c, const std::string& json) {
  auto added = c.query(kForward, {json});
  if (!added) return added.error();
  return static_cast<std::size_t>(added.value().integer(0, 0));
}

}  // namespace

std::optional<std::string> unforwardable(const Record& record) {
  if (!uuidText(record.uid)) {
    return withArgs(Text::tr("Запись не передана в базу линии: у неё нет опознавательного номера "
                             "(uid «%1»)."),
                    {isUtf8(record.uid) ? record.uid : "?"});
  }
  const auto bad = [](std::string_view text) {
    return !isUtf8(text) || text.find('\0') != std::string_view::npos;
  };
  if (auto field = history::firstText(record, bad)) {
    return withArgs(Text::tr("Запись %1 не передана в базу линии: %2 содержит текст не в кодировке "
                             "UTF-8 или нулевой символ."),
                    {record.uid, *field});
  }
  return std::nullopt;
}

StoreResult<std::size_t> forward(Connection& connection, const std::vector<Record>& records) {
  for (const Record& r : records) {
    if (auto why = unforwardable(r)) return StoreError{StoreErrorKind::Failed, *why};
  }
  if (records.empty()) return std::size_t{0};
  // What the line holds already is not sent again: forwarding after a failure half-way, or
  // by two stations at once, costs little more than a question.
  std::set<std::string> seen;
  std::string uids = "{";
  for (const Record& r : records)
    uids += (uids.size() > 1 ? "," : "") + r.uid;
  auto held = connection.query("SELECT uid::text FROM tallowick.run WHERE uid = ANY ($1::uuid[])",
                               {uids + "}"});
  if (!held) return held.error();
  for (int i = 0; i < held.value().size(); ++i)
    seen.insert(held.value().text(i, 0));
  std::size_t added = 0;
  std::string batch;
  std::size_t inBatch = 0;
  const auto send = [&]() -> StoreStatus {
    if (inBatch == 0) return {};
    batch += ']';
    auto done = forwardBatch(connection, batch);
    batch.clear();
    inBatch = 0;
    if (!done) return done.error();
    added += done.value();
    return {};
  };
  for (const Record& r : records) {
    // A record given twice in one call is one record.
    if (!seen.insert(lowered(r.uid)).second) continue;
    batch += inBatch == 0 ? '[' : ',';
    writeRecord(batch, r);
    if (++inBatch >= kBatchRecords || batch.size() >= kBatchBytes) {
      if (auto sent = send(); !sent) return sent.error();
    }
  }
  if (auto sent = send(); !sent) return sent.error();
  return added;
}

StoreResult<std::vector<Record>> list(Connection& connection, const Filter& filter, Detail detail) {
  std::vector<Param> params;
  return select(connection, selectSql(kRunColumns, filter, params), params, detail);
}

StoreResult<std::vector<history::RunFacts>> facts(Connection& connection, const Filter& filter) {
  std::vector<Param> params;
  auto rows = connection.query(selectSql(kFactsColumns, filter, params), params);
  if (!rows) return rows.error();
  const Rows& r = rows.value();
  std::vector<history::RunFacts> facts;
  facts.reserve(static_cast<std::size_t>(r.size()));
  for (int i = 0; i < r.size(); ++i) {
    history::RunFacts f;
    f.id = r.integer(i, 0);
    const auto kind = history::kindFromKey(r.text(i, 1));
    const auto outcome = history::outcomeFromKey(r.text(i, 7));
    if (!kind || !outcome) return unreadable(connection, "запись " + std::to_string(f.id));
    f.kind = *kind;
    f.startedAtMs = r.integer(i, 2);
    f.utcOffsetMinutes = static_cast<std::int32_t>(r.integer(i, 3));
    f.station = r.text(i, 4);
    f.model = r.text(i, 5);
    f.serialNumber = r.text(i, 6);
    f.outcome = *outcome;
    f.errorCount = static_cast<std::int32_t>(r.integer(i, 8));
    f.durationMs = r.integer(i, 9);
    if (!r.null(i, 10)) f.failedStep = r.text(i, 10);
    facts.push_back(std::move(f));
  }
  return facts;
}

StoreResult<std::optional<Record>> find(Connection& connection, std::int64_t id) {
  auto found =
      select(connection, std::string("SELECT ") + kRunColumns + " FROM tallowick.run WHERE id = $1",
             {param(id)}, Detail::Full);
  if (!found) return found.error();
  if (found.value().empty()) return std::optional<Record>();
  return std::optional<Record>(std::move(found).value().front());
}

}  // namespace tallowick::line
