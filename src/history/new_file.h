// Making a file so that its real name only ever shows it whole: it is written under a
// temporary name beside it and linked into place complete, never over a file already
// there. One implementation per platform.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tallowick::history {

// Puts `bytes` at `file`, making its folder when needed. A file that another process put
// there first is kept, and that is no error. On a failure, what went wrong.
std::optional<std::string> placeNewFile(const std::filesystem::path& file, std::string_view bytes);

// Makes `folder` and those above it when they are missing (nothing for an empty path); on
// a failure, what went wrong.
std::optional<std::string> makeFolder(const std::filesystem::path& folder);

// The start of the names of the temporary files of `file`, in its folder.
std::string temporaryStem(const std::filesystem::path& file);

// Removes the temporary files of `file` that writers killed half-way left behind.
void removeAbandonedNewFiles(const std::filesystem::path& file);

}  // namespace tallowick::history
