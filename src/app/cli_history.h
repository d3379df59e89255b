// tallowick-cli history: the records of earlier runs and initialisations, listed, shown one
// at a time with its log, exported for a spreadsheet or a dashboard, or counted into the
// figures of a workshop or a line.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "app/cli_command.h"
#include "platform/store_result.h"

namespace tallowick {

// The history of a command: the file named (--history, or the context's), else where the
// desktop tool keeps it.
StoreResult<std::filesystem::path> historyPlace(const std::optional<std::string>& named);

std::unique_ptr<Command> makeHistoryCommand();

}  // namespace tallowick
