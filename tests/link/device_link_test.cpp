#include "link/device_link.h"

#include <gtest/gtest.h>

#include <functional>

#include "link/reply_bytes.h"
#include "link/scripted_line.h"

namespace tallowick {
namespace {

using test::bytes;
using test::LineEvent;
using test::replyFrame;
using test::Responder;
using test::ScriptedLine;
using test::silence;
using test::operator+;

constexpr std::array<std::uint8_t, 6> kPlain = {0x80, 0x80, 0x80, 0x80, 0x80, 0x80};

// The reply to the next request, with that request's SEQ and command; `before` (busy
// bytes, noise, silences) goes first.
Responder answer(const std::string& code, const std::string& data,
                 std::array<std::uint8_t, 6> status = kPlain, std::vector<LineEvent> before = {}) {
  return [=](std::span<const std::uint8_t> request) {
    return before +
           bytes(replyFrame(code, data, status, test::seqOf(request), test::commandOf(request)));
  };
}

using Bench = test::ScriptedLink;

TEST(DeviceLink, GoodReplyFillsTheRecord) {
  Bench b;
  b.line->script(answer("0000", "Veltor FP-90T;3.01;\xD3\xEA\xF0\xE0\xBF\xED\xE0;"));
  const CommandResult* r = b.send(0x80);
  EXPECT_EQ(r->Command, 0x80);
  EXPECT_EQ(r->ErrorFlags, 0u);
  EXPECT_EQ(r->ErrorCode, "0000");
  EXPECT_EQ(r->CommandName, "Команда 80h: Диагностическая информация");
  EXPECT_EQ(r->RequestData, "582014;");
  EXPECT_EQ(r->ReplyText, "Veltor FP-90T;3.01;Україна;");
  ASSERT_EQ(r->FieldCount, 3);
  EXPECT_EQ(r->Fields[0], "Veltor FP-90T");
  EXPECT_EQ(r->Fields[1], "3.01");
  EXPECT_EQ(r->Fields[2], "Україна");
  EXPECT_EQ(r->Status, (std::array<std::uint8_t, 6>{}));
  EXPECT_EQ(b.stats.writes.size(), 1u);
}

TEST(DeviceLink, ExchangeEndsOnTheClosingByteWithoutAnExtraRead) {
  // The reply in reads of one byte, of seven, and whole: each byte is fed in order from
  // what the reads brought, and no read follows the one that brought the closing byte.
  const auto frame = replyFrame("0000", "Veltor FP-90T;3.01;");
  for (const std::size_t chunk : {std::size_t{1}, std::size_t{7}, frame.size()}) {
    Bench b;
    b.line->setChunk(chunk);
    b.line->script(answer("0000", "Veltor FP-90T;3.01;"));
    const CommandResult* r = b.send(0x80);
    EXPECT_EQ(r->ErrorFlags, 0u) << chunk;
    EXPECT_EQ(r->Fields[1], "3.01") << chunk;
    EXPECT_EQ(b.stats.reads, static_cast<int>((frame.size() + chunk - 1) / chunk)) << chunk;
    EXPECT_EQ(b.stats.emptyReads, 0) << chunk;
  }
}

TEST(DeviceLink, RequestDataGoOutInWindows1251) {
  Bench b;
  b.line->script(answer("0000", ""));
  b.send(0x61, "582014;Конец;");
  const auto& w = b.stats.writes.at(0);
  const std::string data(w.begin() + 4, w.end() - 6);
  EXPECT_EQ(data, "582014;\xCA\xEE\xED\xE5\xF6;");
  EXPECT_EQ(w[1], 0x20 + data.size() + 4);
}

TEST(DeviceLink, BusyBytesKeepTheWaitGoing) {
  // 40 empty reads, a busy byte, 40 more, twice: never 50 in a row, so the reply counts.
  Bench b;
  b.line->script(answer("0000", "", kPlain,
                        silence(40) + bytes({0x16}) + silence(40) + bytes({0x16}) + silence(49)));
  const CommandResult* r = b.send(0x80);
  EXPECT_EQ(r->ErrorFlags, 0u);
  EXPECT_EQ(b.stats.emptyReads, 129);
}

TEST(DeviceLink, SilentPrinterGivesOneAttemptAndTheTimeoutBit) {
  Bench b;
  b.line->script(answer("0000", ""));
  b.send(0x80);  // leaves "0000" behind
  const CommandResult* r = b.send(0x21);
  EXPECT_EQ(b.stats.writes.size(), 2u);
  EXPECT_EQ(r->ErrorFlags, flag::kNoReply);
  EXPECT_EQ(r->Status, (std::array<std::uint8_t, 6>{}));
  EXPECT_EQ(r->ErrorCode, "0000");  // the previous reply's, as callers expect
  EXPECT_EQ(r->FieldCount, 0);
  EXPECT_EQ(b.stats.emptyReads, DeviceLink::kSilentReadsLimit);
}

TEST(DeviceLink, NakOnlyPrinterGivesFiveAttemptsWithTheSameSeq) {
  Bench b;
  for (int i = 0; i < 6; ++i)
    b.line->script(bytes({0x15}));
  const CommandResult* r = b.send(0x80);
  ASSERT_EQ(b.stats.writes.size(), 5u);
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(b.stats.writes[i], b.stats.writes[0]) << i;
    EXPECT_EQ(b.seqOfWrite(i), 0x21) << i;
  }
  EXPECT_EQ(r->ErrorFlags, flag::kNoReply);
  EXPECT_EQ(b.stats.emptyReads, 5 * DeviceLink::kSilentReadsLimit);
  // The next command takes the next SEQ.
  b.line->script(answer("0000", ""));
  b.send(0x80);
  EXPECT_EQ(b.seqOfWrite(5), 0x22);
}

TEST(DeviceLink, RepeatAfterNakWhenTheRepeatIsAnswered) {
  Bench b;
  b.line->script(bytes({0x15}));
  b.line->script(answer("0000", "1;"));
  const CommandResult* r = b.send(0x80);
  EXPECT_EQ(b.stats.writes.size(), 2u);
  EXPECT_EQ(b.seqOfWrite(0), b.seqOfWrite(1));
  EXPECT_EQ(r->ErrorFlags, 0u);
  EXPECT_EQ(r->Fields[0], "1");
}

TEST(DeviceLink, NakBeforeACompleteFrameSetsTheNakBit) {
  Bench b;
  b.line->script(answer("0000", "", {0x81, 0x80, 0x80, 0x80, 0x80, 0x80}, bytes({0x15})));
  b.line->script(answer("0000", ""));
  const CommandResult* r = b.send(0x80);
  EXPECT_EQ(b.stats.writes.size(), 2u);  // the NAK asked for a repeat
  EXPECT_EQ(r->ErrorFlags, 0u);          // the repeat's own outcome
  Bench c;
  c.line->script(answer("0000", "", {0x81, 0x80, 0x80, 0x80, 0x80, 0x80}, bytes({0x15})));
  c.link.setSeqCounter(0);
  c.link.ExchangeFrame(0x80, "582014;");
  EXPECT_EQ(c.link.result()->ErrorFlags, flag::kNak);  // no status bit next to a link bit
}

// The reply to the next request with one data byte changed after the checksum was made.
Responder damagedAnswer() {
  return [](std::span<const std::uint8_t> request) {
    auto frame = replyFrame("0000", "12;34;", {0x81, 0x80, 0x80, 0x80, 0x80, 0x80},
                            test::seqOf(request), test::commandOf(request));
    frame[10] = '9';
    return bytes(frame);
  };
}

// The reply to the next request closed by a stray 03h before its checksum.
Responder closedEarly() {
  return [](std::span<const std::uint8_t> request) {
    auto frame = replyFrame("0000", "", kPlain, test::seqOf(request), test::commandOf(request));
    // The last three checksum characters and the 03h give way to one 03h.
    frame.erase(frame.end() - 4, frame.end());
    frame.push_back(0x03);
    return bytes(frame);
  };
}

// The reply to the next request with a 00h in its error code: the sum does not see it.
Responder nulInErrorCode() {
  return [](std::span<const std::uint8_t> request) {
    auto frame = replyFrame("0000", "", kPlain, test::seqOf(request), test::commandOf(request));
    frame.insert(frame.begin() + 4, 0x00);
    return bytes(frame);
  };
}

TEST(DeviceLink, DamagedReplyIsAskedForAgainAndNeverASuccess) {
  struct Case {
    const char* name;
    std::vector<Responder> replies;
    std::size_t writes;
    std::uint32_t flags;
  };
  const Case cases[] = {
      {"a wrong checksum, then a good reply", {damagedAnswer(), answer("0000", "5;")}, 2, 0},
      {"closed before its checksum, then a good reply",
       {closedEarly(), answer("0000", "5;")},
       2,
       0},
      {"a 00h in the error code, then a good reply",
       {nulInErrorCode(), answer("0000", "5;")},
       2,
       0},
      {"wrong checksums only", std::vector<Responder>(6, damagedAnswer()), DeviceLink::kMaxAttempts,
       flag::kNoReply | flag::kBadChecksum},
      {"closed early every time", std::vector<Responder>(6, closedEarly()),
       DeviceLink::kMaxAttempts, flag::kNoReply | flag::kBadChecksum},
  };
  for (const auto& c : cases) {
    Bench b;
    for (const auto& reply : c.replies)
      b.line->script(reply);
    const CommandResult* r = b.send(0x80);
    ASSERT_EQ(b.stats.writes.size(), c.writes) << c.name;
    for (std::size_t i = 1; i < c.writes; ++i)
      EXPECT_EQ(b.stats.writes[i], b.stats.writes[0]) << c.name << ": a repeat, same SEQ";
    EXPECT_EQ(r->ErrorFlags, c.flags) << c.name;
    EXPECT_TRUE(c.flags == 0 || r->noReply()) << c.name;
    EXPECT_EQ(b.stats.emptyReads, 0) << c.name << ": no wait for silence";
  }
  // What arrived stays in the record, for a look at it; it raises no status bit.
  Bench b;
  for (int i = 0; i < 5; ++i)
    b.line->script(damagedAnswer());
  const CommandResult* r = b.send(0x80);
  EXPECT_EQ(r->ErrorCode, "0000");
  ASSERT_EQ(r->FieldCount, 2);
  EXPECT_EQ(r->Fields[0], "19");
  EXPECT_EQ(r->Status[0], 0x01);
}

TEST(DeviceLink, ReplyOfAnotherRequestIsDroppedAndTheWaitGoesOn) {
  struct Case {
    const char* name;
    Responder reply;
    std::uint32_t flags;
    int emptyReads;
    int dropped;
  };
  const auto late = [](std::uint8_t seqShift, std::uint8_t cmd, bool thenOwn) -> Responder {
    return [=](std::span<const std::uint8_t> request) {
      auto events = bytes(replyFrame("0000", "old;", kPlain,
                                     static_cast<std::uint8_t>(test::seqOf(request) - seqShift),
                                     cmd ? cmd : test::commandOf(request)));
      if (thenOwn) {
        events = events + silence(3) +
                 bytes(replyFrame("0000", "new;", kPlain, test::seqOf(request),
                                  test::commandOf(request)));
      }
      return events;
    };
  };
  const Case cases[] = {
      {"the previous reply, then its own", late(1, 0, true), 0, 3, 1},
      {"another command's reply, then its own", late(0, 0x81, true), 0, 3, 1},
      {"only the previous reply", late(1, 0, false), flag::kNoReply, DeviceLink::kSilentReadsLimit,
       1},
  };
  for (const auto& c : cases) {
    Bench b;
    int observed = -1;
    b.link.setAttemptObserver([&](const AttemptRecord& a) { observed = a.droppedFrames; });
    b.line->script(c.reply);
    const CommandResult* r = b.send(0x80);
    EXPECT_EQ(r->ErrorFlags, c.flags) << c.name;
    EXPECT_EQ(b.stats.writes.size(), 1u) << c.name << ": no repeat for a foreign frame";
    EXPECT_EQ(b.stats.emptyReads, c.emptyReads) << c.name;
    EXPECT_EQ(observed, c.dropped) << c.name;
    if (c.flags == 0) {
      EXPECT_EQ(r->Fields[0], "new") << c.name;
    } else {
      EXPECT_EQ(r->FieldCount, 0) << c.name << ": nothing of the foreign frame";
    }
  }
}

TEST(DeviceLink, FrameWithoutStatusMarkIsDroppedAndEndsBySilence) {
  Bench b;
  auto frame = replyFrame("0000", "");
  frame.erase(frame.begin() + 9);
  b.line->script(bytes(frame));
  const CommandResult* r = b.send(0x80);
  EXPECT_EQ(b.stats.writes.size(), 1u);
  EXPECT_EQ(r->ErrorFlags, flag::kNoReply);
}

TEST(DeviceLink, DoubleStartByteAsksForARepeat) {
  Bench b;
  b.line->script(answer("0000", "", kPlain, bytes({0x01})));
  b.line->script(answer("0000", "2;"));
  const CommandResult* r = b.send(0x80);
  EXPECT_EQ(b.stats.writes.size(), 2u);
  EXPECT_EQ(r->Fields[0], "2");
}

TEST(DeviceLink, EveryWaitHasAnEnd) {
  using std::chrono::milliseconds;
  struct Case {
    const char* name;
    std::function<void(ScriptedLine&)> line;
    WaitEnd ended;
    Micros least;  // the wait took at least this long
    Micros most;   // and at most this
  };
  const Micros limit = DeviceLink::kCommandTimeLimit;
  const Case cases[] = {
      {"busy bytes without end", [](ScriptedLine& l) { l.thenForever(0x16); }, WaitEnd::TimeLimit,
       limit, limit + milliseconds(100)},
      {"NAKs without end", [](ScriptedLine& l) { l.thenForever(0x15); }, WaitEnd::TimeLimit, limit,
       limit + milliseconds(100)},
      {"noise without end", [](ScriptedLine& l) { l.thenForever(0x7F); }, WaitEnd::TimeLimit, limit,
       limit + milliseconds(100)},
      {"the port gone", [](ScriptedLine& l) { l.hangUp(); }, WaitEnd::PortGone, Micros{0},
       Micros{0}},
      {"the port gone after a NAK",
       [](ScriptedLine& l) {
         l.script(bytes({0x15}));
         l.hangUp();
       },
       WaitEnd::PortGone, Micros{0}, Micros{0}},
      {"every read failing", [](ScriptedLine& l) { l.failReads(); }, WaitEnd::Silence,
       milliseconds(5000), milliseconds(5000)},
  };
  for (const auto& c : cases) {
    Bench b;
    c.line(*b.line);
    const CommandResult* r = b.send(0x80);
    const Micros took = b.line->virtualClock().now();
    EXPECT_EQ(r->WaitEnded, c.ended) << c.name;
    EXPECT_TRUE(r->noReply()) << c.name;
    EXPECT_EQ(b.stats.writes.size(), 1u) << c.name << ": not asked again";
    EXPECT_GE(took, c.least) << c.name;
    EXPECT_LE(took, c.most) << c.name;
  }
}

TEST(DeviceLink, StopCheckEndsAWaitWithinAReadPeriod) {
  for (const bool busy : {false, true}) {
    Bench b;
    if (busy) b.line->thenForever(0x16);
    int asked = 0;
    b.link.setStopCheck([&] { return b.line->virtualClock().now() >= std::chrono::seconds(2); });
    b.link.setAttemptObserver([&](const AttemptRecord&) { ++asked; });
    const CommandResult* r = b.send(0x80);
    EXPECT_TRUE(r->noReply()) << busy;
    EXPECT_TRUE(r->stopped()) << busy;
    EXPECT_EQ(asked, 1) << busy << ": a stopped command is not sent again";
    EXPECT_LE(b.line->virtualClock().now(), std::chrono::milliseconds(2100)) << busy;
  }
}

TEST(DeviceLink, CommandsFromTheStopCheckLeaveTheOneUnderWayAlone) {
  Bench b;
  b.line->script(answer("0000", "7;", kPlain, silence(2)));
  const CommandResult* nested = nullptr;
  std::int32_t reopened = 0;
  b.link.setStopCheck([&] {
    nested = b.link.SendCommand(0x81, "582014;");
    reopened = b.link.OpenDeviceLink("COM2", 9600);
    return false;
  });
  const CommandResult* r = b.send(0x80);
  ASSERT_NE(nested, nullptr);
  EXPECT_NE(nested, r);
  EXPECT_EQ(nested->Refusal, LinkRefusal::Busy);
  EXPECT_NE(nested->ErrorCode, "0000");
  EXPECT_EQ(reopened, -1);
  EXPECT_EQ(b.stats.opens, 1);
  EXPECT_EQ(r->Refusal, LinkRefusal::None);
  EXPECT_EQ(r->Fields[0], "7");
  EXPECT_EQ(b.stats.writes.size(), 1u);
}

TEST(DeviceLink, APortClosedFromTheStopCheckEndsTheWaitAsGone) {
  // As the window's Disconnect does while the printer is silent, and while the reply is
  // half read: what the last read brought is not fed after the close.
  for (const bool halfRead : {false, true}) {
    Bench b;
    b.line->script([&](std::span<const std::uint8_t> request) {
      const auto whole =
          replyFrame("0000", "7;", kPlain, test::seqOf(request), test::commandOf(request));
      return halfRead ? bytes(whole) : silence(3) + bytes(whole);
    });
    if (halfRead) b.line->setChunk(5);
    b.link.setStopCheck([&] {
      b.link.CloseDeviceLink();
      return false;
    });
    // Bytes come 1 ms apart: the check is due at once on the first of them, since the open
    // was long enough ago; the silent printer gets it after its first empty read.
    b.line->virtualClock().advance(DeviceLink::kStopCheckPeriod);
    const CommandResult* r = b.send(0x80);
    EXPECT_EQ(r->WaitEnded, WaitEnd::PortGone) << halfRead;
    EXPECT_TRUE(r->noReply()) << halfRead;
    EXPECT_FALSE(b.link.isOpen());
  }
}

TEST(DeviceLink, BytesReadPastAReplyAreNotTakenForTheNextOne) {
  // The printer's reply and, in the same read, a frame that would answer the next request
  // (a late copy, noise that happens to add up): the next exchange starts from an empty
  // line and finds its printer silent.
  Bench b;
  b.line->script([](std::span<const std::uint8_t> request) {
    const std::uint8_t nextSeq = static_cast<std::uint8_t>(test::seqOf(request) + 1);
    return bytes(replyFrame("0000", "1;", kPlain, test::seqOf(request), test::commandOf(request))) +
           bytes(replyFrame("0000", "2;", kPlain, nextSeq, test::commandOf(request)));
  });
  EXPECT_EQ(b.send(0x80)->Fields[0], "1");
  const CommandResult* r = b.send(0x80);
  EXPECT_TRUE(r->noReply());
  EXPECT_EQ(r->WaitEnded, WaitEnd::Silence);
  EXPECT_EQ(b.stats.reads, 1 + DeviceLink::kSilentReadsLimit);
}

TEST(DeviceLink, WhileBytesComeTheStopCheckIsAskedEveryPeriodAcrossExchanges) {
  // Twenty exchanges of 24 ms of bytes each, one after the other: the check comes
  // never more than a period after the last one, however short each exchange, and never
  // for each byte.
  Bench b;
  b.line->setChunk(1);
  std::vector<Micros> asked;
  b.link.setStopCheck([&] {
    asked.push_back(b.line->virtualClock().now());
    return false;
  });
  for (int i = 0; i < 20; ++i)
    b.line->script(answer("0000", "1;"));
  for (int i = 0; i < 20; ++i)
    ASSERT_EQ(b.send(0x80)->ErrorFlags, 0u) << i;
  const Micros end = b.line->virtualClock().now();
  ASSERT_GE(end, std::chrono::milliseconds(400));
  ASSERT_EQ(b.stats.emptyReads, 0);
  Micros last{0};
  for (const Micros t : asked) {
    EXPECT_LE(t - last, DeviceLink::kStopCheckPeriod + ScriptedLine::kByteTime);
    EXPECT_GE(t - last, DeviceLink::kStopCheckPeriod);
    last = t;
  }
  EXPECT_GE(asked.size(), static_cast<std::size_t>(end / DeviceLink::kStopCheckPeriod) - 1);
}

TEST(DeviceLink, ShorterReadsCountTheSilenceInReadPeriodsAndAskTheStopCheckAfterEach) {
  // A window reads in short waits to answer its user often: a silent printer still gets its
  // five seconds, and a printer whose busy bytes come less than a read period apart is
  // still waited for.
  for (const int waitMs : {100, 25, 30}) {
    SCOPED_TRACE(waitMs);
    Bench b;
    b.link.setReadWait(std::chrono::milliseconds(waitMs));
    int asked = 0;
    b.link.setStopCheck([&] {
      ++asked;
      return false;
    });
    const CommandResult* silent = b.send(0x80);
    const Micros took = b.line->virtualClock().now();
    EXPECT_EQ(silent->WaitEnded, WaitEnd::Silence);
    EXPECT_GE(took, std::chrono::seconds(5));
    EXPECT_LT(took, std::chrono::seconds(5) + std::chrono::milliseconds(waitMs));
    EXPECT_EQ(asked, b.stats.emptyReads) << "after every empty read";

    // 90 ms of silence between busy bytes, in reads of the wait asked for.
    std::vector<LineEvent> busy;
    for (int i = 0; i < 60; ++i)
      busy = busy + silence((90 + waitMs - 1) / waitMs) + bytes({0x16});
    b.line->script(answer("0000", "1;", kPlain, busy));
    const CommandResult* r = b.send(0x80);
    EXPECT_EQ(r->ErrorFlags, 0u);
    EXPECT_EQ(r->Fields[0], "1");
  }
}

TEST(DeviceLink, EveryStatusBitMapsToItsFlag) {
  // (status byte, bit) -> flag bit, or -1 where the bit means nothing to the program.
  const int kMap[6][8] = {
      {0, 1, 2, -1, 3, 27, -1, -1},     {4, 5, 6, 7, 8, 12, -1, -1},
      {9, -1, -1, 10, -1, 11, -1, -1},  {-1, -1, -1, -1, -1, -1, -1, -1},
      {16, -1, 13, 20, 17, 28, -1, -1}, {18, 21, 19, 22, 23, 14, -1, -1},
  };
  for (std::size_t byte = 0; byte < 6; ++byte) {
    for (int bit = 0; bit < 8; ++bit) {
      std::array<std::uint8_t, 6> status{0x80, 0x80, 0x80, 0x80, 0x80, 0x80};
      status[byte] = static_cast<std::uint8_t>(status[byte] | (1u << bit));
      Bench b;
      b.line->script(answer("0000", "", status));
      const CommandResult* r = b.send(0x80);
      const int expected = kMap[byte][bit];
      EXPECT_EQ(r->ErrorFlags, expected < 0 ? 0u : 1u << expected) << "S" << byte << " bit " << bit;
      EXPECT_EQ(r->Status[byte], status[byte] & 0x7F);
    }
  }
}

TEST(DeviceLink, ReplyTextIsTouchedUpForSomeCommands) {
  struct Case {
    std::int32_t cmd;
    std::string data;
    std::vector<std::string> fields;
  };
  const Case cases[] = {
      {0x32, "1", {"1"}},
      {0x32, "12", {"1,2"}},
      {0x35, "35;x;", {"3,5", "x"}},
      {0x3E, "23.02.12 09:45", {"23.02.12,09:45"}},
      {0x3E, "23.02.12", {"23.02.12"}},
      {0x5A, "a b c;d e f g h i j k l", {"a,b,c", "d,e,f,g,h,i,j,k l"}},
      {0x80, "a b;", {"a b"}},
  };
  for (const auto& c : cases) {
    Bench b;
    b.line->script(answer("0000", c.data));
    const CommandResult* r = b.send(c.cmd);
    EXPECT_EQ(r->ReplyText, c.data) << c.cmd;
    ASSERT_EQ(r->FieldCount, static_cast<std::int32_t>(c.fields.size())) << c.data;
    for (std::size_t i = 0; i < c.fields.size(); ++i)
      EXPECT_EQ(r->Fields[i], c.fields[i]) << c.data;
  }
}

TEST(DeviceLink, ReplyDataSplitIntoFields) {
  struct Case {
    std::string data;
    std::vector<std::string> fields;
  };
  std::string many;
  for (int i = 0; i < 25; ++i)
    many += std::to_string(i) + ";";
  std::vector<std::string> first20;
  for (int i = 0; i < 20; ++i)
    first20.push_back(std::to_string(i));
  const Case cases[] = {
      {"", {}},
      {";", {""}},
      {"abc", {"abc"}},
      {"a;", {"a"}},
      {"a;b;c;", {"a", "b", "c"}},
      {"a;;b;", {"a", "", "b"}},
      {"a;;", {"a", ""}},
      {";;;", {"", "", ""}},
      {many, first20},
  };
  for (const auto& c : cases) {
    Bench b;
    b.line->script(answer("0000", c.data));
    const CommandResult* r = b.send(0x28);
    EXPECT_EQ(r->ReplyText, c.data);
    ASSERT_EQ(r->FieldCount, static_cast<std::int32_t>(c.fields.size())) << c.data;
    for (std::size_t i = 0; i < c.fields.size(); ++i)
      EXPECT_EQ(r->Fields[i], c.fields[i]) << c.data;
  }
}

std::string repeated(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i)
    out += s;
  return out;
}

