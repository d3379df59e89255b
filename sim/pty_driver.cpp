#include "sim/pty_driver.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tallowick::sim {
namespace {

constexpr int kMaxWaitMs = 20;  // how often the stop flag is looked at

std::int32_t baudOf(speed_t speed) {
  switch (speed) {
    case B1200:
      return 1200;
    case B2400:
      return 2400;
    case B4800:
      return 4800;
    case B9600:
      return 9600;
    case B19200:
      return 19200;
    case B38400:
      return 38400;
    case B57600:
      return 57600;
    case B115200:
      return 115200;
    case B230400:
      return 230400;
    default:
      return 0;
  }
}

std::string errnoText(const std::string& what) {
  return what + ": " + std::strerror(errno);
}

}  // namespace

PtyDriver::PtyDriver(VirtualPrinter& printer, std::string linkPath)
    : printer_(printer), linkPath_(std::move(linkPath)) {}

PtyDriver::~PtyDriver() {
  close();
}

bool PtyDriver::open(std::string& error) {
  if (master_ >= 0) return true;
  struct stat st {};
  if (::lstat(linkPath_.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
    error = linkPath_ + " exists and is not a symlink; not replacing it";
    return false;
  }
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
  if (master_ < 0) {
    error = errnoText("cannot create a pseudo-terminal");
    return false;
  }
  char name[128] = {};
  if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
      ::ptsname_r(master_, name, sizeof name) != 0) {
    error = errnoText("cannot unlock the pseudo-terminal");
    close();
    return false;
  }
  slaveName_ = name;
  slave_ = ::open(name, O_RDWR | O_NOCTTY);
  termios tio{};
  if (slave_ < 0 || ::tcgetattr(slave_, &tio) != 0) {
    error = errnoText("cannot open " + slaveName_);
    close();
    return false;
  }
  // Raw from the start: no echo of the host's bytes, no line editing, no CR/LF mapping.
  ::cfmakeraw(&tio);
  ::tcsetattr(slave_, TCSANOW, &tio);
  ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);

  ::unlink(linkPath_.c_str());  // an old symlink (checked above)
  if (::symlink(slaveName_.c_str(), linkPath_.c_str()) != 0) {
    error = errnoText("cannot create the symlink " + linkPath_);
    close();
    return false;
  }
  start_ = realClock().now();
  return true;
}

std::int32_t PtyDriver::hostRate() const {
  termios tio{};
  if (slave_ < 0 || ::tcgetattr(slave_, &tio) != 0) return 0;
  return baudOf(::cfgetospeed(&tio));
}

Micros PtyDriver::now() const {
  return realClock().now() - start_;
}

void PtyDriver::flushOutput() {
  const Micros t = now();
  while (const auto b = printer_.takeOutput(t))
    unsent_.push_back(*b);
  if (unsent_.empty()) return;
  const ssize_t n = ::write(master_, unsent_.data(), unsent_.size());
  if (n > 0) unsent_.erase(unsent_.begin(), unsent_.begin() + n);
}

void PtyDriver::serveOnce(int waitMs) {
  flushOutput();
  // Woken to the microsecond for the next byte due: at 115200 baud a byte takes 87 us, and
  // a wait rounded up to whole milliseconds would hold every reply's last byte back.
  std::int64_t waitUs = std::int64_t{waitMs} * 1000;
  if (const auto due = printer_.nextOutputTime()) {
    waitUs = std::clamp<std::int64_t>((*due - now()).count(), 0, waitUs);
  }
  const timespec wait{static_cast<time_t>(waitUs / 1'000'000),
                      static_cast<long>(waitUs % 1'000'000) * 1000};
  pollfd pfd{master_, static_cast<short>(POLLIN | (unsent_.empty() ? 0 : POLLOUT)), 0};
  if (::ppoll(&pfd, 1, &wait, nullptr) <= 0) return;
  if (pfd.revents & POLLIN) {
    std::uint8_t buf[256];
    const ssize_t n = ::read(master_, buf, sizeof buf);
    if (n > 0) {
      const std::int32_t rate = hostRate();
      Micros heard = now();
      if (printer_.settings().realistic && rate > 0) {
        // A terminal hands the host's bytes over at once; on a line each takes ten bits'
        // time, so in realistic mode the printer hears them only when they could be there.
        heard = std::max(heard, hostLineFree_) + Micros{n * 10'000'000 / rate};
        hostLineFree_ = heard;
      }
      printer_.hostWrote(std::span(buf, static_cast<std::size_t>(n)), heard, rate);
      if (printer_.hungUp()) {
        release();
        return;
      }
    }
  }
  flushOutput();
}

void PtyDriver::serve(const std::atomic<bool>& stop) {
  while (master_ >= 0 && !stop.load())
    serveOnce(kMaxWaitMs);
}

bool PtyDriver::start(std::string& error) {
  if (thread_.joinable()) return true;
  if (!open(error)) return false;
  stopFlag_ = false;
  thread_ = std::thread([this] { serve(stopFlag_); });
  return true;
}

void PtyDriver::stop() {
  stopFlag_ = true;
  if (thread_.joinable()) thread_.join();
}

void PtyDriver::close() {
  stop();
  release();
}

void PtyDriver::release() {
  if (!slaveName_.empty()) {
    // Only our own symlink goes: another instance may have taken the path over since.
    char target[128] = {};
    const ssize_t n = ::readlink(linkPath_.c_str(), target, sizeof target - 1);
    if (n > 0 && slaveName_ == std::string(target, static_cast<std::size_t>(n))) {
      ::unlink(linkPath_.c_str());
    }
  }
  // Marked closed before the descriptors go, so that whoever sees the hang-up on the far
  // side also finds the driver closed.
  const int slave = slave_;
  const int master = master_.exchange(-1);
  slave_ = -1;
  if (slave >= 0) ::close(slave);
  if (master >= 0) ::close(master);
  slaveName_.clear();
  unsent_.clear();
}

}  // namespace tallowick::sim
