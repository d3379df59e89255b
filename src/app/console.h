// What the command line needs from the system around its standard streams, one
// implementation per platform: the signals that ask it to stop, pipes that close under
// it, and whether a stream is a terminal.
#pragma once

#include <cstdio>
#include <span>

namespace tallowick::console {

using SignalHandler = void (*)(int);

// While it lives, `handler` runs on every signal by which a user or the system asks the
// program to stop: Ctrl-C, and where the system has them, termination (SIGTERM), a closed
// terminal (SIGHUP) and Ctrl-Break. The previous handlers come back when it goes.
class StopSignals {
 public:
  explicit StopSignals(SignalHandler handler);
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

 private:
  static constexpr int kMaxSignals = 4;
  int signals_[kMaxSignals] = {};
  SignalHandler previous_[kMaxSignals] = {};
  int count_ = 0;
};

// The signals StopSignals takes, on this platform.
std::span<const int> stopSignalNumbers();

// A write to a pipe whose reader has gone fails like any failed write instead of ending
// the program, so a run whose output is cut off (`| head -1`) goes on.
void ignoreBrokenPipe();

// Whether the stream is a terminal, where control characters would act instead of show.
bool isTerminal(std::FILE* stream);

// The terminal's width in characters; 0 when it cannot tell.
int terminalColumns(std::FILE* stream);

// Lets the terminal take the sequences that move the cursor and clear a line (always so on
// POSIX; Windows consoles must be asked); false when it cannot.
bool enableCursorControl(std::FILE* stream);

}  // namespace tallowick::console
