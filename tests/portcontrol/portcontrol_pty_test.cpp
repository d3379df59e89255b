// TPortControl over termios, on pseudo-terminals: a raw pair whose other end the test
// plays, and the virtual printer's pty driver.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "link/frame.h"
#include "portcontrol/portcontrol.h"
#include "sim/pty_driver.h"
#include "sim/virtual_printer.h"
#include "support/temp_dir.h"

namespace tallowick {
namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

// A pseudo-terminal pair: TPortControl opens the slave, the test plays the master. The
// test also holds the slave open itself, to look at its settings and queues.
class PtyPair {
 public:
  PtyPair() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
    slaveName_ = ::ptsname(master_);
    slave_ = ::open(slaveName_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  }
  ~PtyPair() {
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
  }
  bool ok() const { return master_ >= 0 && slave_ >= 0; }
  const std::string& slaveName() const { return slaveName_; }

  void send(const Bytes& bytes) const {
    ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    // Wait until the terminal has the bytes, so the port object finds them there.
    pollfd p{slave_, POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 5000), 1);
  }

  // What arrived at the master within `waitMs` after the last byte.
  Bytes received(int waitMs = 500) const {
    Bytes out;
    for (;;) {
      pollfd p{master_, POLLIN, 0};
      if (::poll(&p, 1, waitMs) <= 0) break;
      std::uint8_t buf[256];
      const ssize_t n = ::read(master_, buf, sizeof buf);
      if (n <= 0) break;
      out.insert(out.end(), buf, buf + n);
    }
    return out;
  }

  // The far end goes away, as a printer's cable or a USB adapter can.
  void hangUp() {
    ::close(master_);
    master_ = -1;
  }

  termios settings() const {
    termios tio{};
    ::tcgetattr(slave_, &tio);
    return tio;
  }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string slaveName_;
};

class PortControlPty : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.ok()) << std::strerror(errno);
    port.Port = pty.slaveName();
    port.EnableDescr = true;
    // Short reads, so that a missing end character shows quickly.
    port.Timeout.ReadTotalTimeoutConstant = 200;
  }

  void openWithSession() {
    ASSERT_EQ(port.OpenPort(), 0) << port.Description();
    ASSERT_EQ(port.StartSession(true), 0) << port.Description();
  }

  PtyPair pty;
  TPortControl port;
};

TEST_F(PortControlPty, OpenTwiceIsRefusedAndTheFirstHandleStaysUsable) {
  ASSERT_EQ(port.OpenPort(), 0) << port.Description();
  EXPECT_EQ(port.OpenPort(), -20);
  EXPECT_EQ(port.Description(), "Port was opened!\nError = -20");
  EXPECT_TRUE(port.IsOpen());
  ASSERT_EQ(port.StartSession(false), 0);
  std::uint32_t written = 0;
  EXPECT_EQ(port.WriteData("ok", 2, written), 0);
  EXPECT_EQ(pty.received(), (Bytes{'o', 'k'}));
  EXPECT_EQ(port.EndSession(false), 0);
  EXPECT_EQ(port.ClosePort(), 0);
  EXPECT_FALSE(port.IsOpen());
  // Closed for good: the port may be opened again.
  EXPECT_EQ(port.OpenPort(), 0) << port.Description();
}

TEST_F(PortControlPty, OpenFailsForMissingAndBusyPorts) {
  TPortControl missing;
  missing.EnableDescr = true;
  missing.Port = (fs::temp_directory_path() / "tallowick-no-such-port").string();
  EXPECT_EQ(missing.OpenPort(), -2);
  EXPECT_FALSE(missing.IsOpen());
  EXPECT_EQ(missing.LastError(), ENOENT);
  EXPECT_EQ(missing.Description(), std::string(std::strerror(ENOENT)) + "\nError = 0x2");

  ASSERT_EQ(port.OpenPort(), 0);
  TPortControl second;
  second.Port = port.Port;
  EXPECT_EQ(second.OpenPort(), -2) << "the port is held by the first";
  EXPECT_FALSE(second.IsOpen());
}

