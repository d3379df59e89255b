// Random byte streams as a printer's replies: the receive state machine and the record
// FinishReply fills must never crash, read out of bounds, or break the record's rules.
// One input is a whole session: commands one after another on the same line, so the
// receiver's state carried from one exchange to the next is exercised too.
//
// Input: the first byte picks the commands; the rest is what the line delivers. FFh is an
// escape: FFh FFh is the byte FFh, FFh FEh a read that fails with a port error, FFh k
// (k below FEh) k empty reads, 50 of which end an attempt. When bit 7 of the first byte is
// set, the line does not fall silent once the input is used up: it goes on delivering one
// byte (busy, NAK, noise or a start byte, by bits 4 and 5) for ever.
//
// Beyond the record's rules: a command that reads as answered has a whole frame behind
// it, with the request's SEQ and command and a checksum that adds up, ending during that
// command; and no command waits longer than the link's limit.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "link/cp1251.h"
#include "link/device_link.h"
#include "link/frame.h"
#include "link/protocol.h"

namespace {

using namespace tallowick;

constexpr Micros kReadPeriod = std::chrono::milliseconds(SerialLine::kReadTimeoutMs);

class FuzzLine final : public SerialLine {
 public:
  FuzzLine(const std::uint8_t* data, std::size_t size, std::optional<std::uint8_t> endless)
      : data_(data), size_(size), endless_(endless) {}
  std::int32_t open(const std::string&, std::int32_t) override { return 1; }
  bool close() override { return true; }
  bool isOpen() const override { return true; }
  void write(std::span<const std::uint8_t> bytes) override {
    request_.assign(bytes.begin(), bytes.end());
  }
  // A read takes the plain bytes that follow one another in the input, up to the first
  // escape or as many as there is room for; an empty or a failed read stands on its own.
  // The link reads with the whole read period here.
  ReadResult read(std::span<std::uint8_t> into, std::size_t, int) override {
    std::size_t count = 0;
    while (emptyReads_ == 0 && pos_ < size_ && count < into.size()) {
      const std::uint8_t b = data_[pos_];
      if (b == 0xFF && pos_ + 1 < size_) {
        const std::uint8_t k = data_[pos_ + 1];
        if (k != 0xFF && count > 0) break;  // the escape ends this read's bytes
        pos_ += 2;
        if (k == 0xFE) return {ReadStatus::Error, 0};
        if (k != 0xFF) {
          emptyReads_ = k;
          continue;
        }
      } else {
        ++pos_;
      }
      into[count++] = delivered(b, std::chrono::milliseconds(1));
    }
    if (count > 0) return {ReadStatus::Bytes, count};
    if (emptyReads_ == 0 && endless_ && !into.empty()) {
      // A byte at the very end of each read period: the slowest a stream can be that
      // never lets the silence count grow.
      into[0] = delivered(*endless_, kReadPeriod);
      return {ReadStatus::Bytes, 1};
    }
    if (emptyReads_ > 0) --emptyReads_;
    clock_.advance(kReadPeriod);
    return {ReadStatus::Timeout, 0};
  }
  void purge() override {}
  void drain() override {}
  void clearError() override {}
  Clock& clock() override { return clock_; }

  bool exhausted() const { return pos_ >= size_ && emptyReads_ == 0 && !endless_; }
  // Whether a closing 03h came since the last call.
  bool takeEndSeen() { return std::exchange(endSeen_, false); }
  const std::vector<std::uint8_t>& request() const { return request_; }
  // Every byte the line has delivered, in order.
  const std::vector<std::uint8_t>& history() const { return history_; }

 private:
  std::uint8_t delivered(std::uint8_t b, Micros took) {
    clock_.advance(took);
    if (b == frame::kEnd) endSeen_ = true;
    history_.push_back(b);
    return b;
  }

