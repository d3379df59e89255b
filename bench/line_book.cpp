// Stations of a line taking serial numbers from the shared book at once, each on its own
// connection as its own login user, all started together: how long a take lasts (median,
// 99th percentile, worst) and how many numbers were given twice (must be 0). Each take is
// followed by the mark that the number was sent to a printer, as an initialisation does.
//
// usage: bench_line_book [STATIONS] [TAKES]   (default 16 stations, 200 takes each)
#include <cstdio>
#include <cstdlib>
#include <latch>
#include <set>
#include <thread>
#include <vector>

#include "figures.h"
#include "line_bench.h"

using namespace tallowick;
using Steady = std::chrono::steady_clock;

int main(int argc, char** argv) {
  const int stations = argc > 1 ? std::atoi(argv[1]) : 16;
  const int takes = argc > 2 ? std::atoi(argv[2]) : 200;
  if (stations < 1 || stations > test::kPgStations || takes < 1) {
    std::fprintf(stderr, "usage: %s [STATIONS 1..%d] [TAKES]\n", argv[0], test::kPgStations);
    return 2;
  }
  const bench::LineBench b = bench::lineBench();
  {
    auto admin = b.connect(test::kPgAdmin);
    if (auto added = line::Book(*admin).addRange("ЕД800", 0, stations * takes + 999); !added) {
      bench::LineBench::fail(added.error().message);
    }
  }
  std::vector<std::vector<std::string>> taken(static_cast<std::size_t>(stations));
  std::vector<std::vector<double>> takeMs(taken.size()), useMs(taken.size());
  std::latch start(stations);
  std::vector<std::thread> threads;
  const auto began = Steady::now();
  for (int s = 0; s < stations; ++s) {
    threads.emplace_back([&, s] {
      const auto i = static_cast<std::size_t>(s);
      const std::string station = test::pgStation(s + 1);
      auto c = b.connect(station);
      line::Book book(*c);
      start.arrive_and_wait();
      for (int n = 0; n < takes; ++n) {
        auto t0 = Steady::now();
        auto number = book.takeNext(station, "ЕД800");
        takeMs[i].push_back(bench::msSince(t0));
        if (!number) bench::LineBench::fail(number.error().message);
        t0 = Steady::now();
        if (auto used = book.markUsed(station, number.value()); !used) {
          bench::LineBench::fail(used.error().message);
        }
        useMs[i].push_back(bench::msSince(t0));
        taken[i].push_back(number.value());
      }
    });
  }
  for (std::thread& t : threads)
    t.join();
  const double wallMs = bench::msSince(began);

  std::set<std::string> distinct;
  std::vector<double> allTakes, allUses;
  std::size_t total = 0;
  for (std::size_t i = 0; i < taken.size(); ++i) {
    total += taken[i].size();
    distinct.insert(taken[i].begin(), taken[i].end());
    allTakes.insert(allTakes.end(), takeMs[i].begin(), takeMs[i].end());
    allUses.insert(allUses.end(), useMs[i].begin(), useMs[i].end());
  }
  std::printf("%d stations x %d numbers at once: %zu taken, %zu given twice, %.0f takes/s\n",
              stations, takes, total, total - distinct.size(),
              static_cast<double>(total) / (wallMs / 1000.0));
  std::printf(
      "| what | mean ms | median ms | p99 ms | worst ms |\n| --- | --- | --- | --- | --- |\n");
  for (const auto& [what, samples] : {std::pair{"takeNext", &allTakes}, {"markUsed", &allUses}}) {
    const bench::Figures f = bench::figuresOf(*samples);
    std::printf("| %s | %.3f | %.3f | %.3f | %.3f |\n", what, f.mean, f.median, f.p99, f.worst);
  }
  return total == distinct.size() ? 0 : 1;
}