TEST_F(PortControlPty, LineSettingsReachTheTerminal) {
  const struct {
    TBaudRate rate;
    TDataBits bits;
    TParity parity;
    TStopBits stop;
    TRtsControl rts;
    speed_t speed;
    tcflag_t set;  // of PARODD, CMSPAR, CSTOPB, CRTSCTS
  } cases[] = {
      {TBaudRate::S009600, TDataBits::Bits8, TParity::NO, TStopBits::ONE,
       TRtsControl::RTS_HANDSHAKE, B9600, CRTSCTS},
      {TBaudRate::S115200, TDataBits::Bits7, TParity::EVEN, TStopBits::TWO, TRtsControl::RTS_ENABLE,
       B115200, CSTOPB},
      {TBaudRate::S019200, TDataBits::Bits8, TParity::ODD, TStopBits::ONE, TRtsControl::RTS_DISABLE,
       B19200, PARODD},
      {TBaudRate::S001200, TDataBits::Bits5, TParity::MARK, TStopBits::ONE5,
       TRtsControl::RTS_ENABLE, B1200, PARODD | CMSPAR | CSTOPB},
      {TBaudRate::S000110, TDataBits::Bits6, TParity::NO, TStopBits::TWO, TRtsControl::RTS_ENABLE,
       B110, CSTOPB},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(baudRateValue(c.rate));
    port.BaudRate = c.rate;
    port.DataBits = c.bits;
    port.Parity = c.parity;
    port.StopBits = c.stop;
    port.RTS = c.rts;
    ASSERT_EQ(port.OpenPort(), 0) << port.Description();
    const termios tio = pty.settings();
    EXPECT_EQ(::cfgetospeed(&tio), c.speed);
    EXPECT_EQ(::cfgetispeed(&tio), c.speed);
    // A pseudo-terminal keeps 8 data bits and no parity whatever it is given; the data
    // bits and the parity enable are seen on real ports only.
    EXPECT_EQ(tio.c_cflag & (PARODD | CMSPAR | CSTOPB | CRTSCTS), c.set);
    // Fully raw, although a fresh terminal has XON/XOFF, CR to LF, echo and signals on.
    EXPECT_EQ(tio.c_iflag, 0u);
    EXPECT_EQ(tio.c_lflag, 0u);
    EXPECT_EQ(tio.c_oflag, 0u);
    ASSERT_EQ(port.ClosePort(), 0);
  }
}

TEST_F(PortControlPty, SettingsTheLineCannotHaveAreRefused) {
  const struct {
    TBaudRate rate;
    TDataBits bits;
    TStopBits stop;
  } cases[] = {
      {TBaudRate::S256000, TDataBits::Bits8, TStopBits::ONE},  // no such termios rate
      {TBaudRate::S011400, TDataBits::Bits8, TStopBits::ONE},
      {TBaudRate::S009600, TDataBits::Bits8, TStopBits::ONE5},  // 1.5 only with 5 bits
      {TBaudRate::S009600, TDataBits::Bits5, TStopBits::TWO},   // 2 not with 5 bits
  };
  for (const auto& c : cases) {
    port.BaudRate = c.rate;
    port.DataBits = c.bits;
    port.StopBits = c.stop;
    EXPECT_EQ(port.OpenPort(), -4);
    EXPECT_EQ(port.LastError(), EINVAL);
    EXPECT_TRUE(port.IsOpen()) << "the port stays open after a failure past the open";
    EXPECT_EQ(port.ClosePort(), 0);
  }
}

TEST_F(PortControlPty, ReadWithoutASessionIsRefusedOnAnOpenPort) {
  ASSERT_EQ(port.OpenPort(), 0);
  std::uint8_t buffer[8];
  std::uint32_t read = 7;
  EXPECT_EQ(port.ReadData(buffer, 8, read), -21);
  EXPECT_EQ(read, 0u);
  EXPECT_EQ(port.Description(), "Session was not opened!!\nError = -21");
}

