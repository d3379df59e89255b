// Starting the programs a benchmark measures, with standard output and error in a file.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/types.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
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
