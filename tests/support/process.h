// Programs of the build started as processes of their own: the virtual printer on a
// pseudo-terminal, the command line tool with its streams on descriptors (POSIX).
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace tallowick::test {

struct SpawnOptions {
  int out = -1;  // the child's standard output and error; -1: the test's own
  int err = -1;
  // The signals as a shell leaves them (none blocked, none ignored), whatever the test
  // runner ignores or blocks.
  bool defaultSignals = false;
};

// Starts args[0] with the arguments; -1 when it could not be started.
pid_t spawnProgram(std::vector<std::string> args, const SpawnOptions& options = {});

// The exit code, or -1 when the process had to be killed after `limit` or ended by a
// signal (bounded, not timed: the machine may be slow).
int exitCodeWithin(pid_t pid, std::chrono::seconds limit);

// Waits until `path` exists (a link or a file), for at most `limit`.
bool waitForPath(const std::filesystem::path& path, std::chrono::milliseconds limit);

// tallowick-sim serving on a pseudo-terminal at `link` for as long as the object lives.
class SimProcess {
 public:
  SimProcess(const std::string& exe, std::filesystem::path link,
             const std::vector<std::string>& options);
  ~SimProcess() { stop(); }
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  // Started, and its link is there.
  bool ready() const;
  std::string link() const { return link_.string(); }
  // SIGTERM, then the wait status (-1 when it was not running).
  int stop();

 private:
  std::filesystem::path link_;
  pid_t pid_ = -1;
};

}  // namespace tallowick::test
