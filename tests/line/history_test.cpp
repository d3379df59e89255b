#include <gmock/gmock.h>

#include <algorithm>
#include <cstdio>
#include <thread>

#include "history/records.h"
#include "line_fixture.h"

namespace tallowick::line::test {
namespace {

using history::Detail;
using history::Filter;
using history::Kind;
using history::Outcome;
using history::Record;
using testing::HasSubstr;

std::string uidOf(int n) {
  char text[40];
  std::snprintf(text, sizeof text, "6f1c2a3b-0000-4000-8000-%012d", n);
  return text;
}

// Record n of a series, made on one of three stations.
Record lineRecord(int n) {
  Record r = history::test::sampleRecord(n);
  r.uid = uidOf(n);
  r.station = pgStation(1 + n % 3);
  return r;
}

std::vector<Record> lineRecords(int count) {
  std::vector<Record> records;
  for (int n = 0; n < count; ++n)
    records.push_back(lineRecord(n));
  return records;
}

class HistoryTest : public LineTest {
 protected:
  void SetUp() override {
    LineTest::SetUp();
    if (HasFatalFailure()) return;
    initialise();
    station_ = connect(pgStation(1));
    ASSERT_NE(station_, nullptr);
  }

  std::size_t held() { return std::stoul(ownerValue("SELECT count(*) FROM tallowick.run")); }

