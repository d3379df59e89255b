// Several printers at once against one alone: eight tallowick-sim printers in realistic
// mode (every byte takes its time at the line rate; no print time, no reboot silence) on
// pseudo-terminals, first one printer's whole test run alone, then all eight in one
// tallowick-cli testrun with eight --port options, in the same benchmark run. Reports the
// wall time of the station over the single run's, the CPU time per printer over the single
// run's, and the peak memory (max RSS) per printer.
//
// usage: bench_station SIM CLI [RATE...]   (default rates 115200 9600)
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "bench_process.h"

namespace {

namespace fs = std::filesystem;
using Steady = std::chrono::steady_clock;
using tallowick::bench::spawnTo;

constexpr int kPrinters = 8;

struct Measured {
  int code = -1;
  double wall = 0;  // seconds
  double cpu = 0;   // user and system seconds of tallowick-cli
  long maxRssKiB = 0;
};

double seconds(const timeval& t) {
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

// tallowick-cli testrun on the given ports at `rate`, timed from its start to its end.
Measured testrun(const std::string& cli, const std::vector<fs::path>& links, int rate,
                 const fs::path& dir) {
  std::vector<std::string> args{
      cli,       "testrun", "--baud",    std::to_string(rate),
      "--pause", "0",       "--history", (dir / "history.sqlite3").string()};
  for (const auto& link : links)
    args.insert(args.end(), {"--port", link.string()});
  Measured m;
  const auto start = Steady::now();
  const pid_t pid = spawnTo(args, (dir / "cli.out").string());
  int status = 0;
  rusage usage{};
  const bool waited = pid > 0 && wait4(pid, &status, 0, &usage) == pid;
  m.wall = std::chrono::duration<double>(Steady::now() - start).count();
  m.code = waited && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  m.cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
  m.maxRssKiB = usage.ru_maxrss;
  return m;
}

}  // namespace

int main(int argc, char** argv) {
  const auto setup = tallowick::bench::programBench(argc, argv, {115200, 9600});
  if (!setup) return 2;
  const std::vector<int>& rates = setup->rates;
  const fs::path& dir = setup->dir;
  int failures = 0;
  std::printf(
      "%d printers at once against one alone, whole test run, pause 0, realistic "
      "printers without print time, over ptys (cores: %u):\n",
      kPrinters, std::thread::hardware_concurrency());
  for (const int rate : rates) {
    // One printer for the run alone and eight fresh ones for the station.
    std::vector<pid_t> sims;
    std::vector<fs::path> links;
    for (int i = 0; i <= kPrinters; ++i) {
      links.push_back(dir / ("printer" + std::to_string(i)));
      sims.push_back(
          spawnTo({argv[1], "--link", links.back().string(), "--baud", std::to_string(rate),
                   "--realistic", "--print-time-scale", "0", "--reboot-seconds", "0"},
                  (dir / ("sim" + std::to_string(i) + ".out")).string()));
    }
    for (const auto& link : links) {
      for (int i = 0; i < 500 && !fs::is_symlink(link); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const Measured alone = testrun(argv[2], {links.front()}, rate, dir);
    const Measured station =
        testrun(argv[2], std::vector<fs::path>(links.begin() + 1, links.end()), rate, dir);
    for (const pid_t sim : sims) {
      if (sim > 0) ::kill(sim, SIGTERM);
    }
    for (const pid_t sim : sims) {
      if (sim > 0) ::waitpid(sim, nullptr, 0);
    }
    const double wallRatio = alone.wall > 0 ? station.wall / alone.wall : 0;
    const double cpuPerPrinter = station.cpu / kPrinters;
    const double cpuRatio = alone.cpu > 0 ? cpuPerPrinter / alone.cpu : 0;
    std::printf("  %6d baud: one alone: exit %d, wall %.3f s, CPU %.3f s, max RSS %ld KiB\n", rate,
                alone.code, alone.wall, alone.cpu, alone.maxRssKiB);
    std::printf(
        "  %6d baud: %d at once: exit %d, wall %.3f s, CPU %.3f s (%.3f s per printer), "
        "max RSS %ld KiB (%ld KiB per printer)\n",
        rate, kPrinters, station.code, station.wall, station.cpu, cpuPerPrinter, station.maxRssKiB,
        station.maxRssKiB / kPrinters);
    std::printf("  %6d baud: each printer beyond the first adds %ld KiB to the peak\n", rate,
                (station.maxRssKiB - alone.maxRssKiB) / (kPrinters - 1));
    std::printf(
        "  %6d baud: wall ratio %.3f (target <= 1.1), CPU per printer ratio %.3f "
        "(target <= 1.2)\n",
        rate, wallRatio, cpuRatio);
    if (alone.code != 0 || station.code != 0) ++failures;
  }
  fs::remove_all(dir);
  return failures == 0 ? 0 : 1;
}
