// What every window sequence works with: the link and its command set, the main window's
// run state, the window seam and the clock.
#pragma once

#include <functional>
#include <string>

#include "commands/commands.h"
#include "link/clock.h"
#include "link/device_link.h"
#include "mainform/run_state.h"
#include "mainform/ui.h"
#include "mainform/wall_clock.h"

namespace tallowick {
class NumberKeeper;
}

namespace tallowick {

struct Session {
  CommandSet& commands;
  RunState& state;
  Ui& ui;
  Clock& clock;
  WallClock wallClock = systemLocalTime;
  // Where the numbers written into printers are accounted for; none: every number the page
  // names is written as it is.
  NumberKeeper* numbers = nullptr;
  // Told of every command's record as it is kept: how a caller learns of a failure that
  // the sequence itself went past.
  std::function<void(const CommandResult&)> onKeep;
  // How long the boxes shown through messageBox() have waited for their answers, on
  // `clock`: the user's time, which a test run's record does not count as its own.
  Micros boxWait{0};

  DeviceLink& link() { return commands.link(); }
  // The event pump: the user's pending events, then Timer1's tick if one fell due.
  void pumpEvents();
  // A message box, its wait counted in boxWait; the test run and the outcomes of steps show
  // theirs here.
  void messageBox(const std::string& text);
  // The link's stop check while a sequence the user may stop waits for the printer: the
  // window answers its user (Stop, Disconnect, closing it, Ctrl-C), and StopRequested ends
  // the wait.
  StopCheck stopOnRequest() {
    return [this] {
      ui.pumpWhileWaiting();
      return state.StopRequested;
    };
  }
  // Remembers a command's record in LastResult and returns it.
  CommandResult* keep(CommandResult* result) {
    state.LastResult = result;
    if (onKeep && result != nullptr) onKeep(*result);
    return result;
  }
};

}  // namespace tallowick
