// What the history window and `tallowick-cli history` ask of the history, answered alike
// for both: the filter that the entries of a user describe, the records it selects, one
// record, and a selection exported to a file or a stream. Looking at a history never makes
// one: a history not yet written reads as empty.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

#include "history/exports.h"
#include "history/history_store.h"

namespace tallowick::history {

// The entries of a filter as typed; an empty entry is not given.
struct FilterEntries {
  std::string from;
  std::string until;
  std::string model;
  std::string serialNumber;
  std::string serialPart;
  std::string station;
  std::string outcome;  // a key: finished, aborted, ...
  std::string kind;     // a key: testrun, init
  std::string limit;
};

// How dates are typed: "2026-12-07" or "2026-12-07 09:05" (the command line), or
// "07.12.2026" (the windows).
enum class DateForm : std::uint8_t { Iso, Workshop };

enum class FilterField : std::uint8_t { From, Until, Outcome, Kind, Limit };

// An entry that cannot be used, and which.
struct FilterRefusal {
  FilterField field;
  std::string entry;
};

// The filter the entries describe: dates of this computer's clock from the start of the day
// (or minute) of `from` to the end of that of `until`; `defaultLimit` when no limit is
// typed.
std::variant<Filter, FilterRefusal> readFilter(const FilterEntries& entries, DateForm form,
                                               std::size_t defaultLimit);

// A range that ends before it begins finds nothing, which a window says rather than shows.
bool endsBeforeItBegins(const Filter& filter);

// The records chosen for an export: those a filter selects, or those with these ids in
// this order.
using Selection = std::variant<Filter, std::vector<std::int64_t>>;

struct ExportOutcome {
  enum class Failure : std::uint8_t { None, File, History };
  Failure failure = Failure::None;
  std::string message;  // the sentence of the failure
  std::size_t records = 0;
  explicit operator bool() const { return failure == Failure::None; }
};

// Whether `record` is one that `filter` selects (its limit aside).
bool selects(const Filter& filter, const Record& record);

// The line's history, read in place of the station's own when the station is on a line.
class LineHistory {
 public:
  virtual ~LineHistory() = default;
  virtual StoreResult<std::vector<Record>> list(const Filter& filter, Detail detail) = 0;
  virtual StoreResult<std::optional<Record>> find(std::int64_t id) = 0;
  virtual StoreResult<std::vector<RunFacts>> facts(const Filter& filter) = 0;
};

class Query {
 public:
  // `store`: the station's history; nothing when there is no place for one, `unavailable`
  // says why. `line`: the line's history, read in its place with the station's records that
  // still wait in its outbox (marked, their ids negated); when the line cannot be reached
  // the station's own history is read, and note() says so.
  Query(Store* store, std::string unavailable, LineHistory* line = nullptr);

  // The records the filter selects, newest first: for a list without their logs and steps,
  // or whole.
  StoreResult<std::vector<Record>> list(const Filter& filter, Detail detail = Detail::Summary);
  // What the figures need of the records the filter selects: with a limit the newest by
  // their start, in any order.
  StoreResult<std::vector<RunFacts>> facts(const Filter& filter);
  // One record with its log and steps; nothing when there is none with that id.
  StoreResult<std::optional<Record>> find(std::int64_t id);
  // The selection in `format`, written whole to `path` (the file is made ready before
  // anything is read, so that a file that cannot be written is known first) or to `out`.
  ExportOutcome exportTo(Format format, const Selection& selection, const std::string& path);
  StoreResult<std::size_t> exportTo(Format format, const Selection& selection, std::ostream& out);

  // What the user should know of the last read: the history read is the station's own
  // because the line could not be reached. Empty when there is nothing to say.
  const std::string& note() const { return note_; }

 private:
  // The records the filter selects on the line (`remote` reads them), with the station's
  // waiting ones (`waiting` makes a row of one); nothing when the line could not be reached
  // (note() says why).
  template <typename Row, typename Remote, typename Waiting>
  std::optional<StoreResult<std::vector<Row>>> fromLine(const Filter& filter, Remote&& remote,
                                                        Waiting&& waiting);
  std::optional<StoreResult<std::vector<Record>>> fromLine(const Filter& filter, Detail detail);
  StoreResult<std::vector<Record>> fromStation(const Filter& filter, Detail detail);
  // False when there is no history to read, or none has been written yet.
  bool written() const;
  StoreResult<std::vector<Record>> chosen(const Selection& selection);

  Store* store_;
  std::string unavailable_;
  LineHistory* line_;
  std::string note_;
};

}  // namespace tallowick::history
