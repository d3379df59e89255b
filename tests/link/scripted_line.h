// A hand-scripted serial line for the link's own tests: each request written to it is
// answered by the next scripted reply, given as a sequence of bytes, silent reads and
// failed reads, or made from the request itself (so that it carries the request's SEQ and
// command). A read takes the bytes that follow one another in the script, as many as the
// reader has room for and the line's chunk allows; an empty or a failed read stands on its
// own. It counts reads, and keeps a virtual clock that an empty read moves by the read
// period and a byte by a millisecond, so tests can tell how long an exchange took without
// waiting.
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "link/clock.h"
#include "link/device_link.h"
#include "link/frame.h"
#include "link/serial_line.h"

namespace tallowick::test {

// One read's worth of line: a byte, an empty read (std::nullopt) or a read that fails.
struct LineEvent {
  LineEvent(std::uint8_t b) : status(ReadStatus::Bytes), byte(b) {}
  LineEvent(std::nullopt_t) : status(ReadStatus::Timeout) {}
  static LineEvent readError() {
    LineEvent e(std::nullopt);
    e.status = ReadStatus::Error;
    return e;
  }

  ReadStatus status;
  std::uint8_t byte = 0;
};

// Makes the line's answer to one request (its whole frame).
using Responder = std::function<std::vector<LineEvent>(std::span<const std::uint8_t> request)>;

class ScriptedLine final : public SerialLine {
 public:
  static constexpr Micros kByteTime = std::chrono::milliseconds(1);

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
  void script(std::vector<LineEvent> events) {
    replies_.push_back([events = std::move(events)](auto) { return events; });
  }
  void script(Responder respond) { replies_.push_back(std::move(respond)); }
  // After the script has run out, every read gets this (instead of silence).
  void thenForever(LineEvent event) { forever_ = event; }
  // From the next read on, the port is gone.
  void hangUp() { gone_ = true; }
  // From the next read on, every read fails at once with a port error.
  void failReads() { failing_ = true; }
  // At most this many bytes a read (the bytes of a slow line, one at a time: 1).
  void setChunk(std::size_t bytes) { chunk_ = bytes; }

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
      const auto events = replies_.front()(bytes);
      pending_.insert(pending_.end(), events.begin(), events.end());
      replies_.pop_front();
    }
  }
  ReadResult read(std::span<std::uint8_t> into, std::size_t, int waitMs) override {
    if (!open_ || gone_) return {ReadStatus::Closed, 0};
    ++stats_.reads;
    if (failing_) return {ReadStatus::Error, 0};
    std::size_t count = 0;
    while (count < std::min(into.size(), chunk_) && !pending_.empty() &&
           pending_.front().status == ReadStatus::Bytes) {
      into[count++] = pending_.front().byte;
      pending_.pop_front();
      clock_.advance(kByteTime);
    }
    if (count == 0 && pending_.empty() && replies_.empty() &&
        forever_.status == ReadStatus::Bytes) {
      into[count++] = forever_.byte;
      clock_.advance(kByteTime);
    }
    if (count > 0) return {ReadStatus::Bytes, count};
    LineEvent e = std::nullopt;
    if (!pending_.empty()) {
      e = pending_.front();
      pending_.pop_front();
    } else if (replies_.empty()) {
      e = forever_;
    }
    if (e.status == ReadStatus::Error) {
      ++stats_.failedReads;
    } else {
      ++stats_.emptyReads;
    }
    clock_.advance(std::chrono::milliseconds(waitMs));
    return {e.status, 0};
  }
  Clock& clock() override { return clock_; }
  VirtualClock& virtualClock() { return clock_; }
  void purge() override {}
  void drain() override {}
  void clearError() override {}

  std::int32_t baud() const { return baud_; }

 private:
  Stats& stats_;
  std::deque<Responder> replies_;
  std::deque<LineEvent> pending_;
  LineEvent forever_ = std::nullopt;
  std::size_t chunk_ = SIZE_MAX;
  bool gone_ = false;
  bool failing_ = false;
  VirtualClock clock_;
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

// The SEQ byte and the command code of a request frame.
inline std::uint8_t seqOf(std::span<const std::uint8_t> request) {
  return request[2];
}
inline std::uint8_t commandOf(std::span<const std::uint8_t> request) {
  return request[3];
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
