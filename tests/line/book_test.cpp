#include <gmock/gmock.h>

#include <latch>
#include <map>
#include <set>
#include <thread>

#include "initforms/serial_numbers.h"
#include "line_fixture.h"

namespace tallowick::line::test {
namespace {

using testing::ElementsAre;
using testing::HasSubstr;

class BookTest : public LineTest {
 protected:
  void SetUp() override {
    LineTest::SetUp();
    if (HasFatalFailure()) return;
    initialise();
    admin_ = connect(kPgAdmin);
    ASSERT_NE(admin_, nullptr);
  }

  Book admin() { return Book(*admin_); }

  // The book on a connection of station n's own, kept for the test; 0: the administrator's.
  Book station(int n) {
    auto& c = stations_[n];
    if (!c) c = n == 0 ? connect(kPgAdmin) : connect(pgStation(n));
    return Book(c ? *c : *admin_);
  }

  void addRange(const std::string& type, int from, int to) {
    auto added = admin().addRange(type, from, to);
    ASSERT_TRUE(added) << added.error().message;
  }

  // The number as the line has it: "state holder".
  std::string onLine(const std::string& number) {
    return ownerValue(
        "SELECT state || ' ' || coalesce(station, '') "
        "FROM tallowick.serial_number WHERE number = '" +
        number + "'");
  }

  // The taken numbers and their stations.
  std::map<std::string, std::string> holders() {
    std::map<std::string, std::string> held;
    auto rows =
        admin_->query("SELECT number, station FROM tallowick.serial_number WHERE state = 'taken'");
    EXPECT_TRUE(rows) << rows.error().message;
    for (int i = 0; rows && i < rows.value().size(); ++i)
      held[rows.value().text(i, 0)] = rows.value().text(i, 1);
    return held;
  }

