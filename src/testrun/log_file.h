// The saved test log: the log's lines in order, in Windows-1251, each ended by CR LF,
// replacing the file. Shared by the page's "Сохранить" and the headless runner.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/failure.h"

namespace tallowick {

// Writes the lines whole, as every saved file is written; the error sentence when the file cannot
// be written (an existing file is then left as it was).
std::optional<Failure> writeLogFile(const std::string& path, const std::vector<std::string>& lines);

// The file's bytes for these lines: Windows-1251, CR LF after every line. A character
// Windows-1251 cannot hold becomes '?'.
std::string logFileBytes(const std::vector<std::string>& lines);

}  // namespace tallowick
