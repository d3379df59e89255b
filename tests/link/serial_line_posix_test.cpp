// End-to-end over a real pseudo-terminal: the termios serial line and the whole link
// against the virtual printer's pty driver, in real time.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "link/device_link.h"
#include "sim/fault_plan.h"
#include "sim/pty_driver.h"
#include "sim/virtual_printer.h"

namespace tallowick {
namespace {

namespace fs = std::filesystem;

std::string tempLinkPath(const char* name) {
  return (fs::temp_directory_path() / ("tallowick-" + std::to_string(::getpid()) + "-" + name))
      .string();
}

struct PtyPrinter {
  sim::VirtualPrinter printer;
  sim::PtyDriver driver;
  explicit PtyPrinter(const char* name, const char* fault = nullptr)
      : driver(printer, tempLinkPath(name)) {
    if (fault) {
      std::string error;
      auto rule = sim::parseFaultRule(fault, error);
      EXPECT_TRUE(rule) << error;
      if (rule) printer.faults().add(*rule);
    }
    std::string error;
    EXPECT_TRUE(driver.start(error)) << error;
  }
  ~PtyPrinter() { driver.stop(); }
  const std::string& path() const { return driver.linkPath(); }
};

TEST(PosixSerialLine, IdentifiesThePrinterOverAPty) {
  PtyPrinter p("ident");
  DeviceLink link;
  ASSERT_GE(link.OpenDeviceLink(p.path(), 9600), 0);
  const CommandResult* r = link.SendCommand(0x80, "582014;");
  EXPECT_EQ(r->ErrorFlags, 0u);
  EXPECT_EQ(r->ErrorCode, "0000");
  ASSERT_EQ(r->FieldCount, 3);
  EXPECT_EQ(r->Fields[0], "Veltor FP-90T");
  EXPECT_EQ(r->Fields[2], "Україна");
  EXPECT_NE(link.CloseDeviceLink(), 0);
}

TEST(PosixSerialLine, RepeatsThroughANakStorm) {
  // Two NAKs, each followed by the silence that ends an attempt, then an answer.
  PtyPrinter p("nak", "80#1:nak=2");
  DeviceLink link;
  ASSERT_GE(link.OpenDeviceLink(p.path(), 9600), 0);
  const std::uint8_t seqBefore = link.seqCounter();
  const CommandResult* r = link.SendCommand(0x80, "582014;");
  EXPECT_EQ(r->ErrorFlags, 0u);
  EXPECT_EQ(r->Fields[0], "Veltor FP-90T");
  EXPECT_EQ(link.seqCounter(), static_cast<std::uint8_t>(seqBefore + 1));  // one SEQ for all
}

TEST(PosixSerialLine, SilentLineReadTimesOutAfterTheReadPeriod) {
  PtyPrinter p("silent");
  auto line = makePlatformSerialLine();
  ASSERT_GE(line->open(p.path(), 9600), 0);
  const auto start = std::chrono::steady_clock::now();
  const ReadResult r = line->readByte();
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(r.status, ReadStatus::Timeout);
  EXPECT_GE(took, std::chrono::milliseconds(90));
  EXPECT_LT(took, std::chrono::seconds(2));
}

TEST(PosixSerialLine, PortHeldByAnotherOpenCannotBeOpened) {
  PtyPrinter p("held");
  DeviceLink first;
  ASSERT_GE(first.OpenDeviceLink(p.path(), 9600), 0);
  DeviceLink second;
  EXPECT_EQ(second.OpenDeviceLink(p.path(), 9600), -1);
  EXPECT_NE(first.CloseDeviceLink(), 0);
  EXPECT_GE(second.OpenDeviceLink(p.path(), 9600), 0);  // free again once closed
}

TEST(PosixSerialLine, OpenSetsExactlyTheRequestedRate) {
  PtyPrinter p("rate");
  for (std::int32_t baud : {9600, 19200, 57600, 115200}) {
    auto line = makePlatformSerialLine();
    ASSERT_GE(line->open(p.path(), baud), 0) << baud;
    EXPECT_EQ(p.driver.hostRate(), baud);
    EXPECT_TRUE(line->close());
  }
  auto line = makePlatformSerialLine();
  EXPECT_EQ(line->open(p.path(), 12345), -1);
  EXPECT_EQ(line->open("/nonexistent/tty", 9600), -1);
}

TEST(PosixSerialLine, LineIs8N1AndKeepsTheDriversFlowControl) {
  PtyPrinter p("8n1");
  // A descriptor of our own, opened before the line holds the port, to watch its settings.
  const int watch = ::open(p.path().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(watch, 0);
  termios before{};
  ASSERT_EQ(::tcgetattr(watch, &before), 0);
  before.c_cflag |= CRTSCTS | PARENB | CSTOPB;
  before.c_iflag |= IXON | IXOFF;
  ASSERT_EQ(::tcsetattr(watch, TCSANOW, &before), 0);

  auto line = makePlatformSerialLine();
  ASSERT_GE(line->open(p.path(), 19200), 0);
  termios after{};
  ASSERT_EQ(::tcgetattr(watch, &after), 0);
  EXPECT_EQ(after.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(after.c_cflag & (PARENB | CSTOPB), 0u);
  EXPECT_EQ(after.c_cflag & CRTSCTS, static_cast<tcflag_t>(CRTSCTS));
  EXPECT_EQ(after.c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON | IXOFF));
  EXPECT_EQ(::cfgetospeed(&after), static_cast<speed_t>(B19200));
  line->close();
  ::close(watch);
}

}  // namespace
}  // namespace tallowick
