// The history at the size of years on a production line: a file of N records (default
// 100 000), each with a run's log and titled steps, appended one by one as runs append
// them. Then the questions a list asks: the newest 100, the runs of one serial number, of
// one model, of a rare outcome, of one day; and appends to the full file. Each figure is
// the median and the worst of repeated calls, in milliseconds.
//
// usage: bench_history_store [RECORDS] [LOG_LINES] [FOLDER]
//   (default 100000, 240 lines, a new folder under the system's temporary folder; the
//   folder and its file are removed afterwards)
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "figures.h"
#include "history/history_store.h"
#include "history_records.h"

namespace {

namespace fs = std::filesystem;
using tallowick::bench::Figures;
using tallowick::bench::figuresOf;
using tallowick::bench::msSince;
using tallowick::bench::recordOf;
using tallowick::history::Detail;
using tallowick::history::Filter;
using tallowick::history::Outcome;
using tallowick::history::Record;
using tallowick::history::Store;
using Steady = std::chrono::steady_clock;

// A query asked `times` times; fails the benchmark when it fails.
Figures timed(Store& store, const Filter& filter, int times, std::size_t& found) {
  std::vector<double> samples;
  for (int i = 0; i < times; ++i) {
    const auto start = Steady::now();
    auto listed = store.list(filter);
    samples.push_back(msSince(start));
    if (!listed) {
      std::fprintf(stderr, "%s\n", listed.error().message.c_str());
      std::exit(1);
    }
    found = listed.value().size();
  }
  return figuresOf(samples);
}

}  // namespace

int main(int argc, char** argv) {
  const int records = argc > 1 ? std::atoi(argv[1]) : 100000;
  const int logLines = argc > 2 ? std::atoi(argv[2]) : 240;
  std::string pattern = (fs::temp_directory_path() / "tallowick-bench-XXXXXX").string();
  const fs::path folder = argc > 3 ? fs::path(argv[3]) : fs::path(::mkdtemp(pattern.data()));
  const fs::path file = folder / "history.sqlite3";

  std::vector<double> fill;
  {
    Store store(file);
    for (int n = 0; n < records; ++n) {
      const Record r = recordOf(n, logLines);
      const auto start = Steady::now();
      if (auto appended = store.append(r); !appended) {
        std::fprintf(stderr, "%s\n", appended.error().message.c_str());
        return 1;
      }
      fill.push_back(msSince(start));
    }
  }
  std::error_code ec;
  const auto bytes = fs::file_size(file, ec);

  Store store(file);
  const auto open = Steady::now();
  std::size_t found = 0;
  (void)timed(store, {.limit = 1}, 1, found);
  const double firstList = msSince(open);
  std::printf("history of %d records, %d log lines each: %.1f MiB\n", records, logLines,
              static_cast<double>(bytes) / 1048576.0);
  std::printf(
      "| what | found | mean ms | median ms | p99 ms | worst ms |\n| --- | --- | --- | --- | --- | "
      "--- |\n");
  const auto row = [](const char* what, std::size_t n, const Figures& f) {
    std::printf("| %s | %zu | %.3f | %.3f | %.3f | %.3f |\n", what, n, f.mean, f.median, f.p99,
                f.worst);
  };
  const Figures filled = figuresOf(fill);
  row("append while filling", static_cast<std::size_t>(records), filled);

  const Record probe = recordOf(records / 2, logLines);
  const struct {
    const char* what;
    Filter filter;
  } queries[] = {
      {"newest 100", {.limit = 100}},
      {"one serial number", {.serialNumber = probe.serialNumber}},
      {"one model, newest 100", {.model = probe.model, .limit = 100}},
      {"aborted runs, newest 100", {.outcome = Outcome::Aborted, .limit = 100}},
      {"one day",
       {.fromMs = probe.startedAtMs, .untilMs = probe.startedAtMs + 86'400'000, .limit = 0}},
  };
  for (const auto& q : queries) {
    const Figures f = timed(store, q.filter, 50, found);
    row(q.what, found, f);
  }
  std::vector<double> appends;
  for (int n = 0; n < 200; ++n) {
    const Record r = recordOf(records + n, logLines);
    const auto start = Steady::now();
    if (!store.append(r)) return 1;
    appends.push_back(msSince(start));
  }
  row("append to the full history", 200, figuresOf(appends));
  std::vector<double> finds;
  for (int n = 0; n < 50; ++n) {
    const auto start = Steady::now();
    if (!store.find(1 + (n * 1999) % records)) return 1;
    finds.push_back(msSince(start));
  }
  row("one record with its log", 1, figuresOf(finds));
  std::printf("first list after opening: %.3f ms\n", firstList);

  if (argc <= 3) fs::remove_all(folder, ec);
  return 0;
}
