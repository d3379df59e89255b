// What the command line leaves in the history: a record per run of a station and per
// initialisation, and a history that cannot be written told once without changing a run.
#include <gtest/gtest.h>

#include "app/cli_harness.h"
#include "app/cli_testrun.h"
#include "app/exit_codes.h"
#include "history/history_store.h"
#include "support/temp_dir.h"

namespace tallowick {
namespace {

using test::readFile;
using test::TempDir;

std::vector<history::Record> recordsIn(const std::filesystem::path& file) {
  history::Store store(file);
  auto records = store.list({}, history::Detail::Full);
  EXPECT_TRUE(records) << records.error().message;
  return records ? records.value() : std::vector<history::Record>{};
}

TEST(RunHistory, EveryRunOfAStationAndAnInitialisationLeaveTheirRecord) {
  const TempDir dir("tallowick-cli-history");
  const std::string file = (dir / "history.sqlite3").string();
  const CliRun run = test::testrun({"--port", "sim", "--port", "/nonexistent/tty", "--pause", "0",
                                    "--no-fiscal", "--history", file});
  EXPECT_EQ(run.code, kExitPortOrUsage) << run.err;
  const CliRun init = cli({"init", "--port", "sim", "--serial", "ЕД80012340",
                           "--serial-not-in-book", "--history", file});
  EXPECT_EQ(init.code, kExitOk) << init.err;

  auto records = recordsIn(file);
  ASSERT_EQ(records.size(), 3u);
  std::sort(records.begin(), records.end(),
            [](const auto& a, const auto& b) { return a.port + a.message < b.port + b.message; });
  const history::Record& missing = records[0];
  EXPECT_EQ(missing.port, "/nonexistent/tty");
  EXPECT_EQ(missing.outcome, history::Outcome::Aborted);
  EXPECT_TRUE(missing.message.starts_with("Невозможно подключить порт")) << missing.message;
  const history::Record& tested =
      records[1].kind == history::Kind::TestRun ? records[1] : records[2];
  const history::Record& initialised =
      records[1].kind == history::Kind::TestRun ? records[2] : records[1];
  EXPECT_EQ(tested.outcome, history::Outcome::Finished);
  EXPECT_EQ(tested.model, "Veltor FP-90T");
  EXPECT_EQ(tested.pauseMs, "0");
  EXPECT_FALSE(tested.steps.empty());
  EXPECT_EQ(tested.log.back(), std::string(30, '*'));
  EXPECT_EQ(initialised.kind, history::Kind::Initialisation);
  EXPECT_EQ(initialised.serialNumber, "ЕД80012340");
  EXPECT_EQ(initialised.outcome, history::Outcome::Finished);
  EXPECT_NE(std::find(initialised.log.begin(), initialised.log.end(),
                      "Начало инициализации регистратора."),
            initialised.log.end());
}

TEST(RunHistory, AHistoryThatCannotBeWrittenIsToldOnceAndChangesNoRun) {
  const TempDir dir("tallowick-cli-history");
  const auto damaged = dir / "history.sqlite3";
  test::writeFile(damaged, "not a history\n");
  const CliRun r = test::testrun({"--port", "sim", "--port", "sim:KM-15", "--pause", "0",
                                  "--no-fiscal", "--history", damaged.string()});
  EXPECT_EQ(r.code, kExitOk) << r.err;
  const std::string told = "tallowick-cli: Файл истории повреждён и не будет изменён";
  const auto first = r.err.find(told);
  EXPECT_NE(first, std::string::npos) << r.err;
  EXPECT_EQ(r.err.find(told, first + 1), std::string::npos) << "told once: " << r.err;
  EXPECT_EQ(readFile(damaged), "not a history\n");
  EXPECT_NE(r.out.find("[sim:KM-15] Общее количество ошибок: 0"), std::string::npos);
}

TEST(RunHistory, UnitsAreCheckedBeforeAnythingIsSentAndRecordedWithTheirRuns) {
  struct Case {
    std::vector<std::string> args;  // after the ports
    int code;
    const char* told;
  } cases[] = {
      {{"--unit", "ЕД80012345"}, kExitPortOrUsage, "--unit is given 1 times for 2 ports"},
      {{"--unit", "ЕД80012345", "--unit", "ЕД80012346", "--unit", "ЕД80012347"},
       kExitPortOrUsage,
       "--unit is given 3 times for 2 ports"},
      {{"--unit", "ЕД80012345", "--unit", "ЕД8001234"},
       kExitInputRefused,
       "--unit ЕД8001234 is not a serial number the book makes"},
      {{"--unit", "ED80012345", "--unit", "ЕД80012346"},
       kExitInputRefused,
       "--unit ED80012345 is not a serial number the book makes"},
      {{"--unit", "ЕД80012345", "--unit", "ЕД80012346\x1B[2J"},
       kExitInputRefused,
       "--unit ЕД80012346\\x1B[2J is not"},
  };
  for (const Case& c : cases) {
    const TempDir dir("tallowick-cli-unit");
    const std::string file = (dir / "history.sqlite3").string();
    std::vector<std::string> args{"--port", "sim", "--port", "sim:KM-15", "--history", file};
    args.insert(args.end(), c.args.begin(), c.args.end());
    int requests = 0;
    const CliRun r = test::runCliOnSim(
        [&] {
          args.insert(args.begin(), "testrun");
          return args;
        }(),
        {.now = {2026, 12, 9, 9, 0, 0}, .requests = &requests, .history = file});
    EXPECT_EQ(r.code, c.code) << c.told << "\n" << r.err;
    EXPECT_NE(r.err.find(c.told), std::string::npos) << r.err;
    EXPECT_EQ(requests, 0) << c.told;
    EXPECT_TRUE(recordsIn(file).empty()) << c.told;
  }

  // Two printers, each recorded with its unit.
  const TempDir dir("tallowick-cli-unit");
  const std::string file = (dir / "history.sqlite3").string();
  const CliRun r =
      test::testrun({"--port", "sim", "--port", "sim:KM-15", "--pause", "0", "--no-fiscal",
                     "--history", file, "--unit", "ЕД80012345", "--unit", "ЛД10400007"});
  EXPECT_EQ(r.code, kExitOk) << r.err;
  auto records = recordsIn(file);
  ASSERT_EQ(records.size(), 2u);
  std::sort(records.begin(), records.end(),
            [](const auto& a, const auto& b) { return a.port < b.port; });
  EXPECT_EQ(records[0].port, "sim");
  EXPECT_EQ(records[0].serialNumber, "ЕД80012345");
  EXPECT_EQ(records[1].port, "sim:KM-15");
  EXPECT_EQ(records[1].serialNumber, "ЛД10400007");
}

}  // namespace
}  // namespace tallowick