  std::unique_ptr<Connection> station_;
};

TEST_F(HistoryTest, ForwardingTwiceHoldsEveryRecordOnceAndWhole) {
  const std::vector<Record> records = lineRecords(30);
  auto first = forward(*station_, records);
  ASSERT_TRUE(first) << first.error().message;
  EXPECT_EQ(first.value(), 30u);
  auto second = forward(*station_, records);
  ASSERT_TRUE(second) << second.error().message;
  EXPECT_EQ(second.value(), 0u);
  // Half of them again, with ten new ones and one given twice in the same call.
  std::vector<Record> more(records.begin() + 15, records.end());
  for (int n = 30; n < 40; ++n)
    more.push_back(lineRecord(n));
  more.push_back(lineRecord(35));
  auto third = forward(*station_, more);
  ASSERT_TRUE(third) << third.error().message;
  EXPECT_EQ(third.value(), 10u);
  EXPECT_EQ(held(), 40u);
  EXPECT_EQ(ownerValue("SELECT count(*) FROM tallowick.run_detail"), "40");
  EXPECT_EQ(ownerValue("SELECT sum(jsonb_array_length(steps)) FROM tallowick.run_detail"), "80");
  EXPECT_EQ(ownerValue("SELECT DISTINCT forwarded_by FROM tallowick.run"), "station1");

  auto listed = list(*station_, Filter{.limit = 0}, Detail::Full);
  ASSERT_TRUE(listed) << listed.error().message;
  ASSERT_EQ(listed.value().size(), 40u);
  for (Record r : listed.value()) {
    const int n = std::stoi(r.uid.substr(24));
    EXPECT_GT(r.id, 0);
    r.id = 0;
    EXPECT_EQ(r, lineRecord(n)) << n;
  }
}

TEST_F(HistoryTest, TwoStationsForwardingTheSameRecordsAtOnceAddEachOnce) {
  const std::vector<Record> records = lineRecords(400);
  auto other = connect(pgStation(2));
  ASSERT_NE(other, nullptr);
  std::size_t added[2] = {0, 0};
  std::thread second([&] {
    auto done = forward(*other, records);
    if (done) added[1] = done.value();
  });
  auto done = forward(*station_, records);
  second.join();
  ASSERT_TRUE(done) << done.error().message;
  added[0] = done.value();
  EXPECT_EQ(added[0] + added[1], 400u);
  EXPECT_EQ(held(), 400u);
}

TEST_F(HistoryTest, ARecordTheLineCannotHoldIsRefusedBeforeAnythingIsSent) {
  struct Case {
    const char* name;
    void (*spoil)(Record&);
    const char* words;
  };
  const Case cases[] = {
      {"no identity", [](Record& r) { r.uid.clear(); }, "нет опознавательного номера"},
      {"not an identity", [](Record& r) { r.uid = "6f1c2a3b-0000-4000-8000-00000000000g"; },
       "нет опознавательного номера"},
      {"not UTF-8", [](Record& r) { r.port = "COM\xff"; }, "поле port"},
      {"a NUL", [](Record& r) { r.log.push_back(std::string("a\0b", 3)); }, "строка 7 журнала"},
      {"a NUL in a step", [](Record& r) { r.steps[1].message = std::string("\0", 1); }, "шаг 2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Record> records = lineRecords(3);
    c.spoil(records[2]);
    const auto why = unforwardable(records[2]);
    ASSERT_TRUE(why);
    EXPECT_THAT(*why, HasSubstr(c.words));
    const auto done = forward(*station_, records);
    ASSERT_FALSE(done);
    EXPECT_EQ(done.error().message, *why);
    EXPECT_EQ(held(), 0u);
  }
}

// The figures' facts too, with the first titled step that failed read from the steps.
TEST_F(HistoryTest, ListsAndFactsSelectAsTheStationsOwnHistoryDoes) {
  ASSERT_TRUE(forward(*station_, lineRecords(30)));
  const std::int64_t day = history::test::kDay;
  struct Case {
    const char* name;
    Filter filter;
    std::vector<int> records;  // newest first
  };
  const Case cases[] = {
      {"newest", Filter{.limit = 3}, {29, 28, 27}},
      {"station", Filter{.station = pgStation(3), .limit = 4}, {29, 26, 23, 20}},
      {"serial number", Filter{.serialNumber = "ЕД80010002", .limit = 0}, {23, 16, 9, 2}},
      {"part of a serial number", Filter{.serialPart = "10002", .limit = 0}, {23, 16, 9, 2}},
      {"part with LIKE's wildcards", Filter{.serialPart = "ЕД%2", .limit = 0}, {}},
      {"part with a one-character wildcard", Filter{.serialPart = "1000_", .limit = 0}, {}},
      {"model and outcome",
       Filter{.model = "Veltor KM-15", .outcome = Outcome::Finished, .limit = 0},
       {24, 18, 12, 6, 0}},
      {"kind", Filter{.kind = Kind::Initialisation, .limit = 2}, {29, 24}},
      {"times", Filter{.fromMs = day + 5 * 60'000, .untilMs = day + 8 * 60'000}, {7, 6, 5}},
      {"nothing", Filter{.station = "station9"}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto listed = list(*station_, c.filter);
    ASSERT_TRUE(listed) << listed.error().message;
    std::vector<int> found;
    for (const Record& r : listed.value()) {
      found.push_back(std::stoi(r.uid.substr(24)));
      EXPECT_TRUE(r.log.empty() && r.steps.empty());
    }
    EXPECT_EQ(found, c.records);
    auto whole = list(*station_, c.filter, Detail::Full);
    auto read = facts(*station_, c.filter);
    ASSERT_TRUE(whole && read) << read.error().message;
    ASSERT_EQ(read.value().size(), whole.value().size());
    for (std::size_t i = 0; i < read.value().size(); ++i)
      EXPECT_EQ(read.value()[i], history::factsOf(whole.value()[i])) << i;
  }
  // sampleRecord: two in three aborted at the X-report.
  auto read = facts(*station_, Filter{.limit = 0});
  ASSERT_TRUE(read);
  EXPECT_EQ(std::count_if(read.value().begin(), read.value().end(),
                          [](const history::RunFacts& f) { return f.failedStep == "X-отчет"; }),
            20);
}

TEST_F(HistoryTest, FindGivesOneWholeRecordOrNothing) {
  ASSERT_TRUE(forward(*station_, lineRecords(3)));
  auto newest = list(*station_, Filter{.limit = 1});
  ASSERT_TRUE(newest);
  ASSERT_EQ(newest.value().size(), 1u);
  auto found = find(*station_, newest.value()[0].id);
  ASSERT_TRUE(found) << found.error().message;
  ASSERT_TRUE(found.value());
  Record r = *found.value();
  r.id = 0;
  EXPECT_EQ(r, lineRecord(2));
  auto missing = find(*station_, newest.value()[0].id + 1000);
  ASSERT_TRUE(missing);
  EXPECT_FALSE(missing.value());
}

}  // namespace
}  // namespace tallowick::line::test
