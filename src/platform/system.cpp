#include <cstdio>
#include <cstdlib>
#include <random>

#include "platform/system.h"

namespace tallowick::platform {

namespace fs = std::filesystem;

namespace detail {
// The folder of the station's data on this platform; the message when it cannot be found.
StoreResult<fs::path> dataFolder(DataFile file, const Environment& environment);
}  // namespace detail

namespace {

struct DataFileName {
  DataFile file;
  const char* variable;  // names another file
  const char* name;      // in the folder of the station's data
};
constexpr DataFileName kDataFiles[] = {
    {DataFile::Book, "TALLOWICK_REGISTRY", "registry.sqlite3"},
    {DataFile::History, "TALLOWICK_HISTORY", "history.sqlite3"},
};

}  // namespace

std::optional<std::string> processEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (!value) return std::nullopt;
  return std::string(value);
}

StoreResult<fs::path> dataFile(DataFile file, const Environment& environment) {
  for (const DataFileName& d : kDataFiles) {
    if (d.file != file) continue;
    if (auto named = environment(d.variable); named && !named->empty()) return fs::path(*named);
    auto folder = detail::dataFolder(file, environment);
    if (!folder) return folder.error();
    return folder.value() / d.name;
  }
  return StoreError{StoreErrorKind::Unavailable, "Неизвестный файл данных."};
}

StoreResult<fs::path> dataFile(DataFile file) {
  return dataFile(file, processEnvironment);
}

std::string newUid() {
  thread_local std::mt19937_64 generator{std::random_device{}() ^
                                         (std::uint64_t{std::random_device{}()} << 32)};
  const std::uint64_t high = (generator() & ~0xF000ULL) | 0x4000ULL;
  const std::uint64_t low = (generator() & ~(0xC000ULL << 48)) | (0x8000ULL << 48);
  char text[40];
  std::snprintf(text, sizeof text, "%08llx-%04llx-%04llx-%04llx-%012llx",
                static_cast<unsigned long long>(high >> 32),
                static_cast<unsigned long long>((high >> 16) & 0xFFFF),
                static_cast<unsigned long long>(high & 0xFFFF),
                static_cast<unsigned long long>(low >> 48),
                static_cast<unsigned long long>(low & 0xFFFFFFFFFFFFULL));
  return text;
}

fs::path pathOf(std::string_view utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string pathText(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace tallowick::platform
