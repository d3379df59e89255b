// The line's history at the size of years of a whole line: N records (default 1 000 000)
// made by the server itself, then the questions the history window and `history` ask of it,
// each asked 50 times by a station: median, 99th percentile and worst, in milliseconds.
//
// usage: bench_line_history [RECORDS]
#include <cstdio>
#include <cstdlib>

#include "figures.h"
#include "line_bench.h"

using namespace tallowick;
using history::Filter;
using Steady = std::chrono::steady_clock;

namespace {

// Record n as bench::recordOf makes it, without its log and steps, on one of 16 stations.
constexpr const char* kFill = R"sql(
INSERT INTO tallowick.run (uid, station, kind, started_at, ended_at, utc_offset_minutes,
                           computer, user_name, port, model, firmware, country, serial_number,
                           passes, pause_ms, outcome, message, error_count, duration_ms)
SELECT md5(n::text)::uuid, 'station' || (1 + n % 16),
       CASE WHEN n % 5 = 4 THEN 'init' ELSE 'testrun' END,
       1800000000000 + n * 120000::bigint, 1800000000000 + n * 120000::bigint + 21000 + n % 5000,
       120, 'line-' || (1 + n % 16), 'техник', '/dev/ttyUSB' || (n % 8),
       (ARRAY['Veltor FP-510T', 'Veltor FP-T320', 'Veltor FP-820T', 'Veltor FP-90T',
              'Veltor KM-15'])[1 + n % 5],
       '3.02', 'Україна', 'ЕД8' || lpad(((n::bigint * 7919) % 20000)::text, 5, '0'), '1', '1500',
       CASE WHEN n % 97 = 0 THEN 'aborted' ELSE 'finished' END, '', 0, 21000 + n % 5000
  FROM generate_series(0, $1::integer - 1) n
)sql";

}  // namespace

int main(int argc, char** argv) {
  const int records = argc > 1 ? std::atoi(argv[1]) : 1000000;
  const bench::LineBench b = bench::lineBench();
  {
    auto owner = line::Connection::openForInitialise(b.database->conninfo(test::kPgOwner));
    if (!owner) bench::LineBench::fail(owner.error().message);
    const auto start = Steady::now();
    if (auto filled = owner.value()->execute(kFill, {line::param(records)}); !filled) {
      bench::LineBench::fail(filled.error().message);
    }
    if (auto analysed = owner.value()->execute("ANALYZE tallowick.run"); !analysed) {
      bench::LineBench::fail(analysed.error().message);
    }
    std::printf("%d records made by the server in %.1f s\n", records,
                bench::msSince(start) / 1000.0);
  }
  auto station = b.connect(test::pgStation(1));
  const std::int64_t middle = 1'800'000'000'000 + std::int64_t{records / 2} * 120'000;
  const struct {
    const char* what;
    Filter filter;
  } queries[] = {
      {"newest 100", {.limit = 100}},
      {"one serial number", {.serialNumber = "ЕД810000", .limit = 0}},
      {"one station, newest 100", {.station = test::pgStation(7), .limit = 100}},
      {"one model, newest 100", {.model = "Veltor FP-90T", .limit = 100}},
      {"aborted runs, newest 100", {.outcome = history::Outcome::Aborted, .limit = 100}},
      {"one day", {.fromMs = middle, .untilMs = middle + 86'400'000, .limit = 0}},
  };
  std::printf(
      "| what | found | mean ms | median ms | p99 ms | worst ms |\n"
      "| --- | --- | --- | --- | --- | --- |\n");
  for (const auto& q : queries) {
    std::vector<double> samples;
    std::size_t found = 0;
    for (int i = 0; i < 50; ++i) {
      const auto start = Steady::now();
      auto listed = line::list(*station, q.filter);
      samples.push_back(bench::msSince(start));
      if (!listed) bench::LineBench::fail(listed.error().message);
      found = listed.value().size();
    }
    const bench::Figures f = bench::figuresOf(samples);
    std::printf("| %s | %zu | %.3f | %.3f | %.3f | %.3f |\n", q.what, found, f.mean, f.median,
                f.p99, f.worst);
  }
  return 0;
}
