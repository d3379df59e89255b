// A reply split at every byte position: an empty read, a failed read, or a failed read
// after which the printer sends its frame again, between any two bytes of the frame. The
// outcome at each position comes from one rule function, so that a change of the receive
// rules changes one place.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "link/device_link.h"
#include "link/reply_bytes.h"
#include "link/scripted_line.h"

namespace tallowick {
namespace {

using test::LineEvent;
using test::operator+;

enum class Split {
  EmptyRead,
  ReadError,
  ReadErrorThenResent,
};

const char* nameOf(Split split) {
  switch (split) {
    case Split::EmptyRead:
      return "empty read";
    case Split::ReadError:
      return "read error";
    case Split::ReadErrorThenResent:
      return "read error, then the frame again";
  }
  return "";
}

struct Expected {
  bool replied;    // the record holds the reply; otherwise the exchange is "no reply"
  int emptyReads;  // how long the exchange waited, in read periods
};

// What the receive rules make of a split after the first `position` bytes of a frame.
Expected expectedAfter(Split split, std::size_t position) {
  switch (split) {
    case Split::EmptyRead:
      // A pause inside a frame does not break it.
      return {true, 1};
    case Split::ReadError:
      // Before the start byte nothing is under way; after it the frame is abandoned, the
      // rest of it is noise, and the exchange ends by silence.
      if (position == 0) return {true, 0};
      return {false, DeviceLink::kSilentReadsLimit};
    case Split::ReadErrorThenResent:
      // The frame sent again after the abandoned one is taken whole.
      return {true, 0};
  }
  return {};
}

std::vector<LineEvent> splitAt(const std::vector<std::uint8_t>& frame, std::size_t position,
                               Split split) {
  const auto at = frame.begin() + static_cast<std::ptrdiff_t>(position);
  const std::vector<LineEvent> before(frame.begin(), at);
  const std::vector<LineEvent> after(at, frame.end());
  switch (split) {
    case Split::EmptyRead:
      return before + test::silence(1) + after;
    case Split::ReadError:
      return before + std::vector<LineEvent>{LineEvent::readError()} + after;
    case Split::ReadErrorThenResent:
      return before + std::vector<LineEvent>{LineEvent::readError()} + after + test::bytes(frame);
  }
  return {};
}

TEST(SplitReply, EveryPositionOfTheFrameGivesTheOutcomeTheRulesSay) {
  const std::array<std::uint8_t, 6> status = {0x80, 0x80, 0x84, 0x80, 0x80, 0x80};
  // The frame's length, whatever SEQ and command it answers.
  const auto frame = test::replyFrame("0000", "Veltor FP-90T;3.01;", status);
  for (const Split split : {Split::EmptyRead, Split::ReadError, Split::ReadErrorThenResent}) {
    for (std::size_t position = 0; position < frame.size(); ++position) {
      SCOPED_TRACE(std::string(nameOf(split)) + " after byte " + std::to_string(position));
      const Expected expected = expectedAfter(split, position);
      test::ScriptedLink b;
      b.line->script([&](std::span<const std::uint8_t> request) {
        return splitAt(test::replyFrame("0000", "Veltor FP-90T;3.01;", status, test::seqOf(request),
                                        test::commandOf(request)),
                       position, split);
      });
      const CommandResult* r = b.send(0x80);

      EXPECT_EQ(b.stats.writes.size(), 1u) << "nothing asks for the frame again";
      EXPECT_EQ(b.stats.emptyReads, expected.emptyReads);
      if (expected.replied) {
        EXPECT_EQ(r->ErrorFlags, 0u);
        EXPECT_EQ(r->ErrorCode, "0000");
        ASSERT_EQ(r->FieldCount, 2);
        EXPECT_EQ(r->Fields[0], "Veltor FP-90T");
        EXPECT_EQ(r->Fields[1], "3.01");
        EXPECT_EQ(r->Status[2], 0x04);
      } else {
        EXPECT_EQ(r->ErrorFlags, flag::kNoReply);
      }

      // Whatever the split left behind, the next exchange starts clean.
      b.line->script([](std::span<const std::uint8_t> request) {
        return test::bytes(test::replyFrame("0000", "1;", {0x80, 0x80, 0x80, 0x80, 0x80, 0x80},
                                            test::seqOf(request), test::commandOf(request)));
      });
      const CommandResult* after = b.send(0x21);
      EXPECT_EQ(after->ErrorFlags, 0u);
      EXPECT_EQ(after->ErrorCode, "0000");
    }
  }
}

}  // namespace
}  // namespace tallowick
