// tallowick-cli history: the records of earlier runs and initialisations, listed, shown one
// at a time with its log, or exported for a spreadsheet or a dashboard.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace tallowick {

// `args` starts with "history"; returns the exit code.
int runHistory(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace tallowick