  std::unique_ptr<Connection> admin_;
  std::map<int, std::unique_ptr<Connection>> stations_;
};

std::string serial(int n) {
  return formatSerialNumber("ЕД800", n);
}

// Eight stations on connections of their own, started together, each taking 200 numbers:
// every number goes to one station, and the line names that station as its holder.
TEST_F(BookTest, EightStationsTakingAtOnceNeverGetTheSameNumber) {
  constexpr int kStations = 8;
  constexpr int kTakes = 200;
  addRange("ЕД800", 0, kStations * kTakes - 1);
  for (const bool next : {true, false}) {
    SCOPED_TRACE(next ? "takeNext" : "take");
    if (!next) {
      // The same numbers again, for a race of takes of named numbers.
      asOwner("UPDATE tallowick.serial_number SET state = 'free', station = NULL");
    }
    std::vector<std::vector<std::string>> taken(kStations);
    std::vector<std::string> failures(kStations);
    std::latch start(kStations);
    std::vector<std::thread> threads;
    for (int s = 0; s < kStations; ++s) {
      threads.emplace_back([&, s] {
        const std::string station = pgStation(s + 1);
        auto c = Connection::open(database().conninfo(station));
        start.arrive_and_wait();
        if (!c) {
          failures[s] = c.error().message;
          return;
        }
        Book book(*c.value());
        for (int n = 0; n < kStations * kTakes && taken[s].size() < kTakes; ++n) {
          if (next) {
            auto number = book.takeNext(station, "ЕД800");
            if (!number) {
              failures[s] = number.error().message;
              return;
            }
            taken[s].push_back(number.value());
          } else if (auto done = book.take(station, serial(n)); done) {
            taken[s].push_back(serial(n));
          } else if (done.error().kind != StoreErrorKind::Conflict) {
            failures[s] = done.error().message;
            return;
          }
        }
      });
    }
    for (std::thread& t : threads)
      t.join();
    std::set<std::string> distinct;
    std::size_t total = 0;
    for (int s = 0; s < kStations; ++s) {
      EXPECT_EQ(failures[s], "");
      total += taken[s].size();
      distinct.insert(taken[s].begin(), taken[s].end());
    }
    EXPECT_EQ(total, std::size_t{kStations * kTakes});
    EXPECT_EQ(distinct.size(), std::size_t{kStations * kTakes});
    // Each station holds on the line exactly what it was told it took.
    const std::map<std::string, std::string> held = holders();
    std::size_t misplaced = distinct.size() == held.size() ? 0 : 1;
    for (int s = 0; s < kStations; ++s) {
      for (const std::string& number : taken[s]) {
        const auto found = held.find(number);
        misplaced += found == held.end() || found->second != pgStation(s + 1) ? 1 : 0;
      }
    }
    EXPECT_EQ(misplaced, 0u);
  }
}

enum class Op { Take, MarkUsed, Confirm, Release };

TEST_F(BookTest, ANumberIsTakenByOneStationAndUsedForGood) {
  addRange("ЕД800", 1, 3);
  struct Step {
    int station;  // 0: the administrator
    Op op;
    std::string number;
    const char* conflict;  // a part of the message; nothing: done
    StoreErrorKind kind = StoreErrorKind::Conflict;
  };
  const Step steps[] = {
      {1, Op::Take, serial(1), nullptr},
      {1, Op::Take, serial(1), nullptr},  // again: harmless
      {2, Op::Take, serial(1), "не выдан станции «station2»: он взят станцией «station1»"},
      {2, Op::MarkUsed, serial(1), "станция «station2» его не брала, он взят станцией «station1»"},
      {1, Op::MarkUsed, serial(1), nullptr},
      {1, Op::MarkUsed, serial(1), nullptr},  // again: harmless
      {1, Op::Take, serial(1), "он уже записан в регистратор станцией «station1»"},
      {2, Op::Take, serial(1), "он уже записан в регистратор станцией «station1»"},
      {1, Op::Confirm, serial(1), nullptr},
      {2, Op::Confirm, serial(2), "Ответ о номере ЕД80000002 не сохранён"},
      {2, Op::MarkUsed, serial(2), "станция «station2» его не брала, он свободен"},
      {1, Op::Take, serial(9), "Номера ЕД80000009 нет в книге линии."},
      {1, Op::Take, "ЕД8000001", "Номера ЕД8000001 нет в книге линии."},
      {1, Op::Take, "ЪЪ80000001", "нет в книге линии"},
      {0, Op::Release, serial(2), "он и так свободен"},
      {0, Op::Release, serial(9), "нет в книге линии"},
      {0, Op::Release, serial(1), nullptr},
      {2, Op::Take, serial(1), nullptr},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(std::to_string(step.station) + " " + step.number);
    Book book = station(step.station);
    const std::string station = pgStation(step.station);
    StoreStatus done;
    switch (step.op) {
      case Op::Take:
        done = book.take(station, step.number);
        break;
      case Op::MarkUsed:
        done = book.markUsed(station, step.number);
        break;
      case Op::Confirm:
        done = book.confirm(station, step.number, false);
        break;
      case Op::Release:
        done = book.release(step.number, "регистратор не принял номер");
        break;
    }
    if (!step.conflict) {
      EXPECT_TRUE(done) << done.error().message;
      continue;
    }
    ASSERT_FALSE(done);
    EXPECT_EQ(done.error().kind, step.kind);
    EXPECT_THAT(done.error().message, HasSubstr(step.conflict));
  }
  EXPECT_EQ(onLine(serial(1)), "taken station2");
  EXPECT_EQ(ownerValue("SELECT previous_state || ' ' || previous_station || ' ' || "
                       "previous_confirmed || ' ' || reason || ' ' || released_by "
                       "FROM tallowick.release_audit"),
            "used station1 false регистратор не принял номер line_admin");
  EXPECT_EQ(ownerValue("SELECT string_agg(event || ':' || coalesce(station, '-') || ':' || "
                       "db_user, ' ' ORDER BY id) FROM tallowick.event "
                       "WHERE number = 'ЕД80000001'"),
            "add:-:line_admin take:station1:station1 take:station1:station1 "
            "use:station1:station1 confirm_wrong:station1:station1 "
            "release:station1:line_admin take:station2:station2");
}

TEST_F(BookTest, AReleaseNeedsAReasonAndTheAdministratorsRight) {
  addRange("ЕД800", 1, 1);
  ASSERT_TRUE(admin().take(pgStation(1), serial(1)));
  for (const char* reason : {"", "  \t"}) {
    const auto done = admin().release(serial(1), reason);
    ASSERT_FALSE(done);
    EXPECT_EQ(done.error().kind, StoreErrorKind::Failed);
    EXPECT_THAT(done.error().message, HasSubstr("нужно указать причину"));
  }
  EXPECT_EQ(onLine(serial(1)), "taken station1");
}

TEST_F(BookTest, TakeNextTakesTheStationsBlockFirstThenTheLowestFree) {
  addRange("ЕД800", 10, 19);
  addRange("ДЩ200", 1, 2);
  Book one = station(1);
  Book two = station(2);

  auto block = two.reserveBlock(pgStation(2), "ЕД800", 3);
  ASSERT_TRUE(block) << block.error().message;
  EXPECT_THAT(block.value(), ElementsAre(serial(10), serial(11), serial(12)));
  // Topped up, never given back.
  EXPECT_THAT(two.reserveBlock(pgStation(2), "ЕД800", 2).value(),
              ElementsAre(serial(10), serial(11), serial(12)));
  EXPECT_THAT(one.reserveBlock(pgStation(1), "Veltor FP-510T Украина", 2).value(),
              ElementsAre(serial(13), serial(14)));

  const auto take = [](Book& book, int station, const char* type) {
    auto number = book.takeNext(pgStation(station), type);
    return number ? number.value() : number.error().message;
  };
  EXPECT_EQ(take(two, 2, "ЕД800"), serial(10));
  EXPECT_EQ(take(one, 1, "ЕД800"), serial(13));
  EXPECT_EQ(take(one, 1, "ЕД800"), serial(14));
  EXPECT_EQ(take(one, 1, "ЕД800"), serial(15));  // its block is empty: the lowest free
  EXPECT_EQ(take(two, 2, "ЕД800"), serial(11));
  EXPECT_EQ(take(one, 1, "ДЩ200"), "ДЩ20000001");
  EXPECT_EQ(take(one, 1, "ДЩ200"), "ДЩ20000002");
  EXPECT_EQ(take(one, 1, "ДЩ200"), "Нет свободных номеров ДЩ200… в книге линии.");
  // Another station's block is not free to take.
  const auto taken = one.take(pgStation(1), serial(12));
  ASSERT_FALSE(taken);
  EXPECT_THAT(taken.error().message, HasSubstr("в резерве станции «station2»"));

  const auto refused = one.takeNext(pgStation(1), "ЖЖ999");
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error().kind, StoreErrorKind::Failed);
  EXPECT_THAT(refused.error().message, HasSubstr("не известен книге"));
  for (const int size : {-1, 1001}) {
    const auto bad = one.reserveBlock(pgStation(1), "ЕД800", size);
    ASSERT_FALSE(bad);
    EXPECT_THAT(bad.error().message, HasSubstr("от 0 до 1000"));
  }
  for (const char* station : {"", " ", "a\tb"}) {
    const auto bad = one.takeNext(station, "ЕД800");
    ASSERT_FALSE(bad);
    EXPECT_THAT(bad.error().message, HasSubstr("Имя станции"));
  }
}

TEST_F(BookTest, NumbersUsedWhileTheServerWasAwayAreReportedAndConflictsComeBack) {
  addRange("ЕД800", 1, 6);
  Book one = station(1);
  Book two = station(2);
  ASSERT_TRUE(one.reserveBlock(pgStation(1), "ЕД800", 3));  // 1, 2, 3
  ASSERT_TRUE(two.reserveBlock(pgStation(2), "ЕД800", 1));  // 4
  // The administrator released station1's number 3, and station2 used it meanwhile.
  ASSERT_TRUE(admin().release(serial(3), "резерв станции 1 отозван"));
  ASSERT_TRUE(two.take(pgStation(2), serial(3)));
  ASSERT_TRUE(two.markUsed(pgStation(2), serial(3)));

  const std::vector<UsedNumber> used = {
      {serial(1), 1'800'000'000'000}, {serial(2), 1'800'000'060'000},
      {serial(3), 1'800'000'120'000}, {serial(4), 1'800'000'180'000},
      {serial(9), 1'800'000'240'000}, {"не номер", 1'800'000'300'000}};
  for (int time = 0; time < 2; ++time) {
    SCOPED_TRACE(time);
    auto conflicts = one.reportUsed(pgStation(1), used);
    ASSERT_TRUE(conflicts) << conflicts.error().message;
    ASSERT_EQ(conflicts.value().size(), 4u);
    const NumberConflict& duplicate = conflicts.value()[1];
    EXPECT_EQ(duplicate.number, serial(3));
    EXPECT_EQ(duplicate.state, NumberState::Used);
    EXPECT_EQ(duplicate.holder, pgStation(2));
    EXPECT_EQ(duplicate.message,
              "Номер ЕД80000003, записанный станцией «station1» без связи с сервером, на линии "
              "уже записан в регистратор станцией «station2».");
    EXPECT_EQ(conflicts.value()[2].state, NumberState::Reserved);
    EXPECT_EQ(conflicts.value()[3].number, serial(9));
    EXPECT_EQ(conflicts.value()[0].number, "не номер");
  }
  EXPECT_EQ(onLine(serial(1)), "used station1");
  EXPECT_EQ(onLine(serial(2)), "used station1");
  EXPECT_EQ(onLine(serial(4)), "reserved station2");
  EXPECT_EQ(ownerValue("SELECT (extract(epoch FROM used_at) * 1000)::bigint "
                       "FROM tallowick.serial_number WHERE number = 'ЕД80000002'"),
            "1800000060000");
  EXPECT_EQ(ownerValue("SELECT count(*) FROM tallowick.event WHERE event = 'use_offline'"), "2");
  EXPECT_EQ(ownerValue("SELECT count(*) FROM tallowick.event "
                       "WHERE event = 'use_offline_conflict'"),
            "6");
}

TEST_F(BookTest, ListsShowTheFreeAndOwnNumbersToInitialiseAndTheUsedOnes) {
  addRange("ЕД800", 1, 4);
  addRange("DH210", 1, 1);
  Book one = station(1);
  Book two = station(2);
  ASSERT_TRUE(one.reserveBlock(pgStation(1), "ЕД800", 1));  // 1
  ASSERT_TRUE(two.reserveBlock(pgStation(2), "ЕД800", 1));  // 2
  ASSERT_TRUE(two.take(pgStation(2), serial(3)));
  ASSERT_TRUE(two.take(pgStation(2), "DH21000001"));
  ASSERT_TRUE(two.markUsed(pgStation(2), "DH21000001"));

  auto lists = one.lists(pgStation(1));
  ASSERT_TRUE(lists) << lists.error().message;
  EXPECT_THAT(lists.value().toInitialise, ElementsAre(serial(1), serial(4)));
  EXPECT_THAT(lists.value().initialised, ElementsAre("DH21000001"));
  EXPECT_THAT(lists.value().counts,
              ElementsAre(TypeCounts{"ЕД800", 1, 1, 1, 1, 0}, TypeCounts{"DH210", 0, 0, 0, 0, 1}));
}

TEST_F(BookTest, ARangeAddsOnlyWhatTheBookLacks) {
  addRange("ЕД800", 3, 4);
  ASSERT_TRUE(admin().take(pgStation(1), serial(4)));
  auto added = admin().addRange("ЕД800", 1, 5);
  ASSERT_TRUE(added) << added.error().message;
  EXPECT_EQ(added.value().added, 3u);
  EXPECT_THAT(added.value().existing, ElementsAre(serial(3), serial(4)));
  EXPECT_EQ(onLine(serial(4)), "taken station1");

  struct Bad {
    const char* type;
    int from;
    int to;
    const char* words;
  };
  for (const Bad& bad : {Bad{"ЕД800", 5, 4, "Некорректные границы диапазона!"},
                         Bad{"ЕД800", -1, 4, "Некорректные границы диапазона!"},
                         Bad{"ЕД800", 0, 100000, "Некорректные границы диапазона!"},
                         Bad{"ЕД", 1, 2, "не известен книге"}}) {
    const auto refused = admin().addRange(bad.type, bad.from, bad.to);
    ASSERT_FALSE(refused);
    EXPECT_THAT(refused.error().message, HasSubstr(bad.words));
  }
}

TEST_F(BookTest, AStationsOwnBookJoinsTheLineAndOverlapsAreReported) {
  addRange("ЕД800", 1, 9);
  Book two = station(2);
  ASSERT_TRUE(two.take(pgStation(2), serial(3)));
  ASSERT_TRUE(two.take(pgStation(2), serial(4)));
  ASSERT_TRUE(two.markUsed(pgStation(2), serial(4)));
  ASSERT_TRUE(admin().take(pgStation(1), serial(5)));

  const SerialLists local{
      .shouldInit = {serial(1), serial(4), serial(20), "ЕД8001234"},
      .alreadyInit = {serial(2), serial(3), serial(5), serial(21), serial(4)},
  };
  auto report = importBook(*admin_, local, pgStation(1));
  ASSERT_TRUE(report) << report.error().message;
  const ImportReport& r = report.value();
  EXPECT_EQ(r.added, 1u);       // 20
  EXPECT_EQ(r.addedUsed, 1u);   // 21
  EXPECT_EQ(r.markedUsed, 2u);  // 2 (free), 5 (taken by station1)
  EXPECT_EQ(r.unchanged, 1u);   // 1
  EXPECT_THAT(r.refused, ElementsAre("ЕД8001234"));
  ASSERT_EQ(r.toInitialiseConflicts.size(), 1u);
  EXPECT_EQ(r.toInitialiseConflicts[0].message,
            "Номер ЕД80000004 из списка «К инициализации» на линии уже записан в регистратор "
            "станцией «station2»; он оставлен как есть.");
  ASSERT_EQ(r.initialisedConflicts.size(), 2u);
  EXPECT_EQ(r.initialisedConflicts[0].number, serial(3));
  EXPECT_EQ(r.initialisedConflicts[0].state, NumberState::Taken);
  EXPECT_EQ(r.initialisedConflicts[1].number, serial(4));

  EXPECT_EQ(onLine(serial(3)), "taken station2");
  EXPECT_EQ(onLine(serial(4)), "used station2");
  EXPECT_EQ(onLine(serial(20)), "free ");
  EXPECT_EQ(onLine(serial(21)), "used station1");
  EXPECT_EQ(onLine(serial(2)), "used station1");
  EXPECT_EQ(onLine(serial(5)), "used station1");

  // Again: nothing new, the same conflicts.
  auto again = importBook(*admin_, local, pgStation(1));
  ASSERT_TRUE(again);
  EXPECT_EQ(again.value().unchanged, 5u);
  EXPECT_EQ(again.value().initialisedConflicts.size(), 2u);
}

}  // namespace
}  // namespace tallowick::line::test
