#include "sim/pty_driver.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "sim_test_support.h"
#include "support/temp_dir.h"

namespace tallowick::sim {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using testing::request;

class PtyDriverTest : public ::testing::Test {
 protected:
  void SetUp() override { link_ = dir_ / "printer"; }

  // Opens the terminal as the program's serial code would: raw, 8N1, at `speed`.
  int openHost(speed_t speed) {
    const int fd = ::open(link_.c_str(), O_RDWR | O_NOCTTY);
    if (fd >= 0) setSpeed(fd, speed);
    return fd;
  }
  static void setSpeed(int fd, speed_t speed) {
    termios tio{};
    ::tcgetattr(fd, &tio);
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    ::tcsetattr(fd, TCSANOW, &tio);
    ::tcflush(fd, TCIOFLUSH);
  }
  // Reads until a frame's 03h or until `waitMs` pass without it.
  static Bytes readReply(int fd, int waitMs) {
    Bytes out;
    while (out.empty() || out.back() != frame::kEnd) {
      pollfd pfd{fd, POLLIN, 0};
      if (::poll(&pfd, 1, waitMs) <= 0) break;
      std::uint8_t buf[64];
      const ssize_t n = ::read(fd, buf, sizeof buf);
      if (n <= 0) break;
      out.insert(out.end(), buf, buf + n);
    }
    return out;
  }
  static void send(int fd, const Bytes& bytes) {
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }

  tallowick::test::TempDir dir_{"tallowick-pty"};
  fs::path link_;
};

TEST_F(PtyDriverTest, AnswersOnlyAtThePrintersLineRate) {
  VirtualPrinter printer;
  PtyDriver driver(printer, link_.string());
  std::string error;
  ASSERT_TRUE(driver.start(error)) << error;
  ASSERT_TRUE(fs::is_symlink(link_));

  int fd = openHost(B9600);
  ASSERT_GE(fd, 0);
  send(fd, request(0x21, 0x80));
  const Bytes reply = readReply(fd, 1000);
  EXPECT_EQ(testing::replyTextOf(reply).substr(0, 23), "0000;Veltor FP-90T;3.01");

  setSpeed(fd, B19200);
  send(fd, request(0x22, 0x80));
  EXPECT_TRUE(readReply(fd, 150).empty());
  ::close(fd);

  // The terminal outlives the host's close; a new open at the right rate is answered.
  fd = openHost(B9600);
  ASSERT_GE(fd, 0);
  send(fd, request(0x23, 0x83));
  EXPECT_EQ(testing::replyTextOf(readReply(fd, 1000)), "0000;");
  ::close(fd);

  driver.close();
  EXPECT_FALSE(fs::exists(fs::symlink_status(link_)));
}

TEST_F(PtyDriverTest, ReplacesAnOldSymlinkButNeverAFile) {
  VirtualPrinter printer;
  {
    std::ofstream(link_) << "keep me";
    PtyDriver driver(printer, link_.string());
    std::string error;
    EXPECT_FALSE(driver.open(error));
    EXPECT_NE(error.find("not a symlink"), std::string::npos) << error;
    EXPECT_FALSE(fs::is_symlink(link_));
    fs::remove(link_);
  }
  fs::create_symlink(dir_ / "gone", link_);
  PtyDriver driver(printer, link_.string());
  std::string error;
  ASSERT_TRUE(driver.open(error)) << error;
  EXPECT_EQ(fs::read_symlink(link_), driver.slaveName());
}

TEST_F(PtyDriverTest, RealisticPrinterHearsTheHostsBytesOnlyAfterTheirLineTime) {
  // The terminal passes the request on at once; a line would take ten bits a byte, so the
  // reply cannot start before the whole request and its own first byte are through.
  VirtualPrinter printer({.realistic = true, .printTimeScale = 0});
  PtyDriver driver(printer, link_.string());
  std::string error;
  ASSERT_TRUE(driver.start(error)) << error;
  const int fd = openHost(B9600);
  ASSERT_GE(fd, 0);
  const Bytes text = request(0x21, 0x61, "582014;" + std::string(150, 'x') + ";");
  const auto sent = std::chrono::steady_clock::now();
  send(fd, text);
  const Bytes reply = readReply(fd, 2000);
  const auto took = std::chrono::steady_clock::now() - sent;
  EXPECT_EQ(testing::replyTextOf(reply).substr(0, 4), "0000");
  const auto lineTime = std::chrono::microseconds((text.size() + reply.size()) * 10'000'000 / 9600);
  EXPECT_GE(took, lineTime);
  ::close(fd);
  driver.stop();
}

TEST_F(PtyDriverTest, HangupClosesTheTerminalUnderTheHost) {
  std::string error;
  FaultPlan plan;
  plan.add(*parseFaultRule("80#2:hangup", error));
  VirtualPrinter printer({}, std::move(plan));
  PtyDriver driver(printer, link_.string());
  ASSERT_TRUE(driver.start(error)) << error;
  const int fd = openHost(B9600);
  ASSERT_GE(fd, 0);
  send(fd, request(0x21, 0x80));
  EXPECT_FALSE(readReply(fd, 1000).empty());
  send(fd, request(0x22, 0x80));
  // The host sees the hang-up: poll reports it and a read finds the end of the file.
  pollfd pfd{fd, POLLIN, 0};
  ASSERT_EQ(::poll(&pfd, 1, 2000), 1);
  EXPECT_NE(pfd.revents & POLLHUP, 0);
  std::uint8_t b = 0;
  EXPECT_LE(::read(fd, &b, 1), 0);
  EXPECT_FALSE(driver.isOpen());
  EXPECT_FALSE(fs::exists(fs::symlink_status(link_))) << "the port is gone";
  ::close(fd);
  driver.stop();
}

}  // namespace
}  // namespace tallowick::sim
