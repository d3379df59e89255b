// The book of factory serial numbers on the line, shared by every station. A number is
// free, in one station's reserved block (for when the server is away), taken by one station
// right before its printer hears it, or used (sent to a printer) for good; only an
// administrator's release, with a reason kept for good, makes it free again. Every change
// is made by the server in one call, so that no number is ever given twice.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "initforms/serial_store.h"
#include "line/connection.h"

namespace tallowick::line {

enum class NumberState : std::uint8_t {
  Unknown,  // not in the book
  Free,
  Reserved,
  Taken,
  Used,
};

// A number the line would not change as asked, as the line has it.
struct NumberConflict {
  std::string number;
  NumberState state = NumberState::Unknown;
  std::string holder;   // the station that holds it, when it is not free
  std::string message;  // a sentence for a message box
  bool operator==(const NumberConflict&) const = default;
};

// The numbers of one printer type (its prefix) in each state.
struct TypeCounts {
  std::string printerType;
  std::size_t free = 0;
  std::size_t reservedHere = 0;  // in the asking station's block
  std::size_t reservedElsewhere = 0;
  std::size_t taken = 0;
  std::size_t used = 0;
  bool operator==(const TypeCounts&) const = default;
};

// The book as a station's book window shows it, each list in the windows' order.
struct BookLists {
  // "К инициализации": the free numbers and the station's own reserved ones.
  std::vector<std::string> toInitialise;
  // "Инициализация уже выполнена": the used numbers.
  std::vector<std::string> initialised;
  // By printer type, in the order of kPrinterTypes.
  std::vector<TypeCounts> counts;
};

// A number a station sent to a printer from its block while the server was away.
struct UsedNumber {
  std::string number;
  std::int64_t atMs = 0;  // milliseconds since 1970-01-01 UTC
};

struct AddedRange {
  std::size_t added = 0;
  // The numbers of the range that the book held already, in order: left as they were.
  std::vector<std::string> existing;
};

// What a station's own book brought to the line.
struct ImportReport {
  std::size_t added = 0;       // numbers to initialise new to the line: free
  std::size_t addedUsed = 0;   // initialised numbers new to the line: used by the station
  std::size_t markedUsed = 0;  // initialised numbers the line had free or in the station's
                               // hands: now used by it
  std::size_t unchanged = 0;   // already on the line as the station's book has them
  // Numbers used on the line, or held by another station: left as the line has them.
  std::vector<NumberConflict> toInitialiseConflicts;
  std::vector<NumberConflict> initialisedConflicts;
  // Texts of the station's book that are no serial numbers of a known printer type.
  std::vector<std::string> refused;
};

// The prefix of a printer type's numbers ("ЕД800"), by its prefix or its item's name;
// nothing for a type the book does not know.
std::optional<std::string> printerTypePrefix(std::string_view typeOrItem);

// The book's operations for the stations and the administrator. `station` names the
// station (the computer's name or the one given); the login user is recorded beside it.
class Book {
 public:
  explicit Book(Connection& connection) : c_(connection) {}

  StoreResult<BookLists> lists(const std::string& station);
  // Takes `number` for the station, right before its printer hears it: only when it is
  // free, in the station's block, or already taken by it (taking twice is harmless).
  // Otherwise a Conflict that says who holds it.
  StoreStatus take(const std::string& station, const std::string& number);
  // Takes the lowest number of the type that the station may take: its own block first,
  // then a free one. A Conflict when there is none.
  StoreResult<std::string> takeNext(const std::string& station, const std::string& printerType);
  // The number was sent to a printer: used for good (again: harmless).
  StoreStatus markUsed(const std::string& station, const std::string& number);
  // The user's answer "Правильный" (true) or "Неправильный" (false) about the printer the
  // number was written into; the number is used either way.
  StoreStatus confirm(const std::string& station, const std::string& number, bool correct);
  // Tops the station's block of the type up to `size` numbers (0 to 1000), lowest free
  // first, and gives every number the block holds, in order.
  StoreResult<std::vector<std::string>> reserveBlock(const std::string& station,
                                                     const std::string& printerType, int size);
  // Numbers the station used from its block while the server was away: those it held are
  // used now (reporting again is harmless); each other one comes back as a conflict and is
  // changed in nothing.
  StoreResult<std::vector<NumberConflict>> reportUsed(const std::string& station,
                                                      const std::vector<UsedNumber>& used);

  // The administrator's: adds the numbers from..to of the type as free; numbers already in
  // the book are counted apart and never changed.
  StoreResult<AddedRange> addRange(const std::string& printerType, int from, int to);
  // Makes a number that is not free free again; `reason` must say why, and is kept with
  // who released it and when.
  StoreStatus release(const std::string& number, const std::string& reason);

 private:
  Connection& c_;
};

// A station's own book joins the line (the administrator's): its numbers "К инициализации"
// are added as free where the line lacks them, its numbers "Инициализация уже выполнена"
// become used by the station where the line lacks them, has them free or in the station's
// hands. Nothing else is changed: every other number is reported.
StoreResult<ImportReport> importBook(Connection& connection, const SerialLists& local,
                                     const std::string& station);

}  // namespace tallowick::line
