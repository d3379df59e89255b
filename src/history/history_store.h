// The history: every record in one SQLite file, appended one whole record at a time, and
// read back newest first with filters. A file that is not a whole history of this program
// in a format it knows is reported and never written.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "history/record.h"
#include "platform/store_result.h"

namespace tallowick::history {

namespace detail {
class Connection;
// The order of a long read: the newest start first, or the last added first, which the
// file gives without an index.
enum class Order : std::uint8_t { Started, Added };
}  // namespace detail

struct StoreOptions {
  // How long an operation waits for another program or thread that holds the file.
  int busyTimeoutMs = 5000;
};

// Which records to read. Every condition given must hold; times are those of the start.
struct Filter {
  std::optional<std::int64_t> fromMs;   // started at or after
  std::optional<std::int64_t> untilMs;  // started before
  std::optional<std::string> model;
  std::optional<std::string> serialNumber;
  // A part of the serial number, anywhere in it ("105" finds ЕД80010512): the windows' search.
  std::optional<std::string> serialPart;
  std::optional<Outcome> outcome;
  std::optional<Kind> kind;
  std::optional<std::string> station;
  // At most this many records (0: no limit).
  std::size_t limit = 100;
};

enum class Forwarding : std::uint8_t {
  None,   // the station works alone
  Queue,  // the record waits in the outbox until the line database holds it
};

enum class Detail : std::uint8_t {
  Summary,  // without the log and the steps, for a list
  Full,     // with them, for one record and the exports
};

// What the figures of a selection need of one record, read without its log: a selection of
// years is counted without reading what makes most of a record.
struct RunFacts {
  std::int64_t id = 0;
  Kind kind = Kind::TestRun;
  std::int64_t startedAtMs = 0;
  std::int32_t utcOffsetMinutes = 0;
  std::string station;
  std::string model;
  std::string serialNumber;
  Outcome outcome = Outcome::Finished;
  std::int32_t errorCount = 0;
  std::int64_t durationMs = 0;
  // For a record that did not end `finished`, the title of its first titled step whose
  // result is not success; nothing otherwise, and nothing when every titled step succeeded.
  std::optional<std::string> failedStep;
  bool operator==(const RunFacts&) const = default;
};

// The facts of a whole record, as the history reads them.
RunFacts factsOf(const Record& record);

class Store {
 public:
  // Marks the file as this program's history, so that a foreign database is never taken
  // for it.
  static constexpr std::int32_t kApplicationId = 0x544C5748;  // "TLWH"
  // 2: the user who ran it; 3: each record's identity and station, and the outbox to the
  // line database. A file of an older format is brought up to date when it is opened for
  // writing; read where it may not be written, its records lack what it lacks.
  static constexpr std::int32_t kSchemaVersion = 4;

  // The file is opened, checked and, when it does not exist, made at the first
  // operation; a failed open is tried again at the next one. One store may be used from
  // several threads; several stores and processes may share one file. Where the history
  // lives by default: platform::dataFile(DataFile::History).
  explicit Store(std::filesystem::path file, StoreOptions options = {});
  ~Store();
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  const std::filesystem::path& file() const { return file_; }

  // Appends the record in one transaction and gives back its id: afterwards the history
  // holds it whole, or, on an error, exactly what it held before. Its texts must be UTF-8.
  // A record the history holds already (the same identity) is not added again: its id
  // comes back. With Forwarding::Queue it also waits in the outbox for the line database.
  StoreResult<std::int64_t> append(const Record& record, Forwarding forwarding = Forwarding::None);
  // The records the filter selects, newest first.
  StoreResult<std::vector<Record>> list(const Filter& filter, Detail detail = Detail::Summary);
  // The same, handed over a page at a time, so that a long export never keeps appenders
  // waiting; `take` returns false to stop early.
  StoreStatus forEach(const Filter& filter, Detail detail,
                      const std::function<bool(const Record&)>& take);
  // One record with its log and steps; nothing when there is none with that id.
  StoreResult<std::optional<Record>> find(std::int64_t id);
  // The facts of the records the filter selects: with a limit the newest by their start,
  // in any order.
  StoreResult<std::vector<RunFacts>> facts(const Filter& filter);

  // The outbox to the line database: the oldest `limit` records waiting (0: all), whole; how many
  // wait; those the line holds now leave it; every record joins it (a station that joins
  // the line), and how many were not waiting yet.
  StoreResult<std::vector<Record>> waiting(std::size_t limit);
  StoreResult<std::size_t> waitingCount();
  StoreStatus forwarded(const std::vector<std::int64_t>& ids);
  StoreResult<std::size_t> queueAll();

  // The station's block of the line's book, for when the line is away: the numbers of
  // `printerType` it holds and has not used, in order; a new block from the line (the
  // numbers used meanwhile stay used); a number taken from it, now used (false when the
  // block does not hold it unused); a number used, or the user's answer about it, that the
  // line could not be told at once; what the line has not heard of yet; what it has heard
  // of now.
  StoreResult<std::vector<std::string>> blockNumbers(const std::string& printerType);
  StoreStatus replaceBlock(const std::string& printerType, const std::vector<std::string>& numbers);
  StoreResult<bool> useFromBlock(const std::string& number, std::int64_t atMs);
  // A number the line gave the station itself: no longer in the block.
  StoreStatus dropFromBlock(const std::string& number);
  StoreStatus noteUse(const std::string& number, const std::string& printerType, std::int64_t atMs,
                      std::optional<bool> answer = std::nullopt);
  struct BlockUse {
    std::string number;
    std::int64_t atMs = 0;
    std::optional<bool> answer;  // "Правильный" or "Неправильный", when the user answered
  };
  StoreResult<std::vector<BlockUse>> unreportedUses();
  StoreStatus reported(const std::vector<std::string>& numbers);

 private:
  StoreStatus connect();
  template <typename Body>
  StoreStatus transaction(bool write, Body&& body);
  // The rows the filter selects in `order`, a page of `pageSize` at a time: the columns
  // `columns` gives for the file's format, each row made by `read` and handed to `take`,
  // which returns false to stop early.
  template <typename Row, typename Read, typename Take>
  StoreStatus pages(const Filter& filter, detail::Order order, std::size_t pageSize,
                    std::string (*columns)(std::int32_t version), Read&& read, Take&& take);

  std::filesystem::path file_;
  StoreOptions options_;
  std::mutex mutex_;
  std::unique_ptr<detail::Connection> connection_;
  // The damage once found: the file is not written again by this store.
  std::optional<StoreError> damage_;
};

}  // namespace tallowick::history
