// Random byte streams as a printer's replies: the receive state machine and the record
// FinishReply fills must never crash, read out of bounds, or break the record's rules.
// One input is a whole session: commands one after another on the same line, so the
// receiver's state carried from one exchange to the next is exercised too.
//
// Input: the first byte picks the commands; the rest is what the line delivers. FFh is an
// escape: FFh FFh is the byte FFh, FFh FEh a read that fails with a port error, FFh k
// (k below FEh) k empty reads, 50 of which end an attempt.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "link/device_link.h"
#include "link/frame.h"

namespace {

using namespace tallowick;

class FuzzLine final : public SerialLine {
 public:
  FuzzLine(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::int32_t open(const std::string&, std::int32_t) override { return 1; }
  bool close() override { return true; }
  bool isOpen() const override { return true; }
  void write(std::span<const std::uint8_t>) override {}
  ReadResult readByte() override {
    while (emptyReads_ == 0 && pos_ < size_) {
      const std::uint8_t b = data_[pos_++];
      if (b == 0xFF && pos_ < size_) {
        const std::uint8_t k = data_[pos_++];
        if (k == 0xFE) return {ReadStatus::Error, 0};
        if (k != 0xFF) {
          emptyReads_ = k;
          continue;
        }
      }
      if (b == frame::kEnd) endSeen_ = true;
      return {ReadStatus::Byte, b};
    }
    if (emptyReads_ > 0) --emptyReads_;
    return {ReadStatus::Timeout, 0};
  }
  void purge() override {}
  void drain() override {}
  void clearError() override {}

  bool exhausted() const { return pos_ >= size_ && emptyReads_ == 0; }
  // Whether a closing 03h came since the last call.
  bool takeEndSeen() { return std::exchange(endSeen_, false); }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
  int emptyReads_ = 0;
  bool endSeen_ = false;
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

void checkRecord(const CommandResult& r, bool endSeen, int attempts) {
  const std::uint32_t linkBits = r.ErrorFlags & flag::kLinkBits;
  check((linkBits & (linkBits - 1)) == 0);  // at most one of bits 24-26
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
  check(attempts >= 1 && attempts <= DeviceLink::kMaxAttempts);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  // The touch-ups of 32h, 35h, 3Eh and 5Ah depend on the command.
  static constexpr std::int32_t kCommands[] = {0x28, 0x32, 0x35, 0x3E, 0x5A, 0x80, 0xF3};
  FuzzLine* line = nullptr;
  DeviceLink link([&](const std::string&) {
    auto made = std::make_unique<FuzzLine>(data + 1, size - 1);
    line = made.get();
    return made;
  });
  int attempts = 0;
  link.setAttemptObserver([&](const AttemptRecord&) { ++attempts; });
  check(link.OpenDeviceLink("fuzz", 9600) >= 0 && line != nullptr);

  for (std::size_t i = 0; i < 16 && (i == 0 || !line->exhausted()); ++i) {
    attempts = 0;
    const std::int32_t command = kCommands[(data[0] + i) % std::size(kCommands)];
    const CommandResult* r = link.SendCommand(command, "582014;");
    check(r == link.result() && link.linkIdle() && r->Command == command);
    checkRecord(*r, line->takeEndSeen(), attempts);
  }
  return 0;
}