TEST(DeviceLink, OversizedOrUnencodableDataNeverReachTheWire) {
  struct Case {
    std::string data;
    LinkRefusal refusal;
  };
  const Case cases[] = {
      {std::string(220, 'x'), LinkRefusal::DataTooLong},
      {"582014;" + repeated("Ж", 213), LinkRefusal::DataTooLong},  // 220 bytes on the wire
      {"582014;\xE4\xB8\xAD;", LinkRefusal::NotEncodable},
  };
  for (const auto& c : cases) {
    Bench b;
    b.line->script(answer("0000", ""));
    b.send(0x80);  // a success to be overwritten
    const CommandResult* r = b.send(0x61, c.data);
    EXPECT_EQ(r->Refusal, c.refusal) << c.data.size();
    EXPECT_EQ(b.stats.writes.size(), 1u);
    EXPECT_NE(r->ErrorCode, "0000");
    EXPECT_EQ(r->Command, 0x61);
    EXPECT_FALSE(refusalText(r->Refusal).empty());
  }
}

TEST(DeviceLink, DataOfExactlyTheLimitGoOut) {
  Bench b;
  b.line->script(answer("0000", ""));
  // 219 bytes on the wire, although more in UTF-8.
  const CommandResult* r = b.send(0x61, "582014;" + repeated("Ж", 212));
  EXPECT_EQ(r->Refusal, LinkRefusal::None);
  ASSERT_EQ(b.stats.writes.size(), 1u);
  EXPECT_EQ(b.stats.writes[0][1], 0xFF);
}

