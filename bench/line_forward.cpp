// A station's outbox forwarded to the line after a long time away: N waiting records
// (default 10 000, each with a run's 240 log lines and 30 titled steps) forwarded at once,
// then the same again, which the line skips since it holds them all. Wall time of each.
//
// usage: bench_line_forward [RECORDS] [LOG_LINES]
#include <cstdio>
#include <cstdlib>

#include "figures.h"
#include "history_records.h"
#include "line_bench.h"

using namespace tallowick;
using Steady = std::chrono::steady_clock;

int main(int argc, char** argv) {
  const int records = argc > 1 ? std::atoi(argv[1]) : 10000;
  const int logLines = argc > 2 ? std::atoi(argv[2]) : 240;
  const bench::LineBench b = bench::lineBench();
  auto station = b.connect(test::pgStation(1));

  std::vector<history::Record> waiting;
  waiting.reserve(static_cast<std::size_t>(records));
  for (int n = 0; n < records; ++n) {
    history::Record r = bench::recordOf(n, logLines);
    char uid[40];
    std::snprintf(uid, sizeof uid, "0b5e8f3a-1c2d-4e5f-8a9b-%012d", n);
    r.uid = uid;
    r.station = test::pgStation(1);
    waiting.push_back(std::move(r));
  }
  std::printf("forwarding %d records, %d log lines and 30 steps each\n", records, logLines);
  for (const char* what : {"first forward (all new)", "second forward (all held)"}) {
    const auto start = Steady::now();
    auto added = line::forward(*station, waiting);
    const double ms = bench::msSince(start);
    if (!added) bench::LineBench::fail(added.error().message);
    std::printf("%s: %zu added in %.2f s (%.0f records/s)\n", what, added.value(), ms / 1000.0,
                records / (ms / 1000.0));
  }
  return 0;
}
