#include <gmock/gmock.h>

#include "line_fixture.h"

namespace tallowick::line::test {
namespace {

using testing::HasSubstr;

TEST_F(LineTest, InitialisingTwiceKeepsTheBookAndTheGrants) {
  initialise();
  {
    auto admin = connect(kPgAdmin);
    ASSERT_NE(admin, nullptr);
    ASSERT_TRUE(Book(*admin).addRange("ЕД800", 1, 5));
    ASSERT_TRUE(Book(*admin).take(pgStation(1), "ЕД80000002"));
  }
  initialise();
  auto station = connect(pgStation(1));
  ASSERT_NE(station, nullptr);
  auto lists = Book(*station).lists(pgStation(1));
  ASSERT_TRUE(lists) << lists.error().message;
  EXPECT_EQ(lists.value().toInitialise,
            (std::vector<std::string>{"ЕД80000001", "ЕД80000003", "ЕД80000004", "ЕД80000005"}));
  EXPECT_EQ(lists.value().counts.at(0).taken, 1u);
  EXPECT_EQ(ownerValue("SELECT count(*) FROM tallowick.schema_version"), "1");
  EXPECT_EQ(ownerValue("SELECT version FROM tallowick.schema_version"),
            std::to_string(kSchemaVersion));
  EXPECT_EQ(ownerValue("SELECT string_agg(rolname || ' ' || rolcanlogin, ', ' ORDER BY rolname) "
                       "FROM pg_roles WHERE rolname LIKE 'tallowick%'"),
            "tallowick_admin false, tallowick_station false");
}

TEST_F(LineTest, ASchemaNewerThanTheProgramIsRefusedUntouched) {
  initialise();
  // A later version that has no take_next any more.
  asOwner(
      "UPDATE tallowick.schema_version SET version = version + 1;"
      "DROP FUNCTION tallowick.take_next(text, text)");
  auto owner = Connection::openForInitialise(database().conninfo(kPgOwner));
  ASSERT_TRUE(owner);
  auto made = line::initialise(*owner.value());
  ASSERT_FALSE(made);
  EXPECT_EQ(made.error().kind, StoreErrorKind::Conflict);
  EXPECT_THAT(made.error().message, HasSubstr("не изменена"));
  EXPECT_THAT(made.error().message, HasSubstr("новее этой программы"));
  EXPECT_EQ(ownerValue("SELECT version FROM tallowick.schema_version"),
            std::to_string(kSchemaVersion + 1));
  EXPECT_EQ(ownerValue("SELECT to_regproc('tallowick.take_next')"), "");

  auto station = Connection::open(database().conninfo(pgStation(1)));
  ASSERT_FALSE(station);
  EXPECT_EQ(station.error().kind, StoreErrorKind::Conflict);
  EXPECT_THAT(station.error().message, HasSubstr("обновите Tallowick"));
}

TEST_F(LineTest, AForeignSchemaOfTheSameNameIsRefusedUntouched) {
  asOwner("CREATE SCHEMA tallowick; CREATE TABLE tallowick.parts (name text)");
  auto owner = Connection::openForInitialise(database().conninfo(kPgOwner));
  ASSERT_TRUE(owner);
  auto made = line::initialise(*owner.value());
  ASSERT_FALSE(made);
  EXPECT_EQ(made.error().kind, StoreErrorKind::Conflict);
  EXPECT_THAT(made.error().message, HasSubstr("создана не Tallowick"));
  EXPECT_EQ(ownerValue("SELECT to_regclass('tallowick.serial_number')"), "");
  EXPECT_EQ(ownerValue("SELECT to_regclass('tallowick.parts')"), "tallowick.parts");
}

// A line of the first version, whose records had no language: brought up to date with its
// records kept, which read as the Russian they were written in.
TEST_F(LineTest, TheFirstVersionIsUpgradedAndItsRecordsKeepTheirLanguageUnsaid) {
  initialise();
  asOwner(
      "ALTER TABLE tallowick.run DROP COLUMN language;"
      "UPDATE tallowick.schema_version SET version = 1;"
      "INSERT INTO tallowick.run (uid, station, kind, started_at, ended_at, utc_offset_minutes,"
      " computer, user_name, port, model, firmware, country, serial_number, passes, pause_ms,"
      " outcome, message, error_count, duration_ms) VALUES (gen_random_uuid(), 'line-1',"
      " 'testrun', 1, 2, 0, 'bench', 'operator', 'COM3', 'Veltor KM-15', '3.01', 'Україна',"
      " 'ЕД80012345', '1', '0', 'finished', '', 0, 1)");
  initialise();
  EXPECT_EQ(ownerValue("SELECT version FROM tallowick.schema_version"),
            std::to_string(kSchemaVersion));
  EXPECT_EQ(ownerValue("SELECT count(*) || ' ' || min(language) || '.' FROM tallowick.run"), "1 .");
}

TEST_F(LineTest, AnEmptySchemaMadeBeforehandIsFilled) {
  asOwner("CREATE SCHEMA tallowick");
  initialise();
  EXPECT_EQ(ownerValue("SELECT version FROM tallowick.schema_version"),
            std::to_string(kSchemaVersion));
}

// What a station may not do, refused by the server itself: raw statements on a station's
// own connection, whatever the program would send.
TEST_F(LineTest, TheServerRefusesAStationWhatItsRoleDoesNotGrant) {
  initialise();
  {
    auto admin = connect(kPgAdmin);
    ASSERT_NE(admin, nullptr);
    ASSERT_TRUE(Book(*admin).addRange("ЕД800", 1, 3));
  }
  auto station = connect(pgStation(1));
  ASSERT_NE(station, nullptr);
  const char* refused[] = {
      "UPDATE tallowick.run SET message = 'changed'",
      "DELETE FROM tallowick.run",
      "DELETE FROM tallowick.run_detail",
      "UPDATE tallowick.run_detail SET steps = '[]'",
      "TRUNCATE tallowick.run_detail",
      "UPDATE tallowick.serial_number SET state = 'free', station = NULL, used_at = NULL",
      "DELETE FROM tallowick.serial_number",
      "INSERT INTO tallowick.serial_number (number, printer_type, seq) "
      "VALUES ('ЕД80099999', 'ЕД800', 99999)",
      "SELECT * FROM tallowick.release('ЕД80000001', 'mine now')",
      "SELECT * FROM tallowick.add_range('ЕД800', 10, 20)",
      "SELECT * FROM tallowick.import_book('station1', '{ЕД80000050}', '{}')",
      "SELECT * FROM tallowick.use_number('station1', 'ЕД80000001', now(), 'use')",
      "DELETE FROM tallowick.release_audit",
      "DELETE FROM tallowick.event",
      "UPDATE tallowick.schema_version SET version = 9",
      "CREATE TABLE tallowick.mine (x integer)",
      "INSERT INTO tallowick.run (uid, station, kind, started_at, ended_at, utc_offset_minutes, "
      "computer, user_name, port, model, firmware, country, serial_number, passes, pause_ms, "
      "outcome, message, error_count, duration_ms, forwarded_by) VALUES "
      "(gen_random_uuid(), 's', 'init', 0, 0, 0, '', '', '', '', '', '', '', '', '', "
      "'finished', '', 0, 0, 'someone else')",
  };
  for (const char* sql : refused) {
    SCOPED_TRACE(sql);
    const auto done = station->execute(sql);
    ASSERT_FALSE(done);
    EXPECT_EQ(done.error().kind, StoreErrorKind::Denied) << done.error().message;
    EXPECT_THAT(done.error().message, HasSubstr("не дал пользователю «station1» права"));
  }

  Book book(*station);
  const auto kind = [](const auto& result) {
    return result ? std::optional<StoreErrorKind>() : result.error().kind;
  };
  EXPECT_EQ(kind(book.release("ЕД80000001", "причина")), StoreErrorKind::Denied);
  EXPECT_EQ(kind(book.addRange("ЕД800", 5, 6)), StoreErrorKind::Denied);
  EXPECT_EQ(kind(importBook(*station, {{"ЕД80000007"}, {}}, pgStation(1))), StoreErrorKind::Denied);
  // What it may do.
  EXPECT_TRUE(book.take(pgStation(1), "ЕД80000001"));
  for (const char* table :
       {"serial_number", "event", "release_audit", "run", "run_detail", "schema_version"}) {
    EXPECT_TRUE(station->execute(std::string("SELECT * FROM tallowick.") + table)) << table;
  }
  EXPECT_EQ(ownerValue("SELECT count(*) FROM tallowick.serial_number WHERE state = 'free'"), "2");
}

TEST_F(LineTest, AUserWithoutARoleReadsNothing) {
  initialise();
  auto outsider = Connection::openForInitialise(database().conninfo(kPgOutsider));
  ASSERT_TRUE(outsider);
  for (const char* sql : {"SELECT * FROM tallowick.run", "SELECT * FROM tallowick.serial_number",
                          "SELECT * FROM tallowick.take('outsider', 'ЕД80000001')"}) {
    const auto done = outsider.value()->execute(sql);
    ASSERT_FALSE(done) << sql;
    EXPECT_EQ(done.error().kind, StoreErrorKind::Denied) << sql;
  }
}

}  // namespace
}  // namespace tallowick::line::test
