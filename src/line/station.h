// A station of the line: what the station's programs do with the line database. Which line
// and which station; the records of the station's outbox forwarded in the background, so
// that no run ever waits for the network; the book's numbers taken on the line, or from the
// station's own block while the server is away, and what was used meanwhile reported when
// it is back; the state of all this in one place for the windows.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "history/history_store.h"
#include "history/query.h"
#include "line/book.h"
#include "line/connection.h"
#include "platform/settings.h"
#include "platform/system.h"

namespace tallowick::line {

// Which line database and which station: from the command line, else the environment
// (TALLOWICK_DATABASE, TALLOWICK_STATION), else this computer's settings; the station is the
// computer's name unless named otherwise.
struct LineChoice {
  std::string database;  // empty: no line database, the station works alone
  std::string station;
  int blockSize = 20;  // the numbers of each printer type the station keeps for itself
};

inline constexpr int kDefaultBlockSize = 20;
inline constexpr int kMaxBlockSize = 1000;

// The choice, or why the values given cannot be used: a connection text libpq cannot read
// or one with a password in it, a station name that is no name, a block size out of range.
StoreResult<LineChoice> chooseLine(const std::optional<std::string>& database,
                                   const std::optional<std::string>& station,
                                   const platform::Environment& environment, Settings* settings);

// What the windows show of the line.
struct LineState {
  bool reachable = false;
  std::string server;       // host:port/database, once it was reached
  bool tls = false;         // the connection is encrypted
  std::string problem;      // why it is not reachable, or the last thing that went wrong
  std::size_t waiting = 0;  // records not yet on the line
  // Numbers used from the block that the line gave to another meanwhile: never settled by
  // the station itself.
  std::vector<NumberConflict> conflicts;
};

// The state in one line of text, as the windows show it: whether the line is reachable,
// its server, whether the connection is encrypted, the records waiting and the conflicts.
std::string stateText(const LineState& state);

class Station {
 public:
  // `local` is the station's own history, the outbox and the block; it outlives this.
  Station(LineChoice choice, history::Store& local);
  ~Station();
  Station(const Station&) = delete;
  Station& operator=(const Station&) = delete;

  const LineChoice& choice() const { return choice_; }

  // Forwards in the background: every `period`, and at once after wake().
  void startWorker(std::chrono::milliseconds period = std::chrono::seconds(5));
  void wake();
  // Stops the worker and waits for it; with `lastRound`, after one more round for what was
  // woken for last, when the line was there at the last round (a command that ends gives its
  // records one more chance, and never waits for a line that is away).
  void stopWorker(bool lastRound = false);

  // One round of the worker's, now, on this thread: the outbox forwarded, the numbers used
  // while the line was away reported, the blocks topped up. How many records the line took.
  StoreResult<std::size_t> sync();

  LineState state() const;

  // The book. A number for a printer: `wanted`, or the next one of `printerType` (a prefix)
  // when `wanted` is empty; on the line when it is there, else from the station's block.
  StoreResult<std::pair<std::string, std::string>> take(const std::string& wanted,
                                                        const std::string& printerType);
  // The number was sent to a printer; the user's answer about it.
  void sent(const std::string& number);
  void answered(const std::string& number, bool correct);
  // The lists as the book window shows them; the station's block when the line is away
  // (and the error says why).
  StoreResult<BookLists> lists();
  // Runs `body` with the station's connection to the line (for the administrator's work
  // and reading the line's history).
  StoreStatus withConnection(const std::function<StoreStatus(Connection&)>& body);

 private:
  StoreResult<Connection*> connection(std::unique_ptr<Connection>& held);
  void lost(std::unique_ptr<Connection>& held, const StoreError& error);
  StoreStatus forwardOutbox(Connection& c, std::size_t& forwarded);
  StoreStatus reportUses(Connection& c);
  StoreStatus topUpBlocks(Connection& c);
  void workerLoop(std::chrono::milliseconds period);
  void setProblem(const std::string& problem);

  LineChoice choice_;
  history::Store& local_;

  mutable std::mutex stateMutex_;
  LineState state_;

  // The connection of the book's calls, from any thread one at a time, and the worker's own.
  std::mutex bookMutex_;
  std::unique_ptr<Connection> bookConnection_;
  std::mutex roundMutex_;
  std::unique_ptr<Connection> workerConnection_;

  std::mutex wakeMutex_;
  std::condition_variable woken_;
  bool wakeUp_ = false;
  bool stopping_ = false;
  bool lastRound_ = false;
  std::thread worker_;
};

// The line's history as the station reads it, through the station's connection.
class StationHistory final : public history::LineHistory {
 public:
  explicit StationHistory(Station& station) : station_(station) {}
  StoreResult<std::vector<history::Record>> list(const history::Filter& filter,
                                                 history::Detail detail) override;
  StoreResult<std::optional<history::Record>> find(std::int64_t id) override;
  StoreResult<std::vector<history::RunFacts>> facts(const history::Filter& filter) override;

 private:
  Station& station_;
};

}  // namespace tallowick::line
