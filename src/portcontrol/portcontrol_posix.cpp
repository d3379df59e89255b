// The port services on POSIX systems: termios for the line settings, poll for the
// Windows-style read and write time-outs, ioctl for the modem lines, the break and the
// queue sizes, and the scheduler and mlock for sessions. There is no registry here, so
// there are no device keys and no FIFO settings.
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>

#include "portcontrol/portcontrol_system.h"

namespace tallowick {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr std::size_t kLockedCodeBytes = 2000;
constexpr std::uint32_t kMaxDword = 0xFFFFFFFF;
constexpr int kHighestNice = -20;

struct Rate {
  std::int32_t baud;
  speed_t speed;
};

// The component's rates that termios can set; 256000, 128000, 56000 and 11400 it cannot.
constexpr Rate kRates[] = {
    {110, B110},     {300, B300},     {600, B600},       {1200, B1200},
    {2400, B2400},   {4800, B4800},   {9600, B9600},     {19200, B19200},
    {38400, B38400}, {57600, B57600}, {115200, B115200},
};

std::optional<speed_t> speedOf(std::int32_t baud) {
  for (const auto& r : kRates) {
    if (r.baud == baud) return r.speed;
  }
  return std::nullopt;
}

SystemError lastErrno() {
  return errno != 0 ? static_cast<SystemError>(errno) : EIO;
}

// A device without modem lines (a pseudo-terminal) answers their ioctls so.
bool noModemLines(int error) {
  return error == ENOTTY || error == EINVAL;
}

// Milliseconds left until `deadline`, for poll; -1 without a deadline.
int msLeft(const std::optional<Clock::time_point>& deadline) {
  if (!deadline) return -1;
  const auto left = std::chrono::duration_cast<milliseconds>(*deadline - Clock::now()).count();
  return static_cast<int>(std::clamp<long long>(left, 0, 1 << 30));
}

// Waits for `events` on `fd` at most `timeoutMs` (-1: for ever). 0 when ready, ETIMEDOUT
// when the time passed, or the error.
SystemError waitFor(int fd, short events, int timeoutMs) {
  for (;;) {
    pollfd p{fd, events, 0};
    const int n = ::poll(&p, 1, timeoutMs);
    // A hung-up or failed device would be ready for ever with nothing to read.
    if (n > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) return EIO;
    if (n > 0) return 0;
    if (n == 0) return ETIMEDOUT;
    if (errno != EINTR) return lastErrno();
  }
}

// The two routines a session keeps resident.
SystemError readRoutine(int fd, std::uint8_t* buffer, std::uint32_t count, std::uint32_t& got,
                        const T1CommTimeouts& t);
SystemError writeRoutine(int fd, const std::uint8_t* data, std::uint32_t count,
                         std::uint32_t& written, const T1CommTimeouts& t);

// The pages that hold the 2000 bytes from the lower of the two routines' addresses.
struct CodeRange {
  void* start;
  std::size_t length;
};

CodeRange lockedCode() {
  const auto a = reinterpret_cast<std::uintptr_t>(&readRoutine);
  const auto b = reinterpret_cast<std::uintptr_t>(&writeRoutine);
  const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  const std::uintptr_t from = std::min(a, b);
  const std::uintptr_t start = from / page * page;
  return {reinterpret_cast<void*>(start), kLockedCodeBytes + (from - start)};
}

// Reads as a Windows port does under COMMTIMEOUTS: an interval of MAXDWORD with no total
// time-out returns what is there at once; with a MAXDWORD multiplier too it waits up to
// the constant for a first byte and returns with it; otherwise the total time-out
// (multiplier per byte plus constant, none when both are 0) and the interval between
// bytes (none when 0) end the read, or `count` bytes do.
SystemError readRoutine(int fd, std::uint8_t* buffer, std::uint32_t count, std::uint32_t& got,
                        const T1CommTimeouts& t) {
  got = 0;
  const auto interval = static_cast<std::uint32_t>(t.ReadIntervalTimeout);
  const auto multiplier = static_cast<std::uint32_t>(t.ReadTotalTimeoutMultiplier);
  const auto constant = static_cast<std::uint32_t>(t.ReadTotalTimeoutConstant);
  bool returnOnFirst = false;
  std::optional<Clock::time_point> deadline;
  std::optional<int> intervalMs;
  if (interval == kMaxDword && multiplier == 0 && constant == 0) {
    deadline = Clock::now();
  } else if (interval == kMaxDword && multiplier == kMaxDword && constant != kMaxDword &&
             constant != 0) {
    deadline = Clock::now() + milliseconds(constant);
    returnOnFirst = true;
  } else {
    const std::uint64_t total = static_cast<std::uint64_t>(multiplier) * count + constant;
    if (total > 0) deadline = Clock::now() + milliseconds(total);
    if (interval > 0 && interval != kMaxDword)
      intervalMs = static_cast<int>(std::min<std::uint32_t>(interval, 1u << 30));
  }
  while (got < count) {
    const ssize_t n = ::read(fd, buffer + got, count - got);
    if (n > 0) {
      got += static_cast<std::uint32_t>(n);
      if (returnOnFirst) break;
      continue;
    }
    // With VMIN and VTIME 0 a terminal answers 0 when it has nothing yet.
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return lastErrno();
    int waitMs = msLeft(deadline);
    if (got > 0 && intervalMs) waitMs = waitMs < 0 ? *intervalMs : std::min(waitMs, *intervalMs);
    if (waitMs == 0) break;
    const SystemError e = waitFor(fd, POLLIN, waitMs);
    if (e == ETIMEDOUT) break;
    if (e != 0) return e;
  }
  return 0;
}

// Writes everything, waiting for room as long as the total write time-out allows
// (multiplier per byte plus constant; for ever when both are 0).
SystemError writeRoutine(int fd, const std::uint8_t* data, std::uint32_t count,
                         std::uint32_t& written, const T1CommTimeouts& t) {
  written = 0;
  const std::uint64_t total =
      static_cast<std::uint64_t>(static_cast<std::uint32_t>(t.WriteTotalTimeoutMultiplier)) *
          count +
      static_cast<std::uint32_t>(t.WriteTotalTimeoutConstant);
  std::optional<Clock::time_point> deadline;
  if (total > 0) deadline = Clock::now() + milliseconds(total);
  while (written < count) {
    const ssize_t n = ::write(fd, data + written, count - written);
    if (n > 0) {
      written += static_cast<std::uint32_t>(n);
      continue;
    }
    if (n == 0) return EIO;
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return lastErrno();
    const int waitMs = msLeft(deadline);
    if (waitMs == 0) return ETIMEDOUT;
    if (const SystemError e = waitFor(fd, POLLOUT, waitMs)) return e;
  }
  return 0;
}

class PosixPortSystem final : public PortSystem {
 public:
  ~PosixPortSystem() override {
    if (unlockNeeded_) {
      const CodeRange code = lockedCode();
      ::munlock(code.start, code.length);
    }
    if (fd_ >= 0) ::close(fd_);
  }

