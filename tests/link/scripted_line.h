// A hand-scripted serial line for the link's own tests: each request written to it is
// answered by the next scripted reply, given as a sequence of bytes, silent reads and
// failed reads. It counts reads, so tests can tell how long an exchange took in read
// periods without waiting for them.
#pragma once

#include <cstdint>
#include <deque>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/device_link.h"
#include "link/serial_line.h"

namespace tallowick::test {

// One read's worth of line: a byte, an empty read (std::nullopt) or a read that fails.
struct LineEvent {
  LineEvent(std::uint8_t b) : status(ReadStatus::Byte), byte(b) {}
  LineEvent(std::nullopt_t) : status(ReadStatus::Timeout) {}
  static LineEvent readError() {
    LineEvent e(std::nullopt);
    e.status = ReadStatus::Error;
    return e;
  }

  ReadStatus status;
  std::uint8_t byte = 0;
};

class ScriptedLine final : public SerialLine {
 public:
  struct Stats {
    int opens = 0;
    int closes = 0;
    int reads = 0;
    int emptyReads = 0;
    int failedReads = 0;
    std::vector<std::vector<std::uint8_t>> writes;
  };

  explicit ScriptedLine(Stats& stats) : stats_(stats) {}

  // Answers the next request with `events`; a request with no script left gets silence.
  void script(std::vector<LineEvent> events) { replies_.push_back(std::move(events)); }

  std::int32_t open(const std::string&, std::int32_t baud) override {
    ++stats_.opens;
    open_ = true;
    baud_ = baud;
    return 7;
  }
  bool close() override {
    if (!open_) return false;
    ++stats_.closes;
    open_ = false;
    return true;
  }
  bool isOpen() const override { return open_; }
  void write(std::span<const std::uint8_t> bytes) override {
    if (!open_) return;
    stats_.writes.emplace_back(bytes.begin(), bytes.end());
    if (!replies_.empty()) {
      pending_.insert(pending_.end(), replies_.front().begin(), replies_.front().end());
      replies_.pop_front();
    }
  }
  ReadResult readByte() override {
    if (!open_) return {ReadStatus::Error, 0};
    ++stats_.reads;
    if (pending_.empty()) {
      ++stats_.emptyReads;
      return {ReadStatus::Timeout, 0};
    }
    const LineEvent e = pending_.front();
    pending_.pop_front();
    if (e.status == ReadStatus::Timeout) ++stats_.emptyReads;
    if (e.status == ReadStatus::Error) ++stats_.failedReads;
    return {e.status, e.byte};
  }
  void purge() override {}
  void drain() override {}
  void clearError() override {}

  std::int32_t baud() const { return baud_; }

 private:
  Stats& stats_;
  std::deque<std::vector<LineEvent>> replies_;
  std::deque<LineEvent> pending_;
  bool open_ = false;
  std::int32_t baud_ = 0;
};

// `n` empty reads.
inline std::vector<LineEvent> silence(int n) {
  return std::vector<LineEvent>(n, std::nullopt);
}

inline std::vector<LineEvent> bytes(std::initializer_list<std::uint8_t> list) {
  return {list.begin(), list.end()};
}

inline std::vector<LineEvent> bytes(const std::vector<std::uint8_t>& list) {
  return {list.begin(), list.end()};
}

inline std::vector<LineEvent> operator+(std::vector<LineEvent> a, const std::vector<LineEvent>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// A device link on a scripted line, opened.
struct ScriptedLink {
  ScriptedLine::Stats stats;
  ScriptedLine* line = nullptr;
  DeviceLink link{[this](const std::string&) {
    auto l = std::make_unique<ScriptedLine>(stats);
    line = l.get();
    return l;
  }};
  ScriptedLink() { link.OpenDeviceLink("COM1", 9600); }

  CommandResult* send(std::int32_t cmd, const std::string& data = "582014;") {
    return link.SendCommand(cmd, data);
  }
  std::uint8_t seqOfWrite(std::size_t i) const { return stats.writes.at(i).at(2); }
};

}  // namespace tallowick::test
