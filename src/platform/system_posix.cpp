#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <vector>

#include "platform/system.h"

namespace tallowick::platform {

namespace fs = std::filesystem;

namespace detail {

StoreResult<fs::path> dataFolder(DataFile file, const Environment& environment) {
  const auto nonEmpty = [&](const char* name) {
    auto value = environment(name);
    if (value && value->empty()) value.reset();
    return value;
  };
  // A relative XDG_DATA_HOME is invalid and is ignored, as the base directory rules say.
  if (auto data = nonEmpty("XDG_DATA_HOME"); data && fs::path(*data).is_absolute()) {
    return fs::path(*data) / "Tallowick";
  }
  if (auto home = nonEmpty("HOME")) return fs::path(*home) / ".local" / "share" / "Tallowick";
  return StoreError{StoreErrorKind::Unavailable,
                    file == DataFile::Book
                        ? "Не удалось определить папку данных пользователя для файла с "
                          "заводскими номерами (не заданы XDG_DATA_HOME и HOME)."
                        : "Не удалось определить папку данных пользователя для файла истории "
                          "(не заданы XDG_DATA_HOME и HOME)."};
}

}  // namespace detail

StoreStatus shareDataFolder() {
  return {};
}

StoreResult<bool> dataFolderShared() {
  return true;
}

std::vector<std::string> programArguments(int argc, char** argv) {
  return {argv + 1, argv + argc};
}

std::string computerName() {
  char host[256] = {};
  if (::gethostname(host, sizeof host - 1) != 0) return {};
  return host;
}

std::optional<std::filesystem::path> programFolder() {
  std::error_code ec;
  const auto program = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return std::nullopt;
  return program.parent_path();
}

std::string userName() {
  // The account the process runs as, not the variables a shell may have changed.
  std::vector<char> buffer(4096);
  struct passwd entry {};
  struct passwd* found = nullptr;
  if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_name) {
    return found->pw_name;
  }
  if (auto name = processEnvironment("USER")) return *name;
  return {};
}

std::uint64_t processId() {
  return static_cast<std::uint64_t>(::getpid());
}

bool processGone(std::uint64_t id) {
  const auto pid = static_cast<pid_t>(id);
  if (pid <= 0 || static_cast<std::uint64_t>(pid) != id) return false;
  return ::kill(pid, 0) != 0 && errno == ESRCH;
}

std::string systemErrorText(const std::error_code& ec) {
  return ec.message();
}

}  // namespace tallowick::platform
