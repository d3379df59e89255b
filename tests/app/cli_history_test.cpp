// tallowick-cli history: what a technician or a script reads back from the history, and
// how every entry that cannot be used is refused with its reason and nothing changed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <sstream>

#include "app/cli.h"
#include "history/history_store.h"
#include "history/records.h"

namespace tallowick::history::test {
namespace {

struct Ran {
  int code;
  std::string out;
  std::string err;
};

Ran cliRun(std::vector<std::string> args) {
  std::ostringstream out, err;
  const int code = runCli(args, out, err);
  return {code, out.str(), err.str()};
}

// Dates typed on the command line are read in the time zone the environment names.
void setTimeZone(const char* zone) {
#ifdef _WIN32
  _putenv_s("TZ", zone);
  _tzset();
#else
  if (zone[0] == '\0') {
    ::unsetenv("TZ");
  } else {
    ::setenv("TZ", zone, 1);
  }
  ::tzset();
#endif
}

// A history of ten records a minute apart from 2026-12-07 07:05:30 UTC, read in UTC.
struct History : ::testing::Test {
  TempDir dir;
  std::string file = (dir / "history.sqlite3").string();

  void SetUp() override {
    setTimeZone("UTC");
    Store store(file);
    for (int n = 0; n < 10; ++n)
      ASSERT_TRUE(store.append(sampleRecord(n)));
  }
  void TearDown() override { setTimeZone(""); }
  // The command with this history named right after its verb, so that the cases that end
  // in an option without its value still end so.
  Ran run(std::vector<std::string> args) {
    const bool verb = args.size() > 1 && !args[1].starts_with("-");
    args.insert(args.begin() + (verb ? 2 : 1), {"--history", file});
    return cliRun(args);
  }
};

// The ids of the list's rows, top to bottom.
std::vector<int> ids(const std::string& list) {
  std::vector<int> out;
  std::istringstream lines(list);
  std::string line;
  std::getline(lines, line);  // the heads
  while (std::getline(lines, line))
    out.push_back(std::stoi(line));
  return out;
}

TEST_F(History, TheListIsNewestFirstAndEveryFilterNarrowsIt) {
  const struct {
    std::vector<std::string> args;
    std::vector<int> ids;
  } cases[] = {
      {{"history"}, {10, 9, 8, 7, 6, 5, 4, 3, 2, 1}},
      {{"history", "list", "--limit", "3"}, {10, 9, 8}},
      // sampleRecord: odd n on /dev/ttyUSB0 with the FP-90T, every third one finished.
      {{"history", "--model", "Veltor FP-90T"}, {10, 8, 6, 4, 2}},
      {{"history", "--outcome", "finished"}, {10, 7, 4, 1}},
      {{"history", "--kind", "init"}, {10, 5}},
      {{"history", "--serial", "ЕД80010002"}, {10, 3}},
      // Record n started at 07:05:30 + n minutes.
      {{"history", "--from", "2026-12-07 07:08", "--until", "2026-12-07 07:10"}, {6, 5, 4}},
      {{"history", "--until", "2026-12-06"}, {}},
      {{"history", "--from", "2026-12-07", "--until", "2026-12-07"},
       {10, 9, 8, 7, 6, 5, 4, 3, 2, 1}},
      {{"history", "--model", "Veltor KM-15", "--outcome", "aborted"}, {9, 5, 3}},
  };
  for (const auto& c : cases) {
    const Ran r = run(c.args);
    EXPECT_EQ(r.code, 0) << r.err;
    if (c.ids.empty()) {
      EXPECT_EQ(r.out, "no records\n");
    } else {
      EXPECT_EQ(ids(r.out), c.ids) << r.out;
    }
  }
}

TEST_F(History, ShowGivesOneRecordWithItsStepsAndItsWholeLog) {
  const Ran r = run({"history", "show", "2"});
  ASSERT_EQ(r.code, 0) << r.err;
  const Record expected = sampleRecord(1);
  for (const std::string& part :
       {std::string("id: 2\n"), std::string("kind: testrun\n"), "port: " + expected.port + "\n",
        "model: " + expected.model + "\n", std::string("outcome: aborted\n"),
        "message: " + expected.message + "\n",
        std::string("  X-отчет: printer_error (A1, 0103)\n")}) {
    EXPECT_NE(r.out.find(part), std::string::npos) << part << "\n" << r.out;
  }
  std::string log;
  for (const std::string& line : expected.log)
    log += line + "\n";
  EXPECT_TRUE(r.out.ends_with("log:\n" + log)) << r.out;
}

TEST_F(History, AnExportHoldsTheSelectionAsOneRowPerRun) {
  TempDir out;
  const std::string csv = (out / "runs.csv").string();
  const Ran r = run({"history", "export", "--format", "csv", "--output", csv, "--kind", "testrun"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.err, "Готово: история сохранена в " + csv + " (записей: 8).\n");
  // Rows end in CR LF; the log's own line breaks inside its quoted field are bare LFs.
  const std::string bytes = readFile(csv);
  std::size_t rows = 0;
  for (std::size_t at = bytes.find("\r\n"); at != std::string::npos;
       at = bytes.find("\r\n", at + 2))
    ++rows;
  EXPECT_EQ(rows, 1u + 8u);

  // To standard output as well, every record unless limited.
  const Ran json = run({"history", "export", "--format", "json"});
  ASSERT_EQ(json.code, 0) << json.err;
  EXPECT_EQ(json.out.front(), '[');
  EXPECT_NE(json.out.find("\"id\": 1,"), std::string::npos) << json.out.substr(0, 200);
}

TEST_F(History, EveryUnusableEntryIsRefusedWithItsReason) {
  const struct {
    std::vector<std::string> args;
    const char* reason;
  } cases[] = {
      {{"history", "--colour", "red"}, "unknown option: --colour"},
      {{"history", "--model"}, "option --model needs a value"},
      {{"history", "--from", "2026-02-30"},
       "--from needs a date YYYY-MM-DD or 'YYYY-MM-DD HH:MM', not '2026-02-30'"},
      {{"history", "--until", "2026-12-07 24:00"},
       "--until needs a date YYYY-MM-DD or 'YYYY-MM-DD HH:MM', not '2026-12-07 24:00'"},
      {{"history", "--outcome", "passed"},
       "--outcome needs finished, finished_with_errors, aborted, stopped or input_refused, "
       "not 'passed'"},
      {{"history", "--kind", "zreport"}, "--kind needs testrun or init, not 'zreport'"},
      {{"history", "--limit", "-1"}, "--limit needs a whole number (0 for all), not '-1'"},
      {{"history", "show"}, "history show needs the id of a record, as the list shows it"},
      {{"history", "show", "x1"}, "history show needs the id of a record, as the list shows it"},
      {{"history", "export"}, "history export needs --format csv, json or junit"},
      {{"history", "export", "--format", "xml"},
       "history export needs --format csv, json or junit"},
      {{"history", "erase"}, "history needs list, show or export, not 'erase'"},
  };
  const std::string before = readFile(file);
  for (const auto& c : cases) {
    const Ran r = run(c.args);
    EXPECT_EQ(r.code, 4) << c.reason;
    EXPECT_EQ(r.err, std::string("tallowick-cli: ") + c.reason +
                         "\nRun 'tallowick-cli --help' for the commands and their options.\n");
    EXPECT_EQ(r.out, "");
  }
  EXPECT_EQ(readFile(file), before);
}

TEST(HistoryCli, AMissingRecordOrADamagedFileIsReportedAndNothingIsWritten) {
  TempDir dir;
  const std::string missing = (dir / "none.sqlite3").string();
  // Looking at a history never written shows nothing and makes no file.
  const Ran empty = cliRun({"history", "--history", missing});
  EXPECT_EQ(empty.code, 0);
  EXPECT_EQ(empty.out, "no records\n");
  EXPECT_FALSE(std::filesystem::exists(missing));
  const Ran none = cliRun({"history", "show", "1", "--history", missing});
  EXPECT_EQ(none.code, 9);
  EXPECT_EQ(none.err, "tallowick-cli: the history holds no record 1\n");

  const std::string damaged = (dir / "damaged.sqlite3").string();
  const std::string bytes = "SQLite format 3" + std::string(200, '\x7f');
  writeFile(damaged, bytes);
  for (const std::vector<std::string>& args : {std::vector<std::string>{"history"},
                                               {"history", "show", "1"},
                                               {"history", "export", "--format", "junit"}}) {
    std::vector<std::string> withFile = args;
    withFile.insert(withFile.end(), {"--history", damaged});
    const Ran r = cliRun(withFile);
    EXPECT_EQ(r.code, 9) << args.back();
    EXPECT_TRUE(r.err.starts_with("tallowick-cli: Файл истории повреждён и не будет изменён: "))
        << r.err;
    EXPECT_EQ(r.out, "");
  }
  EXPECT_EQ(readFile(damaged), bytes);
}

}  // namespace
}  // namespace tallowick::history::test
