// Several printers at once against one alone: N tallowick-sim printers (eight unless told)
// in realistic mode (every byte takes its time at the line rate; no print time, no reboot
// silence) on pseudo-terminals, first one printer's whole test run alone, then all N in
// one tallowick-cli testrun with N --port options, in the same benchmark run. Reports the
// wall time of the station over the single run's, the CPU time per printer over the single
// run's, and the peak memory (max RSS) per printer. With --against OTHER, another build of
// tallowick-cli (an older one) runs the same right after, on printers of its own, and the
// CPU time per printer of the two stations is compared.
//
// --repeat N measures each N times, the two builds taking turns, and adds the medians.
//
// usage: bench_station SIM CLI [--printers N] [--against OTHER] [--repeat N] [RATE...]
//        (default rates 115200 9600)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "bench_process.h"

namespace {

namespace fs = std::filesystem;

constexpr int kPrinters = 8;

using Measured = tallowick::bench::ProcessTimes;

// tallowick-cli testrun on the given ports at `rate`, timed from its start to its end.
Measured testrun(const std::string& cli, const std::vector<fs::path>& links, int rate,
                 const fs::path& dir) {
  std::vector<std::string> args{
      cli,       "testrun", "--baud",    std::to_string(rate),
      "--pause", "0",       "--history", (dir / "history.sqlite3").string()};
  for (const auto& link : links)
    args.insert(args.end(), {"--port", link.string()});
  return tallowick::bench::timedRun(args, (dir / "cli.out").string());
}

// One printer's run alone, then N at once, with `cli` on fresh printers at `rate`.
struct Station {
  Measured alone;
  Measured all;
};

Station measure(const std::string& sim, const std::string& cli, int printers, int rate,
                const fs::path& dir) {
  // One printer for the run alone and fresh ones for the station.
  std::vector<pid_t> sims;
  const std::vector<fs::path> links =
      tallowick::bench::spawnPrinters(sim, printers + 1, rate, dir, "printer", sims);
  Station m;
  m.alone = testrun(cli, {links.front()}, rate, dir);
  m.all = testrun(cli, std::vector<fs::path>(links.begin() + 1, links.end()), rate, dir);
  tallowick::bench::stopPrinters(sims);
  return m;
}

void report(const char* who, int rate, int printers, const Station& m) {
  const double wallRatio = m.alone.wall > 0 ? m.all.wall / m.alone.wall : 0;
  const double cpuPerPrinter = m.all.cpu / printers;
  const double cpuRatio = m.alone.cpu > 0 ? cpuPerPrinter / m.alone.cpu : 0;
  std::printf("  %s %6d baud: one alone: exit %d, wall %.3f s, CPU %.3f s, max RSS %ld KiB\n", who,
              rate, m.alone.code, m.alone.wall, m.alone.cpu, m.alone.maxRssKiB);
  std::printf(
      "  %s %6d baud: %d at once: exit %d, wall %.3f s, CPU %.3f s (%.3f s per printer), "
      "max RSS %ld KiB (%ld KiB per printer)\n",
      who, rate, printers, m.all.code, m.all.wall, m.all.cpu, cpuPerPrinter, m.all.maxRssKiB,
      m.all.maxRssKiB / printers);
  if (printers > 1) {
    std::printf("  %s %6d baud: each printer beyond the first adds %ld KiB to the peak\n", who,
                rate, (m.all.maxRssKiB - m.alone.maxRssKiB) / (printers - 1));
  }
  std::printf("  %s %6d baud: wall ratio %.3f, CPU per printer over one alone %.3f\n", who, rate,
              wallRatio, cpuRatio);
}

}  // namespace

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0.0 : v[v.size() / 2];
}

int main(int argc, char** argv) {
  int printers = kPrinters;
  int repeat = 1;
  std::string against;
  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i + 1 < argc && arg == "--printers") {
      printers = std::max(1, std::atoi(argv[++i]));
    } else if (i + 1 < argc && arg == "--repeat") {
      repeat = std::max(1, std::atoi(argv[++i]));
    } else if (i + 1 < argc && arg == "--against") {
      against = argv[++i];
    } else {
      rest.push_back(argv[i]);
    }
  }
  const auto setup =
      tallowick::bench::programBench(static_cast<int>(rest.size()), rest.data(), {115200, 9600});
  if (!setup) return 2;
  const std::vector<int>& rates = setup->rates;
  const fs::path& dir = setup->dir;
  int failures = 0;
  std::printf(
      "%d printers at once against one alone, whole test run, pause 0, realistic "
      "printers without print time, over ptys (cores: %u):\n",
      printers, std::thread::hardware_concurrency());
  for (const int rate : rates) {
    // The two builds take turns, so that what else the machine does falls on both alike.
    std::vector<double> wallRatios, otherWallRatios, cpu, otherCpu;
    for (int r = 0; r < repeat; ++r) {
      const Station m = measure(rest[1], rest[2], printers, rate, dir);
      report("this ", rate, printers, m);
      if (m.alone.code != 0 || m.all.code != 0) ++failures;
      wallRatios.push_back(m.alone.wall > 0 ? m.all.wall / m.alone.wall : 0);
      cpu.push_back(m.all.cpu / printers);
      if (against.empty()) continue;
      const Station other = measure(rest[1], against, printers, rate, dir);
      report("other", rate, printers, other);
      otherWallRatios.push_back(other.alone.wall > 0 ? other.all.wall / other.alone.wall : 0);
      otherCpu.push_back(other.all.cpu / printers);
    }
    if (repeat > 1) {
      std::printf("  this  %6d baud, median of %d: wall ratio %.3f, CPU per printer %.4f s\n", rate,
                  repeat, median(wallRatios), median(cpu));
    }
    if (against.empty()) continue;
    if (repeat > 1) {
      std::printf("  other %6d baud, median of %d: wall ratio %.3f, CPU per printer %.4f s\n", rate,
                  repeat, median(otherWallRatios), median(otherCpu));
    }
    std::printf(
        "  %6d baud: CPU per printer of %d at once, this build over the other: %.4f s / %.4f s = "
        "%.3f\n",
        rate, printers, median(cpu), median(otherCpu),
        median(otherCpu) > 0 ? median(cpu) / median(otherCpu) : 0.0);
  }
  fs::remove_all(dir);
  return failures == 0 ? 0 : 1;
}
