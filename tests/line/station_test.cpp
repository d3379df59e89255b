// A station of the line against a real server: its block kept up, numbers taken on the line
// and from the block while the line is away, what it used meanwhile reported once it is
// back, its records forwarded each once however often, and the line's history read with
// what still waits.
#include "line/station.h"

#include <gtest/gtest.h>

#include <set>

#include "history/journal.h"
#include "line/line_fixture.h"
#include "support/temp_dir.h"

namespace tallowick::line::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kType = "ЕД800";

// A station's own history in a folder of its own, and stations on it: on the line, and on a
// line that does not answer (a port nothing listens on).
class StationTest : public LineTest {
 protected:
  void SetUp() override {
    LineTest::SetUp();
    initialise();
    auto admin = connect(kPgAdmin);
    ASSERT_TRUE(admin);
    ASSERT_TRUE(Book(*admin).addRange(kType, 1, 100));
  }

  LineChoice choice(int block = 5) const {
    return {database().conninfo(pgStation(1)), "bench-1", block};
  }
  LineChoice away(int block = 5) const {
    return {"host=127.0.0.1 port=1 dbname=x user=station1 connect_timeout=2", "bench-1", block};
  }

  std::string stateOf(const std::string& number) {
    return ownerValue(
        "SELECT state || ' ' || coalesce(station, '') FROM "
        "tallowick.serial_number WHERE number = '" +
        number + "'");
  }

  tallowick::test::TempDir dir{"tallowick-station"};
  history::Store local{dir / "history.sqlite3"};
};

TEST_F(StationTest, TakesOnTheLineAndKeepsItsBlockForWhenTheLineIsAway) {
  Station online(choice(), local);
  auto first = online.take("", kType);
  ASSERT_TRUE(first) << first.error().message;
  EXPECT_EQ(first.value().first, "ЕД80000001");
  EXPECT_EQ(first.value().second, "");  // nothing to say
  EXPECT_EQ(stateOf("ЕД80000001"), "taken bench-1");
  ASSERT_TRUE(online.sync());
  EXPECT_EQ(local.blockNumbers(kType).value(),
            (std::vector<std::string>{"ЕД80000002", "ЕД80000003", "ЕД80000004", "ЕД80000005",
                                      "ЕД80000006"}));
  EXPECT_EQ(stateOf("ЕД80000004"), "reserved bench-1");
  online.sent("ЕД80000001");
  EXPECT_EQ(stateOf("ЕД80000001"), "used bench-1");

  // The line away: the block gives, says how many remain, and refuses what it does not hold.
  Station offline(away(), local);
  const struct {
    const char* wanted;
    const char* taken;  // nothing: refused
  } takes[] = {
      {"", "ЕД80000002"},      {"ЕД80000005", "ЕД80000005"}, {"ЕД80000050", nullptr},
      {"ЕД80000005", nullptr},  // used already
      {"", "ЕД80000003"},      {"", "ЕД80000004"},           {"", "ЕД80000006"},
      {"", nullptr},  // the block is empty: never a number of its own invention
  };
  std::size_t left = 5;
  for (const auto& t : takes) {
    auto taken = offline.take(t.wanted, kType);
    ASSERT_EQ(taken.ok(), t.taken != nullptr) << t.wanted;
    if (!t.taken) {
      EXPECT_NE(taken.error().message.find("недоступна"), std::string::npos);
      continue;
    }
    EXPECT_EQ(taken.value().first, t.taken);
    EXPECT_NE(taken.value().second.find("осталось: " + std::to_string(--left)), std::string::npos)
        << taken.value().second;
    offline.sent(t.taken);
  }
  offline.answered("ЕД80000002", false);
  EXPECT_FALSE(offline.state().reachable);
  // Meanwhile the line still holds them for this station alone.
  EXPECT_EQ(stateOf("ЕД80000003"), "reserved bench-1");
  EXPECT_EQ(local.unreportedUses().value().size(), 5u);

  // Back: what was used is reported, the answer with it, and the block is topped up.
  Station back(choice(), local);
  ASSERT_TRUE(back.sync());
  for (const char* n : {"ЕД80000002", "ЕД80000003", "ЕД80000004", "ЕД80000005", "ЕД80000006"}) {
    EXPECT_EQ(stateOf(n), "used bench-1") << n;
  }
  EXPECT_EQ(ownerValue("SELECT confirmed::text FROM tallowick.serial_number WHERE number = "
                       "'ЕД80000002'"),
            "false");
  EXPECT_TRUE(local.unreportedUses().value().empty());
  EXPECT_EQ(local.blockNumbers(kType).value().size(), 5u);
  EXPECT_TRUE(back.state().conflicts.empty());
}

