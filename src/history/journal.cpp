#include "history/journal.h"

#include <utility>

namespace tallowick::history {

Journal::Journal(StoreResult<std::filesystem::path> file, WallTimeSource wallTime)
    : wallTime_(std::move(wallTime)) {
  if (file) {
    store_ = std::make_unique<Store>(std::move(file).value());
  } else {
    unavailable_ = file.error().message;
  }
}

Journal::~Journal() = default;

std::unique_ptr<Journal::Entry> Journal::begin(Kind kind, std::string port, const Clock& clock) {
  return std::make_unique<Entry>(*this, kind, std::move(port), clock);
}

void Journal::joinLine(std::string station, std::function<void()> wake) {
  station_ = std::move(station);
  wake_ = std::move(wake);
}

std::optional<Failure> Journal::append(Record record) {
  std::optional<Failure> failure;
  record.station = station_;
  const auto forwarding = wake_ ? Forwarding::Queue : Forwarding::None;
  if (!store_) {
    failure = Failure{unavailable_};
  } else if (auto appended = store_->append(record, forwarding); !appended) {
    failure = Failure{appended.error().message};
  } else if (wake_) {
    wake_();
  }
  if (!failure || told_.exchange(true)) return std::nullopt;
  return failure;
}

Journal::Entry::Entry(Journal& journal, Kind kind, std::string port, const Clock& clock)
    : journal_(journal), recorder_(kind, std::move(port), clock, journal.wallTime_) {}

std::optional<Failure> Journal::Entry::endTestRun(const RunOutcome& outcome, std::string passes,
                                                  std::string pauseMs,
                                                  std::vector<std::string> log) {
  return journal_.append(
      recorder_.finishTestRun(outcome, std::move(passes), std::move(pauseMs), std::move(log)));
}

std::optional<Failure> Journal::Entry::endInitialisation(InitEnd end, std::string serialNumber,
                                                         std::vector<std::string> log) {
  return journal_.append(
      recorder_.finishInitialisation(end, std::move(serialNumber), std::move(log)));
}

}  // namespace tallowick::history
