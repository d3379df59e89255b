// The serial line on POSIX systems, through termios, fully raw. A read waits in poll for at
// most 100 ms and then takes all the port holds, so it returns in time on any file, and an
// end of file or a hang-up is reported as the port being gone instead of an endless run
// of empty reads. In the middle of a frame it sleeps for the bytes known to be coming
// instead, and takes them together. The port is held with TIOCEXCL and an advisory lock,
// so that a second open fails as it does on Windows, also for root.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <optional>

#include "link/serial_line.h"

namespace tallowick {
namespace {

std::optional<speed_t> speedFor(std::int32_t baud) {
  switch (baud) {
    case 1200:
      return B1200;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    case 230400:
      return B230400;
    default:
      return std::nullopt;
  }
}

// A limit in real time: the line's own waits, not the program's clock.
struct Deadline {
  std::chrono::steady_clock::time_point at;
  static Deadline after(int ms) {
    return {std::chrono::steady_clock::now() + std::chrono::milliseconds(ms)};
  }
  bool passed() const { return std::chrono::steady_clock::now() >= at; }
  // What is left, in slices of the read period, so that no single wait is long.
  int sliceMs() const {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        at - std::chrono::steady_clock::now());
    return static_cast<int>(std::clamp<std::int64_t>(left.count(), 1, SerialLine::kReadTimeoutMs));
  }
};

class PosixSerialLine final : public SerialLine {
 public:
  // The longest a read sleeps for the bytes of a frame still coming: the window answers its
  // user between reads.
  static constexpr std::int64_t kGatherLimitMicros = 20'000;
  // What a sleep may overrun by (the system's timer slack is 50 us).
  static constexpr std::int64_t kSleepOverrunMicros = 100;

  ~PosixSerialLine() override { close(); }

