// The figures of a production line's history of N records (default 100 000), each with a run's
// log and titled steps, as `tallowick-cli history stats` counts them: the whole process over
// the prepared history file, as a script or a supervisor runs it, whole and grouped, in each
// format; and, in the same run, its parts alone: the facts read from the file, the counting
// of the figures, and beside them a list of every record (without logs), which is what the
// figures would cost if they were counted from the list.
//
// The history: a run every two minutes on one of four stations, a printer back about every
// fifth day, one record in ten an initialisation; about one run in 31 finishes with errors,
// one in 97 is aborted, each at one of eight steps, one in 211 is stopped.
//
// usage: bench_history_figures CLI [RECORDS] [LOG_LINES] [FOLDER]
//   (default 100000, 240 lines, a new folder under the system's temporary folder, removed
//   afterwards; a FOLDER that holds the history already is used as it is, and kept)
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_process.h"
#include "figures.h"
#include "history/figures.h"
#include "history/history_store.h"
#include "history_records.h"

namespace {

namespace fs = std::filesystem;
using tallowick::StepReport;
using tallowick::StepResult;
using tallowick::bench::figuresOf;
using tallowick::bench::timed;
using tallowick::history::countFigures;
using tallowick::history::FiguresReport;
using tallowick::history::Grouping;
using tallowick::history::Kind;
using tallowick::history::Outcome;
using tallowick::history::Record;
using tallowick::history::RunFacts;
using tallowick::history::Store;
using Times = tallowick::bench::Figures;

constexpr const char* kFailingSteps[] = {"Установка времени", "X-отчет",       "Служебный чек",
                                         "Чек продажи",       "Чек возврата",  "Контрольная лента",
                                         "Z-отчет",           "Смена скорости"};

Record lineRecord(int n, int logLines) {
  Record r = tallowick::bench::recordOf(n, logLines);
  r.station = "line-" + std::to_string(n % 4);
  if (n % 10 == 9) {
    r.kind = Kind::Initialisation;
    r.outcome = n % 50 == 9 ? Outcome::Aborted : Outcome::Finished;
    r.steps.clear();
    return r;
  }
  const bool failed = n % 31 == 0 || n % 97 == 0;
  r.outcome = n % 97 == 0    ? Outcome::Aborted
              : n % 31 == 0  ? Outcome::FinishedWithErrors
              : n % 211 == 0 ? Outcome::Stopped
                             : Outcome::Finished;
  r.errorCount = failed ? 1 + n % 3 : 0;
  if (failed) {
    StepReport& step = r.steps[static_cast<std::size_t>(n / 7 % 8) * 3];
    step.title = kFailingSteps[n / 7 % 8];
    step.result = StepResult::PrinterError;
    step.code = "0103";
  }
  return r;
}

void row(const std::string& what, const Times& f) {
  std::printf("| %s | %.1f | %.1f | %.1f |\n", what.c_str(), f.median, f.mean, f.worst);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s CLI [RECORDS] [LOG_LINES] [FOLDER]\n", argv[0]);
    return 2;
  }
  const std::string cli = argv[1];
  const int records = argc > 2 ? std::atoi(argv[2]) : 100000;
  const int logLines = argc > 3 ? std::atoi(argv[3]) : 240;
  std::string pattern = (fs::temp_directory_path() / "tallowick-bench-XXXXXX").string();
  const fs::path folder = argc > 4 ? fs::path(argv[4]) : fs::path(::mkdtemp(pattern.data()));
  const fs::path file = folder / "history.sqlite3";

  std::error_code ec;
  if (!fs::exists(file, ec)) {
    fs::create_directories(folder, ec);
    Store store(file);
    for (int n = 0; n < records; ++n) {
      if (auto appended = store.append(lineRecord(n, logLines)); !appended) {
        std::fprintf(stderr, "%s\n", appended.error().message.c_str());
        return 1;
      }
    }
  }
  std::printf("history of %d records, %d log lines each: %.1f MiB\n", records, logLines,
              static_cast<double>(fs::file_size(file, ec)) / 1048576.0);

  // The parts, in this process.
  Store store(file);
  std::vector<RunFacts> facts;
  std::printf("\n| in the process (ms) | median | mean | worst |\n| --- | ---: | ---: | ---: |\n");
  row("facts of every record read", timed(10, [&] {
        auto read = store.facts({.limit = 0});
        if (!read) std::fprintf(stderr, "%s\n", read.error().message.c_str());
        if (read) facts = std::move(read).value();
        return read.ok();
      }));
  row("every record listed (without logs)", timed(10, [&] {
        auto listed = store.list({.limit = 0});
        return listed.ok() && listed.value().size() == facts.size();
      }));
  for (const Grouping by : {Grouping::None, Grouping::Day, Grouping::Model, Grouping::Station}) {
    FiguresReport report;
    const Times f = timed(20, [&] {
      report = countFigures(facts, by);
      return true;
    });
    const std::string name(groupingName(by));
    row("figures counted" + (name.empty() ? std::string() : ", by " + name) + " (" +
            std::to_string(report.groups.size()) + " groups)",
        f);
  }

  // The whole command, as a script runs it; its CPU time too, which other programs on the
  // computer do not stretch.
  std::printf(
      "\n| tallowick-cli history stats (ms) | median | mean | worst | CPU median |\n"
      "| --- | ---: | ---: | ---: | ---: |\n");
  const std::string out = (folder / "stats.out").string();
  const std::vector<std::vector<std::string>> commands = {
      {},
      {"--by", "day"},
      {"--by", "model", "--format", "json"},
      {"--by", "station", "--format", "csv"},
      {"--model", tallowick::bench::kModels[2], "--kind", "testrun"},
  };
  for (const auto& options : commands) {
    std::vector<std::string> args{cli, "history", "stats", "--history", file.string()};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<double> cpu;
    const Times f = timed(10, [&] {
      const auto ran = tallowick::bench::timedRun(args, out);
      if (ran.code != 0) std::fprintf(stderr, "exit code %d, see %s\n", ran.code, out.c_str());
      cpu.push_back(ran.cpu * 1000);
      return ran.code == 0;
    });
    std::string shown = "stats";
    for (const std::string& o : options)
      shown += " " + o;
    std::printf("| %s | %.1f | %.1f | %.1f | %.1f |\n", shown.c_str(), f.median, f.mean, f.worst,
                figuresOf(cpu).median);
  }

  if (argc <= 4) fs::remove_all(folder, ec);
  return 0;
}
