// tallowick-pty-echo --link PATH: a pseudo-terminal that sends back every byte it
// receives, published as a symlink at PATH, until SIGINT or SIGTERM. The port object's
// tests on Windows (under Wine) talk to it through a COM port mapped to PATH.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>

namespace {

std::atomic<bool> stopRequested{false};

extern "C" void onStop(int) {
  stopRequested = true;
}

int usage() {
  std::fprintf(stderr, "usage: tallowick-pty-echo --link PATH\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || std::string_view(argv[1]) != "--link") return usage();
  const std::filesystem::path link = argv[2];

  const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
    std::fprintf(stderr, "tallowick-pty-echo: no pseudo-terminal: %s\n", std::strerror(errno));
    return 1;
  }
  const std::string slaveName = ::ptsname(master);
  // Held open, so that the terminal lives between the opens of the program under test.
  const int slave = ::open(slaveName.c_str(), O_RDWR | O_NOCTTY);
  termios tio{};
  if (slave < 0 || ::tcgetattr(slave, &tio) != 0) {
    std::fprintf(stderr, "tallowick-pty-echo: %s: %s\n", slaveName.c_str(), std::strerror(errno));
    return 1;
  }
  ::cfmakeraw(&tio);
  ::tcsetattr(slave, TCSANOW, &tio);

  std::error_code ec;
  if (std::filesystem::is_symlink(link, ec)) std::filesystem::remove(link, ec);
  std::filesystem::create_symlink(slaveName, link, ec);
  if (ec) {
    std::fprintf(stderr, "tallowick-pty-echo: cannot link %s: %s\n", link.c_str(),
                 ec.message().c_str());
    return 1;
  }

  struct sigaction action {};
  action.sa_handler = onStop;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  std::printf("tallowick-pty-echo: echoing on %s\n", link.c_str());
  std::fflush(stdout);

  while (!stopRequested) {
    pollfd p{master, POLLIN, 0};
    if (::poll(&p, 1, 100) <= 0) continue;
    unsigned char buffer[256];
    const ssize_t n = ::read(master, buffer, sizeof buffer);
    if (n <= 0) continue;
    for (ssize_t done = 0; done < n;) {
      const ssize_t w = ::write(master, buffer + done, static_cast<std::size_t>(n - done));
      if (w < 0 && errno != EINTR) break;
      if (w > 0) done += w;
    }
  }
  std::filesystem::remove(link, ec);
  ::close(slave);
  ::close(master);
  return 0;
}