  PortPlatform platform() const override { return PortPlatform::Other; }

  std::string message(SystemError code) const override {
    const char* text = std::strerror(static_cast<int>(code));
    return text != nullptr ? std::string(text) : std::string();
  }

  SystemError invalidArgument() const override { return EINVAL; }

  // Held like the device link holds its port: TIOCEXCL and an advisory lock, so that a
  // second open fails as it does on Windows, for root too. Non-blocking throughout: the
  // time-outs are kept with poll.
  SystemError open(const std::string& device) override {
    if (device.empty()) return ENOENT;
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return lastErrno();
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      ::close(fd);
      return EBUSY;
    }
    if (::ioctl(fd, TIOCEXCL) != 0) {
      const SystemError e = lastErrno();
      ::close(fd);
      return e;
    }
    fd_ = fd;
    return 0;
  }

  bool isOpen() const override { return fd_ >= 0; }

  // close() releases the descriptor even when it reports an error, so it is forgotten
  // either way.
  SystemError close() override {
    ::ioctl(fd_, TIOCNXCL);  // the next open of this port may be someone else's
    ::flock(fd_, LOCK_UN);
    const int rc = ::close(fd_);
    const SystemError e = rc == 0 ? 0 : lastErrno();
    fd_ = -1;
    return e;
  }

  SystemError readSettings() override { return ::tcgetattr(fd_, &tio_) == 0 ? 0 : lastErrno(); }

