#include "sim/virtual_printer.h"

#include <gtest/gtest.h>

#include "sim_test_support.h"

namespace tallowick::sim {
namespace {

using std::chrono::milliseconds;
using testing::Bytes;
using testing::concat;
using testing::replyTextOf;
using testing::request;
using testing::takeAll;

// "Україна" in Windows-1251.
constexpr const char* kUkraineWire = "\xD3\xEA\xF0\xE0\xBF\xED\xE0";

FaultPlan planOf(std::initializer_list<const char*> rules) {
  FaultPlan plan;
  for (const char* text : rules) {
    std::string why;
    auto rule = parseFaultRule(text, why);
    EXPECT_TRUE(rule) << why;
    if (rule) plan.add(*rule);
  }
  return plan;
}

// What the printer sends at once in answer to `bytes` written at `now`.
Bytes answerTo(VirtualPrinter& printer, const Bytes& bytes, Micros now = Micros{0},
               std::int32_t baud = 9600) {
  printer.hostWrote(bytes, now, baud);
  return takeAll(printer, now);
}

TEST(VirtualPrinter, GetDeviceInfoReportsModelFirmwareAndCountry) {
  VirtualPrinter standard;
  const Bytes reply = answerTo(standard, request(0x21, 0x80));
  ASSERT_GE(reply.size(), 22u);
  EXPECT_EQ(reply[2], 0x21);
  EXPECT_EQ(reply[3], 0x80);
  EXPECT_EQ(replyTextOf(reply), std::string("0000;Veltor FP-90T;3.01;") + kUkraineWire + ";");
  EXPECT_TRUE(std::all_of(reply.end() - 12, reply.end() - 6, [](auto s) { return s == 0x80; }));

  VirtualPrinter other(
      {.model = "Veltor KM-15", .firmware = "2.02", .country = "Moldova", .serviceMode = true});
  const Bytes reply2 = answerTo(other, request(0x22, 0x80));
  EXPECT_EQ(replyTextOf(reply2), "0000;Veltor KM-15;2.02;Moldova;");
  EXPECT_EQ(reply2[reply2.size() - 12], 0x81) << "S0 bit 0 is service mode";
}

TEST(VirtualPrinter, RejectedFrameGetsOneNakAndIsNotRemembered) {
  VirtualPrinter printer;
  Bytes bad = request(0x21, 0x80);
  bad[5] ^= 0x01;
  EXPECT_EQ(answerTo(printer, bad), Bytes{frame::kNak});
  // The host's repeat with the same SEQ is a new request, carried out normally.
  EXPECT_EQ(replyTextOf(answerTo(printer, request(0x21, 0x80))).substr(0, 5), "0000;");
}

TEST(VirtualPrinter, RepeatedRequestGetsTheSameReplyWithoutRunningAgain) {
  VirtualPrinter printer;
  const Bytes first = answerTo(printer, request(0x21, 0x80));
  printer.settings().model = "Veltor FP-820T";
  EXPECT_EQ(answerTo(printer, request(0x21, 0x80)), first) << "same SEQ: answered from memory";
  const Bytes fresh = answerTo(printer, request(0x22, 0x80));
  EXPECT_NE(replyTextOf(fresh).find("FP-820T"), std::string::npos) << "new SEQ: carried out";
  const Bytes otherCommand = answerTo(printer, request(0x22, 0x83));
  EXPECT_EQ(replyTextOf(otherCommand), "0000;") << "same SEQ, other command: carried out";
}

TEST(VirtualPrinter, ErrorCodeOnlyOnTheChosenOccurrence) {
  VirtualPrinter printer({}, planOf({"80#2:error=0012"}));
  EXPECT_NE(replyTextOf(answerTo(printer, request(0x21, 0x80))), "0012;");
  EXPECT_EQ(replyTextOf(answerTo(printer, request(0x22, 0x80))), "0012;");
  EXPECT_NE(replyTextOf(answerTo(printer, request(0x23, 0x80))), "0012;");
}

bool checksumMatches(const Bytes& reply) {
  const auto bcc =
      frame::checksumChars(frame::byteSum(std::span(reply).subspan(1, reply.size() - 6)));
  return std::equal(bcc.begin(), bcc.end(), reply.end() - 5);
}

TEST(VirtualPrinter, FaultsShapeTheAnswer) {
  VirtualPrinter clean;
  const Bytes reply = answerTo(clean, request(0x21, 0x80));
  ASSERT_TRUE(checksumMatches(reply));

  struct Case {
    const char* fault;
    Bytes expected;  // empty: checked below
  };
  const std::vector<Case> cases = {
      {"80:busy=3", concat({{0x16, 0x16, 0x16}, reply})},
      {"80:garbage=7F7F", concat({{0x7F, 0x7F}, reply})},
      {"80:busy=1", concat({{0x16}, reply})},
      {"80:cut=7", Bytes(reply.begin(), reply.begin() + 7)},
      {"80:silence", {}},
      {"21:silence", reply},
      {"80:cut=0", {}},
  };
  for (const auto& c : cases) {
    VirtualPrinter printer({}, planOf({c.fault}));
    EXPECT_EQ(answerTo(printer, request(0x21, 0x80)), c.expected) << c.fault;
  }

  const auto with = [&](std::size_t at, Bytes bytes) {
    Bytes out = reply;
    out.insert(out.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin(), bytes.end());
    return out;
  };
  const std::vector<Case> inside = {
      {"80:garbage=13@4", with(4, {0x13})},
      {"80:garbage=0D0A@0", with(0, {0x0D, 0x0A})},
      {"80:garbage=11@250", with(reply.size(), {0x11})},
  };
  for (const auto& c : inside) {
    VirtualPrinter printer({}, planOf({c.fault}));
    EXPECT_EQ(answerTo(printer, request(0x21, 0x80)), c.expected) << c.fault;
  }
  for (const auto& [fault, at, value] :
       {std::tuple{"80:other-seq", 2, 0x22}, std::tuple{"80:other-cmd", 3, 0x81}}) {
    VirtualPrinter printer({}, planOf({fault}));
    const Bytes other = answerTo(printer, request(0x21, 0x80));
    ASSERT_EQ(other.size(), reply.size()) << fault;
    EXPECT_EQ(other[static_cast<std::size_t>(at)], value) << fault;
    EXPECT_TRUE(checksumMatches(other)) << fault << ": a whole frame, only not this request's";
  }

  VirtualPrinter spoilt({}, planOf({"80:checksum"}));
  const Bytes bad = answerTo(spoilt, request(0x21, 0x80));
  ASSERT_EQ(bad.size(), reply.size());
  EXPECT_TRUE(std::equal(reply.begin(), reply.end() - 5, bad.begin()));
  EXPECT_FALSE(checksumMatches(bad));
}

TEST(VirtualPrinter, LateCopyAndLagSendEarlierReplies) {
  VirtualPrinter clean;
  const Bytes first = answerTo(clean, request(0x21, 0x80));
  const Bytes second = answerTo(clean, request(0x22, 0x83));
  const Bytes third = answerTo(clean, request(0x23, 0x80));

  VirtualPrinter copying({}, planOf({"83:late-copy"}));
  EXPECT_EQ(answerTo(copying, request(0x21, 0x80)), first);
  EXPECT_EQ(answerTo(copying, request(0x22, 0x83)), concat({first, second}));

  // From its second request on the printer is one reply behind.
  VirtualPrinter lagging({}, planOf({"any#2:lag"}));
  EXPECT_EQ(answerTo(lagging, request(0x21, 0x80)), first);
  EXPECT_EQ(answerTo(lagging, request(0x22, 0x83)), first);
  EXPECT_EQ(answerTo(lagging, request(0x23, 0x80)), second);
  EXPECT_EQ(answerTo(lagging, request(0x24, 0x83)), third);
}

TEST(VirtualPrinter, EndlessBusyBytesStopAtTheNextRequest) {
  VirtualPrinter printer({}, planOf({"A1#1:endless-busy=50"}));
  printer.hostWrote(request(0x21, 0xA1, "582014;0;"), Micros{0}, 9600);
  EXPECT_EQ(takeAll(printer, std::chrono::minutes(30)).size(), 36001u) << "one every 50 ms";
  EXPECT_EQ(printer.state().zReports, 0) << "a stuck printer carries nothing out";
  printer.purgeOutput(std::chrono::hours(2));
  EXPECT_EQ(printer.nextOutputTime(), std::chrono::hours(2) + milliseconds(50));
  const Bytes reply = answerTo(printer, request(0x22, 0x80), std::chrono::hours(3));
  EXPECT_EQ(reply.front(), frame::kStart) << "heard again";
  EXPECT_FALSE(printer.nextOutputTime());
}

TEST(VirtualPrinter, HangupClosesTheLineForGood) {
  VirtualPrinter printer({}, planOf({"80#2:hangup"}));
  EXPECT_FALSE(answerTo(printer, request(0x21, 0x80)).empty());
  EXPECT_FALSE(printer.hungUp());
  EXPECT_TRUE(answerTo(printer, request(0x22, 0x80)).empty());
  EXPECT_TRUE(printer.hungUp());
  EXPECT_TRUE(answerTo(printer, request(0x23, 0x80)).empty()) << "hears nothing any more";
}

TEST(VirtualPrinter, SpacedBusyBytesAndTheReplyComeOnTime) {
  VirtualPrinter printer({}, planOf({"80:busy=2@50"}));
  printer.hostWrote(request(0x21, 0x80), Micros{0}, 9600);
  EXPECT_EQ(takeAll(printer, Micros{0}), Bytes{0x16});
  EXPECT_EQ(printer.nextOutputTime(), milliseconds(50));
  EXPECT_EQ(takeAll(printer, milliseconds(99)), Bytes{0x16});
  EXPECT_EQ(printer.nextOutputTime(), milliseconds(100));
  EXPECT_EQ(takeAll(printer, milliseconds(100)).front(), frame::kStart);
  EXPECT_FALSE(printer.nextOutputTime());
}

TEST(VirtualPrinter, RebootKeepsThePrinterDeafForAWhile) {
  VirtualPrinter printer({.rebootTime = Micros{0}}, planOf({"F3:reboot=1000"}));
  EXPECT_FALSE(answerTo(printer, request(0x21, 0xF3)).empty()) << "the reply comes first";
  EXPECT_TRUE(answerTo(printer, request(0x22, 0x80), milliseconds(999)).empty());
  EXPECT_FALSE(answerTo(printer, request(0x23, 0x80), milliseconds(1000)).empty());
}

TEST(VirtualPrinter, HearsOnlyItsOwnLineRate) {
  VirtualPrinter printer;
  EXPECT_TRUE(answerTo(printer, request(0x21, 0x80), Micros{0}, 19200).empty());
  // A frame begun at the right rate and finished at another is lost as a whole.
  const Bytes req = request(0x22, 0x80);
  printer.hostWrote(std::span(req).first(4), Micros{0}, 9600);
  printer.hostWrote(std::span(req).subspan(4), Micros{0}, 19200);
  EXPECT_TRUE(takeAll(printer, Micros{0}).empty());
  EXPECT_FALSE(answerTo(printer, request(0x23, 0x80)).empty());

  VirtualPrinter fast({.baud = 115200});
  EXPECT_TRUE(answerTo(fast, request(0x21, 0x80)).empty());
  EXPECT_FALSE(answerTo(fast, request(0x21, 0x80), Micros{0}, 115200).empty());
}

TEST(VirtualPrinter, RequestSplitAtAnyPointGetsTheSameReply) {
  VirtualPrinter whole;
  const Bytes req = concat({{0x16, 0x7F}, request(0x21, 0x80)});
  const Bytes expected = answerTo(whole, req);
  for (std::size_t cut = 1; cut < req.size(); ++cut) {
    VirtualPrinter printer;
    printer.hostWrote(std::span(req).first(cut), Micros{0}, 9600);
    printer.hostWrote(std::span(req).subspan(cut), Micros{0}, 9600);
    EXPECT_EQ(takeAll(printer, Micros{0}), expected) << "split at " << cut;
  }
}

TEST(VirtualPrinter, PurgeDropsOnlyWhatHasArrived) {
  VirtualPrinter printer({}, planOf({"80:busy=1@100"}));
  printer.hostWrote(request(0x21, 0x80), Micros{0}, 9600);
  printer.purgeOutput(milliseconds(50));
  EXPECT_EQ(printer.nextOutputTime(), milliseconds(100)) << "the reply is still on its way";
}

TEST(VirtualPrinter, TracesEveryFrameBothWays) {
  struct Seen {
    TraceDirection dir;
    TraceKind kind;
    std::optional<std::uint8_t> cmd;
    std::string text;
    std::string note;
  };
  std::vector<Seen> seen;
  VirtualPrinter printer({}, planOf({"80#1:nak", "83:busy=1"}));
  printer.setTraceHook([&](const TraceEvent& e) {
    seen.push_back({e.direction, e.kind, e.command,
                    e.text ? std::string(e.text->begin(), e.text->end()) : "<none>",
                    std::string(e.note)});
  });
  Bytes bad = request(0x20, 0x83);
  bad.back() = 0x00;
  answerTo(printer, concat({bad, request(0x21, 0x80), request(0x21, 0x80), request(0x22, 0x83)}));

  using D = TraceDirection;
  using K = TraceKind;
  const std::string info = std::string("0000;Veltor FP-90T;3.01;") + kUkraineWire + ";";
  const std::vector<std::tuple<D, K, std::optional<std::uint8_t>, std::string>> expected = {
      {D::Host, K::BadRequest, {}, "<none>"}, {D::Printer, K::Nak, {}, "<none>"},
      {D::Host, K::Request, 0x80, "582014;"}, {D::Printer, K::Nak, {}, "<none>"},
      {D::Host, K::Request, 0x80, "582014;"}, {D::Printer, K::Reply, 0x80, info},
      {D::Host, K::Request, 0x83, "582014;"}, {D::Printer, K::Busy, {}, "<none>"},
      {D::Printer, K::Reply, 0x83, "0000;"},
  };
  ASSERT_EQ(seen.size(), expected.size());
  for (std::size_t i = 0; i < seen.size(); ++i) {
    const auto& [dir, kind, cmd, text] = expected[i];
    EXPECT_EQ(seen[i].dir, dir) << i;
    EXPECT_EQ(seen[i].kind, kind) << i;
    EXPECT_EQ(seen[i].cmd, cmd) << i;
    EXPECT_EQ(seen[i].text, text) << i;
  }
  EXPECT_EQ(seen[0].note, "no end mark");
}

}  // namespace
}  // namespace tallowick::sim