  const std::uint8_t* data_;
  std::size_t size_;
  std::optional<std::uint8_t> endless_;
  std::size_t pos_ = 0;
  int emptyReads_ = 0;
  bool endSeen_ = false;
  std::vector<std::uint8_t> request_;
  std::vector<std::uint8_t> history_;
  VirtualClock clock_;
};

std::size_t utf8Characters(const std::string& s) {
  std::size_t n = 0;
  for (unsigned char c : s)
    n += (c & 0xC0) != 0x80 ? 1 : 0;
  return n;
}

// A broken rule is a finding: say which one, then stop as a crash would.
void check(bool condition, int line = __builtin_LINE()) {
  if (condition) return;
  std::fprintf(stderr, "broken rule at line %d\n", line);
  std::abort();
}

bool framing(std::uint8_t b) {
  return b == frame::kStart || b == frame::kEnd || b == frame::kNak;
}

// The first field of a whole reply frame that runs from bytes[from] (its 01h) to
// bytes[end] (its 03h), for the request's SEQ and command and with its checksum adding
// up; nothing when the bytes there are not such a frame. Written from the frame format,
// apart from the receiver.
std::optional<std::string> answerBetween(const std::vector<std::uint8_t>& bytes, std::size_t from,
                                         std::size_t end, std::uint8_t seq, std::uint8_t command) {
  std::size_t i = from + 1;
  const auto at = [&](std::size_t k) { return k < end ? std::optional(bytes[k]) : std::nullopt; };
  const auto len = at(i++);
  const auto s = at(i++);
  const auto c = at(i++);
  if (!len || !s || !c || *len < 0x30 || *s != seq || *c != command) return std::nullopt;
  std::string first;
  for (auto b = at(i); b && *b != frame::kSeparator; b = at(++i)) {
    if (framing(*b)) return std::nullopt;
    first.push_back(static_cast<char>(*b));
  }
  i += 1 + static_cast<std::size_t>(*len - 0x30);  // ';' and the remaining data
  if (at(i) != frame::kStatusMark) return std::nullopt;
  i += 1 + frame::kStatusBytes;
  if (at(i) != frame::kChecksumMark || i + 5 != end) return std::nullopt;
  for (std::size_t k = from + 1; k < end; ++k) {
    if (framing(bytes[k])) return std::nullopt;
  }
  const std::uint32_t sum = frame::byteSum(std::span(bytes).subspan(from + 1, i - from));
  std::uint32_t received = 0;
  for (std::size_t k = i + 1; k < end; ++k)
    received = received * 16 + static_cast<std::uint32_t>(bytes[k] - 0x30);
  if (received != sum) return std::nullopt;
  return first;
}

// Whether a whole frame answering `request`, with this error code, ended on the line at
// or after `since`.
bool answeredOnTheLine(const std::vector<std::uint8_t>& bytes, std::size_t since,
                       const std::vector<std::uint8_t>& request, const std::string& errorCode) {
  for (std::size_t end = since; end < bytes.size(); ++end) {
    if (bytes[end] != frame::kEnd) continue;
    for (std::size_t from = end; from-- > 0;) {
      if (bytes[from] != frame::kStart) continue;
      const auto first = answerBetween(bytes, from, end, request[2], request[3]);
      if (!first) continue;
      const std::string kept = first->substr(0, kMaxErrorCodeLength);
      if (cp1251::decode(kept) == errorCode) return true;
    }
  }
  return false;
}

void checkRecord(const CommandResult& r, bool endSeen, int attempts) {
  const std::uint32_t linkBits = r.ErrorFlags & flag::kLinkBits;
  // One link bit, or no reply with the checksum bit of a damaged last frame.
  check(linkBits == 0 || linkBits == flag::kNak || linkBits == flag::kNoReply ||
        linkBits == (flag::kNoReply | flag::kBadChecksum));
  check(linkBits == 0 || (r.ErrorFlags & ~flag::kLinkBits) == 0);
  check((r.ErrorFlags & ((1u << 15) | (7u << 29))) == 0);
  // Without a closing 03h on the line no frame can have been complete.
  check(endSeen || r.noReply());
  check(r.FieldCount >= 0 && r.FieldCount <= static_cast<std::int32_t>(kMaxFields));
  for (std::size_t i = static_cast<std::size_t>(r.FieldCount); i < kMaxFields; ++i) {
    check(r.Fields[i].empty());
  }
  check(utf8Characters(r.ErrorCode) <= kMaxErrorCodeLength);
  check(utf8Characters(r.ReplyText) <= frame::kMaxReplyData);
  for (auto s : r.Status)
    check((s & 0x80) == 0);
  check(r.Refusal == LinkRefusal::None);
  check(r.WaitEnded != WaitEnd::None && r.WaitEnded != WaitEnd::Stopped &&
        r.WaitEnded != WaitEnd::PortGone);
  check(r.noReply() || r.WaitEnded == WaitEnd::Frame);
  check(attempts >= 1 && attempts <= DeviceLink::kMaxAttempts);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  // The touch-ups of 32h, 35h, 3Eh and 5Ah depend on the command.
  static constexpr std::int32_t kFuzzedCommands[] = {command::kGetRegistratorParams,
                                                     command::kUnnamed32,
                                                     command::kSetMaintenanceParams,
                                                     command::kUnnamed3E,
                                                     command::kUnnamed5A,
                                                     command::kGetDeviceInfo,
                                                     command::kRebootRegistrator};
  static constexpr std::uint8_t kEndless[] = {frame::kBusy, frame::kNak, 0x7F, frame::kStart};
  std::optional<std::uint8_t> endless;
  if ((data[0] & 0x80) != 0) endless = kEndless[(data[0] >> 4) & 3];
  FuzzLine* line = nullptr;
  DeviceLink link([&](const std::string&) {
    auto made = std::make_unique<FuzzLine>(data + 1, size - 1, endless);
    line = made.get();
    return made;
  });
  int attempts = 0;
  link.setAttemptObserver([&](const AttemptRecord&) { ++attempts; });
  check(link.OpenDeviceLink("fuzz", 9600) >= 0 && line != nullptr);

  for (std::size_t i = 0; i < 16 && (i == 0 || !line->exhausted()); ++i) {
    attempts = 0;
    const std::int32_t command = kFuzzedCommands[(data[0] + i) % std::size(kFuzzedCommands)];
    const std::size_t before = line->history().size();
    const Micros started = line->clock().now();
    const CommandResult* r = link.SendCommand(command, "582014;");
    check(r == link.result() && link.linkIdle() && r->Command == command);
    checkRecord(*r, line->takeEndSeen(), attempts);
    // No command outlasts the limit by more than the read it was in.
    check(line->clock().now() - started <= DeviceLink::kCommandTimeLimit + kReadPeriod);
    // Answered means a frame of this request, whole and adding up, ended meanwhile.
    if (!r->noReply()) {
      check(answeredOnTheLine(line->history(), before, line->request(), r->ErrorCode));
    }
    // A line without end is tried with one command: that one has to end by the limit.
    if (endless && line->clock().now() - started >= DeviceLink::kCommandTimeLimit) break;
  }
  return 0;
}
