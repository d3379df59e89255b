// What every window sequence works with: the link and its command set, the main window's
// run state, the window seam and the clock.
#pragma once

#include "commands/commands.h"
#include "link/clock.h"
#include "mainform/run_state.h"
#include "mainform/ui.h"
#include "mainform/wall_clock.h"

namespace tallowick {

struct Session {
  CommandSet& commands;
  RunState& state;
  Ui& ui;
  Clock& clock;
  WallClock wallClock = systemLocalTime;

  DeviceLink& link() { return commands.link(); }
  // The event pump: the user's pending events, then Timer1's tick if one fell due.
  void pumpEvents();
  // Remembers a command's record in LastResult and returns it.
  CommandResult* keep(CommandResult* result) {
    state.LastResult = result;
    return result;
  }
};

}  // namespace tallowick
