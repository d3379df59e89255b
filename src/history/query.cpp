#include "history/query.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <sstream>

#include "platform/wall_clock.h"
#include "platform/whole_file.h"

namespace tallowick::history {

namespace {

using platform::LocalDateTime;

// Digits only, exactly `count` of them, from `at`.
bool digits(std::string_view text, std::size_t at, std::size_t count, int& value) {
  if (at + count > text.size()) return false;
  value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  return true;
}

// A date (and for the command line a minute) as typed; `minute` says whether a time of day
// was given.
std::optional<LocalDateTime> parseDate(std::string_view text, DateForm form, bool& minute) {
  LocalDateTime t;
  minute = false;
  if (form == DateForm::Workshop) {
    if (text.size() != 10 || text[2] != '.' || text[5] != '.' || !digits(text, 0, 2, t.day) ||
        !digits(text, 3, 2, t.month) || !digits(text, 6, 4, t.year)) {
      return std::nullopt;
    }
    return t;
  }
  if ((text.size() != 10 && text.size() != 16) || text[4] != '-' || text[7] != '-' ||
      !digits(text, 0, 4, t.year) || !digits(text, 5, 2, t.month) || !digits(text, 8, 2, t.day)) {
    return std::nullopt;
  }
  if (text.size() == 16) {
    if (text[10] != ' ' || text[13] != ':' || !digits(text, 11, 2, t.hour) ||
        !digits(text, 14, 2, t.minute)) {
      return std::nullopt;
    }
    minute = true;
  }
  return t;
}

// The start of the day or minute typed, or with `end` the start of the next one, whatever
// length a change of summer time gives that day; nothing for a day that does not exist.
std::optional<std::int64_t> boundOf(const std::string& text, DateForm form, bool end) {
  bool minute = false;
  const auto typed = parseDate(text, form, minute);
  if (!typed) return std::nullopt;
  const auto start = platform::msOfLocalTime(*typed);
  if (!start || !end) return start;
  LocalDateTime next = *typed;
  ++(minute ? next.minute : next.day);
  return platform::msOfLocalTime(next, false);
}

}  // namespace

std::variant<Filter, FilterRefusal> readFilter(const FilterEntries& e, DateForm form,
                                               std::size_t defaultLimit) {
  Filter f;
  if (!e.from.empty()) {
    f.fromMs = boundOf(e.from, form, false);
    if (!f.fromMs) return FilterRefusal{FilterField::From, e.from};
  }
  if (!e.until.empty()) {
    f.untilMs = boundOf(e.until, form, true);
    if (!f.untilMs) return FilterRefusal{FilterField::Until, e.until};
  }
  if (!e.model.empty()) f.model = e.model;
  if (!e.serialNumber.empty()) f.serialNumber = e.serialNumber;
  if (!e.serialPart.empty()) f.serialPart = e.serialPart;
  if (!e.station.empty()) f.station = e.station;
  if (!e.outcome.empty()) {
    f.outcome = outcomeFromKey(e.outcome);
    if (!f.outcome) return FilterRefusal{FilterField::Outcome, e.outcome};
  }
  if (!e.kind.empty()) {
    f.kind = kindFromKey(e.kind);
    if (!f.kind) return FilterRefusal{FilterField::Kind, e.kind};
  }
  f.limit = defaultLimit;
  if (!e.limit.empty()) {
    const char* end = e.limit.data() + e.limit.size();
    const auto [stop, ec] = std::from_chars(e.limit.data(), end, f.limit);
    if (ec != std::errc{} || stop != end) return FilterRefusal{FilterField::Limit, e.limit};
  }
  return f;
}

bool endsBeforeItBegins(const Filter& filter) {
  return filter.fromMs && filter.untilMs && *filter.fromMs >= *filter.untilMs;
}

bool selects(const Filter& f, const Record& r) {
  return (!f.fromMs || r.startedAtMs >= *f.fromMs) && (!f.untilMs || r.startedAtMs < *f.untilMs) &&
         (!f.model || r.model == *f.model) &&
         (!f.serialNumber || r.serialNumber == *f.serialNumber) &&
         (!f.serialPart || r.serialNumber.find(*f.serialPart) != std::string::npos) &&
         (!f.outcome || r.outcome == *f.outcome) && (!f.kind || r.kind == *f.kind) &&
         (!f.station || r.station == *f.station);
}

Query::Query(Store* store, std::string unavailable, LineHistory* line)
    : store_(store), unavailable_(std::move(unavailable)), line_(line) {}

StoreResult<std::vector<Record>> Query::fromStation(const Filter& filter, Detail detail) {
  if (!store_) return StoreError{StoreErrorKind::Unavailable, unavailable_};
  if (!written()) return std::vector<Record>{};
  return store_->list(filter, detail);
}

template <typename Row, typename Remote, typename Waiting>
std::optional<StoreResult<std::vector<Row>>> Query::fromLine(const Filter& filter, Remote&& remote,
                                                             Waiting&& waiting) {
  note_.clear();
  if (!line_) return std::nullopt;
  StoreResult<std::vector<Row>> held = remote(*line_);
  if (!held && held.error().kind == StoreErrorKind::Unavailable) {
    note_ = "База линии недоступна, показана история этой станции: " + held.error().message;
    return std::nullopt;
  }
  if (!held || !store_ || !written()) return held;
  auto pending = store_->waiting(0);
  if (!pending) return pending.error();
  std::vector<Row> rows = std::move(held).value();
  for (Record& r : std::move(pending).value()) {
    if (!selects(filter, r)) continue;
    r.id = -r.id;
    r.waiting = true;
    rows.push_back(waiting(std::move(r)));
  }
  std::stable_sort(rows.begin(), rows.end(),
                   [](const Row& a, const Row& b) { return a.startedAtMs > b.startedAtMs; });
  if (filter.limit > 0 && rows.size() > filter.limit) rows.resize(filter.limit);
  return rows;
}

std::optional<StoreResult<std::vector<Record>>> Query::fromLine(const Filter& filter,
                                                                Detail detail) {
  return fromLine<Record>(
      filter, [&](LineHistory& line) { return line.list(filter, detail); },
      [detail](Record&& r) {
        if (detail == Detail::Summary) {
          r.log.clear();
          r.steps.clear();
        }
        return std::move(r);
      });
}

bool Query::written() const {
  std::error_code ec;
  return store_ && std::filesystem::exists(store_->file(), ec);
}

StoreResult<std::vector<Record>> Query::list(const Filter& filter, Detail detail) {
  if (auto remote = fromLine(filter, detail)) return std::move(*remote);
  return fromStation(filter, detail);
}

StoreResult<std::vector<RunFacts>> Query::facts(const Filter& filter) {
  if (auto remote = fromLine<RunFacts>(
          filter, [&](LineHistory& line) { return line.facts(filter); },
          [](Record&& r) { return factsOf(r); })) {
    return std::move(*remote);
  }
  if (!store_) return StoreError{StoreErrorKind::Unavailable, unavailable_};
  if (!written()) return std::vector<RunFacts>{};
  return store_->facts(filter);
}

StoreResult<std::optional<Record>> Query::find(std::int64_t id) {
  note_.clear();
  // A record still waiting in the outbox is the station's, by its own id.
  bool waiting = line_ && id < 0;
  if (line_ && id > 0) {
    auto remote = line_->find(id);
    if (remote || remote.error().kind != StoreErrorKind::Unavailable) return remote;
    // The list the id came from was the station's own.
    note_ = "База линии недоступна, показана история этой станции: " + remote.error().message;
  }
  if (!store_) return StoreError{StoreErrorKind::Unavailable, unavailable_};
  if (!written()) return std::optional<Record>{};
  auto found = store_->find(waiting ? -id : id);
  if (!found) return found.error();
  std::optional<Record> record = std::move(found).value();
  if (record && waiting) {
    record->id = id;
    record->waiting = true;
  }
  return record;
}

StoreResult<std::vector<Record>> Query::chosen(const Selection& selection) {
  std::vector<Record> records;
  if (const auto* filter = std::get_if<Filter>(&selection)) {
    if (auto remote = fromLine(*filter, Detail::Full)) return std::move(*remote);
    if (!store_) return StoreError{StoreErrorKind::Unavailable, unavailable_};
    if (!written()) return records;
    const StoreStatus read = store_->forEach(*filter, Detail::Full, [&](const Record& r) {
      records.push_back(r);
      return true;
    });
    if (!read) return read.error();
    return records;
  }
  for (const std::int64_t id : std::get<std::vector<std::int64_t>>(selection)) {
    auto found = find(id);
    if (!found) return found.error();
    if (found.value()) records.push_back(*found.value());
  }
  return records;
}

ExportOutcome Query::exportTo(Format format, const Selection& selection, const std::string& path) {
  using Failure = ExportOutcome::Failure;
  WholeFile target;
  if (auto refused = target.open(path)) return {Failure::File, refused->message, 0};
  auto records = chosen(selection);
  if (!records) {
    target.discard();
    return {Failure::History, records.error().message, 0};
  }
  std::ostringstream bytes;
  exportRecords(format, records.value(), bytes);
  target.write(bytes.str());
  if (auto problem = target.commit()) return {Failure::File, problem->message, 0};
  return {Failure::None, {}, records.value().size()};
}

StoreResult<std::size_t> Query::exportTo(Format format, const Selection& selection,
                                         std::ostream& out) {
  auto records = chosen(selection);
  if (!records) return records.error();
  exportRecords(format, records.value(), out);
  return records.value().size();
}

}  // namespace tallowick::history