  std::int32_t open(const std::string& portName, std::int32_t baud) override {
    close();
    failure_ = {};
    if (portName.empty()) return fail(-1, 0, OpenFailureReason::NoSuchDevice);
    const auto speed = speedFor(baud);
    if (!speed) return fail(-1, 0, OpenFailureReason::RateRefused);
    // Non-blocking throughout: a port with modem control must not hang the open, and a
    // write that the flow control holds up waits in poll, within its limit.
    const int fd = ::open(portName.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return fail(fd, errno, OpenStep::Open);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return fail(fd, errno, OpenStep::Hold);
    if (::ioctl(fd, TIOCEXCL) != 0) return fail(fd, errno, OpenStep::Hold);
    errno = 0;
    if (!configure(fd, *speed)) return fail(fd, errno, OpenStep::Settings);
    ::tcflush(fd, TCIOFLUSH);
    fd_ = fd;
    baud_ = baud;
    return fd;
  }

  bool close() override {
    if (fd_ < 0) return false;
    drain();
    ::tcflush(fd_, TCIOFLUSH);
    ::ioctl(fd_, TIOCNXCL);  // the next open of this port may be someone else's
    ::flock(fd_, LOCK_UN);
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    return closed;
  }

  OpenFailure openFailure() const override { return failure_; }

  bool isOpen() const override { return fd_ >= 0; }

  void write(std::span<const std::uint8_t> bytes) override {
    if (fd_ < 0) return;
    const auto deadline = Deadline::after(writeLimitMs(bytes.size(), baud_));
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
      if (n > 0) {
        done += static_cast<std::size_t>(n);
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return;  // shows up as no reply
      // The driver takes nothing more for now: the flow control holds the line.
      if (deadline.passed()) {
        ::tcflush(fd_, TCOFLUSH);
        return;
      }
      pollfd p{fd_, POLLOUT, 0};
      ::poll(&p, 1, deadline.sliceMs());
    }
  }

  ReadResult read(std::span<std::uint8_t> into, std::size_t coming, int waitMs) override {
    if (fd_ < 0) return {ReadStatus::Closed, 0};
    waitMs = std::clamp(waitMs, 1, kReadTimeoutMs);
    // The rest of a frame comes at the line's pace, a byte at a time: rather than wake for
    // each, sleep for all of them but the last, which cannot have come before, and take what
    // is there. The sleep ends a little early, since a sleep may overrun by tens of
    // microseconds. Nothing there yet (a printer that stopped in mid-frame): as any read,
    // for the rest of the wait.
    const auto stillComing = static_cast<std::int64_t>(coming > 1 ? coming - 1 : 0);
    const std::int64_t theirTime = stillComing * 10'000'000 / (baud_ > 0 ? baud_ : 9600);
    const std::int64_t sleep = std::min<std::int64_t>(
        {theirTime - kSleepOverrunMicros, kGatherLimitMicros, std::int64_t{waitMs} * 1000});
    if (sleep > 0) {
      const timespec wait{0, static_cast<long>(sleep * 1000)};
      ::nanosleep(&wait, nullptr);
      const ssize_t n = ::read(fd_, into.data(), into.size());
      if (n > 0) return {ReadStatus::Bytes, static_cast<std::size_t>(n)};
      waitMs = std::max(0, waitMs - static_cast<int>(sleep / 1000));
    }
    pollfd p{fd_, POLLIN, 0};
    const int ready = ::poll(&p, 1, waitMs);
    // A signal ends the read early, so that a stop asked for by it is seen at once.
    if (ready == 0 || (ready < 0 && errno == EINTR)) return {ReadStatus::Timeout, 0};
    if (ready < 0) return {ReadStatus::Error, 0};
    if ((p.revents & POLLNVAL) != 0) return {ReadStatus::Closed, 0};
    if ((p.revents & POLLIN) == 0) return {ReadStatus::Closed, 0};  // hung up, nothing left
    const ssize_t n = ::read(fd_, into.data(), into.size());
    if (n > 0) return {ReadStatus::Bytes, static_cast<std::size_t>(n)};
    // Readable but nothing to read is an end of file: the other end is gone.
    if (n == 0) return {ReadStatus::Closed, 0};
    if (errno == EINTR || errno == EAGAIN) return {ReadStatus::Timeout, 0};
    return {errno == EIO ? ReadStatus::Closed : ReadStatus::Error, 0};
  }

  // With nothing come in and nothing left to go out there is nothing to discard, and the
  // flush, which waits for the terminal's own buffers, is spared.
  void purge() override {
    if (fd_ < 0) return;
    int in = 0;
    int out = 0;
    if (::ioctl(fd_, FIONREAD, &in) == 0 && in == 0 && ::ioctl(fd_, TIOCOUTQ, &out) == 0 &&
        out == 0) {
      return;
    }
    ::tcflush(fd_, TCIOFLUSH);
  }

  // tcdrain would wait without limit behind a held flow control: the queue is watched
  // instead.
  void drain() override {
    if (fd_ < 0) return;
    int queued = 0;
    if (::ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued <= 0) return;
    const auto deadline = Deadline::after(writeLimitMs(static_cast<std::size_t>(queued), baud_));
    while (::ioctl(fd_, TIOCOUTQ, &queued) == 0 && queued > 0) {
      if (deadline.passed()) {
        ::tcflush(fd_, TCOFLUSH);
        return;
      }
      ::poll(nullptr, 0, std::min(10, deadline.sliceMs()));
    }
  }

  void clearError() override {}

 private:
  // Fully raw 8N1 at the given speed: no input or output processing, no XON/XOFF, no
  // CR/LF translation, no echo, no signals. An XOFF from the line would otherwise stop
  // our output for good and a CR would arrive as LF. Only the hardware flow control stays
  // as the driver has it: it never blocks on what the printer sends.
  static bool configure(int fd, speed_t speed) {
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) return false;
    const tcflag_t keptControl = tio.c_cflag & CRTSCTS;
    ::cfmakeraw(&tio);
    // cfmakeraw leaves IXOFF, IXANY and a few others; none of the driver's is kept.
    tio.c_iflag = 0;
    tio.c_oflag = 0;
    tio.c_lflag = 0;
    tio.c_cflag = keptControl | CS8 | CREAD | CLOCAL;
    // Reads wait in poll; the read itself takes what is there and returns.
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::cfsetispeed(&tio, speed) != 0 || ::cfsetospeed(&tio, speed) != 0) return false;
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) return false;
    termios check{};
    return ::tcgetattr(fd, &check) == 0 && ::cfgetospeed(&check) == speed;
  }

  // Gives up an open that failed with `error` (0: none) at `step`: releases `fd` when
  // there is one and keeps the reason. Returns -1, the open's result.
  std::int32_t fail(int fd, int error, OpenStep step) {
    return fail(fd, error, reasonOfErrno(error, step));
  }
  std::int32_t fail(int fd, int error, OpenFailureReason reason) {
    if (fd >= 0) ::close(fd);
    failure_ = {reason, error != 0 ? std::strerror(error) : std::string(), {}, 0};
    return -1;
  }

  int fd_ = -1;
  std::int32_t baud_ = 9600;
  OpenFailure failure_;
};

}  // namespace

std::unique_ptr<SerialLine> makePlatformSerialLine() {
  return std::make_unique<PosixSerialLine>();
}

}  // namespace tallowick
