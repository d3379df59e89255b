#include "sim/reply_frame.h"

#include <gtest/gtest.h>

#include "sim_test_support.h"

namespace tallowick::sim {
namespace {

using testing::Bytes;
using testing::bytesOf;

TEST(ReplyFrame, MatchesTheEmptyReplyExample) {
  const Bytes code = bytesOf("0000");
  // Status bits come without bit 7; the frame carries it on every byte.
  const Bytes reply = buildReply(0x21, 0x21, code, {}, StatusBytes{});
  const Bytes expected = {0x01, 0x30, 0x21, 0x21, 0x30, 0x30, 0x30, 0x30, 0x3B, 0x04, 0x80,
                          0x80, 0x80, 0x80, 0x80, 0x80, 0x05, 0x30, 0x34, 0x37, 0x36, 0x03};
  EXPECT_EQ(reply, expected);
}

}  // namespace
}  // namespace tallowick::sim
