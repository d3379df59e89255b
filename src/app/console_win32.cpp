#include <io.h>

#include <csignal>

#include "app/console.h"

namespace tallowick::console {

std::span<const int> stopSignalNumbers() {
  static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGBREAK};
  return kSignals;
}

// A closed pipe already makes the write fail here; there is no signal for it.
void ignoreBrokenPipe() {}

bool isTerminal(std::FILE* stream) {
  return _isatty(_fileno(stream)) != 0;
}

}  // namespace tallowick::console
