// tallowick-cli history: what a technician or a script reads back from the history, and
// how every entry that cannot be used is refused with its reason and nothing changed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <nlohmann/json.hpp>
#include <sstream>

#include "app/cli.h"
#include "history/history_store.h"
#include "history/records.h"
#include "platform/settings.h"
#include "platform/system.h"

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

// A history file of these records, read in UTC.
struct HistoryFile : ::testing::Test {
  TempDir dir;
  std::string file = (dir / "history.sqlite3").string();

  void fill(const std::vector<Record>& records) {
    setTimeZone("UTC");
    Store store(file);
    for (const Record& r : records)
      ASSERT_TRUE(store.append(r));
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

// Ten records a minute apart from 2026-12-07 07:05:30 UTC.
struct History : HistoryFile {
  void SetUp() override {
    std::vector<Record> records;
    for (int n = 0; n < 10; ++n)
      records.push_back(sampleRecord(n));
    fill(records);
  }
};

// The workshop's two days, whose figures are known.
struct Workshop : HistoryFile {
  void SetUp() override { fill(workshopRecords()); }
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
      {{"history", "--made-at", "line-1"}, {8, 5, 2}},
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

constexpr const char* kReportNeeds =
    "history report needs the id of a record, as the list shows it, or --serial NUMBER, not both";

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
      {{"history", "erase"}, "history needs list, show, export, stats or report, not 'erase'"},
      {{"history", "stats", "--by", "week"}, "--by needs day, model or station, not 'week'"},
      {{"history", "stats", "--by"}, "option --by needs a value"},
      {{"history", "stats", "--format", "junit"}, "--format needs text, csv or json, not 'junit'"},
      {{"history", "stats", "--kind", "all"}, "--kind needs testrun or init, not 'all'"},
      {{"history", "report", "3"}, "history report needs --output"},
      {{"history", "report", "--output", "r.pdf"}, kReportNeeds},
      {{"history", "report", "3", "--serial", "A", "--output", "r.pdf"}, kReportNeeds},
      {{"history", "report", "x1", "--output", "r.pdf"}, kReportNeeds},
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

TEST_F(Workshop, TheFiguresAreATableToRead) {
  const Ran r = run({"history", "stats"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out,
            "Вся выборка\n"
            "  Проверено регистраторов:          5\n"
            "  Прогонов:                         10\n"
            "  Прогонов без заводского номера:   2\n"
            "  Прогонов с отклонённым вводом:    1\n"
            "  Прогонов на регистратор:          1.60\n"
            "  Выход с первого раза:             20.0 % (1 из 5)\n"
            "  Итоговый выход:                   60.0 % (3 из 5)\n"
            "  Законченных прогонов:             5\n"
            "  Длительность, медиана:            30.0 с\n"
            "  Длительность, 90-й процентиль:    50.0 с\n"
            "  Инициализаций:                    4 (выполнено 2, не выполнено 1)\n"
            "    Veltor FP-90T:                  2 (выполнено 1, не выполнено 0)\n"
            "    Veltor KM-15:                   2 (выполнено 1, не выполнено 1)\n"
            "  Прогонов с ошибками:              5\n"
            "    Шаг                                     Прогонов  Доля     Накопленная доля\n"
            "    X-отчет                                 3         60.0 %   60.0 %\n"
            "    Z-отчет                                 1         20.0 %   80.0 %\n"
            "    (вне шагов)                             1         20.0 %   100.0 %\n");

  // Each group follows the whole under its own title; a selection of nothing says "—".
  const struct {
    std::vector<std::string> args;
    std::vector<std::string> parts;
  } cases[] = {
      {{"history", "stats", "--by", "day"},
       {"\n\nДень 2026-12-07\n  Проверено регистраторов:          5\n",
        "\n\nДень 2026-12-08\n  Проверено регистраторов:          3\n",
        "  Выход с первого раза:             66.7 % (2 из 3)\n"}},
      {{"history", "stats", "--by", "model"},
       {"\n\nМодель Veltor FP-90T\n", "  Выход с первого раза:             0.0 % (0 из 3)\n",
        "\n\nМодель Veltor KM-15\n"}},
      {{"history", "stats", "--by", "station", "--kind", "testrun"},
       {"\n\nСтанция s1\n", "\n\nСтанция s2\n",
        "  Инициализаций:                    0 (выполнено 0, не выполнено 0)\n"}},
      {{"history", "stats", "--made-at", "s2", "--from", "2026-12-08"},
       {"Вся выборка\n  Проверено регистраторов:          2\n",
        "  Итоговый выход:                   50.0 % (1 из 2)\n"}},
      {{"history", "stats", "--until", "2026-12-06", "--by", "day"},
       {"  Проверено регистраторов:          0\n", "  Прогонов на регистратор:          —\n",
        "  Выход с первого раза:             —\n", "  Итоговый выход:                   —\n",
        "  Длительность, медиана:            —\n", "  Прогонов с ошибками:              0\n"}},
  };
  for (const auto& c : cases) {
    const Ran g = run(c.args);
    ASSERT_EQ(g.code, 0) << g.err;
    for (const std::string& part : c.parts)
      EXPECT_NE(g.out.find(part), std::string::npos) << part << "\n" << g.out;
  }
}

TEST_F(Workshop, TheFiguresAreCsvAndJsonForOtherPrograms) {
  const Ran json = run({"history", "stats", "--by", "model", "--format", "json"});
  ASSERT_EQ(json.code, 0) << json.err;
  const auto j = nlohmann::json::parse(json.out);
  EXPECT_EQ(j["by"], "model");
  EXPECT_EQ(j["whole"]["printers"], 5);
  EXPECT_DOUBLE_EQ(j["whole"]["first_pass_yield"].get<double>(), 0.2);
  EXPECT_DOUBLE_EQ(j["whole"]["final_yield"].get<double>(), 0.6);
  EXPECT_EQ(j["whole"]["failures_by_step"][0]["step"], "X-отчет");
  EXPECT_EQ(j["whole"]["failures_by_step"][2]["step"], nullptr);
  EXPECT_DOUBLE_EQ(j["whole"]["failures_by_step"][2]["cumulative_share"].get<double>(), 1.0);
  EXPECT_EQ(j["whole"]["duration_p90_ms"], 50000);
  EXPECT_EQ(j["whole"]["initialisations"]["by_model"][1]["model"], "Veltor KM-15");
  EXPECT_EQ(j["whole"]["initialisations"]["by_model"][1]["failed"], 1);
  ASSERT_EQ(j["groups"].size(), 2u);
  EXPECT_EQ(j["groups"][0]["group"], "Veltor FP-90T");
  EXPECT_EQ(j["groups"][0]["first_pass_yield"], 0.0);
  EXPECT_EQ(j["groups"][1]["runs_without_serial"], 2);

  const Ran none = run({"history", "stats", "--format", "json", "--serial", "Z"});
  ASSERT_EQ(none.code, 0) << none.err;
  const auto n = nlohmann::json::parse(none.out);
  EXPECT_EQ(n["by"], nullptr);
  for (const char* key : {"runs_per_printer", "first_pass_yield", "final_yield",
                          "duration_median_ms", "duration_p90_ms"}) {
    EXPECT_EQ(n["whole"][key], nullptr) << key;
  }
  EXPECT_TRUE(n["groups"].empty());

  const Ran csv = run({"history", "stats", "--by", "station", "--format", "csv"});
  ASSERT_EQ(csv.code, 0) << csv.err;
  EXPECT_TRUE(csv.out.starts_with("\xEF\xBB\xBFgroup_by,group,figure,item,value\r\n"));
  for (const char* row : {"\r\nall,,runs,,10\r\n", "\r\nstation,s1,first_pass_printers,,2\r\n",
                          "\r\nstation,s2,step_failures,X-отчет,1\r\n"}) {
    EXPECT_NE(csv.out.find(row), std::string::npos) << row;
  }
}

// The report's text is read back by a PDF reader in the history's own tests; here, what the
// command line does with what it is given.
TEST_F(Workshop, AReportIsWrittenForARecordOrASerialNumber) {
  // A name the command line gives in UTF-8, whatever the computer's code page.
  const fs::path named = dir.path / std::u8string(u8"отчет ЕД-ș.pdf");
  const std::string report = platform::pathText(named);
  const Ran printer = run({"history", "report", "--serial", "C", "--output", report});
  ASSERT_EQ(printer.code, 0) << printer.err;
  EXPECT_EQ(printer.err, "Готово: отчет сохранен в " + report + " (записей: 2).\n");
  EXPECT_TRUE(readFile(named).starts_with("%PDF-1.4\n"));

  // The workshop's name from the computer's settings, unless the command names one.
  const auto settings = fileSettings(dir / "settings.json");
  ASSERT_TRUE(settings->set(setting::kWorkshop, "W2"));
  const auto subject = [&](const std::vector<std::string>& extra) {
    std::vector<std::string> args{"history", "report", "1", "--history", file, "--output", report};
    args.insert(args.end(), extra.begin(), extra.end());
    std::ostringstream out, err;
    EXPECT_EQ(runCli(args, out, err, {.settings = settings.get()}), 0) << err.str();
    const std::string bytes = readFile(named);
    const std::size_t at = bytes.find("/Subject ");
    return at == std::string::npos ? std::string() : bytes.substr(at + 9, 14);
  };
  EXPECT_EQ(subject({}), "<FEFF00570032>");
  EXPECT_EQ(subject({"--workshop", "W3"}), "<FEFF00570033>");

  const std::string none = (dir / "none.pdf").string();
  const struct {
    std::vector<std::string> args;
    int code;
    std::string says;
  } refused[] = {
      {{"99", "--output", none}, 9, "the history holds no record 99"},
      {{"--serial", "Z", "--output", none}, 9, "the history holds no record of serial number Z"},
      {{"1", "--output", (dir / "none" / "r.pdf").string()}, 8, "r.pdf"},
  };
  for (const auto& c : refused) {
    std::vector<std::string> args{"history", "report"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Ran r = run(args);
    EXPECT_EQ(r.code, c.code) << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
  }
  EXPECT_FALSE(fs::exists(none));
  EXPECT_FALSE(fs::exists(dir / "none"));
}

// A printer's report draws each record whole, as the report of that one record does: its
// steps and every line of its log (here several pages of it), not only what a list shows.
TEST_F(HistoryFile, APrintersReportHoldsItsRecordsWhole) {
  Record r = sampleRecord(0);
  for (int line = 0; line < 300; ++line)
    r.log.push_back("Служебный чек - успешно " + std::to_string(line));
  fill({r});
  const auto pages = [&](const std::vector<std::string>& chosen) {
    const std::string report = (dir / "r.pdf").string();
    std::vector<std::string> args{"history", "report"};
    args.insert(args.end(), chosen.begin(), chosen.end());
    args.insert(args.end(), {"--output", report});
    const Ran ran = run(args);
    EXPECT_EQ(ran.code, 0) << ran.err;
    const std::string bytes = readFile(report);
    int n = 0;
    for (std::size_t at = 0; (at = bytes.find("/Type /Page ", at)) != std::string::npos; ++at)
      ++n;
    return n;
  };
  const int record = pages({"1"});
  EXPECT_GE(record, 4);
  EXPECT_EQ(pages({"--serial", r.serialNumber}), record);
}

TEST(HistoryCli, AMissingRecordOrADamagedFileIsReportedAndNothingIsWritten) {
  TempDir dir;
  const std::string missing = (dir / "none.sqlite3").string();
  // Looking at a history never written shows nothing and makes no file.
  const Ran empty = cliRun({"history", "--history", missing});
  EXPECT_EQ(empty.code, 0);
  EXPECT_EQ(empty.out, "no records\n");
  const Ran figures = cliRun({"history", "stats", "--history", missing});
  EXPECT_EQ(figures.code, 0);
  EXPECT_NE(figures.out.find("  Выход с первого раза:             —\n"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(missing));
  const Ran none = cliRun({"history", "show", "1", "--history", missing});
  EXPECT_EQ(none.code, 9);
  EXPECT_EQ(none.err, "tallowick-cli: the history holds no record 1\n");

  const std::string damaged = (dir / "damaged.sqlite3").string();
  const std::string bytes = "SQLite format 3" + std::string(200, '\x7f');
  writeFile(damaged, bytes);
  for (const std::vector<std::string>& args : {std::vector<std::string>{"history"},
                                               {"history", "show", "1"},
                                               {"history", "export", "--format", "junit"},
                                               {"history", "stats"}}) {
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
