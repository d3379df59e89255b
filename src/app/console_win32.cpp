#include <io.h>
#include <windows.h>

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

namespace {
HANDLE consoleOf(std::FILE* stream) {
  return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
}
}  // namespace

int terminalColumns(std::FILE* stream) {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (!GetConsoleScreenBufferInfo(consoleOf(stream), &info)) return 0;
  return info.srWindow.Right - info.srWindow.Left + 1;
}

bool enableCursorControl(std::FILE* stream) {
  const HANDLE console = consoleOf(stream);
  DWORD mode = 0;
  if (!GetConsoleMode(console, &mode)) return false;
  return SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

}  // namespace tallowick::console
