// Both ends together: the program's device link talking to the virtual printer over a
// LoopbackLine on a virtual clock. Whatever one end gets wrong about the frame format,
// the other end notices here.
#include <gtest/gtest.h>

#include "link/command_result.h"
#include "link/device_link.h"
#include "link/frame.h"
#include "sim/loopback_line.h"

namespace tallowick::sim {
namespace {

using std::chrono::seconds;

struct Bench {
  explicit Bench(const char* fault = nullptr, PrinterSettings settings = {})
      : port(clock, std::move(settings)) {
    if (fault) {
      std::string why;
      auto rule = parseFaultRule(fault, why);
      EXPECT_TRUE(rule) << why;
      if (rule) port.printer().faults().add(*rule);
    }
    link.setLineFactory(port.lineFactory());
  }
  VirtualClock clock;
  SimulatedPort port;
  DeviceLink link;
};

TEST(LinkAgreement, GetDeviceInfoArrivesAsThreeFields) {
  Bench b;
  ASSERT_GT(b.link.OpenDeviceLink("sim", 9600), 0);
  const CommandResult* r = b.link.SendCommand(0x80, "582014;");
  EXPECT_EQ(r->ErrorFlags, 0u);
  EXPECT_EQ(r->ErrorCode, "0000");
  ASSERT_EQ(r->FieldCount, 3);
  EXPECT_EQ(r->Fields[0], "Veltor FP-90T");
  EXPECT_EQ(r->Fields[1], "3.01");
  EXPECT_EQ(r->Fields[2], "Україна");
  EXPECT_LT(b.clock.now(), seconds(1)) << "an answered command takes no wait for silence";
}

TEST(LinkAgreement, FaultsReachTheResultRecord) {
  struct Case {
    const char* fault;
    std::uint32_t linkFlags;
    const char* errorCode;
  };
  const std::vector<Case> cases = {
      {"80:error=0012", 0, "0012"},
      {"80:nak=2", 0, "0000"},  // repeated with the same SEQ, then answered
      {"80:busy=3@200", 0, "0000"},
      {"80:garbage=7F16", 0, "0000"},
      {"80:checksum", flag::kNoReply | flag::kBadChecksum, "0000"},  // never a success
      {"80#1:checksum", 0, "0000"},           // asked again, answered from the kept reply
      {"80:cut=12", flag::kNoReply, "0000"},  // the error code got through
      {"80:silence", flag::kNoReply, ""},
      {"any:nak", flag::kNoReply, ""},
  };
  for (const auto& c : cases) {
    Bench b(c.fault);
    b.link.OpenDeviceLink("sim", 9600);
    const CommandResult* r = b.link.SendCommand(0x80, "582014;");
    EXPECT_EQ(r->ErrorFlags & flag::kLinkBits, c.linkFlags) << c.fault;
    EXPECT_EQ(r->ErrorCode, c.errorCode) << c.fault;
  }
}

TEST(LinkAgreement, ResentRequestAfterALostReplyIsNotCarriedOutAgain) {
  Bench b("80#1:cut=0");
  b.link.OpenDeviceLink("sim", 9600);
  EXPECT_TRUE(b.link.SendCommand(0x80, "582014;")->noReply());
  b.port.printer().settings().model = "Veltor KM-15";
  ASSERT_EQ(b.link.ResendLastCommand(), 0);
  EXPECT_EQ(b.link.result()->Fields[0], "Veltor FP-90T") << "the reply kept from the first run";
  EXPECT_EQ(b.link.SendCommand(0x80, "582014;")->Fields[0], "Veltor KM-15");
}

TEST(LinkAgreement, AtAnotherRateThereIsNoReply) {
  Bench b;
  b.link.OpenDeviceLink("sim", 19200);
  const CommandResult* r = b.link.SendCommand(0x80, "582014;");
  EXPECT_TRUE(r->noReply());
  EXPECT_EQ(b.clock.now(), seconds(5)) << "one attempt of 50 empty reads";
}

TEST(LinkAgreement, RebootSilenceEndsAndThePrinterAnswersAgain) {
  Bench b("F3:reboot=30000", {.rebootTime = Micros{0}});
  b.link.OpenDeviceLink("sim", 9600);
  EXPECT_EQ(b.link.SendCommand(0xF3, "582014;")->ErrorCode, "0000");
  EXPECT_TRUE(b.link.SendCommand(0x80, "582014;")->noReply());
  b.clock.advance(seconds(30));
  EXPECT_EQ(b.link.SendCommand(0x80, "582014;")->FieldCount, 3);
}

TEST(LinkAgreement, RegistratorParamsArriveAsSevenFields) {
  Bench b;
  b.link.OpenDeviceLink("sim", 9600);
  const CommandResult* r = b.link.SendCommand(0x28, "582014;");
  ASSERT_EQ(r->FieldCount, 7);
  const std::vector<std::string> fields(r->Fields.begin(), r->Fields.begin() + 7);
  EXPECT_EQ(fields, (std::vector<std::string>{"9600", "0", "001F", "02", "AB", "00", "05"}));
}

TEST(LinkAgreement, AfterARateChangeOnlyAHostAtTheNewRateIsAnswered) {
  for (const bool realistic : {false, true}) {
    Bench b(nullptr, {.realistic = realistic});
    b.link.OpenDeviceLink("sim", 9600);
    EXPECT_EQ(b.link.SendCommand(0x27, "582014;115200;2;001F;02;AB;00;05;")->ErrorCode, "0000")
        << "answered in full at the old rate";
    EXPECT_TRUE(b.link.SendCommand(0x28, "582014;")->noReply()) << "the host still at 9600";

    b.link.CloseDeviceLink();
    b.link.OpenDeviceLink("sim", 115200);
    const CommandResult* r = b.link.SendCommand(0x28, "582014;");
    EXPECT_EQ(r->ErrorCode, "0000") << realistic;
    EXPECT_EQ(r->Fields[0], "115200");
    EXPECT_EQ(r->Fields[1], "2");
  }
}

TEST(LinkAgreement, RebootOfTheDefaultPrinterOutlastsOneCommandOnly) {
  Bench b;
  b.link.OpenDeviceLink("sim", 9600);
  EXPECT_EQ(b.link.SendCommand(0xF3, "582014;")->ErrorCode, "0000");
  EXPECT_TRUE(b.link.SendCommand(0x80, "582014;")->noReply()) << "3 s of silence";
  EXPECT_EQ(b.link.SendCommand(0x80, "582014;")->ErrorCode, "0000");
}

TEST(LinkAgreement, ALongPrintIsWaitedForThroughItsBusyBytes) {
  PrinterSettings s{.realistic = true};
  s.printTimes[0xA1] = seconds(20);  // four times the host's silence limit
  Bench b(nullptr, s);
  b.link.OpenDeviceLink("sim", 9600);
  const CommandResult* r = b.link.SendCommand(0xA1, "582014;0;");
  EXPECT_EQ(r->ErrorCode, "0000");
  EXPECT_GE(b.clock.now(), seconds(20));
  EXPECT_EQ(b.port.printer().state().zReports, 1);
}

TEST(LinkAgreement, DamagedRepliesAreAskedForAgainButCarriedOutOnce) {
  struct Case {
    const char* fault;
    bool answered;
    int attempts;
  };
  const Case cases[] = {
      {"A1#1:checksum", true, 2},
      {"A1#1:garbage=03@12", true, 2},  // closed before its checksum
      {"A1:checksum", false, DeviceLink::kMaxAttempts},
  };
  for (const auto& c : cases) {
    Bench b(c.fault);
    int attempts = 0;
    b.link.setAttemptObserver([&](const AttemptRecord&) { ++attempts; });
    b.link.OpenDeviceLink("sim", 9600);
    const CommandResult* r = b.link.SendCommand(0xA1, "582014;0;");
    EXPECT_EQ(attempts, c.attempts) << c.fault;
    EXPECT_EQ(r->noReply(), !c.answered) << c.fault;
    EXPECT_EQ((r->ErrorFlags & flag::kBadChecksum) != 0, !c.answered) << c.fault;
    EXPECT_EQ(b.port.printer().state().zReports, 1) << c.fault << ": one Z-report printed";
    EXPECT_LT(b.clock.now(), seconds(1)) << c.fault << ": no wait for silence";
  }
}

TEST(LinkAgreement, RepliesOfOtherRequestsAreNeverTakenForThisOne) {
  struct Case {
    const char* fault;
    bool secondAnswered;
    int dropped;  // frames dropped during the second command
  };
  const Case cases[] = {
      {"80#2:other-seq", false, 1},
      {"80#2:other-cmd", false, 1},
      {"80#2:late-copy", true, 1},
      {"any#2:lag", false, 1},
  };
  for (const auto& c : cases) {
    Bench b(c.fault);
    int dropped = 0;
    b.link.setAttemptObserver([&](const AttemptRecord& a) { dropped += a.droppedFrames; });
    b.link.OpenDeviceLink("sim", 9600);
    EXPECT_EQ(b.link.SendCommand(0x80, "582014;")->ErrorFlags, 0u) << c.fault;
    const Micros before = b.clock.now();
    const CommandResult* r = b.link.SendCommand(0x80, "582014;");
    EXPECT_EQ(dropped, c.dropped) << c.fault;
    EXPECT_EQ(r->noReply(), !c.secondAnswered) << c.fault;
    if (c.secondAnswered) {
      EXPECT_EQ(r->Fields[0], "Veltor FP-90T") << c.fault;
    } else {
      EXPECT_EQ(r->WaitEnded, WaitEnd::Silence) << c.fault;
      EXPECT_EQ(b.clock.now() - before, seconds(5)) << c.fault << ": the silence rule as ever";
    }
  }
}

TEST(LinkAgreement, WaitsThatCouldLastForEverEndAndTheLinkGoesOn) {
  {
    Bench b("A1#1:endless-busy");
    b.link.OpenDeviceLink("sim", 9600);
    const CommandResult* r = b.link.SendCommand(0xA1, "582014;0;");
    EXPECT_TRUE(r->noReply());
    EXPECT_EQ(r->WaitEnded, WaitEnd::TimeLimit);
    EXPECT_GE(b.clock.now(), DeviceLink::kCommandTimeLimit);
    EXPECT_LT(b.clock.now(), DeviceLink::kCommandTimeLimit + seconds(1));
    EXPECT_EQ(b.link.SendCommand(0x80, "582014;")->ErrorCode, "0000") << "heard again";
  }
  {
    Bench b("80#2:hangup");
    b.link.OpenDeviceLink("sim", 9600);
    EXPECT_EQ(b.link.SendCommand(0x80, "582014;")->ErrorCode, "0000");
    const Micros before = b.clock.now();
    for (int i = 0; i < 3; ++i) {
      const CommandResult* r = b.link.SendCommand(0x80, "582014;");
      EXPECT_TRUE(r->noReply()) << i;
      EXPECT_EQ(r->WaitEnded, WaitEnd::PortGone) << i;
    }
    EXPECT_EQ(b.clock.now(), before) << "no read waited";
  }
}

TEST(LinkAgreement, LongButHealthyWaitsAreNotCutShort) {
  struct Case {
    const char* fault;
    PrinterSettings settings;
  };
  const Case cases[] = {
      {"A1:busy=3000@100", {}},                               // five minutes of busy bytes
      {nullptr, {.realistic = true, .printTimeScale = 100}},  // the slowest print
      {"A1:busy=60@95", {.realistic = true}},
  };
  for (const auto& c : cases) {
    Bench b(c.fault, c.settings);
    b.link.OpenDeviceLink("sim", 9600);
    const CommandResult* r = b.link.SendCommand(0xA1, "582014;0;");
    EXPECT_EQ(r->ErrorFlags, 0u) << (c.fault ? c.fault : "slowest print");
    EXPECT_EQ(r->ErrorCode, "0000");
    EXPECT_GE(b.clock.now(), std::chrono::minutes(c.fault && c.settings.realistic ? 0 : 5));
  }
}

TEST(LinkAgreement, AControlByteAnywhereInAReplyNeverPassesForAnotherAnswer) {
  // Every byte below 20h and 7Fh put into the reply at every position: the command ends
  // with the printer's own answer (after a repeat where needed) or as no reply, never
  // with anything else, and the next command is answered as ever.
  const auto hex = [](int b) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return std::string{kDigits[b >> 4], kDigits[b & 15]};
  };
  VirtualPrinter probe;
  probe.hostWrote(
      frame::buildRequest(0x21, 0x80, std::vector<std::uint8_t>{'5', '8', '2', '0', '1', '4', ';'}),
      Micros{0}, 9600);
  std::size_t replyLength = 0;
  while (probe.takeOutput(Micros{0}))
    ++replyLength;
  int answered = 0;
  int unanswered = 0;
  for (int c = 0; c <= 0x7F; c = c == 0x1F ? 0x7F : c + 1) {
    for (std::size_t at = 0; at <= replyLength; ++at) {
      const std::string fault = "80#1:garbage=" + hex(c) + "@" + std::to_string(at);
      Bench b(fault.c_str());
      b.link.OpenDeviceLink("sim", 9600);
      const CommandResult* r = b.link.SendCommand(0x80, "582014;");
      if (r->noReply()) {
        ++unanswered;
      } else {
        ++answered;
        EXPECT_EQ(r->ErrorCode, "0000") << fault;
        EXPECT_EQ(r->FieldCount, 3) << fault;
        EXPECT_EQ(r->Fields[0], "Veltor FP-90T") << fault;
        EXPECT_EQ(r->Fields[2], "Україна") << fault;
      }
      const CommandResult* next = b.link.SendCommand(0x80, "582014;");
      EXPECT_EQ(next->ErrorFlags, 0u) << fault << ", the next command";
      EXPECT_EQ(next->Fields[0], "Veltor FP-90T") << fault << ", the next command";
    }
  }
  EXPECT_GT(answered, 0);
  EXPECT_GT(unanswered, 0);
}

TEST(LinkAgreement, DocumentStateReachesTheStatusBytes) {
  Bench b(nullptr, {.openDocument = DocumentKind::Return});
  b.link.OpenDeviceLink("sim", 9600);
  EXPECT_EQ(b.link.SendCommand(0x81, "582014;3;0;;")->Status[2] & 0x0F, 2);
  EXPECT_EQ(b.link.SendCommand(0x6B, "582014;0;")->Status[2] & 0x0F, 0);
  EXPECT_EQ(b.link.SendCommand(0x60, "582014;")->Status[2] & 0x0F, 5);
}

// What the printer sets in its status bytes, the host reads back as the same thing.
TEST(LinkAgreement, TheHostReadsTheStatusThePrinterMeans) {
  struct Case {
    DocumentKind open;
    OpenDocument read;
  };
  const Case cases[] = {
      {DocumentKind::None, OpenDocument::None},
      {DocumentKind::Service, OpenDocument::ServiceReceipt},
      {DocumentKind::Sale, OpenDocument::FiscalReceipt},
      {DocumentKind::Return, OpenDocument::FiscalReceipt},
  };
  for (const auto& c : cases) {
    Bench b(nullptr, {.serviceMode = true, .noRebootNeeded = true, .openDocument = c.open});
    b.link.OpenDeviceLink("sim", 9600);
    const CommandResult* r = b.link.SendCommand(command::kDisplayText, "582014;3;0;;");
    EXPECT_EQ(r->openDocument(), c.read) << static_cast<int>(c.open);
    EXPECT_TRUE(r->serviceMode());
    EXPECT_FALSE(r->noRebootNeeded()) << "only the beep's reply says so";
    EXPECT_TRUE(b.link.SendCommand(command::kBeep, "582014;1;")->noRebootNeeded());
  }
}

}  // namespace
}  // namespace tallowick::sim
