// The desktop tool as a whole: its command line, the application object, the program and
// its windows, and the event loop. `tallowick` is only this; a test build starts the same
// program and drives its windows from `started`.
#pragma once

#include <functional>

namespace tallowick {

// Runs the desktop tool with the command line `argv` until it ends and returns its exit
// code. `started`, when given, is called once TForm3 is shown, inside the event loop's
// application object.
int runDesktopTool(int argc, char** argv, const std::function<void()>& started = {});

}  // namespace tallowick
