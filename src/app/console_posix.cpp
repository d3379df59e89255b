#include <sys/ioctl.h>
#include <unistd.h>

#include <csignal>

#include "app/console.h"

namespace tallowick::console {

std::span<const int> stopSignalNumbers() {
  static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
  return kSignals;
}

void ignoreBrokenPipe() {
  std::signal(SIGPIPE, SIG_IGN);
}

bool isTerminal(std::FILE* stream) {
  return ::isatty(::fileno(stream)) == 1;
}

int terminalColumns(std::FILE* stream) {
  winsize size{};
  if (::ioctl(::fileno(stream), TIOCGWINSZ, &size) != 0) return 0;
  return size.ws_col;
}

bool enableCursorControl(std::FILE*) {
  return true;
}

}  // namespace tallowick::console
