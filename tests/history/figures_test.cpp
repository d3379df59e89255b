// The figures of a selection over a history built for the purpose, whose yields, Pareto of
// failures and durations are known; the facts the figures read, alike from a record and from
// the history's file.
#include "history/figures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "history/exec_sql.h"
#include "history/query.h"
#include "history/records.h"

namespace tallowick::history {
namespace {

using namespace test;

// Their facts, newest first as the history gives them, with ids in the order above.
std::vector<RunFacts> workshopFacts() {
  std::vector<RunFacts> facts;
  std::int64_t id = 0;
  for (Record& r : workshopRecords()) {
    r.id = ++id;
    facts.insert(facts.begin(), factsOf(r));
  }
  return facts;
}

struct Expected {
  std::string group;
  std::size_t printers, runs, withoutSerial, refused;
  std::size_t firstPass, finalPass, failed, finished;
  std::optional<std::int64_t> median, p90;
  std::size_t initialisations;
};

void expectFigures(const Figures& f, const Expected& e) {
  SCOPED_TRACE(e.group);
  EXPECT_EQ(f.group, e.group);
  EXPECT_EQ(f.printers, e.printers);
  EXPECT_EQ(f.runs, e.runs);
  EXPECT_EQ(f.runsWithoutSerial, e.withoutSerial);
  EXPECT_EQ(f.runsRefused, e.refused);
  EXPECT_EQ(f.firstPassPrinters, e.firstPass);
  EXPECT_EQ(f.finalPassPrinters, e.finalPass);
  const auto share = [&](std::size_t n) {
    return e.printers
               ? std::optional<double>(static_cast<double>(n) / static_cast<double>(e.printers))
               : std::nullopt;
  };
  EXPECT_EQ(f.firstPassYield, share(e.firstPass));
  EXPECT_EQ(f.finalYield, share(e.finalPass));
  EXPECT_EQ(f.failedRuns, e.failed);
  EXPECT_EQ(f.finishedRuns, e.finished);
  EXPECT_EQ(f.medianDurationMs, e.median);
  EXPECT_EQ(f.p90DurationMs, e.p90);
  EXPECT_EQ(f.initialisations.total, e.initialisations);
}

TEST(Figures, TheWholeSelectionHasItsKnownYieldsParetoAndDurations) {
  const FiguresReport report = countFigures(workshopFacts(), Grouping::None);
  const Figures& f = report.whole;
  // Printers A, B, C, D and F; E's only run refused its entries. A passed at once; B and D
  // passed when retested; C and F never did.
  expectFigures(f, {"", 5, 10, 2, 1, 1, 3, 5, 5, 30'000, 50'000, 4});
  EXPECT_EQ(f.runsPerPrinter, 8.0 / 5);
  // The finished runs took 10, 50, 40, 20 and 30 s: the third and the fifth by rank.
  const std::vector<StepFailures> pareto = {
      {"X-отчет", 3, 0.6, 0.6}, {"Z-отчет", 1, 0.2, 0.8}, {std::nullopt, 1, 0.2, 1.0}};
  ASSERT_EQ(f.failuresByStep.size(), pareto.size());
  for (std::size_t i = 0; i < pareto.size(); ++i) {
    EXPECT_EQ(f.failuresByStep[i].step, pareto[i].step) << i;
    EXPECT_EQ(f.failuresByStep[i].runs, pareto[i].runs) << i;
    EXPECT_DOUBLE_EQ(f.failuresByStep[i].share, pareto[i].share) << i;
    EXPECT_DOUBLE_EQ(f.failuresByStep[i].cumulative, pareto[i].cumulative) << i;
  }
  EXPECT_EQ(f.initialisations, (Initialisations{4, 2, 1}));
  const std::vector<ModelInitialisations> byModel = {{kFp, {2, 1, 0}}, {kKm, {2, 1, 1}}};
  EXPECT_EQ(f.initialisationsByModel, byModel);
  EXPECT_TRUE(report.groups.empty());
}

// Each group is a selection of its own: B, aborted on the first day, passed at once on the
// second; D's first run at station s1 is the one that passed.
TEST(Figures, EachGroupCountsItsOwnRecords) {
  const struct {
    Grouping by;
    std::vector<Expected> groups;
  } cases[] = {
      {Grouping::Day,
       {{"2026-12-07", 5, 7, 2, 1, 1, 1, 4, 3, 40'000, 50'000, 2},
        // Two finished runs: the median is the lower one.
        {"2026-12-08", 3, 3, 0, 0, 2, 2, 1, 2, 20'000, 30'000, 2}}},
      {Grouping::Model,
       // No FP-90T passed at once: a yield of nothing, not of no printer.
       {{kFp, 3, 5, 0, 0, 0, 1, 3, 2, 30'000, 50'000, 2},
        {kKm, 2, 5, 2, 1, 1, 2, 2, 3, 20'000, 40'000, 2}}},
      {Grouping::Station,
       {{"s1", 4, 5, 1, 1, 2, 2, 3, 2, 10'000, 30'000, 2},
        {"s2", 3, 5, 1, 0, 1, 1, 2, 3, 40'000, 50'000, 2}}},
  };
  for (const auto& c : cases) {
    const FiguresReport report = countFigures(workshopFacts(), c.by);
    EXPECT_EQ(report.by, c.by);
    EXPECT_EQ(report.whole, countFigures(workshopFacts(), Grouping::None).whole);
    ASSERT_EQ(report.groups.size(), c.groups.size()) << groupingName(c.by);
    for (std::size_t i = 0; i < c.groups.size(); ++i)
      expectFigures(report.groups[i], c.groups[i]);
  }
}

TEST(Figures, ASelectionOfNothingHasNoRatios) {
  std::vector<RunFacts> onlyInitialisations;
  std::vector<RunFacts> withoutSerial;
  for (const RunFacts& f : workshopFacts()) {
    if (f.kind == Kind::Initialisation) onlyInitialisations.push_back(f);
    if (f.kind == Kind::TestRun && f.serialNumber.empty()) withoutSerial.push_back(f);
  }
  for (const auto& facts : {std::vector<RunFacts>{}, onlyInitialisations, withoutSerial}) {
    const FiguresReport report = countFigures(facts, Grouping::Day);
    const Figures& f = report.whole;
    EXPECT_EQ(f.printers, 0u);
    EXPECT_FALSE(f.runsPerPrinter);
    EXPECT_FALSE(f.firstPassYield);
    EXPECT_FALSE(f.finalYield);
  }
  const Figures none = countFigures({}, Grouping::Day).whole;
  EXPECT_EQ(none, Figures{});
  EXPECT_TRUE(countFigures({}, Grouping::Model).groups.empty());
  // Runs with no number still have their failures and durations.
  const Figures anonymous = countFigures(withoutSerial, Grouping::None).whole;
  EXPECT_EQ(anonymous.runs, 2u);
  EXPECT_EQ(anonymous.failedRuns, 1u);
  EXPECT_EQ(anonymous.medianDurationMs, 40'000);
}

// The facts of a record: its first titled step that did not succeed, when it did not
// finish; alike from the record and from the history's file.
TEST(Figures, TheFactsOfARecordAreTheSameFromTheRecordAndFromTheFile) {
  std::vector<Record> records = workshopRecords();
  // Finished, yet a step did not succeed: no failed step, as for any finished run.
  Record quiet = records.front();
  quiet.steps.push_back({.title = "Индикатор", .result = StepResult::NoReply});
  records.push_back(quiet);
  // A stopped run's step.
  Record stopped = records[3];
  stopped.steps.push_back({.title = "Служебный чек", .result = StepResult::Stopped});
  records.push_back(stopped);

  TempDir dir;
  Store store(dir.path / "history.sqlite3");
  for (Record& r : records) {
    auto id = store.append(r);
    ASSERT_TRUE(id) << id.error().message;
    r.id = id.value();
  }
  auto read = store.facts({.limit = 0});
  ASSERT_TRUE(read) << read.error().message;
  ASSERT_EQ(read.value().size(), records.size());
  for (const RunFacts& f : read.value()) {
    const Record& r = records[static_cast<std::size_t>(f.id - 1)];
    EXPECT_EQ(f, factsOf(r)) << f.id;
  }
  EXPECT_EQ(factsOf(records[1]).failedStep, "X-отчет");
  EXPECT_EQ(factsOf(records[0]).failedStep, std::nullopt);
  EXPECT_EQ(factsOf(quiet).failedStep, std::nullopt);
  EXPECT_EQ(factsOf(stopped).failedStep, "Служебный чек");

  // The records a list selects under the same filter; with a limit, the newest.
  Query query(&store, "");
  const auto filters = {Filter{.limit = 3}, Filter{.station = "s2", .limit = 0},
                        Filter{.model = kFp, .kind = Kind::TestRun, .limit = 0},
                        Filter{.fromMs = kDay + kNextDay, .limit = 0}};
  for (const Filter& filter : filters) {
    auto listed = query.list(filter);
    auto facts = query.facts(filter);
    ASSERT_TRUE(listed && facts);
    std::vector<std::int64_t> listedIds, factIds;
    for (const Record& r : listed.value())
      listedIds.push_back(r.id);
    for (const RunFacts& f : facts.value())
      factIds.push_back(f.id);
    std::sort(listedIds.begin(), listedIds.end());
    std::sort(factIds.begin(), factIds.end());
    EXPECT_EQ(factIds, listedIds);
  }
}

// A history of years is read a page after another: every record once, and with a limit the
// newest by their start, whatever the order they were added in.
TEST(Figures, TheFactsOfALongHistoryComeWholeAndTheNewestByTheirStart) {
  TempDir dir;
  Store store(dir.path / "history.sqlite3");
  ASSERT_TRUE(store.append(sampleRecord(0)));
  constexpr int kRecords = 12'000;
  const std::string fill =
      "WITH RECURSIVE n (i) AS (SELECT 2 UNION ALL SELECT i + 1 FROM n WHERE i < " +
      std::to_string(kRecords) +
      ") INSERT INTO run (kind, started_at, ended_at, utc_offset_minutes, computer, port, "
      "model, firmware, country, serial_number, passes, pause_ms, outcome, message, "
      "error_count, duration_ms, uid, station) SELECT 'testrun', i * 7919 % 12007 * 1000, 0, "
      "0, '', '', 'M', '', '', 'S' || i % 100, '1', '0', 'finished', '', 0, 1000, 'u' || i, "
      "'s' FROM n";
  ASSERT_EQ(execSql(store.file(), fill.c_str()), SQLITE_OK);
  auto all = store.facts({.limit = 0});
  ASSERT_TRUE(all) << all.error().message;
  std::vector<std::int64_t> ids;
  for (const RunFacts& f : all.value())
    ids.push_back(f.id);
  std::sort(ids.begin(), ids.end());
  ASSERT_EQ(ids.size(), std::size_t{kRecords});
  for (std::size_t i = 0; i < ids.size(); ++i)
    ASSERT_EQ(ids[i], static_cast<std::int64_t>(i) + 1);

  auto newest = store.facts({.limit = 7000});
  ASSERT_TRUE(newest);
  std::vector<RunFacts> expected = all.value();
  std::sort(expected.begin(), expected.end(), [](const RunFacts& a, const RunFacts& b) {
    return a.startedAtMs != b.startedAtMs ? a.startedAtMs > b.startedAtMs : a.id > b.id;
  });
  expected.resize(7000);
  EXPECT_EQ(newest.value(), expected);
}

TEST(Figures, TheExportsHoldEveryFigureWithNothingAsNothing) {
  std::ostringstream csv;
  writeFigures(FiguresFormat::Csv, countFigures(workshopFacts(), Grouping::Day), csv);
  const std::string text = csv.str();
  ASSERT_TRUE(text.starts_with(std::string(kCsvStart) + "group_by,group,figure,item,value\r\n"));
  for (const char* row : {"\r\nall,,printers,,5\r\n", "\r\nall,,first_pass_yield,,0.2\r\n",
                          "\r\nall,,final_yield,,0.6\r\n", "\r\nall,,step_failures,X-отчет,3\r\n",
                          "\r\nall,,step_failure_cumulative_share,Z-отчет,0.8\r\n",
                          "\r\nall,,step_failures,,1\r\n", "\r\nall,,duration_median_ms,,30000\r\n",
                          "\r\nall,,initialisations_failed,Veltor KM-15,1\r\n",
                          "\r\nday,2026-12-08,first_pass_printers,,2\r\n",
                          "\r\nday,2026-12-08,runs_refused,,0\r\n"}) {
    EXPECT_NE(text.find(row), std::string::npos) << row;
  }
  std::ostringstream empty;
  writeFigures(FiguresFormat::Csv, countFigures({}, Grouping::None), empty);
  EXPECT_NE(empty.str().find("\r\nall,,first_pass_yield,,\r\n"), std::string::npos);
  EXPECT_NE(empty.str().find("\r\nall,,duration_p90_ms,,\r\n"), std::string::npos);
}

}  // namespace
}  // namespace tallowick::history
