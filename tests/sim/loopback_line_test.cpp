#include "sim/loopback_line.h"

#include <gtest/gtest.h>

#include "sim_test_support.h"

namespace tallowick::sim {
namespace {

using std::chrono::milliseconds;
using testing::request;

FaultPlan planOf(const char* rule) {
  std::string why;
  return FaultPlan({*parseFaultRule(rule, why)});
}

TEST(LoopbackLine, SilentReadWaitsExactlyOneReadPeriod) {
  VirtualClock clock(milliseconds(5));
  VirtualPrinter printer;
  LoopbackLine line(printer, clock);
  ASSERT_GT(line.open("sim", 9600), 0);
  EXPECT_EQ(line.readByte().status, ReadStatus::Timeout);
  EXPECT_EQ(clock.now(), milliseconds(105));
}

TEST(LoopbackLine, WaitsForAByteOnlyWithinTheReadPeriod) {
  struct Step {
    ReadStatus status;
    int atMs;  // the clock after the read
  };
  const std::vector<std::pair<const char*, std::vector<Step>>> cases = {
      // The busy byte is there at once; the reply's first byte is 30 ms later.
      {"80:busy=1@30", {{ReadStatus::Byte, 0}, {ReadStatus::Byte, 30}}},
      {"80:busy=1@100", {{ReadStatus::Byte, 0}, {ReadStatus::Byte, 100}}},
      {"80:busy=1@150",
       {{ReadStatus::Byte, 0}, {ReadStatus::Timeout, 100}, {ReadStatus::Byte, 150}}},
  };
  for (const auto& [rule, steps] : cases) {
    VirtualClock clock;
    VirtualPrinter printer({}, planOf(rule));
    LoopbackLine line(printer, clock);
    line.open("sim", 9600);
    line.write(request(0x21, 0x80));
    for (std::size_t i = 0; i < steps.size(); ++i) {
      EXPECT_EQ(line.readByte().status, steps[i].status) << rule << " read " << i;
      EXPECT_EQ(clock.now(), milliseconds(steps[i].atMs)) << rule << " read " << i;
    }
  }
}

TEST(LoopbackLine, OneOpenLineAtATimePerPrinter) {
  VirtualClock clock;
  VirtualPrinter printer;
  LoopbackLine first(printer, clock);
  LoopbackLine second(printer, clock);
  EXPECT_GT(first.open("sim", 9600), 0);
  EXPECT_EQ(second.open("sim", 9600), -1);
  EXPECT_GT(first.open("sim", 19200), 0) << "reopening the holder's own line is fine";
  EXPECT_TRUE(first.close());
  EXPECT_FALSE(first.close());
  EXPECT_GT(second.open("sim", 9600), 0);
}

TEST(LoopbackLine, ClosedLineWritesNothingAndFailsReadsAtOnce) {
  VirtualClock clock;
  VirtualPrinter printer;
  LoopbackLine line(printer, clock);
  EXPECT_EQ(line.readByte().status, ReadStatus::Closed);
  line.open("sim", 9600);
  line.close();
  line.write(request(0x21, 0x80));
  EXPECT_EQ(line.readByte().status, ReadStatus::Closed);
  EXPECT_EQ(clock.now(), Micros{0});
  EXPECT_FALSE(printer.nextOutputTime());
}

TEST(LoopbackLine, PurgeDropsTheRepliesAlreadyReceived) {
  VirtualClock clock;
  VirtualPrinter printer;
  LoopbackLine line(printer, clock);
  line.open("sim", 9600);
  line.write(request(0x21, 0x80));
  line.purge();
  EXPECT_EQ(line.readByte().status, ReadStatus::Timeout);
}

TEST(SimulatedPort, MakesLinesOnlyForSimulatedNames) {
  VirtualClock clock;
  SimulatedPort port(clock);
  auto factory = port.lineFactory();
  EXPECT_EQ(factory("/dev/ttyS0"), nullptr);
  EXPECT_EQ(factory("simulator"), nullptr);
  ASSERT_NE(factory("sim"), nullptr);
  EXPECT_EQ(port.printer().settings().model, "Veltor FP-90T");

  auto line = factory("sim:KM-15");
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(port.printer().settings().model, "Veltor KM-15");
  factory("sim:Veltor FP-820T");
  EXPECT_EQ(port.printer().settings().model, "Veltor FP-820T");

  bool passedOn = false;
  auto withFallback = port.lineFactory([&](const std::string&) {
    passedOn = true;
    return std::unique_ptr<SerialLine>{};
  });
  withFallback("COM3");
  EXPECT_TRUE(passedOn);
}

}  // namespace
}  // namespace tallowick::sim
