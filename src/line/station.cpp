#include "line/station.h"

#include <charconv>

#include "initforms/serial_numbers.h"
#include "line/history.h"
#include "line/texts.h"
#include "platform/own_text.h"
#include "platform/wall_clock.h"

namespace tallowick::line {

namespace {

// Records forwarded in one batch: one statement and one transaction each.
constexpr std::size_t kBatch = 500;
// How long a station waits for the server before it works without it.
constexpr int kConnectTimeoutSeconds = 5;

std::int64_t nowMs() {
  return platform::wallTimeNow().ms;
}

// The printer type (its prefix) of a number of the book; empty for another text.
std::string typeOf(const std::string& number) {
  for (const PrinterType& type : kPrinterTypes) {
    if (number.starts_with(type.prefix)) return std::string(type.prefix);
  }
  return {};
}

std::optional<std::string> nonEmpty(std::optional<std::string> value) {
  if (value && value->empty()) return std::nullopt;
  return value;
}

StoreError refused(const std::string& why) {
  return {StoreErrorKind::Failed, why};
}

}  // namespace

StoreResult<LineChoice> chooseLine(const std::optional<std::string>& database,
                                   const std::optional<std::string>& station,
                                   const platform::Environment& environment, Settings* settings) {
  LineChoice choice;
  // A database given on the command line, even an empty one, wins over the rest.
  if (database) {
    choice.database = *database;
  } else if (auto named = nonEmpty(environment("TALLOWICK_DATABASE"))) {
    choice.database = *named;
  } else if (settings) {
    auto set = settings->get(setting::kDatabase);
    if (!set) return set.error();
    if (set.value()) choice.database = *set.value();
  }
  if (!choice.database.empty()) {
    if (auto why = connectionRefused(choice.database)) {
      return refused(withArgs(Text::tr("Подключение к базе линии не принято: %1"), {*why}));
    }
  }
  if (station) {
    choice.station = *station;
  } else if (auto named = nonEmpty(environment("TALLOWICK_STATION"))) {
    choice.station = *named;
  } else {
    std::optional<std::string> set;
    if (settings) {
      auto read = settings->get(setting::kStation);
      if (!read) return read.error();
      set = nonEmpty(read.value());
    }
    choice.station = set ? *set : platform::computerName();
  }
  if (auto why = texts::stationRefused(choice.station)) return refused(*why);
  choice.blockSize = kDefaultBlockSize;
  if (settings && !choice.database.empty()) {
    auto size = settings->get(setting::kBlockSize);
    if (!size) return size.error();
    if (size.value()) {
      const std::string& text = *size.value();
      int n = -1;
      const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
      if (ec != std::errc{} || end != text.data() + text.size() || n < 0 || n > kMaxBlockSize) {
        return refused(withArgs(Text::tr("Размер запаса номеров станции в настройках должен быть "
                                         "числом от 0 до %1, а не «%2»."),
                                {std::to_string(kMaxBlockSize), text}));
      }
      choice.blockSize = n;
    }
  }
  return choice;
}

std::string stateText(const LineState& state) {
  std::string text;
  if (state.reachable) {
    text = withArgs(state.tls ? Text::tr("Линия %1: доступна, соединение зашифровано")
                              : Text::tr("Линия %1: доступна, без шифрования"),
                    {state.server});
  } else if (state.server.empty() && state.problem.empty()) {
    text = Text::tr("Линия: соединение устанавливается");  // nothing tried yet
  } else {
    text = state.server.empty() ? Text::tr("Линия недоступна")
                                : withArgs(Text::tr("Линия %1: недоступна"), {state.server});
  }
  text += withArgs(Text::tr("; ожидают отправки: %1"), {std::to_string(state.waiting)});
  if (!state.conflicts.empty()) {
    text +=
        withArgs(Text::tr("; номеров в конфликте: %1"), {std::to_string(state.conflicts.size())});
  }
  return text;
}

Station::Station(LineChoice choice, history::Store& local)
    : choice_(std::move(choice)), local_(local) {}

Station::~Station() {
  stopWorker();
}

void Station::setProblem(const std::string& problem) {
  std::lock_guard lock(stateMutex_);
  state_.problem = problem;
}

LineState Station::state() const {
  std::lock_guard lock(stateMutex_);
  return state_;
}

StoreResult<Connection*> Station::connection(std::unique_ptr<Connection>& held) {
  if (held && held->connected()) return held.get();
  held.reset();
  auto opened = Connection::open(choice_.database, kConnectTimeoutSeconds);
  if (!opened) {
    std::lock_guard lock(stateMutex_);
    state_.reachable = false;
    state_.problem = opened.error().message;
    return opened.error();
  }
  held = std::move(opened).value();
  std::lock_guard lock(stateMutex_);
  state_.reachable = true;
  state_.server = held->server();
  state_.tls = held->tls();
  state_.problem.clear();
  return held.get();
}

void Station::lost(std::unique_ptr<Connection>& held, const StoreError& error) {
  if (error.kind == StoreErrorKind::Unavailable) {
    held.reset();
    std::lock_guard lock(stateMutex_);
    state_.reachable = false;
  }
  setProblem(error.message);
}

// ---- The book ----

StoreResult<std::pair<std::string, std::string>> Station::take(const std::string& wanted,
                                                               const std::string& printerType) {
  std::lock_guard lock(bookMutex_);
  if (auto c = connection(bookConnection_)) {
    Book book(*c.value());
    std::string number = wanted;
    StoreStatus took;
    if (wanted.empty()) {
      auto next = book.takeNext(choice_.station, printerType);
      if (next) {
        number = next.value();
      } else {
        took = next.error();
      }
    } else {
      took = book.take(choice_.station, wanted);
    }
    if (took) {
      // A number of the block that the line gave now is no longer the block's to give.
      (void)local_.dropFromBlock(number);
      return std::pair{number, std::string()};
    }
    if (took.error().kind != StoreErrorKind::Unavailable) return took.error();
    lost(bookConnection_, took.error());
  }

  // The line is away: only the station's own block may give a number, and never one the
  // line did not reserve for it.
  const std::string type = wanted.empty() ? printerType : typeOf(wanted);
  const std::string why = state().problem;
  std::string number = wanted;
  if (number.empty()) {
    auto block = local_.blockNumbers(type);
    if (!block) return block.error();
    if (block.value().empty()) return refused(texts::blockEmpty(type, why));
    number = block.value().front();
  }
  auto used = local_.useFromBlock(number, nowMs());
  if (!used) return used.error();
  auto left = local_.blockNumbers(type);
  const std::size_t remaining = left ? left.value().size() : 0;
  if (!used.value()) return refused(texts::notInBlock(number, type, remaining, why));
  wake();
  return std::pair{number, texts::takenFromBlock(number, type, remaining)};
}

void Station::sent(const std::string& number) {
  std::lock_guard lock(bookMutex_);
  if (auto c = connection(bookConnection_)) {
    const StoreStatus used = Book(*c.value()).markUsed(choice_.station, number);
    if (used) return;
    lost(bookConnection_, used.error());
    if (used.error().kind != StoreErrorKind::Unavailable) return;
  }
  // Told once the line is back; the line keeps the number from everyone else meanwhile.
  (void)local_.noteUse(number, typeOf(number), nowMs());
  wake();
}

void Station::answered(const std::string& number, bool correct) {
  std::lock_guard lock(bookMutex_);
  if (auto c = connection(bookConnection_)) {
    const StoreStatus confirmed = Book(*c.value()).confirm(choice_.station, number, correct);
    if (confirmed) return;
    lost(bookConnection_, confirmed.error());
    if (confirmed.error().kind != StoreErrorKind::Unavailable) return;
  }
  (void)local_.noteUse(number, typeOf(number), nowMs(), correct);
  wake();
}

StoreResult<BookLists> Station::lists() {
  {
    std::lock_guard lock(bookMutex_);
    if (auto c = connection(bookConnection_)) {
      auto lists = Book(*c.value()).lists(choice_.station);
      if (lists || lists.error().kind != StoreErrorKind::Unavailable) return lists;
      lost(bookConnection_, lists.error());
    }
  }
  // The line is away: what the station may give is its block.
  BookLists lists;
  for (const PrinterType& type : kPrinterTypes) {
    auto block = local_.blockNumbers(std::string(type.prefix));
    if (!block) return block.error();
    lists.toInitialise.insert(lists.toInitialise.end(), block.value().begin(), block.value().end());
    lists.counts.push_back(
        {.printerType = std::string(type.prefix), .reservedHere = block.value().size()});
  }
  sortSerials(lists.toInitialise);
  return lists;
}

StoreStatus Station::withConnection(const std::function<StoreStatus(Connection&)>& body) {
  std::lock_guard lock(bookMutex_);
  auto c = connection(bookConnection_);
  if (!c) return c.error();
  StoreStatus done = body(*c.value());
  if (!done) lost(bookConnection_, done.error());
  return done;
}

// ---- Forwarding ----

StoreStatus Station::forwardOutbox(Connection& c, std::size_t& forwarded) {
  for (;;) {
    auto batch = local_.waiting(kBatch);
    if (!batch) return batch.error();
    if (batch.value().empty()) return {};
    std::vector<history::Record> good;
    std::vector<std::int64_t> ids;
    for (const history::Record& r : batch.value()) {
      ids.push_back(r.id);
      // A record the line cannot hold stays in the station's history, out of the outbox,
      // so that it never keeps the others waiting.
      if (auto why = unforwardable(r)) {
        setProblem(texts::recordKeptHere(r.id, *why));
        continue;
      }
      good.push_back(r);
      // Records made before the station joined the line are its own all the same.
      if (good.back().station.empty()) good.back().station = choice_.station;
    }
    auto taken = forward(c, good);
    if (!taken) return taken.error();
    forwarded += taken.value();
    if (auto done = local_.forwarded(ids); !done) return done;
    if (batch.value().size() < kBatch) return {};
  }
}

StoreStatus Station::reportUses(Connection& c) {
  auto uses = local_.unreportedUses();
  if (!uses) return uses.error();
  if (uses.value().empty()) return {};
  std::vector<UsedNumber> used;
  std::vector<std::string> numbers;
  for (const auto& u : uses.value()) {
    used.push_back({u.number, u.atMs});
    numbers.push_back(u.number);
  }
  Book book(c);
  auto conflicts = book.reportUsed(choice_.station, used);
  if (!conflicts) return conflicts.error();
  for (const auto& u : uses.value()) {
    if (!u.answer) continue;
    const StoreStatus confirmed = book.confirm(choice_.station, u.number, *u.answer);
    if (!confirmed && confirmed.error().kind == StoreErrorKind::Unavailable) return confirmed;
  }
  if (!conflicts.value().empty()) {
    std::lock_guard lock(stateMutex_);
    state_.conflicts.insert(state_.conflicts.end(), conflicts.value().begin(),
                            conflicts.value().end());
  }
  return local_.reported(numbers);
}

StoreStatus Station::topUpBlocks(Connection& c) {
  if (choice_.blockSize <= 0) return {};
  // The types that have numbers the station may hold.
  auto types = c.query(
      "SELECT DISTINCT printer_type FROM tallowick.serial_number WHERE state = 'free' OR "
      "(state = 'reserved' AND station = $1)",
      {choice_.station});
  if (!types) return types.error();
  Book book(c);
  for (int row = 0; row < types.value().size(); ++row) {
    const std::string type = types.value().text(row, 0);
    auto held = local_.blockNumbers(type);
    if (!held) return held.error();
    if (held.value().size() >= static_cast<std::size_t>(choice_.blockSize)) continue;
    auto block = book.reserveBlock(choice_.station, type, choice_.blockSize);
    if (!block) return block.error();
    if (auto kept = local_.replaceBlock(type, block.value()); !kept) return kept;
  }
  return {};
}

StoreResult<std::size_t> Station::sync() {
  std::lock_guard round(roundMutex_);
  std::size_t forwarded = 0;
  auto c = connection(workerConnection_);
  StoreStatus done = c ? StoreStatus() : StoreStatus(c.error());
  if (done) done = forwardOutbox(*c.value(), forwarded);
  if (done) done = reportUses(*c.value());
  if (done) done = topUpBlocks(*c.value());
  if (!done && c) lost(workerConnection_, done.error());
  auto waiting = local_.waitingCount();
  {
    std::lock_guard lock(stateMutex_);
    if (waiting) state_.waiting = waiting.value();
  }
  if (!done) return done.error();
  return forwarded;
}

// ---- Reading ----

namespace {

// What `read` gives through the station's connection; why the line could not be read
// otherwise.
template <typename T, typename Read>
StoreResult<T> readLine(Station& station, Read&& read) {
  StoreResult<T> result = StoreError{};
  const StoreStatus done = station.withConnection([&](Connection& c) -> StoreStatus {
    result = read(c);
    return result ? StoreStatus() : StoreStatus(result.error());
  });
  if (!done) return done.error();
  return result;
}

}  // namespace

StoreResult<std::vector<history::Record>> StationHistory::list(const history::Filter& filter,
                                                               history::Detail detail) {
  return readLine<std::vector<history::Record>>(
      station_, [&](Connection& c) { return line::list(c, filter, detail); });
}

StoreResult<std::optional<history::Record>> StationHistory::find(std::int64_t id) {
  return readLine<std::optional<history::Record>>(station_,
                                                  [&](Connection& c) { return line::find(c, id); });
}

StoreResult<std::vector<history::RunFacts>> StationHistory::facts(const history::Filter& filter) {
  return readLine<std::vector<history::RunFacts>>(
      station_, [&](Connection& c) { return line::facts(c, filter); });
}

// ---- The worker ----

void Station::startWorker(std::chrono::milliseconds period) {
  if (worker_.joinable()) return;
  {
    std::lock_guard lock(wakeMutex_);
    stopping_ = false;
  }
  worker_ = std::thread([this, period] { workerLoop(period); });
}

void Station::wake() {
  {
    std::lock_guard lock(wakeMutex_);
    wakeUp_ = true;
  }
  woken_.notify_all();
}

void Station::stopWorker(bool lastRound) {
  if (!worker_.joinable()) return;
  {
    std::lock_guard lock(wakeMutex_);
    stopping_ = true;
    lastRound_ = lastRound;
  }
  woken_.notify_all();
  worker_.join();
}

void Station::workerLoop(std::chrono::milliseconds period) {
  for (;;) {
    (void)sync();
    std::unique_lock lock(wakeMutex_);
    woken_.wait_for(lock, period, [this] { return wakeUp_ || stopping_; });
    if (stopping_) {
      const bool last = wakeUp_ && lastRound_;
      wakeUp_ = false;
      lock.unlock();
      if (last && state().reachable) (void)sync();
      return;
    }
    wakeUp_ = false;
  }
}

}  // namespace tallowick::line
