// The host's own cost of one exchange over a real pseudo-terminal: the time from the
// moment the printer's last reply byte is on the line to SendCommand returning. A thread
// plays the printer on the pty's master side and notes when its reply has been written;
// the link runs its termios backend on the slave side.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "link/device_link.h"
#include "link/frame.h"
#include "link/protocol.h"
#include "sim/reply_frame.h"

namespace {

using Clock = std::chrono::steady_clock;

int openMaster(std::string& slavePath) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return -1;
  slavePath = ptsname(master);
  return master;
}

}  // namespace

int main(int argc, char** argv) {
  const int exchanges = argc > 1 ? std::atoi(argv[1]) : 2000;
  std::string slavePath;
  const int master = openMaster(slavePath);
  if (master < 0) {
    std::perror("pty");
    return 1;
  }
  // Keep a slave descriptor of our own so the pty lives between the link's opens.
  const int keeper = ::open(slavePath.c_str(), O_RDWR | O_NOCTTY);
  termios raw{};
  tcgetattr(keeper, &raw);
  cfmakeraw(&raw);
  tcsetattr(keeper, TCSANOW, &raw);

  std::atomic<long long> lastByteAt{0};
  std::atomic<bool> stop{false};
  std::thread printer([&] {
    std::vector<std::uint8_t> request;
    std::uint8_t buf[512];
    const std::uint8_t accepted[] = {'0', '0', '0', '0'};
    while (!stop) {
      pollfd p{master, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      const ssize_t n = ::read(master, buf, sizeof buf);
      if (n <= 0) continue;
      for (ssize_t i = 0; i < n; ++i) {
        request.push_back(buf[i]);
        if (buf[i] != tallowick::frame::kEnd) continue;
        const auto reply = tallowick::sim::buildReply(request.at(2), request.at(3), accepted, {},
                                                      tallowick::StatusBytes{});
        // All but the last byte, then the moment the last one goes out, then the last one:
        // the link cannot return before that byte, so the moment is always this reply's.
        ssize_t done = 0;
        const auto body = static_cast<ssize_t>(reply.size()) - 1;
        while (done < body) {
          const ssize_t w =
              ::write(master, reply.data() + done, static_cast<std::size_t>(body - done));
          if (w > 0) done += w;
        }
        lastByteAt = Clock::now().time_since_epoch().count();
        while (::write(master, reply.data() + body, 1) != 1) {
        }
        request.clear();
      }
    }
  });

  tallowick::DeviceLink link;
  if (link.OpenDeviceLink(slavePath, 9600) < 0) {
    std::fprintf(stderr, "cannot open the pty\n");
    return 1;
  }
  std::vector<double> micros;
  micros.reserve(static_cast<std::size_t>(exchanges));
  int failures = 0;
  for (int i = 0; i < exchanges; ++i) {
    const auto* r = link.SendCommand(tallowick::command::kResetOperatorPassword, "582014;");
    const auto end = Clock::now().time_since_epoch().count();
    if (r->ErrorFlags != 0 || r->ErrorCode != "0000") {
      ++failures;
      continue;
    }
    micros.push_back(static_cast<double>(end - lastByteAt.load()) / 1000.0);
  }
  link.CloseDeviceLink();
  stop = true;
  printer.join();

  std::sort(micros.begin(), micros.end());
  if (micros.empty()) {
    std::fprintf(stderr, "no exchange succeeded (%d failures)\n", failures);
    return 1;
  }
  const auto at = [&](double q) {
    return micros[std::min(micros.size() - 1,
                           static_cast<std::size_t>(q * static_cast<double>(micros.size())))];
  };
  std::printf("exchange latency over a pty: %zu exchanges, %d failed\n", micros.size(), failures);
  std::printf(
      "  last reply byte -> SendCommand returns: median %.1f us, p99 %.1f us, max %.1f us\n",
      at(0.5), at(0.99), micros.back());
  ::close(keeper);
  ::close(master);
  return failures == 0 ? 0 : 1;
}
