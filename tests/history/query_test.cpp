// The rules of the history's filters, read alike for the window and the command line, and
// the queries that never make a history by looking at one.
#include "history/query.h"

#include <gtest/gtest.h>

#include "history/records.h"
#include "platform/wall_clock.h"

namespace tallowick::history {
namespace {

using namespace test;

std::int64_t localMs(int year, int month, int day, int hour = 0, int minute = 0) {
  return *platform::msOfLocalTime({year, month, day, hour, minute, 0});
}

TEST(Query, DatesAreReadInTheirFormAndEndAtTheEndOfTheirDayOrMinute) {
  const struct {
    const char* from;
    const char* until;
    DateForm form;
    std::optional<std::int64_t> fromMs;
    std::optional<std::int64_t> untilMs;
  } cases[] = {
      {"2026-12-07", "2026-12-07", DateForm::Iso, localMs(2026, 12, 7), localMs(2026, 12, 8)},
      {"2026-12-07 09:05", "2026-12-07 09:59", DateForm::Iso, localMs(2026, 12, 7, 9, 5),
       localMs(2026, 12, 7, 10, 0)},
      {"2026-12-31", "2026-12-31 23:59", DateForm::Iso, localMs(2026, 12, 31), localMs(2027, 1, 1)},
      {"07.12.2026", "31.12.2026", DateForm::Workshop, localMs(2026, 12, 7), localMs(2027, 1, 1)},
      {"28.02.2026", "", DateForm::Workshop, localMs(2026, 2, 28), std::nullopt},
  };
  for (const auto& c : cases) {
    const auto read = readFilter({.from = c.from, .until = c.until}, c.form, 100);
    ASSERT_TRUE(std::holds_alternative<Filter>(read)) << c.from;
    const Filter& f = std::get<Filter>(read);
    EXPECT_EQ(f.fromMs, c.fromMs) << c.from;
    EXPECT_EQ(f.untilMs, c.untilMs) << c.until;
    EXPECT_EQ(f.limit, 100u);
  }
}

TEST(Query, AnEntryThatCannotBeUsedIsNamed) {
  const struct {
    FilterEntries entries;
    DateForm form;
    FilterField field;
  } cases[] = {
      {{.from = "07.12.2026"}, DateForm::Iso, FilterField::From},
      {{.from = "2026-12-07"}, DateForm::Workshop, FilterField::From},
      {{.from = "2026-02-29"}, DateForm::Iso, FilterField::From},
      {{.until = "31.04.2026"}, DateForm::Workshop, FilterField::Until},
      {{.until = "7.12.2026"}, DateForm::Workshop, FilterField::Until},
      {{.until = "2026-12-07 24:00"}, DateForm::Iso, FilterField::Until},
      {{.until = "2026-12-07T09:00"}, DateForm::Iso, FilterField::Until},
      {{.outcome = "passed"}, DateForm::Iso, FilterField::Outcome},
      {{.kind = "zreport"}, DateForm::Iso, FilterField::Kind},
      {{.limit = "-1"}, DateForm::Iso, FilterField::Limit},
      {{.limit = "10 "}, DateForm::Iso, FilterField::Limit},
  };
  for (const auto& c : cases) {
    const auto read = readFilter(c.entries, c.form, 100);
    ASSERT_TRUE(std::holds_alternative<FilterRefusal>(read));
    EXPECT_EQ(std::get<FilterRefusal>(read).field, c.field);
  }
  const auto all = readFilter({.model = "Veltor KM-15",
                               .serialNumber = "ЕД80012345",
                               .serialPart = "123",
                               .station = "line-2",
                               .outcome = "aborted",
                               .kind = "init",
                               .limit = "0"},
                              DateForm::Iso, 100);
  const Filter& f = std::get<Filter>(all);
  EXPECT_EQ(f.model, "Veltor KM-15");
  EXPECT_EQ(f.serialNumber, "ЕД80012345");
  EXPECT_EQ(f.serialPart, "123");
  EXPECT_EQ(f.station, "line-2");
  EXPECT_EQ(f.outcome, Outcome::Aborted);
  EXPECT_EQ(f.kind, Kind::Initialisation);
  EXPECT_EQ(f.limit, 0u);
  EXPECT_TRUE(endsBeforeItBegins(std::get<Filter>(
      readFilter({.from = "08.12.2026", .until = "07.12.2026"}, DateForm::Workshop, 1))));
}

// The station's records that wait for the line are chosen by the filter as the line's are.
TEST(Query, ASerialNumbersPartIsFoundAnywhereInIt) {
  Record r;
  r.serialNumber = "ЕД80010512";
  const struct {
    Filter filter;
    bool selected;
  } cases[] = {
      {{.serialPart = "105"}, true},
      {{.serialPart = "ЕД8"}, true},
      {{.serialPart = "0512"}, true},
      {{.serialPart = "ЕД80010512"}, true},
      {{.serialPart = "1052"}, false},
      {{.serialPart = "ед8"}, false},
      {{.serialNumber = "105"}, false},
      {{.serialNumber = "ЕД80010512", .serialPart = "51"}, true},
      {{.serialPart = "ЕД800105120"}, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(selects(c.filter, r), c.selected)
        << c.filter.serialNumber.value_or("") << " / " << c.filter.serialPart.value_or("");
}

// Looking at a history that was never written finds nothing and makes no file; an export of
// it writes an empty selection; no place for a history is told as it was found.
TEST(Query, AHistoryNeverWrittenReadsAsEmptyAndIsNotMade) {
  TempDir dir;
  Store store(dir.path / "history.sqlite3");
  Query query(&store, "");
  EXPECT_TRUE(query.list({}).value().empty());
  EXPECT_FALSE(query.find(1).value().has_value());
  const auto exported = query.exportTo(Format::Json, Filter{}, (dir.path / "out.json").string());
  EXPECT_TRUE(exported) << exported.message;
  EXPECT_EQ(exported.records, 0u);
  EXPECT_FALSE(fs::exists(store.file()));

  Query nowhere(nullptr, "Не удалось определить папку.");
  const auto listed = nowhere.list({});
  ASSERT_FALSE(listed);
  EXPECT_EQ(listed.error().message, "Не удалось определить папку.");
  const auto failed = nowhere.exportTo(Format::Csv, Filter{}, (dir.path / "x.csv").string());
  EXPECT_EQ(failed.failure, ExportOutcome::Failure::History);
  EXPECT_FALSE(fs::exists(dir.path / "x.csv"));
}

TEST(Query, AnExportByIdsKeepsTheirOrderAndSkipsIdsThatAreGone) {
  TempDir dir;
  Store store(dir.path / "history.sqlite3");
  for (int n = 0; n < 4; ++n)
    ASSERT_TRUE(store.append(sampleRecord(n)));
  Query query(&store, "");
  std::ostringstream out;
  const auto written = query.exportTo(Format::Json, std::vector<std::int64_t>{3, 99, 1}, out);
  ASSERT_TRUE(written);
  EXPECT_EQ(written.value(), 2u);
  EXPECT_LT(out.str().find("\"id\": 3"), out.str().find("\"id\": 1")) << out.str();
  // A file that cannot be written is known before the history is read.
  const auto refused = query.exportTo(Format::Csv, Filter{}, dir.path.string());
  EXPECT_EQ(refused.failure, ExportOutcome::Failure::File);
}

}  // namespace
}  // namespace tallowick::history