TEST(DeviceLink, NothingIsSentBeforeTheFirstOpen) {
  ScriptedLine::Stats stats;
  DeviceLink link([&](const std::string&) { return std::make_unique<ScriptedLine>(stats); });
  EXPECT_EQ(link.ExchangeFrame(0x80, "582014;"), DeviceLink::kNotReady);
  const CommandResult* r = link.SendCommand(0x80, "582014;");
  EXPECT_EQ(r->ErrorFlags, 0u);
  EXPECT_EQ(r->ErrorCode, "");
  EXPECT_EQ(r->Refusal, LinkRefusal::NotReady);
  EXPECT_EQ(link.ResendLastCommand(), -1);
}

TEST(DeviceLink, CommandAfterCloseFailsAtOnceAsNoReply) {
  Bench b;
  EXPECT_NE(b.link.CloseDeviceLink(), 0);
  EXPECT_EQ(b.link.CloseDeviceLink(), 0);  // nothing left to close
  const CommandResult* r = b.send(0x80);
  EXPECT_EQ(r->ErrorFlags, flag::kNoReply);
  EXPECT_TRUE(b.stats.writes.empty());
}

TEST(DeviceLink, SecondOpenReleasesTheFirstPort) {
  Bench b;
  EXPECT_EQ(b.link.OpenDeviceLink("COM2", 19200), 7);
  EXPECT_EQ(b.stats.opens, 2);
  EXPECT_EQ(b.stats.closes, 1);
  EXPECT_EQ(b.line->baud(), 19200);
}