TEST_F(PortControlPty, ReadUpToTheEndCharacterOrTheTimeout) {
  openWithSession();
  port.WaitEndChar = true;
  port.EndChar = 0x0D;
  std::uint8_t buffer[16] = {};
  std::uint32_t read = 0;

  pty.send({0x41, 0x42, 0x0D});
  EXPECT_EQ(port.ReadData(buffer, sizeof buffer, read), 0);
  EXPECT_EQ(read, 3u);
  EXPECT_EQ(Bytes(buffer, buffer + 3), (Bytes{0x41, 0x42, 0x0D}));

  pty.send({0x41, 0x42});
  EXPECT_EQ(port.ReadData(buffer, sizeof buffer, read), -19);
  EXPECT_EQ(read, 2u);
  EXPECT_EQ(port.Description(), "End character is absent.\nError = -19");
}

TEST_F(PortControlPty, EveryByteCrossesUnchangedAndAnXoffStopsNothing) {
  // Writes are bounded here, so that a line that took the XOFF fails instead of hanging.
  port.Timeout.WriteTotalTimeoutConstant = 1000;
  openWithSession();
  Bytes all(256);
  for (int i = 0; i < 256; ++i)
    all[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
  pty.send(all);
  std::uint8_t buffer[256] = {};
  std::uint32_t read = 0;
  EXPECT_EQ(port.ReadData(buffer, sizeof buffer, read), 0);
  EXPECT_EQ(Bytes(buffer, buffer + read), all);
  std::uint32_t written = 0;
  EXPECT_EQ(port.WriteData(all.data(), static_cast<std::uint32_t>(all.size()), written), 0)
      << port.Description();
  EXPECT_EQ(pty.received(), all);
}

TEST_F(PortControlPty, ReadsFollowTheTimeouts) {
  openWithSession();
  std::uint8_t buffer[16] = {};
  std::uint32_t read = 0;

  pty.send({1, 2, 3, 4, 5});
  EXPECT_EQ(port.ReadData(buffer, sizeof buffer, read), 0) << "a short read is a success";
  EXPECT_EQ(read, 5u);

  // An interval of MAXDWORD without total time-out: what is there, at once.
  port.SetTimeout({-1, 0, 0, 0, 0});
  ASSERT_EQ(port.SetPortTimeouts(), 0);
  EXPECT_EQ(port.ReadData(buffer, sizeof buffer, read), 0);
  EXPECT_EQ(read, 0u);
  pty.send({9, 8});
  EXPECT_EQ(port.ReadData(buffer, 1, read), 0);
  EXPECT_EQ(read, 1u);
  EXPECT_EQ(port.ReadData(buffer, sizeof buffer, read), 0);
  EXPECT_EQ(read, 1u);
  EXPECT_EQ(buffer[0], 8);
}

TEST_F(PortControlPty, AReadWithoutTimeoutsEndsWhenTheOtherEndHangsUp) {
  port.Timeout = {0, 0, 0, 0, 0};  // wait for all bytes, however long
  openWithSession();
  pty.send({1});
  pty.hangUp();
  std::uint8_t buffer[4] = {};
  std::uint32_t read = 0;
  EXPECT_EQ(port.ReadData(buffer, sizeof buffer, read), -17);
  EXPECT_EQ(port.LastError(), EIO);
}

TEST_F(PortControlPty, WritesBufferedAndByteByByte) {
  openWithSession();
  std::uint32_t written = 0;
  EXPECT_EQ(port.WriteData("abc", 3, written), 0);
  EXPECT_EQ(written, 3u);
  port.Buffering = true;
  EXPECT_EQ(port.WriteData("de", 2, written), 0);
  EXPECT_EQ(written, 2u);
  EXPECT_EQ(pty.received(), (Bytes{'a', 'b', 'c', 'd', 'e'}));

  std::uint32_t before = 9;
  EXPECT_EQ(port.EndSession(true), 0);
  EXPECT_EQ(port.WriteData("x", 1, before), -21);
  EXPECT_EQ(before, 0u);
  EXPECT_EQ(port.Description(), "Session was not opened.\nError = -21");
}

TEST_F(PortControlPty, EscapeFunctionsOnATerminalWithoutModemLines) {
  openWithSession();
  const struct {
    std::uint32_t function;
    std::int32_t code;
    int error;
  } cases[] = {
      {escape::kSetBreak, 0, 0},        {escape::kClrBreak, 0, 0},
      {escape::kSetXoff, 0, 0},         {escape::kSetXon, 0, 0},
      {escape::kSetDtr, -22, ENOTTY},   {escape::kClrRts, -22, ENOTTY},
      {escape::kResetDev, -22, EINVAL}, {99, -22, EINVAL},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.function);
    EXPECT_EQ(port.EscapeCommFunction(c.function), c.code);
    EXPECT_EQ(port.LastError(), c.error);
    if (c.code != 0) {
      char hex[16];
      std::snprintf(hex, sizeof hex, "0x%x", c.error);
      EXPECT_EQ(port.Description(), std::string(std::strerror(c.error)) + "\nError = " + hex);
    }
  }
}

