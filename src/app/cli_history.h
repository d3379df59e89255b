// tallowick-cli history: the records of earlier runs and initialisations, listed, shown one
// at a time with its log, or exported for a spreadsheet or a dashboard.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "platform/store_result.h"

namespace tallowick {

// The history of a command: the file named (--history, or the context's), else where the
// desktop tool keeps it.
StoreResult<std::filesystem::path> historyFile(const std::optional<std::string>& named);

// `args` starts with "history"; returns the exit code.
int runHistory(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace tallowick
