#include "link/frame.h"

#include <gtest/gtest.h>

#include <string>

namespace tallowick {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes request(std::uint8_t seq, std::uint8_t cmd, const std::string& data) {
  return frame::buildRequest(
      seq, cmd, std::span(reinterpret_cast<const std::uint8_t*>(data.data()), data.size()));
}

TEST(Frame, RequestBytesMatchTheFormat) {
  // Command 2Ch as the first frame after start: sum 76h.
  EXPECT_EQ(request(0x21, 0x2C, ""),
            (Bytes{0x01, 0x24, 0x21, 0x2C, 0x05, 0x30, 0x30, 0x37, 0x36, 0x03}));
  // GetDeviceInfo with the password: LEN 2Bh; sum 240h.
  EXPECT_EQ(request(0x21, 0x80, "582014;"), (Bytes{0x01, 0x2B, 0x21, 0x80, '5', '8', '2', '0', '1',
                                                   '4', ';', 0x05, 0x30, 0x32, 0x34, 0x30, 0x03}));
}

TEST(Frame, LengthByteCountsDataAndFitsAtTheLimit) {
  EXPECT_EQ(request(0x21, 0x80, "").size(), 10u);
  const auto full = request(0x21, 0x80, std::string(frame::kMaxRequestData, 'x'));
  EXPECT_EQ(full[1], 0xFF);
  EXPECT_EQ(full.size(), frame::kMaxRequestData + 10);
}

TEST(Frame, ChecksumCharactersRunFromZeroToQuestionMark) {
  EXPECT_EQ(frame::checksumChars(0x476), (std::array<std::uint8_t, 4>{'0', '4', '7', '6'}));
  EXPECT_EQ(frame::checksumChars(0xFFFF), (std::array<std::uint8_t, 4>{'?', '?', '?', '?'}));
  // Only the low 16 bits are written.
  EXPECT_EQ(frame::checksumChars(0x1ABCD), (std::array<std::uint8_t, 4>{':', ';', '<', '='}));
}

TEST(Frame, SequenceByteWrapsWithinPrintableRange) {
  struct Case {
    std::uint8_t counter;
    std::uint8_t seq;
  };
  for (const auto c : {Case{0, 0x20}, Case{1, 0x21}, Case{94, 0x7E}, Case{95, 0x20},
                       Case{190, 0x20}, Case{255, 0x20 + 255 % 95}}) {
    EXPECT_EQ(frame::seqByte(c.counter), c.seq) << int(c.counter);
  }
}

}  // namespace
}  // namespace tallowick