TEST(DeviceLink, OpenFailsWhenThePortNameMeansNothing) {
  DeviceLink link([](const std::string&) { return nullptr; });
  EXPECT_EQ(link.OpenDeviceLink("nowhere", 9600), -1);
  EXPECT_EQ(link.SendCommand(0x80, "582014;")->ErrorFlags, flag::kNoReply);
}

TEST(DeviceLink, SequenceCounterWrapsAfter255) {
  Bench b;
  b.link.setSeqCounter(254);
  b.line->script(answer("0000", ""));
  b.line->script(answer("0000", ""));
  b.send(0x80);
  b.send(0x80);
  EXPECT_EQ(b.seqOfWrite(0), 0x20 + 255 % 95);
  EXPECT_EQ(b.seqOfWrite(1), 0x20);
  EXPECT_EQ(b.link.seqCounter(), 0);
}

TEST(CommandDescription, KnownAndUnknownCodes) {
  struct Case {
    std::int32_t code;
    const char* text;
  };
  const Case cases[] = {
      {0x2A, "Неверная команда"},
      {0x84, "Неверная команда"},
      {0xF3, "Неверная команда"},
      {0x1F, "Неверная команда"},
      {0xA4, "Неверная команда"},
      // Sent by the program, but without a description, and the touched-up ones.
      {0x35, "Неверная команда"},
      {0x74, "Неверная команда"},
      {0xA6, "Неверная команда"},
      {0xE2, "Неверная команда"},
      {0xF0, "Неверная команда"},
      {0x32, "Неверная команда"},
      {0x5A, "Неверная команда"},
      // Beyond any table.
      {-1, "Неверная команда"},
      {0x100, "Неверная команда"},
      {0x120, "Неверная команда"},
      {0x20, "Команда 20h: Установка даты и времени"},
      {0x65, "Команда 65h: Закрытие  фискального чека"},
      {0x6F, "Команда 6Fh: Печать штрих кода"},
      {0xA3, "Команда A3h: Печать периодического отчета"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CommandDescription(c.code), c.text) << c.code;
}

}  // namespace
}  // namespace tallowick
