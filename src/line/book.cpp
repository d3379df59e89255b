#include "line/book.h"

#include <map>

#include "initforms/serial_numbers.h"
#include "initforms/texts.h"
#include "line/texts.h"

namespace tallowick::line {

namespace {

NumberState stateFrom(const Rows& rows, int row, int column) {
  if (rows.null(row, column)) return NumberState::Unknown;
  const std::string state = rows.text(row, column);
  if (state == "free") return NumberState::Free;
  if (state == "reserved") return NumberState::Reserved;
  if (state == "taken") return NumberState::Taken;
  if (state == "used") return NumberState::Used;
  return NumberState::Unknown;
}

// What an operation on a number that answers (o_done, o_state, o_holder) did: nothing to
// report, or the conflict in the words `say` gives it.
template <typename Say>
StoreStatus answered(StoreResult<Rows> rows, const std::string& number, Say say) {
  if (!rows) return rows.error();
  const Rows& r = rows.value();
  if (r.size() == 1 && r.boolean(0, 0)) return {};
  const NumberState state = r.size() == 1 ? stateFrom(r, 0, 1) : NumberState::Unknown;
  const std::string holder = r.size() == 1 ? r.text(0, 2) : "";
  return StoreError{StoreErrorKind::Conflict,
                    state == NumberState::Unknown ? texts::notInBook(number) : say(state, holder)};
}

// A text array parameter: {"a","b"}.
std::string arrayLiteral(const std::vector<std::string>& items) {
  std::string text = "{";
  for (const std::string& item : items) {
    if (text.size() > 1) text += ',';
    text += '"';
    for (const char ch : item) {
      if (ch == '"' || ch == '\\') text += '\\';
      text += ch;
    }
    text += '"';
  }
  return text + "}";
}

std::optional<StoreError> badStation(const std::string& station) {
  if (auto why = texts::stationRefused(station)) return StoreError{StoreErrorKind::Failed, *why};
  return std::nullopt;
}

// The prefix of a known printer type, or the error that names the known ones.
StoreResult<std::string> knownType(const std::string& printerType) {
  if (auto prefix = printerTypePrefix(printerType)) return *prefix;
  return StoreError{StoreErrorKind::Failed, texts::unknownType(printerType)};
}

// A serial number of a known type: its prefix and five digits.
bool bookNumber(std::string_view number) {
  for (const PrinterType& type : kPrinterTypes) {
    if (number.size() == type.prefix.size() + 5 &&
        number.substr(0, type.prefix.size()) == type.prefix &&
        parseBound(number.substr(type.prefix.size()))) {
      return true;
    }
  }
  return false;
}

}  // namespace

std::optional<std::string> printerTypePrefix(std::string_view typeOrItem) {
  for (const PrinterType& type : kPrinterTypes) {
    if (typeOrItem == type.prefix || typeOrItem == type.item) return std::string(type.prefix);
  }
  return std::nullopt;
}

StoreResult<BookLists> Book::lists(const std::string& station) {
  if (auto bad = badStation(station)) return *bad;
  auto rows = c_.query(
      "SELECT number, printer_type, state, station = $1 FROM tallowick.serial_number "
      "ORDER BY number COLLATE \"C\"",
      {station});
  if (!rows) return rows.error();
  const Rows& r = rows.value();
  BookLists lists;
  std::map<std::string, TypeCounts> counts;
  for (int i = 0; i < r.size(); ++i) {
    TypeCounts& type = counts[r.text(i, 1)];
    const bool here = !r.null(i, 3) && r.boolean(i, 3);
    switch (stateFrom(r, i, 2)) {
      case NumberState::Free:
        ++type.free;
        lists.toInitialise.push_back(r.text(i, 0));
        break;
      case NumberState::Reserved:
        ++(here ? type.reservedHere : type.reservedElsewhere);
        if (here) lists.toInitialise.push_back(r.text(i, 0));
        break;
      case NumberState::Taken:
        ++type.taken;
        break;
      case NumberState::Used:
        ++type.used;
        lists.initialised.push_back(r.text(i, 0));
        break;
      case NumberState::Unknown:
        break;
    }
  }
  sortSerials(lists.toInitialise);
  sortSerials(lists.initialised);
  for (const PrinterType& known : kPrinterTypes) {
    auto found = counts.find(std::string(known.prefix));
    if (found == counts.end()) continue;
    found->second.printerType = found->first;
    lists.counts.push_back(found->second);
    counts.erase(found);
  }
  for (auto& [prefix, type] : counts) {
    type.printerType = prefix;
    lists.counts.push_back(type);
  }
  return lists;
}

StoreStatus Book::take(const std::string& station, const std::string& number) {
  if (auto bad = badStation(station)) return *bad;
  if (!bookNumber(number)) return StoreError{StoreErrorKind::Conflict, texts::notInBook(number)};
  return answered(c_.query("SELECT * FROM tallowick.take($1, $2)", {station, number}), number,
                  [&](NumberState state, const std::string& holder) {
                    return texts::notTaken(number, station, state, holder);
                  });
}

StoreResult<std::string> Book::takeNext(const std::string& station,
                                        const std::string& printerType) {
  if (auto bad = badStation(station)) return *bad;
  auto prefix = knownType(printerType);
  if (!prefix) return prefix.error();
  auto rows = c_.query("SELECT tallowick.take_next($1, $2)", {station, prefix.value()});
  if (!rows) return rows.error();
  if (rows.value().size() != 1 || rows.value().null(0, 0)) {
    return StoreError{StoreErrorKind::Conflict, texts::noneLeft(prefix.value())};
  }
  return rows.value().text(0, 0);
}

StoreStatus Book::markUsed(const std::string& station, const std::string& number) {
  if (auto bad = badStation(station)) return *bad;
  if (!bookNumber(number)) return StoreError{StoreErrorKind::Conflict, texts::notInBook(number)};
  return answered(c_.query("SELECT * FROM tallowick.mark_used($1, $2)", {station, number}), number,
                  [&](NumberState state, const std::string& holder) {
                    return texts::notMarkedUsed(number, station, state, holder);
                  });
}

StoreStatus Book::confirm(const std::string& station, const std::string& number, bool correct) {
  if (auto bad = badStation(station)) return *bad;
  if (!bookNumber(number)) return StoreError{StoreErrorKind::Conflict, texts::notInBook(number)};
  return answered(c_.query("SELECT * FROM tallowick.confirm($1, $2, $3)",
                           {station, number, std::string(correct ? "true" : "false")}),
                  number, [&](NumberState state, const std::string& holder) {
                    return texts::notConfirmed(number, station, state, holder);
                  });
}

StoreResult<std::vector<std::string>> Book::reserveBlock(const std::string& station,
                                                         const std::string& printerType, int size) {
  if (auto bad = badStation(station)) return *bad;
  auto prefix = knownType(printerType);
  if (!prefix) return prefix.error();
  if (size < 0 || size > 1000) {
    return StoreError{StoreErrorKind::Failed, texts::badBlockSize(size)};
  }
  auto rows = c_.query("SELECT tallowick.reserve_block($1, $2, $3)",
                       {station, prefix.value(), param(size)});
  if (!rows) return rows.error();
  std::vector<std::string> block;
  for (int i = 0; i < rows.value().size(); ++i)
    block.push_back(rows.value().text(i, 0));
  return block;
}

StoreResult<std::vector<NumberConflict>> Book::reportUsed(const std::string& station,
                                                          const std::vector<UsedNumber>& used) {
  if (auto bad = badStation(station)) return *bad;
  std::vector<NumberConflict> conflicts;
  std::vector<std::string> numbers;
  std::string times = "{";
  for (const UsedNumber& u : used) {
    // A text that is no number of the book cannot be on the line.
    if (!bookNumber(u.number)) {
      conflicts.push_back(
          {u.number, NumberState::Unknown, "",
           texts::usedOfflineConflict(u.number, station, NumberState::Unknown, "")});
      continue;
    }
    numbers.push_back(u.number);
    times += (times.size() > 1 ? "," : "") + std::to_string(u.atMs);
  }
  times += "}";
  if (numbers.empty()) return conflicts;
  auto rows = c_.query("SELECT * FROM tallowick.report_used($1, $2::text[], $3::bigint[])",
                       {station, arrayLiteral(numbers), times});
  if (!rows) return rows.error();
  const Rows& r = rows.value();
  for (int i = 0; i < r.size(); ++i) {
    NumberConflict conflict{r.text(i, 0), stateFrom(r, i, 1), r.text(i, 2), ""};
    conflict.message =
        texts::usedOfflineConflict(conflict.number, station, conflict.state, conflict.holder);
    conflicts.push_back(std::move(conflict));
  }
  return conflicts;
}

StoreResult<AddedRange> Book::addRange(const std::string& printerType, int from, int to) {
  auto prefix = knownType(printerType);
  if (!prefix) return prefix.error();
  if (from < 0 || to > kMaxBound || to < from) {
    return StoreError{StoreErrorKind::Failed, std::string(tallowick::texts::kBadRange)};
  }
  auto rows = c_.query(
      "SELECT a.o_added, e.number FROM tallowick.add_range($1, $2, $3) a "
      "LEFT JOIN LATERAL unnest(a.o_existing) WITH ORDINALITY e (number, position) ON true "
      "ORDER BY e.position",
      {prefix.value(), param(from), param(to)});
  if (!rows) return rows.error();
  const Rows& r = rows.value();
  AddedRange added;
  for (int i = 0; i < r.size(); ++i) {
    added.added = static_cast<std::size_t>(r.integer(i, 0));
    if (!r.null(i, 1)) added.existing.push_back(r.text(i, 1));
  }
  return added;
}

StoreStatus Book::release(const std::string& number, const std::string& reason) {
  if (reason.find_first_not_of(" \t\r\n") == std::string::npos) {
    return StoreError{StoreErrorKind::Failed, texts::releaseWithoutReason(number)};
  }
  if (!bookNumber(number)) return StoreError{StoreErrorKind::Conflict, texts::notInBook(number)};
  return answered(c_.query("SELECT * FROM tallowick.release($1, $2)", {number, reason}), number,
                  [&](NumberState, const std::string&) { return texts::alreadyFree(number); });
}

StoreResult<ImportReport> importBook(Connection& connection, const SerialLists& local,
                                     const std::string& station) {
  if (auto bad = badStation(station)) return *bad;
  ImportReport report;
  const auto sendable = [&](const std::vector<std::string>& list) {
    std::vector<std::string> numbers;
    for (const std::string& number : list) {
      if (bookNumber(number)) {
        numbers.push_back(number);
      } else {
        report.refused.push_back(number);
      }
    }
    return numbers;
  };
  auto rows = connection.query("SELECT * FROM tallowick.import_book($1, $2::text[], $3::text[])",
                               {station, arrayLiteral(sendable(local.shouldInit)),
                                arrayLiteral(sendable(local.alreadyInit))});
  if (!rows) return rows.error();
  const Rows& r = rows.value();
  for (int i = 0; i < r.size(); ++i) {
    const std::string outcome = r.text(i, 2);
    const bool toInitialise = r.text(i, 1) == "should";
    if (outcome == "added") {
      ++report.added;
    } else if (outcome == "added_used") {
      ++report.addedUsed;
    } else if (outcome == "marked_used") {
      ++report.markedUsed;
    } else if (outcome == "present") {
      ++report.unchanged;
    } else {
      NumberConflict conflict{r.text(i, 0), stateFrom(r, i, 3), r.text(i, 4), ""};
      conflict.message =
          texts::importConflict(conflict.number, toInitialise, conflict.state, conflict.holder);
      (toInitialise ? report.toInitialiseConflicts : report.initialisedConflicts)
          .push_back(std::move(conflict));
    }
  }
  return report;
}

}  // namespace tallowick::line
