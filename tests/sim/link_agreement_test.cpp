// Both ends together: the program's device link talking to the virtual printer over a
// LoopbackLine on a virtual clock. Whatever one end gets wrong about the frame format,
// the other end notices here.
#include <gtest/gtest.h>

#include "link/command_result.h"
#include "link/device_link.h"
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
      {"80:checksum", flag::kBadChecksum, "0000"},
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

TEST(LinkAgreement, DocumentStateReachesTheStatusBytes) {
  Bench b(nullptr, {.openDocument = DocumentKind::Return});
  b.link.OpenDeviceLink("sim", 9600);
  EXPECT_EQ(b.link.SendCommand(0x81, "582014;3;0;;")->Status[2] & 0x0F, 2);
  EXPECT_EQ(b.link.SendCommand(0x6B, "582014;0;")->Status[2] & 0x0F, 0);
  EXPECT_EQ(b.link.SendCommand(0x60, "582014;")->Status[2] & 0x0F, 5);
}

}  // namespace
}  // namespace tallowick::sim