TEST_F(StationTest, ARecordIsOnTheLineOnceHoweverOftenItIsForwarded) {
  history::Journal journal(dir / "journal.sqlite3");
  Station station(choice(0), *journal.store());
  journal.joinLine("bench-1", [] {});
  VirtualClock clock;
  for (int n = 0; n < 30; ++n) {
    auto entry = journal.begin(history::Kind::TestRun, "COM" + std::to_string(n), clock);
    ASSERT_FALSE(entry->endTestRun(RunOutcome{.end = RunEnd::Finished}, "1", "0", {"строка"}));
  }
  EXPECT_EQ(journal.store()->waitingCount().value(), 30u);
  auto first = station.sync();
  ASSERT_TRUE(first) << first.error().message;
  EXPECT_EQ(first.value(), 30u);
  EXPECT_EQ(station.sync().value(), 0u);
  // The outbox made again, as after a station killed between the line's commit and its own.
  ASSERT_EQ(journal.store()->queueAll().value(), 30u);
  EXPECT_EQ(station.sync().value(), 0u);
  EXPECT_EQ(ownerValue("SELECT count(*) FROM tallowick.run WHERE station = 'bench-1'"), "30");
  EXPECT_EQ(ownerValue("SELECT count(DISTINCT uid) FROM tallowick.run"), "30");

  // A record made while the line is away waits, and shows in the line's history, marked.
  Station offline(away(), *journal.store());
  journal.joinLine("bench-1", [] {});
  auto entry = journal.begin(history::Kind::Initialisation, "COM99", clock);
  ASSERT_FALSE(entry->endInitialisation(InitEnd::Finished, "ЕД80000099", {}));
  EXPECT_FALSE(offline.sync());
  StationHistory line(station);
  history::Query query(journal.store(), "", &line);
  auto listed = query.list({.limit = 0});
  ASSERT_TRUE(listed) << listed.error().message;
  ASSERT_EQ(listed.value().size(), 31u);
  EXPECT_TRUE(listed.value().front().waiting);
  EXPECT_EQ(listed.value().front().serialNumber, "ЕД80000099");
  EXPECT_LT(listed.value().front().id, 0);
  auto found = query.find(listed.value().front().id);
  ASSERT_TRUE(found && found.value());
  EXPECT_EQ(found.value()->port, "COM99");
  // The figures count it too, once.
  auto facts = query.facts({.limit = 0});
  ASSERT_TRUE(facts) << facts.error().message;
  ASSERT_EQ(facts.value().size(), 31u);
  EXPECT_EQ(facts.value().front().id, listed.value().front().id);
  EXPECT_EQ(facts.value().front().kind, history::Kind::Initialisation);
  // The line away: the station's own history, and a note that says so.
  StationHistory unreachable(offline);
  history::Query alone(journal.store(), "", &unreachable);
  EXPECT_EQ(alone.list({.limit = 0}).value().size(), 31u);
  EXPECT_NE(alone.note().find("недоступна"), std::string::npos);
  EXPECT_EQ(alone.facts({.kind = history::Kind::TestRun, .limit = 0}).value().size(), 30u);
  EXPECT_EQ(station.sync().value(), 1u);
}

