// tallowick-cli: the headless runner. The same Qt-free logic as the desktop tool, driven
// from a command line, with its streams given so tests can run it in-process.
#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "mainform/wall_clock.h"

namespace tallowick {

class Clock;
class Settings;
namespace sim {
class VirtualPrinter;
}

// What the runner's built-in virtual printer runs on; tests replace the real clock with a
// virtual one and set the printer up (faults, settings) before the command runs. With
// several ports the printer functions are called for each, from that port's thread, and
// each run gets a virtual clock of its own that starts where `simClock` stands.
struct CliContext {
  Clock* simClock = nullptr;  // nullptr: real time
  std::function<void(sim::VirtualPrinter&)> prepareSim;
  // Looks at the printer once the command has run, before it is gone.
  std::function<void(sim::VirtualPrinter&)> inspectSim;
  WallClock wallClock;  // empty: the computer's clock
  // The history without --history; none: TALLOWICK_HISTORY or beside the book.
  std::optional<std::string> historyFile;
  // The computer's settings (the line database among them); none: the computer's own.
  Settings* settings = nullptr;
  // Standard output when it is a terminal, unescaped: where a station draws its table.
  std::ostream* terminal = nullptr;
  int terminalColumns = 0;  // its width; 0: unknown
};

// Runs one command line (without the program name); returns the exit code.
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const CliContext& context = {});

}  // namespace tallowick
