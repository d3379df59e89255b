// The pages' setting: the test-run fixture (a connected window on the virtual printer, on a
// virtual clock) with replies that a test can rewrite on their way to the host, to stage
// what the printer would report in its status bytes and reply data.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "sim/reply_frame.h"
#include "support/run_fixture.h"

namespace tallowick::test {

// A reply as the host will get it; status bytes without bit 7.
struct StagedReply {
  std::string errorCode;
  std::string data;  // Windows-1251, the fields after the error code
  StatusBytes status{};
};
using ReplyPatch = std::function<void(StagedReply&)>;

// Passes the printer's bytes through, except complete reply frames of the commands that
// have a patch: those are taken apart, patched and built anew with a correct checksum.
class PatchingLine final : public SerialLine {
 public:
  PatchingLine(std::unique_ptr<SerialLine> inner, const std::map<std::uint8_t, ReplyPatch>& patches)
      : inner_(std::move(inner)), patches_(patches) {}

  std::int32_t open(const std::string& name, std::int32_t baud) override {
    return inner_->open(name, baud);
  }
  bool close() override { return inner_->close(); }
  bool isOpen() const override { return inner_->isOpen(); }
  void write(std::span<const std::uint8_t> bytes) override { inner_->write(bytes); }
  void purge() override {
    pending_.clear();
    arrived_.clear();
    inner_->purge();
  }
  void drain() override { inner_->drain(); }
  void clearError() override { inner_->clearError(); }

  ReadResult read(std::span<std::uint8_t> into, std::size_t, int waitMs) override {
    if (pending_.empty()) {
      std::uint8_t b = 0;
      const ReadStatus got = nextByte(b, waitMs);
      if (got != ReadStatus::Bytes) return {got, 0};
      pending_ = {b};
      if (b == frame::kStart) takeFrame();
    }
    const std::size_t count = std::min(into.size(), pending_.size());
    std::copy_n(pending_.begin(), count, into.begin());
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(count));
    return {ReadStatus::Bytes, count};
  }

 private:
  // 01 LEN SEQ CMD text 04 S0..S5 05 BCC(4) 03: the head, and what follows the text.
  static constexpr std::size_t kHead = 4;
  static constexpr std::size_t kTail = 1 + frame::kStatusBytes + 1 + 4 + 1;

  // The next byte the printer sent, from what the last read of the inner line brought or
  // from a new one; how that read ended when it brought none.
  ReadStatus nextByte(std::uint8_t& b, int waitMs = SerialLine::kReadTimeoutMs) {
    if (arrived_.empty()) {
      std::uint8_t chunk[DeviceLink::kReadChunk];
      const ReadResult r = inner_->read(chunk, 0, waitMs);
      if (r.status != ReadStatus::Bytes) return r.status;
      arrived_.assign(chunk, chunk + r.count);
    }
    b = arrived_.front();
    arrived_.erase(arrived_.begin());
    return ReadStatus::Bytes;
  }

  void takeFrame() {
    // A frame the printer cut short stays as it came; a few empty reads end it.
    for (int silent = 0; silent < 3 && pending_.back() != frame::kEnd;) {
      std::uint8_t b = 0;
      if (nextByte(b) == ReadStatus::Bytes) {
        pending_.push_back(b);
      } else {
        ++silent;
      }
    }
    if (pending_.back() != frame::kEnd || pending_.size() < kHead + kTail) return;
    const std::uint8_t command = pending_[3];
    const auto patch = patches_.find(command);
    if (patch == patches_.end()) return;

    const std::size_t textEnd = pending_.size() - kTail;
    const std::string text(pending_.begin() + kHead, pending_.begin() + static_cast<long>(textEnd));
    StagedReply reply;
    const auto cut = text.find(';');
    reply.errorCode = text.substr(0, cut);
    reply.data = cut == std::string::npos ? "" : text.substr(cut + 1);
    for (std::size_t i = 0; i < frame::kStatusBytes; ++i) {
      reply.status[i] = pending_[textEnd + 1 + i] & 0x7F;
    }
    patch->second(reply);
    const auto bytes = [](const std::string& s) {
      return std::span(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
    };
    pending_ = sim::buildReply(pending_[2], command, bytes(reply.errorCode), bytes(reply.data),
                               reply.status);
  }

  std::unique_ptr<SerialLine> inner_;
  const std::map<std::uint8_t, ReplyPatch>& patches_;
  std::vector<std::uint8_t> pending_;  // for the reader
  std::vector<std::uint8_t> arrived_;  // from the inner line, not yet looked at
};

struct PageFixture : RunFixture {
  std::map<std::uint8_t, ReplyPatch> patches;

  explicit PageFixture(sim::PrinterSettings settings = {}) : RunFixture(std::move(settings)) {
    link.setLineFactory([this, base = port.lineFactory()](const std::string& name) {
      std::unique_ptr<SerialLine> inner = base(name);
      if (!inner) return inner;
      return std::unique_ptr<SerialLine>(std::make_unique<PatchingLine>(std::move(inner), patches));
    });
  }

  // Replies to `command` carry `value` in status byte `index`.
  void stageStatus(std::uint8_t command, std::size_t index, std::uint8_t value) {
    patches[command] = [index, value](StagedReply& r) { r.status[index] = value; };
  }
  // Replies to `command` carry `data` after an accepting error code.
  void stageData(std::uint8_t command, std::string data) {
    patches[command] = [data = std::move(data)](StagedReply& r) {
      r.errorCode = "0000";
      r.data = data;
    };
  }

  // Replies to `command` accept it, whatever the printer made of it.
  void stageAccepted(std::uint8_t command) {
    patches[command] = [](StagedReply& r) { r.errorCode = "0000"; };
  }

  // The data of every first attempt of `code`, in order.
  std::vector<std::string> dataOf(std::int32_t code) const {
    std::vector<std::string> out;
    for (const auto& s : sent) {
      if (s.code == code && s.attempt == 1) out.push_back(s.data);
    }
    return out;
  }
};

inline sim::PrinterSettings printer(std::string model, std::string firmware = "3.01",
                                    std::string country = "Україна") {
  sim::PrinterSettings s;
  s.model = std::move(model);
  s.firmware = std::move(firmware);
  s.country = std::move(country);
  return s;
}

}  // namespace tallowick::test
