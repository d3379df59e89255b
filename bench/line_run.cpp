// A test run with and without a line database: the same whole run of tallowick-cli against
// tallowick-sim in realistic mode on a pseudo-terminal at 115200 baud, alone, on a line whose
// server is there, on a line whose server is stopped (its port refuses), and on one that
// does not answer at all (its packets lost). The four take turns, each several times; the
// medians of their wall times and their ratios to the run alone. The run must never wait
// for the line.
//
// usage: bench_line_run SIM CLI [REPEATS]
#include <sys/wait.h>

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "bench_process.h"
#include "line_bench.h"

using namespace tallowick;

namespace {

namespace fs = std::filesystem;

double runOnce(const std::string& sim, const std::string& cli,
               const std::vector<std::string>& extra, const std::string& dir) {
  const fs::path link = fs::path(dir) / "printer";
  const pid_t printer =
      bench::spawnTo({sim, "--link", link.string(), "--baud", "115200", "--realistic",
                      "--print-time-scale", "0", "--reboot-seconds", "0"},
                     dir + "/sim.out");
  for (int i = 0; i < 500 && !fs::is_symlink(link); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  std::vector<std::string> args = {
      cli,      "testrun", "--port", link.string(), "--baud",
      "115200", "--pause", "0",      "--history",   dir + "/history.sqlite3"};
  args.insert(args.end(), extra.begin(), extra.end());
  const std::string out = dir + "/run.out";
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = bench::spawnTo(args, out);
  int status = 0;
  ::waitpid(pid, &status, 0);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  ::kill(printer, SIGTERM);
  ::waitpid(printer, nullptr, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "the run failed, see %s\n", out.c_str());
    std::exit(1);
  }
  return seconds;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s SIM CLI [REPEATS]\n", argv[0]);
    return 2;
  }
  const std::string sim = argv[1];
  const std::string cli = argv[2];
  const int repeats = argc > 3 ? std::atoi(argv[3]) : 5;
  char pattern[] = "/tmp/tallowick-bench-XXXXXX";
  if (!mkdtemp(pattern)) return 1;
  const std::string dir = pattern;
  ::setenv("TALLOWICK_SETTINGS", (dir + "/settings.json").c_str(), 1);

  const bench::LineBench line = bench::lineBench();
  const std::string there = line.database->conninfo(test::pgStation(1));
  struct Case {
    const char* name;
    std::vector<std::string> extra;
    std::vector<double> seconds;
  } cases[] = {
      {"alone", {"--database", ""}, {}},
      {"line there", {"--database", there, "--station", "bench"}, {}},
      {"server stopped", {"--database", "host=127.0.0.1 port=1 dbname=x user=station1"}, {}},
      // An address of a network that is not there: libpq waits for its connect time-out.
      {"network away",
       {"--database", "host=10.255.255.1 dbname=x user=station1 connect_timeout=5"},
       {}},
  };
  for (int r = 0; r < repeats; ++r) {
    for (Case& c : cases) {
      c.seconds.push_back(runOnce(sim, cli, c.extra, dir));
    }
  }
  const double alone = median(cases[0].seconds);
  std::printf(
      "whole test run, realistic printer at 115200 baud, %d runs each, taking turns (median "
      "wall time):\n",
      repeats);
  for (const Case& c : cases) {
    std::printf("  %-15s %.3f s  ratio %.3f\n", c.name, median(c.seconds),
                median(c.seconds) / alone);
  }
  fs::remove_all(dir);
  return 0;
}
