// Starting the programs a benchmark measures, with standard output and error in a file, and
// timing them; the virtual printers on pseudo-terminals they run against.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace tallowick::bench {

inline pid_t spawnTo(const std::vector<std::string>& args, const std::string& out) {
  std::vector<char*> argv;
  for (const auto& a : args)
    argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// How a program that ran to its end took: its exit code (-1 when it did not exit), the wall
// time from its start, its user and system CPU time, its peak memory.
struct ProcessTimes {
  int code = -1;
  double wall = 0;  // seconds
  double cpu = 0;   // seconds
  long maxRssKiB = 0;
};

inline double seconds(const timeval& t) {
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

inline ProcessTimes timedRun(const std::vector<std::string>& args, const std::string& out) {
  ProcessTimes m;
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = spawnTo(args, out);
  int status = 0;
  rusage usage{};
  const bool waited = pid > 0 && wait4(pid, &status, 0, &usage) == pid;
  m.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  m.code = waited && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  m.cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
  m.maxRssKiB = usage.ru_maxrss;
  return m;
}

// `count` tallowick-sim printers in realistic mode at `rate` (no print time, no reboot
// silence) on pseudo-terminals named PREFIX0, PREFIX1, … in `dir`, once their links are
// there; their processes are added to `pids`.
inline std::vector<std::filesystem::path> spawnPrinters(const std::string& sim, int count, int rate,
                                                        const std::filesystem::path& dir,
                                                        const std::string& prefix,
                                                        std::vector<pid_t>& pids) {
  std::vector<std::filesystem::path> links;
  for (int i = 0; i < count; ++i) {
    const std::string name = prefix + std::to_string(i);
    links.push_back(dir / name);
    pids.push_back(spawnTo({sim, "--link", links.back().string(), "--baud", std::to_string(rate),
                            "--realistic", "--print-time-scale", "0", "--reboot-seconds", "0"},
                           (dir / (name + ".out")).string()));
  }
  for (const auto& link : links) {
    for (int i = 0; i < 500 && !std::filesystem::is_symlink(link); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return links;
}

// Ends the printers.
inline void stopPrinters(const std::vector<pid_t>& pids) {
  for (const pid_t pid : pids) {
    if (pid > 0) ::kill(pid, SIGTERM);
  }
  for (const pid_t pid : pids) {
    if (pid > 0) ::waitpid(pid, nullptr, 0);
  }
}

// The command line of the benchmarks that run the programs: SIM CLI [RATE...], and a fresh
// folder for their links and files.
struct ProgramBench {
  std::vector<int> rates;
  std::filesystem::path dir;
};

inline std::optional<ProgramBench> programBench(int argc, char** argv,
                                                std::vector<int> defaultRates) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s SIM CLI [RATE...]\n", argv[0]);
    return std::nullopt;
  }
  ProgramBench b;
  for (int i = 3; i < argc; ++i)
    b.rates.push_back(std::atoi(argv[i]));
  if (b.rates.empty()) b.rates = std::move(defaultRates);
  char pattern[] = "/tmp/tallowick-bench-XXXXXX";
  if (!mkdtemp(pattern)) {
    std::perror("mkdtemp");
    return std::nullopt;
  }
  b.dir = pattern;
  return b;
}

}  // namespace tallowick::bench
