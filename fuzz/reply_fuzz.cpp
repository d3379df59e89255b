// Random byte streams as a printer's reply: the receive state machine and the record it
// fills must never crash, read out of bounds, or break the record's invariants.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "link/device_link.h"

namespace {

using namespace tallowick;

// Gives the fuzzer's bytes to the link, then silence.
class FuzzLine final : public SerialLine {
 public:
  FuzzLine(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::int32_t open(const std::string&, std::int32_t) override { return 1; }
  bool close() override { return true; }
  bool isOpen() const override { return true; }
  void write(std::span<const std::uint8_t>) override {}
  ReadResult readByte() override {
    if (pos_ < size_) return {ReadStatus::Byte, data_[pos_++]};
    return {ReadStatus::Timeout, 0};
  }
  void purge() override {}
  void drain() override {}
  void clearError() override {}

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

std::size_t utf8Characters(const std::string& s) {
  std::size_t n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80 ? 1 : 0;
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  // The first byte picks the command, so the touch-ups of 32h, 35h, 3Eh and 5Ah are reached.
  static constexpr std::int32_t kCommands[] = {0x28, 0x32, 0x35, 0x3E, 0x5A, 0x80};
  const std::int32_t command = kCommands[data[0] % std::size(kCommands)];
  DeviceLink link([&](const std::string&) {
    return std::make_unique<FuzzLine>(data + 1, size - 1);
  });
  link.OpenDeviceLink("fuzz", 9600);
  const CommandResult* r = link.SendCommand(command, "582014;");

  const std::uint32_t linkBits = r->ErrorFlags & flag::kLinkBits;
  const bool oneLinkBitAtMost = (linkBits & (linkBits - 1)) == 0;
  const bool statusBitsAlone = linkBits == 0 || (r->ErrorFlags & ~flag::kLinkBits) == 0;
  const bool neverSet = (r->ErrorFlags & ((1u << 15) | (7u << 29))) == 0;
  if (!oneLinkBitAtMost || !statusBitsAlone || !neverSet || r->FieldCount < 0 ||
      r->FieldCount > static_cast<std::int32_t>(kMaxFields) ||
      utf8Characters(r->ErrorCode) > kMaxErrorCodeLength) {
    std::abort();
  }
  for (auto s : r->Status) {
    if (s & 0x80) std::abort();
  }
  return 0;
}
