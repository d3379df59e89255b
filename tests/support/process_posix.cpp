#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "support/process.h"

extern char** environ;

namespace tallowick::test {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {
// The programs a suite starts never append to the user's history: unless the suite was
// given one, they share a file of its own in the temporary folder, removed at its end.
struct SuiteHistory {
  fs::path file;
  SuiteHistory() {
    if (std::getenv("TALLOWICK_HISTORY") != nullptr) return;
    file = fs::temp_directory_path() / ("tallowick-process-history-" + std::to_string(::getpid()));
    ::setenv("TALLOWICK_HISTORY", file.c_str(), 1);
  }
  ~SuiteHistory() {
    std::error_code ec;
    if (file.empty()) return;
    for (const char* end : {"", "-wal", "-shm"})
      fs::remove(file.string() + end, ec);
  }
} suiteHistory;
}  // namespace

pid_t spawnProgram(std::vector<std::string> args, const SpawnOptions& options) {
  std::vector<char*> argv;
  for (auto& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (options.out >= 0) posix_spawn_file_actions_adddup2(&actions, options.out, 1);
  if (options.err >= 0) posix_spawn_file_actions_adddup2(&actions, options.err, 2);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  if (options.defaultSignals) {
    sigset_t none;
    sigset_t defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (const int s : {SIGPIPE, SIGTERM, SIGHUP, SIGINT})
      sigaddset(&defaults, s);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  }
  pid_t pid = -1;
  if (::posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ) != 0) pid = -1;
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

int exitCodeWithin(pid_t pid, std::chrono::seconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > end) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(10ms);
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool waitForPath(const fs::path& path, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  std::error_code ec;
  while (!fs::exists(fs::symlink_status(path, ec))) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

SimProcess::SimProcess(const std::string& exe, fs::path link,
                       const std::vector<std::string>& options)
    : link_(std::move(link)) {
  std::vector<std::string> args = {exe, "--link", link_.string()};
  args.insert(args.end(), options.begin(), options.end());
  pid_ = spawnProgram(args);
  if (pid_ > 0) waitForPath(link_, 5s);
}

bool SimProcess::ready() const {
  std::error_code ec;
  return pid_ > 0 && fs::exists(link_, ec);
}

int SimProcess::stop() {
  if (pid_ <= 0) return -1;
  ::kill(pid_, SIGTERM);
  int status = 0;
  ::waitpid(pid_, &status, 0);
  pid_ = -1;
  return status;
}

}  // namespace tallowick::test