TEST(LineState, ReadsAsOneLine) {
  const struct {
    LineState state;
    const char* text;
  } cases[] = {
      {{}, "Линия: соединение устанавливается; ожидают отправки: 0"},
      {{.problem = "нет ответа", .waiting = 1}, "Линия недоступна; ожидают отправки: 1"},
      {{.reachable = true, .server = "h:5432/line", .tls = true, .waiting = 2},
       "Линия h:5432/line: доступна, соединение зашифровано; ожидают отправки: 2"},
      {{.reachable = true, .server = "h:5432/line"},
       "Линия h:5432/line: доступна, без шифрования; ожидают отправки: 0"},
      {{.server = "h:5432/line", .problem = "нет ответа", .waiting = 7, .conflicts = {{}, {}}},
       "Линия h:5432/line: недоступна; ожидают отправки: 7; номеров в конфликте: 2"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(stateText(c.state), c.text);
}

TEST(LineChoice, ComesFromTheOptionsTheEnvironmentOrTheSettings) {
  const tallowick::test::TempDir dir("tallowick-choice");
  auto settings = fileSettings(dir / "settings.json");
  ASSERT_TRUE(settings->set(setting::kDatabase, "service=line"));
  ASSERT_TRUE(settings->set(setting::kBlockSize, "7"));
  const auto env = [](const char* name) -> std::optional<std::string> {
    if (std::string_view(name) == "TALLOWICK_STATION") return "env-station";
    return std::nullopt;
  };
  const struct {
    std::optional<std::string> database, station;
    const char* wantDatabase;
    const char* wantStation;
  } cases[] = {
      {std::nullopt, std::nullopt, "service=line", "env-station"},
      {"postgresql://st@h/db", "bench-9", "postgresql://st@h/db", "bench-9"},
      {"", std::nullopt, "", "env-station"},  // '' on the command line: none
  };
  for (const auto& c : cases) {
    auto chosen = chooseLine(c.database, c.station, env, settings.get());
    ASSERT_TRUE(chosen) << chosen.error().message;
    EXPECT_EQ(chosen.value().database, c.wantDatabase);
    EXPECT_EQ(chosen.value().station, c.wantStation);
  }
  EXPECT_EQ(chooseLine(std::nullopt, std::nullopt, env, settings.get()).value().blockSize, 7);
  // A password is never taken from Tallowick's options or settings; a bad block is said.
  for (const char* refused : {"postgresql://st:secret@h/db", "host=h password=secret"}) {
    auto chosen = chooseLine(std::string(refused), std::nullopt, env, settings.get());
    ASSERT_FALSE(chosen) << refused;
    EXPECT_EQ(chosen.error().message.find("secret"), std::string::npos);
  }
  ASSERT_TRUE(settings->set(setting::kBlockSize, "lots"));
  EXPECT_FALSE(chooseLine(std::nullopt, std::nullopt, env, settings.get()));
  EXPECT_FALSE(chooseLine(std::nullopt, std::string(""), env, settings.get()));
  // The station named in the settings when neither the options nor the environment do.
  ASSERT_TRUE(settings->set(setting::kBlockSize, ""));
  ASSERT_TRUE(settings->set(setting::kStation, "bench-3"));
  const auto none = [](const char*) -> std::optional<std::string> { return std::nullopt; };
  EXPECT_EQ(chooseLine(std::nullopt, std::nullopt, none, settings.get()).value().station,
            "bench-3");
  EXPECT_EQ(chooseLine(std::nullopt, std::nullopt, env, settings.get()).value().station,
            "env-station");
  ASSERT_TRUE(settings->set(setting::kStation, "bench\t3"));
  EXPECT_FALSE(chooseLine(std::nullopt, std::nullopt, none, settings.get()));
}

}  // namespace
}  // namespace tallowick::line::test
