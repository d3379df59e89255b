#include "history/history_store.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <map>
#include <set>

#include "history/exec_sql.h"
#include "history/journal.h"
#include "history/records.h"
#include "initforms/sqlite_serial_store.h"
#include "platform/system.h"

namespace tallowick::history {
namespace {

using namespace test;

std::vector<std::int64_t> idsOf(const std::vector<Record>& records) {
  std::vector<std::int64_t> ids;
  for (const Record& r : records)
    ids.push_back(r.id);
  return ids;
}

std::vector<std::string> entriesOf(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(HistoryStore, KeepsEveryFieldOfEveryKindOfRecord) {
  TempDir dir;
  const fs::path file = dir.path / "new" / "folder" / "history.sqlite3";
  std::vector<Record> records;
  const Outcome outcomes[] = {Outcome::Finished, Outcome::FinishedWithErrors, Outcome::Aborted,
                              Outcome::Stopped, Outcome::InputRefused};
  const StepResult results[] = {StepResult::Success, StepResult::ArgumentError,
                                StepResult::NoReply, StepResult::PrinterError,
                                StepResult::Stopped, StepResult::Aborted};
  for (int n = 0; n < 5; ++n) {
    Record r = sampleRecord(n);
    r.uid = platform::newUid();
    r.outcome = outcomes[n];
    r.steps.clear();
    for (StepResult result : results)
      r.steps.push_back({.title = "Шаг", .command = 0x2F, .result = result, .code = "-121"});
    records.push_back(r);
  }
  records[1].log.clear();    // a run refused before it logged anything
  records[2].steps.clear();  // an initialisation has no titled steps
  records[3].log.push_back(std::string("NUL\0inside", 10));
  records[3].startedAtMs = -1;  // a clock before 1970 still sorts
  {
    Store store(file);
    for (Record& r : records) {
      auto id = store.append(r);
      ASSERT_TRUE(id) << id.error().message;
      r.id = id.value();
    }
    // A record the history holds already (its identity the same) is not held twice.
    auto again = store.append(records[2]);
    ASSERT_TRUE(again) << again.error().message;
    EXPECT_EQ(again.value(), records[2].id);
    EXPECT_EQ(store.list({}).value().size(), records.size());
  }
  EXPECT_EQ(entriesOf(file.parent_path()), std::vector<std::string>{"history.sqlite3"});

  Store again(file);
  for (const Record& r : records) {
    auto found = again.find(r.id);
    ASSERT_TRUE(found) << found.error().message;
    ASSERT_TRUE(found.value().has_value());
    EXPECT_EQ(*found.value(), r) << "record " << r.id;
  }
  EXPECT_FALSE(again.find(999).value().has_value());

  // Newest first; a summary leaves the log and the steps out.
  auto listed = again.list({});
  ASSERT_TRUE(listed);
  EXPECT_EQ(idsOf(listed.value()), (std::vector<std::int64_t>{5, 3, 2, 1, 4}));
  for (const Record& r : listed.value())
    EXPECT_TRUE(r.log.empty() && r.steps.empty());
  auto full = again.list({}, Detail::Full);
  ASSERT_TRUE(full);
  EXPECT_EQ(full.value().front(), records[4]);
}

TEST(HistoryStore, FiltersCombineAndKeepTheNewestFirst) {
  TempDir dir;
  Store store(dir.path / "history.sqlite3");
  for (int n = 0; n < 30; ++n)
    ASSERT_TRUE(store.append(sampleRecord(n)));
  // Record n has id n + 1 and starts n minutes after kDay.
  const auto minute = [](int n) { return kDay + std::int64_t{n} * 60'000; };
  struct Case {
    const char* what;
    Filter filter;
    std::vector<std::int64_t> ids;
  };
  const Case cases[] = {
      {"the newest three", {.limit = 3}, {30, 29, 28}},
      {"a date range, its end excluded",
       {.fromMs = minute(10), .untilMs = minute(13)},
       {13, 12, 11}},
      {"a serial number", {.serialNumber = "ЕД80010003"}, {25, 18, 11, 4}},
      {"a serial number and a model",
       {.model = "Veltor FP-90T", .serialNumber = "ЕД80010003"},
       {18, 4}},
      {"an outcome in a range", {.fromMs = minute(20), .outcome = Outcome::Finished}, {28, 25, 22}},
      {"initialisations", {.kind = Kind::Initialisation, .limit = 2}, {30, 25}},
      {"a station", {.station = "line-2", .limit = 3}, {30, 27, 24}},
      {"initialisations of a station",
       {.kind = Kind::Initialisation, .station = "line-1"},
       {20, 5}},
      {"a serial number nobody has", {.serialNumber = "ЕД800"}, {}},
      {"a part of a serial number", {.serialPart = "10003"}, {25, 18, 11, 4}},
      {"the start of every serial number", {.serialPart = "ЕД800", .limit = 2}, {30, 29}},
      {"a part and the whole",
       {.serialNumber = "ЕД80010003", .serialPart = "0003"},
       {25, 18, 11, 4}},
      {"a part that is no part", {.serialPart = "100031"}, {}},
      {"a part with LIKE's wildcards", {.serialPart = "ЕД%3"}, {}},
      {"a part with LIKE's one-character wildcard", {.serialPart = "1000_"}, {}},
      {"all of them", {.limit = 0}, {}},
  };
  for (const Case& c : cases) {
    auto listed = store.list(c.filter);
    ASSERT_TRUE(listed) << c.what << ": " << listed.error().message;
    if (c.filter.limit == 0) {
      EXPECT_EQ(listed.value().size(), 30u) << c.what;
    } else {
      EXPECT_EQ(idsOf(listed.value()), c.ids) << c.what;
    }
  }
}

TEST(HistoryStore, LongReadsComePageByPageInOrder) {
  TempDir dir;
  Store store(dir.path / "history.sqlite3");
  // Several records start at the same moment: the order still holds across pages.
  for (int n = 0; n < 450; ++n) {
    Record r = sampleRecord(n / 3);
    ASSERT_TRUE(store.append(r));
  }
  std::vector<std::int64_t> ids;
  ASSERT_TRUE(store.forEach({.limit = 0}, Detail::Summary, [&](const Record& r) {
    ids.push_back(r.id);
    return true;
  }));
  std::vector<std::int64_t> expected;
  for (std::int64_t id = 450; id >= 1; --id)
    expected.push_back(id);
  EXPECT_EQ(ids, expected);

  int taken = 0;
  ASSERT_TRUE(
      store.forEach({.limit = 0}, Detail::Full, [&](const Record&) { return ++taken < 5; }));
  EXPECT_EQ(taken, 5);
  EXPECT_EQ(store.list({.limit = 250}).value().size(), 250u);
}

// Files that are not a whole history of this program: reported, and never written.
TEST(HistoryStore, AForeignOrDamagedFileIsReportedAndLeftAsItIs) {
  TempDir dir;
  const fs::path good = dir.path / "good.sqlite3";
  {
    Store store(good);
    for (int n = 0; n < 200; ++n)
      ASSERT_TRUE(store.append(sampleRecord(n)));
  }
  const std::string history = readFile(good);
  struct Case {
    const char* what;
    std::function<void(const fs::path&)> make;
    const char* detail;
  };
  const Case cases[] = {
      {"text", [](const fs::path& f) { writeFile(f, "id,kind\r\n1,testrun\r\n"); }, ""},
      {"an empty file", [](const fs::path& f) { writeFile(f, ""); }, "это не файл истории"},
#ifndef _WIN32  // the book is kept in the registry there
      {"the book of serial numbers",
       [](const fs::path& f) {
         SqliteSerialStore book(f);
         ASSERT_TRUE(book.createMissingLists());
       },
       "это не файл истории Tallowick"},
#endif
      {"another program's database",
       [](const fs::path& f) { execSql(f, "CREATE TABLE run (id INTEGER PRIMARY KEY)"); },
       "это не файл истории Tallowick"},
      {"a history of a newer format",
       [&](const fs::path& f) {
         fs::copy_file(good, f);
         execSql(f, ("PRAGMA user_version = " + std::to_string(Store::kSchemaVersion + 1)).c_str());
       },
       "неизвестная версия формата"},
      {"a history without its log table",
       [&](const fs::path& f) {
         fs::copy_file(good, f);
         execSql(f, "DROP TABLE run_log");
       },
       "нет таблиц истории"},
      {"a history cut short",
       [&](const fs::path& f) { writeFile(f, history.substr(0, history.size() - 1000)); },
       "файл обрезан"},
      {"a history whose pages after the first are overwritten",
       [&](const fs::path& f) {
         std::string bytes = history;
         for (std::size_t i = 4096; i < bytes.size(); ++i)
           bytes[i] = static_cast<char>(i * 7 + 3);
         writeFile(f, bytes);
       },
       ""},
  };
  for (const Case& c : cases) {
    const fs::path file = dir.path / "case" / "history.sqlite3";
    fs::remove_all(file.parent_path());
    fs::create_directories(file.parent_path());
    c.make(file);
    const std::string before = readFile(file);
    const auto entries = entriesOf(file.parent_path());

    auto store = std::make_unique<Store>(file, StoreOptions{.busyTimeoutMs = 0});
    auto listed = store->list({});
    auto appended = store->append(sampleRecord(1));
    auto again = store->append(sampleRecord(2));
    store.reset();
    ASSERT_FALSE(appended) << c.what;
    ASSERT_FALSE(again) << c.what;
    EXPECT_EQ(appended.error().kind, StoreErrorKind::Damaged) << c.what;
    EXPECT_TRUE(appended.error().message.starts_with("Файл истории повреждён и не будет изменён: " +
                                                     file.string()))
        << c.what << ": " << appended.error().message;
    EXPECT_NE(appended.error().message.find(c.detail), std::string::npos)
        << c.what << ": " << appended.error().message;
    if (std::string_view(c.what).find("overwritten") == std::string_view::npos) {
      EXPECT_FALSE(listed) << c.what;
    }
    EXPECT_EQ(readFile(file), before) << c.what;
    EXPECT_EQ(entriesOf(file.parent_path()), entries) << c.what;
  }
}

TEST(HistoryStore, ARecordWithTextThatIsNotUtf8IsRefusedAndNothingChanges) {
  TempDir dir;
  const fs::path file = dir.path / "history.sqlite3";
  Store store(file);
  ASSERT_TRUE(store.append(sampleRecord(0)));
  const std::string before = readFile(file);
  const std::pair<const char*, std::function<void(Record&)>> cases[] = {
      {"поле port", [](Record& r) { r.port = "COM\xFF"; }},
      {"строка 3 журнала", [](Record& r) { r.log[2] = "\xD0"; }},
      {"шаг 2", [](Record& r) { r.steps[1].message = "\xED\xA0\x80"; }},  // a surrogate
  };
  for (const auto& [field, spoil] : cases) {
    Record r = sampleRecord(1);
    spoil(r);
    auto appended = store.append(r);
    ASSERT_FALSE(appended) << field;
    EXPECT_EQ(appended.error().message, std::string("Запись не добавлена в историю: ") + field +
                                            " содержит текст не в кодировке UTF-8.");
  }
  EXPECT_EQ(readFile(file), before);
  EXPECT_EQ(store.list({}).value().size(), 1u);
}

TEST(HistoryStore, AFileHeldByAnotherProgramIsReportedAsBusyAndThenWritten) {
  TempDir dir;
  const fs::path file = dir.path / "history.sqlite3";
  Store store(file, {.busyTimeoutMs = 0});
  ASSERT_TRUE(store.append(sampleRecord(0)));
  sqlite3* other = nullptr;
  sqlite3_open(file.string().c_str(), &other);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  auto busy = store.append(sampleRecord(1));
  ASSERT_FALSE(busy);
  EXPECT_EQ(busy.error().kind, StoreErrorKind::Locked);
  EXPECT_TRUE(busy.error().message.starts_with("Файл истории занят другой программой: "));
  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  ASSERT_TRUE(store.append(sampleRecord(1)));
  EXPECT_EQ(store.list({}).value().size(), 2u);
}

// Every run ends in the journal; a history that cannot be written is told to the first run
// that ends after the failure, and to nobody after it, whatever the reason.
TEST(Journal, TellsOfAFailureOnceAndChangesNoRecordThatWasWritten) {
  TempDir dir;
  const fs::path damaged = dir.path / "damaged.sqlite3";
  writeFile(damaged, "not a history");
  const StoreResult<fs::path> places[] = {
      damaged, StoreError{StoreErrorKind::Unavailable, "Не удалось определить папку."}};
  for (const auto& place : places) {
    Journal journal(place, [] { return WallTime{kDay, 120}; });
    VirtualClock clock;
    const RunOutcome outcome{.end = RunEnd::Finished};
    auto first = journal.begin(Kind::TestRun, "sim", clock);
    auto second = journal.begin(Kind::Initialisation, "sim:KM-15", clock);
    const auto told = first->endTestRun(outcome, "1", "0", {"строка"});
    ASSERT_TRUE(told.has_value());
    EXPECT_TRUE(
        told->message.starts_with(place ? "Файл истории повреждён" : "Не удалось определить"))
        << told->message;
    EXPECT_EQ(second->endInitialisation(InitEnd::Finished, "ЕД80012345", {}), std::nullopt);
  }
  EXPECT_EQ(readFile(damaged), "not a history");

  // A journal that can write keeps each run's record, the computer and the user with it.
  Journal journal(dir.path / "history.sqlite3", [] { return WallTime{kDay, 120}; });
  VirtualClock clock;
  auto run = journal.begin(Kind::TestRun, "COM3", clock);
  clock.advance(std::chrono::seconds(5));
  EXPECT_EQ(run->endTestRun(RunOutcome{.end = RunEnd::Stopped}, "2", "100", {"a", "b"}),
            std::nullopt);
  const auto records = journal.store()->list({}, Detail::Full);
  ASSERT_TRUE(records);
  ASSERT_EQ(records.value().size(), 1u);
  const Record& r = records.value().front();
  EXPECT_EQ(r.port, "COM3");
  EXPECT_EQ(r.outcome, Outcome::Stopped);
  EXPECT_EQ(r.durationMs, 5000);
  EXPECT_EQ(r.startedAtMs, kDay);
  EXPECT_EQ(r.computer, platform::computerName());
  EXPECT_EQ(r.user, platform::userName());
  EXPECT_FALSE(r.user.empty());
  EXPECT_EQ(r.log, (std::vector<std::string>{"a", "b"}));
}

}  // namespace
}  // namespace tallowick::history
