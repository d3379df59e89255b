// tallowick-cli testrun: the automatic test on one port, or on several ports at once.
#pragma once

#include <memory>

#include "app/cli_command.h"
#include "testrun/port_run.h"

namespace tallowick {

namespace history {
class Journal;
}

std::unique_ptr<Command> makeTestRunCommand();

// A station window's runs: each port tested as `testrun` tests it (its own link, clock and
// files; its log in the request's folder, named as --log-dir names it), recorded in
// `journal`, with its progress measured against a rehearsal of its script. `context` as the
// command line's: the virtual printers' set-up and clock in tests.
StationRunner stationRunner(history::Journal& journal, CliContext context);

}  // namespace tallowick
