// What the layers take from the system, on every platform: the local date and time of a
// wall time, the moment a local time names, the places of the station's files, the names
// of the computer and the user, a new file placed beside one that is there.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "platform/settings.h"
#include "platform/system.h"
#include "platform/wall_clock.h"
#include "platform/whole_file.h"
#include "support/temp_dir.h"

namespace tallowick::platform {
namespace {

namespace fs = std::filesystem;

TEST(WallClock, TheLocalTimeIsTheMomentMovedByItsOffset) {
  // 2026-12-07 07:05:30.250 UTC.
  constexpr std::int64_t kMoment = 1796627130250;
  const struct {
    std::int32_t offset;
    LocalDateTime local;
  } cases[] = {
      {0, {2026, 12, 7, 7, 5, 30}},       {120, {2026, 12, 7, 9, 5, 30}},
      {-480, {2026, 12, 6, 23, 5, 30}},                                      // the day before
      {17 * 60, {2026, 12, 8, 0, 5, 30}}, {330, {2026, 12, 7, 12, 35, 30}},  // a half hour
  };
  for (const auto& c : cases) {
    const LocalDateTime t = WallTime{kMoment, c.offset}.local();
    EXPECT_EQ(std::tie(t.year, t.month, t.day, t.hour, t.minute, t.second),
              std::tie(c.local.year, c.local.month, c.local.day, c.local.hour, c.local.minute,
                       c.local.second))
        << c.offset;
  }
}

TEST(WallClock, NowAndTheLocalTimeItNamesAgree) {
  const WallTime now = wallTimeNow();
  EXPECT_GT(now.ms, 1'700'000'000'000);
  EXPECT_LE(std::abs(now.utcOffsetMinutes), 14 * 60);
  // The local date and time of now, read back as a moment, is now to the second (outside
  // the hour a change of summer time repeats).
  const auto back = msOfLocalTime(now.local());
  ASSERT_TRUE(back);
  EXPECT_LE(std::abs(*back - now.ms), 3'600'000 + 1000);
}

TEST(WallClock, ADateThatDoesNotExistIsRefusedOrCarriedOver) {
  const struct {
    LocalDateTime t;
    bool exists;
  } cases[] = {
      {{2026, 2, 28, 0, 0, 0}, true},   {{2026, 2, 29, 0, 0, 0}, false},
      {{2028, 2, 29, 0, 0, 0}, true},   {{2026, 4, 31, 0, 0, 0}, false},
      {{2026, 12, 7, 24, 0, 0}, false}, {{2026, 12, 7, 23, 60, 0}, false},
      {{2026, 13, 1, 0, 0, 0}, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(msOfLocalTime(c.t).has_value(), c.exists) << c.t.month << "-" << c.t.day;
  }
  // Carried over, the day after 31 December is the first of January.
  const auto newYear = msOfLocalTime({2027, 1, 1, 0, 0, 0});
  EXPECT_EQ(msOfLocalTime({2026, 12, 32, 0, 0, 0}, false), newYear);
}

TEST(System, TheStationsFilesAreWhereTheirVariablesOrTheDataFolderSay) {
  const std::map<std::string, std::string> env{{"TALLOWICK_HISTORY", "named-history.sqlite3"},
                                               {"TALLOWICK_REGISTRY", ""}};
  const auto environment = [&](const char* name) -> std::optional<std::string> {
    const auto found = env.find(name);
    if (found == env.end()) return processEnvironment(name);
    return found->second;
  };
  const auto history = dataFile(DataFile::History, environment);
  ASSERT_TRUE(history);
  EXPECT_EQ(history.value(), fs::path("named-history.sqlite3"));
  // An empty variable names nothing: the book goes where the history would.
  const auto book = dataFile(DataFile::Book, environment);
  const auto usual = dataFile(DataFile::History, processEnvironment);
  if (book && usual && !processEnvironment("TALLOWICK_HISTORY")) {
    EXPECT_EQ(book.value().parent_path(), usual.value().parent_path());
    EXPECT_EQ(book.value().filename(), fs::path("registry.sqlite3"));
  }
}

TEST(System, TheComputerTheUserAndThisProcessAreKnown) {
  EXPECT_FALSE(computerName().empty());
  EXPECT_FALSE(userName().empty());
  EXPECT_FALSE(processGone(processId()));
}

// A new store's file is placed whole; a file already at the name, another writer's, is
// never replaced, and no temporary file stays behind.
TEST(WholeFile, ANewFileIsPlacedWholeAndNeverOverAnother) {
  const test::TempDir dir("tallowick-platform");
  const fs::path file = dir / "folder made for it" / "history.sqlite3";
  const auto read = [](const fs::path& f) {
    std::ifstream in(f, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  };
  EXPECT_EQ(writeWholeFile(file, "first", Placement::KeepExisting), std::nullopt);
  EXPECT_EQ(read(file), "first");
  EXPECT_EQ(writeWholeFile(file, "second", Placement::KeepExisting), std::nullopt);
  EXPECT_EQ(read(file), "first");
  std::vector<fs::path> entries;
  for (const auto& entry : fs::directory_iterator(file.parent_path()))
    entries.push_back(entry.path().filename());
  EXPECT_EQ(entries, std::vector<fs::path>{"history.sqlite3"});
  // A folder cannot be made where a file is: the failure says so and nothing is left.
  const auto refused = writeWholeFile(file / "history.sqlite3", "third", Placement::KeepExisting);
  ASSERT_TRUE(refused.has_value());
  EXPECT_TRUE(refused->message.starts_with("Невозможно записать файл ")) << refused->message;
  EXPECT_EQ(read(file), "first");
}

// The computer's settings in their file: set, read back, removed; a file that is not theirs
// is reported and never written over.
TEST(Settings, AreKeptWholeAndADamagedFileIsLeftAsItIs) {
  const test::TempDir dir("tallowick-platform");
  const fs::path file = dir / "settings.json";
  auto settings = fileSettings(file);
  EXPECT_EQ(settings->get(setting::kDatabase).value(), std::nullopt);
  EXPECT_FALSE(fs::exists(file));
  ASSERT_TRUE(settings->set(setting::kDatabase, "service=tallowick"));
  ASSERT_TRUE(settings->set(setting::kWorkshop, "Мастерская «Касса», Київ"));
  auto again = fileSettings(file);
  EXPECT_EQ(again->get(setting::kDatabase).value(), "service=tallowick");
  EXPECT_EQ(again->get(setting::kWorkshop).value(), "Мастерская «Касса», Київ");
  ASSERT_TRUE(again->set(setting::kDatabase, ""));
  EXPECT_EQ(fileSettings(file)->get(setting::kDatabase).value(), std::nullopt);

  for (const char* damaged : {"not json", "[1, 2]", "{\"database\": "}) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << damaged;
    auto broken = fileSettings(file);
    const auto read = broken->get(setting::kDatabase);
    ASSERT_FALSE(read) << damaged;
    EXPECT_EQ(read.error().kind, StoreErrorKind::Damaged);
    EXPECT_FALSE(broken->set(setting::kDatabase, "x"));
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), damaged);
  }
}

}  // namespace
}  // namespace tallowick::platform
