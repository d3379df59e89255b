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

// A line open to a printer, asked for its device info at once.
struct Asked {
  VirtualClock clock;
  VirtualPrinter printer;
  LoopbackLine line{printer, clock};
  explicit Asked(PrinterSettings settings = {}) : printer(std::move(settings)) {
    line.open("sim", 9600);
    line.write(request(0x21, 0x80));
  }
};

// One read of the line into a buffer of its own.
ReadResult readOnce(LoopbackLine& line, std::size_t room = 512) {
  std::vector<std::uint8_t> into(room);
  return line.read(into, 0, SerialLine::kReadTimeoutMs);
}

TEST(LoopbackLine, SilentReadWaitsExactlyOneReadPeriod) {
  VirtualClock clock(milliseconds(5));
  VirtualPrinter printer;
  LoopbackLine line(printer, clock);
  ASSERT_GT(line.open("sim", 9600), 0);
  EXPECT_EQ(readOnce(line).status, ReadStatus::Timeout);
  EXPECT_EQ(clock.now(), milliseconds(105));
}

TEST(LoopbackLine, TakesWhatIsDueAndWaitsForMoreOnlyWithinTheReadPeriod) {
  struct Step {
    ReadStatus status;
    int atMs;           // the clock after the read
    std::size_t count;  // bytes it took
  };
  // The reply to GetDeviceInfo, as the printer sends it.
  Asked whole;
  const std::size_t reply = readOnce(whole.line).count;
  ASSERT_GT(reply, 20u);
  const std::vector<std::pair<const char*, std::vector<Step>>> cases = {
      // The busy byte is there at once; the reply's bytes come together 30 ms later.
      {"80:busy=1@30", {{ReadStatus::Bytes, 0, 1}, {ReadStatus::Bytes, 30, reply}}},
      {"80:busy=1@100", {{ReadStatus::Bytes, 0, 1}, {ReadStatus::Bytes, 100, reply}}},
      {"80:busy=1@150",
       {{ReadStatus::Bytes, 0, 1}, {ReadStatus::Timeout, 100, 0}, {ReadStatus::Bytes, 150, reply}}},
      // Two busy bytes at once and the reply with them, as one read.
      {"80:busy=2@0", {{ReadStatus::Bytes, 0, reply + 2}}},
  };
  for (const auto& [rule, steps] : cases) {
    VirtualClock clock;
    VirtualPrinter printer({}, planOf(rule));
    LoopbackLine line(printer, clock);
    line.open("sim", 9600);
    line.write(request(0x21, 0x80));
    for (std::size_t i = 0; i < steps.size(); ++i) {
      const ReadResult r = readOnce(line);
      EXPECT_EQ(r.status, steps[i].status) << rule << " read " << i;
      EXPECT_EQ(r.count, steps[i].count) << rule << " read " << i;
      EXPECT_EQ(clock.now(), milliseconds(steps[i].atMs)) << rule << " read " << i;
    }
  }
}

TEST(LoopbackLine, AShorterWaitEndsEarlierAndTheByteComesAtItsTime) {
  VirtualClock clock;
  VirtualPrinter printer({}, planOf("80:busy=1@30"));
  LoopbackLine line(printer, clock);
  line.open("sim", 9600);
  std::vector<std::uint8_t> into(512);
  EXPECT_EQ(line.read(into, 0, 25).status, ReadStatus::Timeout);
  EXPECT_EQ(clock.now(), milliseconds(25));
  line.write(request(0x21, 0x80));
  const Micros sent = clock.now();
  EXPECT_EQ(line.read(into, 0, 25).count, 1u) << "the busy byte, at once";
  EXPECT_EQ(line.read(into, 0, 25).status, ReadStatus::Timeout);
  EXPECT_EQ(clock.now() - sent, milliseconds(25));
  EXPECT_EQ(line.read(into, 0, 25).status, ReadStatus::Bytes);
  EXPECT_EQ(clock.now() - sent, milliseconds(30)) << "the reply when it is due";
}

TEST(LoopbackLine, AReadTakesNoMoreThanItHasRoomForAndLeavesTheRestForTheNext) {
  Asked asked;
  auto& [clock, printer, line] = asked;
  std::vector<std::uint8_t> whole;
  for (int reads = 0; reads < 100; ++reads) {
    std::vector<std::uint8_t> into(7);
    const ReadResult r = line.read(into, 0, SerialLine::kReadTimeoutMs);
    if (r.status != ReadStatus::Bytes) break;
    EXPECT_LE(r.count, into.size());
    whole.insert(whole.end(), into.begin(), into.begin() + static_cast<std::ptrdiff_t>(r.count));
  }
  ASSERT_GT(whole.size(), 20u);
  EXPECT_EQ(whole.front(), 0x01);
  EXPECT_EQ(whole.back(), 0x03);
  EXPECT_EQ(clock.now(), milliseconds(100)) << "the bytes came at once; one empty read after";
}

TEST(LoopbackLine, RealisticPrinterHandsOverTheBytesAtTheirTimeOnTheLine) {
  // At 9600 baud a byte takes 1042 us: every read waits for the next one and takes it.
  PrinterSettings settings;
  settings.realistic = true;
  Asked asked(settings);
  auto& [clock, printer, line] = asked;
  int reads = 0;
  std::size_t bytes = 0;
  for (ReadResult r = readOnce(line); r.status == ReadStatus::Bytes; r = readOnce(line)) {
    ++reads;
    bytes += r.count;
  }
  EXPECT_EQ(static_cast<std::size_t>(reads), bytes);
  EXPECT_GE(clock.now(), Micros{static_cast<std::int64_t>(bytes) * 1000});
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
  EXPECT_EQ(readOnce(line).status, ReadStatus::Closed);
  line.open("sim", 9600);
  line.close();
  line.write(request(0x21, 0x80));
  EXPECT_EQ(readOnce(line).status, ReadStatus::Closed);
  EXPECT_EQ(clock.now(), Micros{0});
  EXPECT_FALSE(printer.nextOutputTime());
}

TEST(LoopbackLine, PurgeDropsTheRepliesAlreadyReceived) {
  Asked asked;
  asked.line.purge();
  EXPECT_EQ(readOnce(asked.line).status, ReadStatus::Timeout);
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
