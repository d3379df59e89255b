#include "link/reply_receiver.h"

#include <gtest/gtest.h>

#include "link/reply_bytes.h"

namespace tallowick {
namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kExample = {0x01, 0x30, 0x21, 0x21, 0x30, 0x30, 0x30, 0x30, 0x3B, 0x04, 0x80,
                        0x80, 0x80, 0x80, 0x80, 0x80, 0x05, 0x30, 0x34, 0x37, 0x36, 0x03};

Bytes cat(const Bytes& a, const Bytes& b) {
  Bytes out;
  out.reserve(a.size() + b.size());
  for (auto x : a)
    out.push_back(x);
  for (auto x : b)
    out.push_back(x);
  return out;
}

Bytes withByte(Bytes b, std::size_t at, std::uint8_t value) {
  b[at] = value;
  return b;
}

// The first `n` bytes of a frame, closed at once by an end byte.
Bytes endedAfter(const Bytes& b, std::size_t n) {
  Bytes out(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(n));
  out.push_back(0x03);
  return out;
}

Bytes inserted(Bytes b, std::size_t at, std::uint8_t value) {
  b.insert(b.begin() + static_cast<std::ptrdiff_t>(at), value);
  return b;
}

Bytes without(Bytes b, std::size_t at) {
  b.erase(b.begin() + static_cast<std::ptrdiff_t>(at));
  return b;
}

struct Outcome {
  bool complete;
  bool mismatch;
  bool nak;
  bool retry;
  std::string firstField;
  std::string data;
};

struct Case {
  const char* name;
  Bytes input;
  Outcome expected;
};

Outcome feedAll(ReplyReceiver& r, const Bytes& input) {
  r.beginAttempt();
  for (auto b : input)
    r.feed(b);
  return {r.frameComplete(),  r.checksumMismatch(), r.nakSeen(),
          r.retryRequested(), r.firstField(),       r.replyData()};
}

const Bytes kThreeFields = test::replyFrame("0000", "12;ab;;");

std::vector<Case> cases() {
  return {
      {"example frame with sum 476h", kExample, {true, false, false, false, "0000", ""}},
      {"fields after the error code", kThreeFields, {true, false, false, false, "0000", "12;ab;;"}},
      {"busy bytes before the frame",
       cat({0x16, 0x16, 0x16}, kExample),
       {true, false, false, false, "0000", ""}},
      {"noise before the frame",
       cat({0x7F, 0x30, 0x04, 0x05}, kExample),
       {true, false, false, false, "0000", ""}},
      {"one changed data byte asks for a repeat",
       withByte(kThreeFields, 10, 'x'),
       {true, true, false, true, "0000", "1x;ab;;"}},
      {"changed status byte", withByte(kExample, 12, 0x81), {true, true, false, true, "0000", ""}},
      {"missing status mark drops the frame",
       without(kExample, 9),
       {false, false, false, false, "0000", ""}},
      {"missing checksum mark drops the frame",
       without(kExample, 16),
       {false, false, false, false, "0000", ""}},
      {"NAK alone", {0x15}, {false, false, true, true, "", ""}},
      {"NAK then a good frame", cat({0x15}, kExample), {true, false, true, true, "0000", ""}},
      {"start byte twice asks for a repeat",
       cat({0x01}, kExample),
       {true, false, false, true, "0000", ""}},
      {"start bytes apart by busy bytes",
       cat({0x01, 0x16, 0x16}, kExample),
       {true, false, false, true, "0000", ""}},
      {"length below 30h asks for a repeat",
       withByte(kExample, 1, 0x2F),
       {false, false, false, true, "", ""}},
      {"sequence below 20h asks for a repeat",
       withByte(kExample, 2, 0x1F),
       {false, false, false, true, "", ""}},
      {"end byte before the checksum is complete",
       endedAfter(kExample, 19),
       {true, true, false, true, "0000", ""}},
      {"end byte inside the first field",
       {0x01, 0x30, 0x21, 0x21, 0x30, 0x30, 0x03},
       {true, true, false, true, "00", ""}},
      {"stray end byte outside a frame is noise", {0x03}, {false, false, false, false, "", ""}},
      {"three checksum characters that happen to equal the sum ask for a repeat",
       without(kExample, 17),
       {true, false, false, true, "0000", ""}},
      {"a 00h in the first field passes the sum but asks for a repeat",
       inserted(kExample, 4, 0x00),
       {true, false, false, true,
        std::string("\0"
                    "0000",
                    5),
        ""}},
      {"first field longer than 19 characters keeps 19",
       test::replyFrame("ABCDEFGHIJKLMNOPQRSTUVWXYZ", ""),
       {true, false, false, false, "ABCDEFGHIJKLMNOPQRS", ""}},
  };
}

TEST(ReplyReceiver, TakesFramesAsTheFormatSays) {
  for (const auto& c : cases()) {
    ReplyReceiver r;
    const Outcome got = feedAll(r, c.input);
    EXPECT_EQ(got.complete, c.expected.complete) << c.name;
    EXPECT_EQ(got.mismatch, c.expected.mismatch) << c.name;
    EXPECT_EQ(got.nak, c.expected.nak) << c.name;
    EXPECT_EQ(got.retry, c.expected.retry) << c.name;
    EXPECT_EQ(got.firstField, c.expected.firstField) << c.name;
    EXPECT_EQ(got.data, c.expected.data) << c.name;
  }
}

TEST(ReplyReceiver, OnlyAFrameOfTheExpectedRequestAnswersIt) {
  const FrameId mine{0x21, 0x21};
  const Bytes otherSeq = test::replyFrame("0000", "1;", {0x80, 0x80, 0x80, 0x80, 0x80, 0x80}, 0x22);
  const Bytes otherCmd =
      test::replyFrame("0012", "", {0x80, 0x80, 0x80, 0x80, 0x80, 0x80}, 0x21, 0x80);
  struct Expectation {
    const char* name;
    Bytes input;
    bool complete;
    bool retry;
    int dropped;
    std::string firstField;
  };
  const Expectation cases[] = {
      {"this request's frame", kExample, true, false, 0, "0000"},
      {"another SEQ is dropped", otherSeq, false, false, 1, "prev"},
      {"another command is dropped", otherCmd, false, false, 1, "prev"},
      {"a late copy, then this request's frame", cat(otherSeq, kExample), true, false, 1, "0000"},
      {"two foreign frames, then silence", cat(otherSeq, otherCmd), false, false, 2, "prev"},
      {"a damaged frame is asked for again, whoever it is for", withByte(otherSeq, 4, '1'), true,
       true, 0, "1000"},
  };
  for (const auto& c : cases) {
    ReplyReceiver r;
    r.beginAttempt();
    for (auto b : test::replyFrame("prev", ""))
      r.feed(b);
    r.beginAttempt(mine);
    for (auto b : c.input)
      r.feed(b);
    EXPECT_EQ(r.frameComplete(), c.complete) << c.name;
    EXPECT_EQ(r.retryRequested(), c.retry) << c.name;
    EXPECT_EQ(r.foreignFrameCount(), c.dropped) << c.name;
    EXPECT_EQ(r.firstField(), c.firstField) << c.name;
    if (!c.complete) {
      EXPECT_EQ(r.status(), (std::array<std::uint8_t, 6>{})) << c.name;
      EXPECT_EQ(r.replyData(), "") << c.name;
    }
  }
  ReplyReceiver r;
  r.beginAttempt(mine);
  for (auto b : cat(otherSeq, otherCmd))
    r.feed(b);
  EXPECT_EQ(r.foreignFrames(), (std::vector<FrameId>{{0x22, 0x21}, {0x21, 0x80}}));
}

TEST(ReplyReceiver, SameOutcomeWhateverCameBeforeAndAfterACompleteFrame) {
  // A frame that follows any prefix of another frame (cut off there) is taken whole.
  for (std::size_t cut = 0; cut <= kThreeFields.size(); ++cut) {
    ReplyReceiver r;
    Bytes input(kThreeFields.begin(), kThreeFields.begin() + static_cast<std::ptrdiff_t>(cut));
    if (!input.empty() && input.back() == 0x03) continue;  // a whole frame already
    r.beginAttempt();
    for (auto b : input)
      r.feed(b);
    r.endAttempt();
    const Outcome got = feedAll(r, kExample);
    EXPECT_TRUE(got.complete) << cut;
    EXPECT_FALSE(got.mismatch) << cut;
    EXPECT_EQ(got.firstField, "0000") << cut;
  }
}

TEST(ReplyReceiver, NeverCountsMoreBytesToComeThanTheFrameHasLeft) {
  // At every position of frames with and without data and with first fields of any length:
  // what is said to be still coming is never more than what is left, none before the
  // frame and after it, and exactly what is left once the first field has ended.
  const Bytes frames[] = {kExample, test::replyFrame("0000", "Veltor FP-90T;3.01;Україна;"),
                          test::replyFrame("", "1;"), test::replyFrame("0012", ""),
                          test::replyFrame("A long first field", "x")};
  for (const Bytes& frame : frames) {
    ReplyReceiver r;
    r.beginAttempt();
    EXPECT_EQ(r.bytesToCome(), 0u);
    bool firstFieldEnded = false;
    for (std::size_t fed = 0; fed < frame.size(); ++fed) {
      r.feed(frame[fed]);
      const std::size_t left = frame.size() - fed - 1;
      firstFieldEnded = firstFieldEnded || (fed > 3 && frame[fed] == ';');
      EXPECT_LE(r.bytesToCome(), left) << "after byte " << fed;
      if (firstFieldEnded) {
        EXPECT_EQ(r.bytesToCome(), left) << "after byte " << fed;
      }
    }
    EXPECT_TRUE(r.frameComplete());
    EXPECT_EQ(r.bytesToCome(), 0u);
  }
}

TEST(ReplyReceiver, ReplyOfLength30hGoesStraightToTheStatusMark) {
  ReplyReceiver r;
  r.beginAttempt();
  for (std::size_t i = 0; i < 9; ++i)
    r.feed(kExample[i]);  // through the ';'
  EXPECT_EQ(r.state(), ReplyState::WaitStatusMark);
}

TEST(ReplyReceiver, CompletedFrameLeavesStatusAndReturnsToWaitStart) {
  ReplyReceiver r;
  const auto frame = test::replyFrame("0000", "", {0x81, 0x80, 0x85, 0x80, 0x80, 0xC0});
  feedAll(r, frame);
  EXPECT_EQ(r.state(), ReplyState::WaitStart);
  EXPECT_EQ(r.status(), (std::array<std::uint8_t, 6>{0x81, 0x80, 0x85, 0x80, 0x80, 0xC0}));
}

TEST(ReplyReceiver, NewFrameStartsItsFirstFieldAfresh) {
  // A frame broken off inside its first field, then a NAK and a new frame.
  ReplyReceiver r;
  feedAll(r, cat({0x01, 0x31, 0x21, 0x21, 'E', 'R', 0x15}, test::replyFrame("0000", "x;")));
  EXPECT_EQ(r.firstField(), "0000");
  EXPECT_EQ(r.replyData(), "x;");
}

TEST(ReplyReceiver, ReadErrorAbandonsTheFrameUnderWay) {
  ReplyReceiver r;
  r.beginAttempt();
  for (std::size_t i = 0; i < 12; ++i)
    r.feed(kExample[i]);
  r.readFailed();
  EXPECT_EQ(r.state(), ReplyState::WaitStart);
  for (std::size_t i = 12; i < kExample.size(); ++i)
    r.feed(kExample[i]);
  EXPECT_FALSE(r.frameComplete());
}

}  // namespace
}  // namespace tallowick