TEST_F(PortControlPty, ClearErrorTellsTheQueueAndPurgesIt) {
  openWithSession();
  pty.send({1, 2, 3});
  EXPECT_EQ(port.ClearError(), 0);
  EXPECT_EQ(port.CommErrors(), 0u);
  EXPECT_EQ(port.CommStatus().cbInQue, 3u);
  port.SetTimeout({-1, 0, 0, 0, 0});
  ASSERT_EQ(port.SetPortTimeouts(), 0);
  std::uint8_t buffer[8];
  std::uint32_t read = 9;
  EXPECT_EQ(port.ReadData(buffer, 8, read), 0);
  EXPECT_EQ(read, 0u) << "purged";

  pty.send({4, 5});
  EXPECT_EQ(port.ClearBuffers(purge::kRxClear), 0);
  EXPECT_EQ(port.ReadData(buffer, 8, read), 0);
  EXPECT_EQ(read, 0u);
  EXPECT_EQ(port.ClearBuffers(0x10), -23);
  EXPECT_EQ(port.LastError(), EINVAL);
}

TEST_F(PortControlPty, NoRegistryHere) {
  EXPECT_EQ(port.Platform(), PortPlatform::Other);
  EXPECT_EQ(port.EnableFIFO(true), -24);
  EXPECT_EQ(port.SetFIFOSize(false, 16), -24);
  EXPECT_EQ(port.IsFIFOEnable(), -24);
  EXPECT_EQ(port.GetFIFOSize(true), -24);
  EXPECT_EQ(port.GetDeviceKey("COM1"), nullptr);
  EXPECT_FALSE(port.SetNumPort("com12"));
  EXPECT_EQ(port.Port, pty.slaveName());
}

TEST(PortControlSim, AsksTheVirtualPrinterOnItsPtyAndReadsTheReplyToItsEnd) {
  const test::TempDir dir("tallowick-port");
  const std::string link = (dir / "printer").string();
  sim::VirtualPrinter printer;
  sim::PtyDriver driver(printer, link);
  std::string error;
  ASSERT_TRUE(driver.start(error)) << error;

  TPortControl port;
  port.Port = link;
  port.EnableDescr = true;
  port.RTS = TRtsControl::RTS_ENABLE;
  port.WaitEndChar = true;
  port.EndChar = static_cast<char>(frame::kEnd);
  ASSERT_EQ(port.OpenPort(), 0) << port.Description();
  ASSERT_EQ(port.StartSession(true), 0) << port.Description();
  const std::string data = "582014;";
  const Bytes request = frame::buildRequest(0x21, 0x80, Bytes(data.begin(), data.end()));
  std::uint32_t written = 0;
  ASSERT_EQ(port.WriteData(request.data(), static_cast<std::uint32_t>(request.size()), written), 0);
  std::uint8_t reply[256] = {};
  std::uint32_t read = 0;
  ASSERT_EQ(port.ReadData(reply, sizeof reply, read), 0) << port.Description();
  const std::string text(reply, reply + read);
  EXPECT_NE(text.find("Veltor FP-90T"), std::string::npos) << text;
  EXPECT_EQ(reply[read - 1], frame::kEnd);
  EXPECT_EQ(port.EndSession(false), 0);
  EXPECT_EQ(port.ClosePort(), 0);
  driver.stop();
  driver.close();
}

}  // namespace
}  // namespace tallowick