  SystemError writeSettings(const LineSettings& s) override {
    const auto speed = speedOf(s.baudRate);
    if (!speed || s.dataBits < 5 || s.dataBits > 8) return EINVAL;
    // One and a half stop bits exist only with five data bits, and two only with more,
    // as a Windows port has them.
    if (s.stopBits < 0 || s.stopBits > 2) return EINVAL;
    if ((s.stopBits == 1 && s.dataBits != 5) || (s.stopBits == 2 && s.dataBits == 5)) {
      return EINVAL;
    }
    termios tio = tio_;
    // Fully raw: no input or output processing, no XON/XOFF (an XOFF among the data would
    // stop the output for good), no CR/LF translation, no echo, no signals.
    ::cfmakeraw(&tio);
    tio.c_iflag = 0;
    tio.c_oflag = 0;
    tio.c_lflag = 0;
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    tio.c_cflag |= CREAD | CLOCAL;
    static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    tio.c_cflag |= kSizes[s.dataBits - 5];
    switch (s.parity) {
      case 0:
        break;
      case 1:
        tio.c_cflag |= PARENB | PARODD;
        break;
      case 2:
        tio.c_cflag |= PARENB;
        break;
      case 3:
        tio.c_cflag |= PARENB | PARODD | CMSPAR;
        break;
      default:
        return EINVAL;
    }
    if (s.stopBits != 0) tio.c_cflag |= CSTOPB;
    if (s.rtsControl == 2) tio.c_cflag |= CRTSCTS;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::cfsetispeed(&tio, *speed) != 0 || ::cfsetospeed(&tio, *speed) != 0) return lastErrno();
    if (::tcsetattr(fd_, TCSANOW, &tio) != 0) return lastErrno();
    termios check{};
    if (::tcgetattr(fd_, &check) != 0) return lastErrno();
    if (::cfgetospeed(&check) != *speed) return EINVAL;  // the device took another rate
    // DTR handshake has no termios form; the line is raised, as it is while a Windows
    // port with DTR handshake is ready.
    if (const SystemError e = modemLine(TIOCM_DTR, s.dtrControl != 0)) return e;
    if (s.rtsControl != 2) {
      if (const SystemError e = modemLine(TIOCM_RTS, s.rtsControl == 1)) return e;
    }
    return 0;
  }

  SystemError setTimeouts(const T1CommTimeouts& timeouts) override {
    timeouts_ = timeouts;
    return 0;
  }

  SystemError flush() override {
    for (;;) {
      if (::tcdrain(fd_) == 0) return 0;
      if (errno != EINTR) return lastErrno();
    }
  }

  SystemError purge(std::uint32_t flags) override {
    if ((flags & ~purge::kAll) != 0) return EINVAL;
    const bool out = (flags & (purge::kTxAbort | purge::kTxClear)) != 0;
    const bool in = (flags & (purge::kRxAbort | purge::kRxClear)) != 0;
    if (!out && !in) return 0;
    const int which = out && in ? TCIOFLUSH : (out ? TCOFLUSH : TCIFLUSH);
    return ::tcflush(fd_, which) == 0 ? 0 : lastErrno();
  }

  SystemError write(const std::uint8_t* data, std::uint32_t count,
                    std::uint32_t& written) override {
    return writeRoutine(fd_, data, count, written, timeouts_);
  }

  SystemError transmitChar(std::uint8_t byte) override {
    std::uint32_t written = 0;
    return writeRoutine(fd_, &byte, 1, written, timeouts_);
  }

  SystemError read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t& got) override {
    return readRoutine(fd_, buffer, count, got, timeouts_);
  }

  // The terminal keeps no error state to take; the queue sizes it does tell.
  SystemError clearCommError(std::uint32_t& errors, TComStat& status) override {
    int in = 0;
    int out = 0;
    if (::ioctl(fd_, FIONREAD, &in) != 0) return lastErrno();
    if (::ioctl(fd_, TIOCOUTQ, &out) != 0) return lastErrno();
    errors = 0;
    status = {0, static_cast<std::uint32_t>(in), static_cast<std::uint32_t>(out)};
    return 0;
  }

  SystemError escape(std::uint32_t function) override {
    switch (function) {
      case escape::kSetXoff:
        return ::tcflow(fd_, TCOOFF) == 0 ? 0 : lastErrno();
      case escape::kSetXon:
        return ::tcflow(fd_, TCOON) == 0 ? 0 : lastErrno();
      case escape::kSetRts:
        return modemIoctl(TIOCMBIS, TIOCM_RTS);
      case escape::kClrRts:
        return modemIoctl(TIOCMBIC, TIOCM_RTS);
      case escape::kSetDtr:
        return modemIoctl(TIOCMBIS, TIOCM_DTR);
      case escape::kClrDtr:
        return modemIoctl(TIOCMBIC, TIOCM_DTR);
      case escape::kSetBreak:
        return ::ioctl(fd_, TIOCSBRK) == 0 ? 0 : lastErrno();
      case escape::kClrBreak:
        return ::ioctl(fd_, TIOCCBRK) == 0 ? 0 : lastErrno();
      default:
        return EINVAL;  // resetting a device is for printer ports only
    }
  }

  // A process that may not raise its priority or lock memory runs its sessions without;
  // the session still works, only less protected from other load.
  SystemError saveProcessPriority() override {
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, 0);
    if (nice == -1 && errno != 0) return lastErrno();
    savedNice_ = nice;
    processRaised_ = false;
    return 0;
  }

  SystemError saveThreadPriority() override {
    const int rc = ::pthread_getschedparam(::pthread_self(), &savedPolicy_, &savedParam_);
    threadRaised_ = false;
    return static_cast<SystemError>(rc);
  }

  SystemError raiseProcessPriority() override {
    if (::setpriority(PRIO_PROCESS, 0, kHighestNice) == 0) {
      processRaised_ = true;
      return 0;
    }
    return errno == EPERM || errno == EACCES ? 0 : lastErrno();
  }

  SystemError raiseThreadPriority() override {
    sched_param param{};
    param.sched_priority = ::sched_get_priority_max(SCHED_FIFO);
    const int rc = ::pthread_setschedparam(::pthread_self(), SCHED_FIFO, &param);
    if (rc == 0) threadRaised_ = true;
    return rc == 0 || rc == EPERM ? 0 : static_cast<SystemError>(rc);
  }

  SystemError restoreProcessPriority() override {
    if (!processRaised_) return 0;
    if (::setpriority(PRIO_PROCESS, 0, savedNice_) != 0) return lastErrno();
    processRaised_ = false;
    return 0;
  }

  SystemError restoreThreadPriority() override {
    if (!threadRaised_) return 0;
    const int rc = ::pthread_setschedparam(::pthread_self(), savedPolicy_, &savedParam_);
    if (rc == 0) threadRaised_ = false;
    return static_cast<SystemError>(rc);
  }

  SystemError lockCode() override {
    const CodeRange code = lockedCode();
    if (::mlock(code.start, code.length) == 0) {
      unlockNeeded_ = true;
      return 0;
    }
    return errno == EPERM || errno == ENOMEM || errno == EAGAIN ? 0 : lastErrno();
  }

  SystemError unlockCode() override {
    if (!unlockNeeded_) return 0;
    const CodeRange code = lockedCode();
    if (::munlock(code.start, code.length) != 0) return lastErrno();
    unlockNeeded_ = false;
    return 0;
  }

  std::unique_ptr<DeviceKey> deviceKey(std::string_view) override { return nullptr; }

 private:
  SystemError modemIoctl(unsigned long request, int bits) {
    return ::ioctl(fd_, request, &bits) == 0 ? 0 : lastErrno();
  }

  // Sets a modem line for the line settings; a device without modem lines has none to set.
  SystemError modemLine(int bit, bool on) {
    const SystemError e = modemIoctl(on ? TIOCMBIS : TIOCMBIC, bit);
    return e != 0 && noModemLines(static_cast<int>(e)) ? 0 : e;
  }

  int fd_ = -1;
  termios tio_{};
  T1CommTimeouts timeouts_;
  int savedNice_ = 0;
  int savedPolicy_ = SCHED_OTHER;
  sched_param savedParam_{};
  bool processRaised_ = false;
  bool threadRaised_ = false;
  bool unlockNeeded_ = false;
};

}  // namespace

std::unique_ptr<PortSystem> makePlatformPortSystem() {
  return std::make_unique<PosixPortSystem>();
}

}  // namespace tallowick
