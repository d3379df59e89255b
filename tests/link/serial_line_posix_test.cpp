// End-to-end over a real pseudo-terminal: the termios serial line and the whole link
// against the virtual printer's pty driver, in real time.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <poll.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

#include "link/device_link.h"
#include "link/frame.h"
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
      : PtyPrinter(name, fault ? std::vector<std::string>{fault} : std::vector<std::string>{}) {}
  // The faults are staged before the printer starts to serve on its own thread.
  PtyPrinter(const char* name, const std::vector<std::string>& faults)
      : driver(printer, tempLinkPath(name)) {
    for (const auto& fault : faults) {
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
  // Also when the rest of a frame was said to be coming (a printer that stopped in the
  // middle of one).
  PtyPrinter p("silent");
  auto line = makePlatformSerialLine();
  ASSERT_GE(line->open(p.path(), 9600), 0);
  for (const std::size_t coming : {std::size_t{0}, std::size_t{17}, std::size_t{250}}) {
    const auto start = std::chrono::steady_clock::now();
    std::uint8_t into[16];
    const ReadResult r = line->read(into, coming, SerialLine::kReadTimeoutMs);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(r.status, ReadStatus::Timeout) << coming;
    EXPECT_GE(took, std::chrono::milliseconds(90)) << coming;
    EXPECT_LT(took, std::chrono::seconds(2)) << coming;
  }
}

// The platform's line, counting its reads.
class CountingLine final : public SerialLine {
 public:
  explicit CountingLine(int& reads) : line_(makePlatformSerialLine()), reads_(reads) {}
  std::int32_t open(const std::string& name, std::int32_t baud) override {
    return line_->open(name, baud);
  }
  bool close() override { return line_->close(); }
  bool isOpen() const override { return line_->isOpen(); }
  void write(std::span<const std::uint8_t> bytes) override { line_->write(bytes); }
  ReadResult read(std::span<std::uint8_t> into, std::size_t coming, int waitMs) override {
    ++reads_;
    return line_->read(into, coming, waitMs);
  }
  void purge() override { line_->purge(); }
  void drain() override { line_->drain(); }
  void clearError() override { line_->clearError(); }

 private:
  std::unique_ptr<SerialLine> line_;
  int& reads_;
};

TEST(PosixSerialLine, AReplyAtTheLinesPaceComesInAFewReads) {
  // A printer that sends each byte in its time on the line, about a millisecond at 9600
  // baud: the link sleeps for the bytes it knows are still coming and takes them together,
  // instead of a read for each of the reply's 49 bytes; the reply is whole all the same.
  sim::PrinterSettings settings;
  settings.realistic = true;
  sim::VirtualPrinter printer(settings);
  sim::PtyDriver driver(printer, tempLinkPath("pace"));
  std::string error;
  ASSERT_TRUE(driver.start(error)) << error;
  int reads = 0;
  DeviceLink link([&](const std::string&) { return std::make_unique<CountingLine>(reads); });
  ASSERT_GE(link.OpenDeviceLink(driver.linkPath(), 9600), 0);
  const CommandResult* r = link.SendCommand(0x80, "582014;");
  driver.stop();
  EXPECT_EQ(r->ErrorFlags, 0u);
  EXPECT_EQ(r->Fields[0], "Veltor FP-90T");
  EXPECT_EQ(r->Fields[2], "Україна");
  EXPECT_LE(reads, 12);
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

TEST(PosixSerialLine, LineIsRawAndKeepsOnlyTheHardwareFlowControl) {
  PtyPrinter p("8n1");
  // A descriptor of our own, opened before the line holds the port, to watch its settings.
  const int watch = ::open(p.path().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(watch, 0);
  termios before{};
  ASSERT_EQ(::tcgetattr(watch, &before), 0);
  // What a fresh terminal has, and more.
  before.c_cflag |= CRTSCTS | PARENB | CSTOPB;
  before.c_iflag |= IXON | IXOFF | IXANY | ICRNL | INLCR | ISTRIP;
  before.c_oflag |= OPOST | ONLCR;
  before.c_lflag |= ECHO | ICANON | ISIG | IEXTEN;
  ASSERT_EQ(::tcsetattr(watch, TCSANOW, &before), 0);

  auto line = makePlatformSerialLine();
  ASSERT_GE(line->open(p.path(), 19200), 0);
  termios after{};
  ASSERT_EQ(::tcgetattr(watch, &after), 0);
  EXPECT_EQ(after.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(after.c_cflag & (PARENB | CSTOPB), 0u);
  EXPECT_EQ(after.c_cflag & CRTSCTS, static_cast<tcflag_t>(CRTSCTS));
  EXPECT_EQ(after.c_iflag, 0u);
  EXPECT_EQ(after.c_oflag, 0u);
  EXPECT_EQ(after.c_lflag, 0u);
  EXPECT_EQ(::cfgetospeed(&after), static_cast<speed_t>(B19200));
  line->close();
  ::close(watch);
}

// A bare pseudo-terminal: the test plays the far end on the master side.
struct BarePty {
  int master = -1;
  std::string slave;
  BarePty() {
    master = ::posix_openpt(O_RDWR | O_NOCTTY);
    char name[128] = {};
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0 ||
        ::ptsname_r(master, name, sizeof name) != 0) {
      ADD_FAILURE() << "no pseudo-terminal";
      return;
    }
    slave = name;
  }
  ~BarePty() {
    if (master >= 0) ::close(master);
  }
  // What the far end receives within `waitMs`, at most `n` bytes.
  std::vector<std::uint8_t> receive(std::size_t n, int waitMs = 2000) const {
    std::vector<std::uint8_t> out;
    while (out.size() < n) {
      pollfd p{master, POLLIN, 0};
      if (::poll(&p, 1, waitMs) <= 0) break;
      std::uint8_t buf[512];
      const ssize_t got = ::read(master, buf, std::min(sizeof buf, n - out.size()));
      if (got <= 0) break;
      out.insert(out.end(), buf, buf + got);
    }
    return out;
  }
};

TEST(PosixSerialLine, EveryByteCrossesTheLineUnchangedBothWays) {
  BarePty pty;
  auto line = makePlatformSerialLine();
  ASSERT_GE(line->open(pty.slave, 9600), 0);
  std::vector<std::uint8_t> all(256);
  for (int i = 0; i < 256; ++i)
    all[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);

  // From the far end: XOFF, XON, CR, LF, ^C, ^V, ^D and the rest, each exactly as sent.
  ASSERT_EQ(::write(pty.master, all.data(), all.size()), 256);
  std::vector<std::uint8_t> heard;
  int reads = 0;
  for (; heard.size() < all.size() && reads < 400; ++reads) {
    std::uint8_t into[512];
    const ReadResult r = line->read(into, 0, SerialLine::kReadTimeoutMs);
    if (r.status == ReadStatus::Bytes) heard.insert(heard.end(), into, into + r.count);
  }
  EXPECT_EQ(heard, all);
  EXPECT_LT(reads, 10) << "what the port holds comes in one read, not a read a byte";

  // To the far end, after the XOFF it sent: nothing is held back or translated. The write
  // runs on a thread of its own, so that a line that took the XOFF fails here instead of
  // hanging; an XON then lets it finish.
  std::thread writer([&] { line->write(all); });
  const auto received = pty.receive(all.size());
  const std::uint8_t xon = 0x11;
  EXPECT_EQ(::write(pty.master, &xon, 1), 1);
  writer.join();
  EXPECT_EQ(received, all);
}

// Gives the terminal the settings a fresh one has: XON/XOFF, CR to LF, echo, line editing,
// signals and output processing all on.
void freshTerminal(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(fd, 0);
  termios tio{};
  ASSERT_EQ(::tcgetattr(fd, &tio), 0);
  tio.c_iflag |= IXON | ICRNL | BRKINT | IMAXBEL;
  tio.c_oflag |= OPOST | ONLCR;
  tio.c_lflag |= ECHO | ICANON | ISIG | IEXTEN | ECHOE | ECHOK;
  ASSERT_EQ(::tcsetattr(fd, TCSANOW, &tio), 0);
  ::close(fd);
}

TEST(PosixSerialLine, ControlBytesAroundAndInsideRepliesArriveAsSent) {
  // Every byte below 20h and 7Fh: in the reply's data (where the frame allows any byte but
  // its three framing bytes), just before the reply and just after it, on a terminal that
  // starts with a fresh one's settings. Each exchange and the next one must give exactly
  // what the printer sent.
  struct Case {
    std::uint8_t byte;
    std::string where;
  };
  const auto hex = [](std::uint8_t b) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return std::string{kDigits[b >> 4], kDigits[b & 15]};
  };
  const auto textWith = [](std::uint8_t b) {
    return std::string("a") + static_cast<char>(b) + "b";
  };
  std::vector<Case> cases;
  for (int b = 0; b <= 0x7F; b = b == 0x1F ? 0x7F : b + 1) {
    const auto c = static_cast<std::uint8_t>(b);
    const bool framing = c == frame::kStart || c == frame::kEnd || c == frame::kNak;
    for (const std::string where : {"before", "after", "inside"}) {
      if (!framing || where != "inside") cases.push_back({c, where});
    }
  }
  for (const auto& c : cases) {
    const std::string what = hex(c.byte) + " " + c.where;
    const std::string fault =
        c.where == "inside" ? "80#1:fields=" + textWith(c.byte) + ";" + textWith(c.byte)
                            : "80#1:garbage=" + hex(c.byte) + (c.where == "after" ? "@255" : "");
    PtyPrinter p("controls", std::vector<std::string>{fault});
    freshTerminal(p.path());
    DeviceLink link;
    ASSERT_GE(link.OpenDeviceLink(p.path(), 9600), 0);
    const CommandResult* r = link.SendCommand(0x80, "582014;");
    EXPECT_EQ(r->ErrorFlags, 0u) << what;
    EXPECT_EQ(r->ErrorCode, "0000") << what;
    if (c.where == "inside") {
      ASSERT_EQ(r->FieldCount, 2) << what;
      EXPECT_EQ(r->Fields[0], textWith(c.byte)) << what;
      EXPECT_EQ(r->Fields[1], textWith(c.byte)) << what;
    } else {
      EXPECT_EQ(r->Fields[0], "Veltor FP-90T") << what;
    }
    const CommandResult* next = link.SendCommand(0x80, "582014;");
    EXPECT_EQ(next->ErrorFlags, 0u) << what << ", the next exchange";
    EXPECT_EQ(next->Fields[0], "Veltor FP-90T") << what << ", the next exchange";
  }
}

TEST(PosixSerialLine, PortClosedByThePrinterEndsTheExchangeAtOnce) {
  PtyPrinter p("hangup", "80#2:hangup");
  DeviceLink link;
  ASSERT_GE(link.OpenDeviceLink(p.path(), 9600), 0);
  EXPECT_EQ(link.SendCommand(0x80, "582014;")->ErrorCode, "0000");
  for (int i = 0; i < 2; ++i) {
    const auto start = std::chrono::steady_clock::now();
    const CommandResult* r = link.SendCommand(0x80, "582014;");
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(r->noReply()) << i;
    EXPECT_EQ(r->WaitEnded, WaitEnd::PortGone) << i;
    EXPECT_LT(took, std::chrono::seconds(2)) << i << ": not 5 s of empty reads";
  }
}

TEST(PosixSerialLine, ReadTimeOutHoldsOnATerminalThatIgnoresItsReadTimer) {
  // A multiplexer with no terminal behind it: open it as the port and read.
  auto line = makePlatformSerialLine();
  if (line->open("/dev/ptmx", 9600) < 0) GTEST_SKIP() << "/dev/ptmx cannot be opened here";
  const auto start = std::chrono::steady_clock::now();
  std::uint8_t into[16];
  const ReadResult r = line->read(into, 0, SerialLine::kReadTimeoutMs);
  EXPECT_NE(r.status, ReadStatus::Bytes);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(PosixSerialLine, AWriteHeldUpByTheOtherEndGivesUpWithinItsLimit) {
  // A terminal pair whose other end never reads: once its buffer is full, the line takes
  // no more bytes, as a port takes none while the printer holds its flow control off.
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(::grantpt(master), 0);
  ASSERT_EQ(::unlockpt(master), 0);
  auto line = makePlatformSerialLine();
  constexpr std::int32_t kBaud = 230400;
  ASSERT_GE(line->open(::ptsname(master), kBaud), 0);
  const std::vector<std::uint8_t> chunk(1024, 0x55);
  const auto limit = std::chrono::milliseconds(SerialLine::writeLimitMs(chunk.size(), kBaud));
  bool heldUp = false;
  for (int i = 0; i < 2000 && !heldUp; ++i) {
    const auto start = std::chrono::steady_clock::now();
    line->write(chunk);
    const auto took = std::chrono::steady_clock::now() - start;
    heldUp = took >= limit;
    EXPECT_LT(took, limit + std::chrono::seconds(3)) << "write " << i;
  }
  EXPECT_TRUE(heldUp) << "the other end's buffer never filled";
  // Closing drains within its limit too, and the port can be opened again.
  EXPECT_TRUE(line->close());
  EXPECT_GE(line->open(::ptsname(master), kBaud), 0);
  line->close();
  ::close(master);
}

}  // namespace
}  // namespace tallowick
