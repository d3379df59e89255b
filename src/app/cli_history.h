// tallowick-cli history: the records of earlier runs and initialisations, listed, shown one
// at a time with its log, or exported for a spreadsheet or a dashboard.
#pragma once

#include <memory>

#include "app/cli_command.h"

namespace tallowick {

std::unique_ptr<Command> makeHistoryCommand();

}  // namespace tallowick
