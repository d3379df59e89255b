// Why a real open on this system fails, as the device link reports it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "link/device_link.h"
#include "support/temp_dir.h"

namespace tallowick {
namespace {

namespace fs = std::filesystem;
using enum OpenFailureReason;

// A pseudo-terminal, the nearest thing to a serial port a test can make.
struct Pty {
  Pty() {
    master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0) {
      path = ::ptsname(master);
    }
  }
  ~Pty() {
    if (master >= 0) ::close(master);
  }
  int master = -1;
  std::string path;
};

struct Scratch {
  Scratch() {
    fs::permissions(dir, fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
  }
  fs::path file(const char* name, fs::perms perms) const {
    const fs::path p = dir / name;
    std::ofstream(p) << "not a port";
    fs::permissions(p, perms);
    return p;
  }
  test::TempDir temp{"tallowick-open"};
  fs::path dir = temp.path;
};

// The reason an open by an ordinary user gets (root opens any file); run in a child
// process that gives up root first.
OpenFailureReason reasonAsOrdinaryUser(const std::string& port) {
  const auto reasonOf = [&] {
    DeviceLink link;
    return link.OpenDeviceLink(port, 9600) == -1 ? link.openFailure().reason : None;
  };
  if (::geteuid() != 0) return reasonOf();
  const pid_t child = ::fork();
  if (child == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(99);
    ::_exit(static_cast<int>(reasonOf()));
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? static_cast<OpenFailureReason>(WEXITSTATUS(status)) : Other;
}

TEST(PortOpen, EachFailureHasItsReasonAndTheLinkKeepsPortAndRate) {
  Pty pty;
  ASSERT_FALSE(pty.path.empty());
  Scratch scratch;
  DeviceLink holder;
  struct Case {
    const char* what;
    std::function<std::string()> port;
    std::int32_t baud;
    OpenFailureReason reason;
  };
  const Case cases[] = {
      {"missing device", [] { return std::string("/nonexistent/ttyUSB9"); }, 9600, NoSuchDevice},
      {"no port chosen", [] { return std::string(); }, 9600, NoSuchDevice},
      {"regular file", [&] { return scratch.file("plain", fs::perms::owner_all).string(); }, 9600,
       NotSerialPort},
      {"/dev/null", [] { return std::string("/dev/null"); }, 9600, NotSerialPort},
      {"folder", [&] { return scratch.dir.string(); }, 9600, NotSerialPort},
      {"rate no driver takes", [&] { return pty.path; }, 12345, RateRefused},
      {"held by another open",
       [&] {
         EXPECT_GE(holder.OpenDeviceLink(pty.path, 9600), 0);
         return pty.path;
       },
       9600, InUse},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string port = c.port();
    DeviceLink link;
    EXPECT_EQ(link.OpenDeviceLink(port, c.baud), -1);
    EXPECT_EQ(link.openFailure().reason, c.reason);
    EXPECT_EQ(link.openFailure().port, port);
    EXPECT_EQ(link.openFailure().baud, c.baud);
    EXPECT_NE(openFailureText(link.openFailure()), "");
  }
  // Once the holder lets go the port opens, and the reason is gone with the failure.
  EXPECT_NE(holder.CloseDeviceLink(), 0);
  DeviceLink link;
  ASSERT_EQ(link.OpenDeviceLink("/nonexistent/ttyUSB9", 9600), -1);
  ASSERT_GE(link.OpenDeviceLink(pty.path, 19200), 0);
  EXPECT_EQ(link.openFailure().reason, None);
}

TEST(PortOpen, APortTheUserMayNotOpenIsAMissingPermission) {
  Scratch scratch;
  const fs::path locked = scratch.file("locked", fs::perms::none);
  EXPECT_EQ(reasonAsOrdinaryUser(locked.string()), NoPermission);
}

}  // namespace
}  // namespace tallowick
