#include <chrono>
#include <system_error>

#include "history/new_file.h"

namespace tallowick::history {

namespace fs = std::filesystem;

namespace {

// A writer needs milliseconds between making its temporary file and removing it; one this
// old belongs to a writer that is gone, on this machine or another sharing the folder.
constexpr auto kAbandonedAfter = std::chrono::minutes(10);

}  // namespace

std::optional<std::string> makeFolder(const fs::path& folder) {
  if (folder.empty()) return std::nullopt;
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) return ec.message();
  return std::nullopt;
}

std::string temporaryStem(const fs::path& file) {
  return file.filename().string() + ".new-";
}

void removeAbandonedNewFiles(const fs::path& file) {
  std::error_code ec;
  const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
  const std::string stem = temporaryStem(file);
  const auto now = fs::file_time_type::clock::now();
  for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator();
       it.increment(ec)) {
    if (!it->path().filename().string().starts_with(stem)) continue;
    std::error_code entry;
    const auto written = fs::last_write_time(it->path(), entry);
    if (!entry && now - written > kAbandonedAfter) fs::remove(it->path(), entry);
  }
}

}  // namespace tallowick::history
