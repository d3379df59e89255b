// The history where several programs share it, and where it lives: POSIX processes and
// the folders of the book.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <set>
#include <thread>

#include "history/exec_sql.h"
#include "history/history_store.h"
#include "history/records.h"
#include "platform/system.h"

namespace tallowick::history {
namespace {

using namespace test;

// Threads of one station on one store and on stores of their own, and a second process,
// all appending at once: every record arrives whole, none twice.
TEST(HistoryStore, ConcurrentAppendersFromThreadsAndProcessesLoseNothing) {
  TempDir dir;
  const fs::path file = dir.path / "history.sqlite3";
  constexpr int kEach = 40;
  // Record n of appender a carries a in its computer and n in its port.
  const auto recordOf = [](int appender, int n) {
    Record r = sampleRecord(n);
    r.computer = "appender-" + std::to_string(appender);
    r.port = std::to_string(n);
    return r;
  };
  const pid_t child = ::fork();
  if (child == 0) {
    Store store(file, {.busyTimeoutMs = 20000});
    for (int n = 0; n < kEach; ++n) {
      if (!store.append(recordOf(9, n))) _exit(1);
    }
    _exit(0);
  }
  Store shared(file, {.busyTimeoutMs = 20000});
  std::vector<std::thread> threads;
  for (int a = 0; a < 4; ++a) {
    threads.emplace_back([&, a] {
      Store own(file, {.busyTimeoutMs = 20000});
      Store& store = a % 2 ? shared : own;
      for (int n = 0; n < kEach; ++n) {
        auto appended = store.append(recordOf(a, n));
        EXPECT_TRUE(appended) << appended.error().message;
      }
    });
  }
  for (auto& t : threads)
    t.join();
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  auto all = shared.list({.limit = 0}, Detail::Full);
  ASSERT_TRUE(all) << all.error().message;
  std::map<std::string, std::set<std::string>> seen;
  for (Record r : all.value()) {
    const int appender = std::stoi(r.computer.substr(9));
    const int n = std::stoi(r.port);
    r.id = 0;
    // Each record was given its identity as it was appended.
    EXPECT_EQ(r.uid.size(), 36u);
    r.uid.clear();
    EXPECT_EQ(r, recordOf(appender, n));
    EXPECT_TRUE(seen[r.computer].insert(r.port).second) << r.computer << " " << r.port;
  }
  EXPECT_EQ(all.value().size(), 5u * kEach);
  EXPECT_EQ(seen.size(), 5u);
}

TEST(HistoryStore, LivesBesideTheBookUnlessTheEnvironmentNamesAnother) {
  struct Case {
    std::map<std::string, std::string> env;
    std::string file;  // empty: no place can be found
  };
  const Case cases[] = {
      {{{"TALLOWICK_HISTORY", "/srv/line/history.db"}, {"HOME", "/home/t"}},
       "/srv/line/history.db"},
      {{{"XDG_DATA_HOME", "/data"}, {"HOME", "/home/t"}}, "/data/Tallowick/history.sqlite3"},
      {{{"XDG_DATA_HOME", "relative"}, {"HOME", "/home/t"}},
       "/home/t/.local/share/Tallowick/history.sqlite3"},
      {{{"TALLOWICK_HISTORY", ""}, {"HOME", "/home/t"}},
       "/home/t/.local/share/Tallowick/history.sqlite3"},
      // A book moved elsewhere leaves the history where it was.
      {{{"TALLOWICK_REGISTRY", "/srv/book.sqlite3"}, {"XDG_DATA_HOME", "/data"}},
       "/data/Tallowick/history.sqlite3"},
      {{}, ""},
  };
  for (const Case& c : cases) {
    const auto env = [&](const char* name) -> std::optional<std::string> {
      const auto it = c.env.find(name);
      if (it == c.env.end()) return std::nullopt;
      return it->second;
    };
    auto file = platform::dataFile(platform::DataFile::History, env);
    if (c.file.empty()) {
      ASSERT_FALSE(file);
      EXPECT_EQ(file.error().kind, StoreErrorKind::Unavailable);
    } else {
      ASSERT_TRUE(file) << c.file;
      EXPECT_EQ(file.value(), c.file);
    }
  }
}

// A history written before records named their user and had an identity is brought up to
// date when it is written again, its records kept; where it may only be read, it reads as it was.
TEST(HistoryStore, AnOlderFormatIsReadAsItWasAndUpgradedWhereItIsWritten) {
  TempDir dir;
  const fs::path file = dir.path / "history.sqlite3";
  // A history of format 1, as the first version made it.
  ASSERT_EQ(execSql(file,
                    "PRAGMA application_id = 1414289224; PRAGMA user_version = 1; "
                    "PRAGMA journal_mode = WAL; "
                    "CREATE TABLE run (id INTEGER PRIMARY KEY, kind TEXT NOT NULL, started_at "
                    "INTEGER NOT NULL, ended_at INTEGER NOT NULL, utc_offset_minutes INTEGER NOT "
                    "NULL, computer TEXT NOT NULL, port TEXT NOT NULL, model TEXT NOT NULL, "
                    "firmware TEXT NOT NULL, country TEXT NOT NULL, serial_number TEXT NOT NULL, "
                    "passes TEXT NOT NULL, pause_ms TEXT NOT NULL, outcome TEXT NOT NULL, message "
                    "TEXT NOT NULL, error_count INTEGER NOT NULL, duration_ms INTEGER NOT NULL);"
                    "CREATE TABLE run_step (run_id INTEGER NOT NULL, position INTEGER NOT NULL, "
                    "title TEXT NOT NULL, command INTEGER NOT NULL, result TEXT NOT NULL, code "
                    "TEXT NOT NULL, message TEXT NOT NULL, elapsed_ms INTEGER NOT NULL, PRIMARY "
                    "KEY (run_id, position)) WITHOUT ROWID;"
                    "CREATE TABLE run_log (run_id INTEGER PRIMARY KEY, lines TEXT NOT NULL);"
                    "INSERT INTO run VALUES (1, 'testrun', 1, 2, 120, 'bench', 'COM3', "
                    "'Veltor KM-15', '3.01', 'Україна', 'ЕД80012345', '1', '0', 'finished', '', 0, "
                    "1);"
                    "INSERT INTO run_log VALUES (1, '[\"строка\"]');"),
            SQLITE_OK);
  fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  if (::access(file.c_str(), W_OK) != 0) {
    Store readOnly(file);
    const auto old = readOnly.list({}, Detail::Full);
    ASSERT_TRUE(old) << old.error().message;
    ASSERT_EQ(old.value().size(), 1u);
    EXPECT_EQ(old.value().front().user, "");
    EXPECT_EQ(old.value().front().uid, "");
    EXPECT_EQ(old.value().front().serialNumber, "ЕД80012345");
    EXPECT_EQ(old.value().front().log, std::vector<std::string>{"строка"});
    // Written before the language was kept: Russian, the only language then.
    EXPECT_EQ(old.value().front().language, "");
    EXPECT_EQ(languageOf(old.value().front()), "ru");
    // Its records are of no station.
    EXPECT_EQ(readOnly.list({.station = ""}).value().size(), 1u);
    EXPECT_EQ(readOnly.list({.station = "line-1"}).value().size(), 0u);
  }
  // Reading made the journal's files beside it with the file's own rights.
  for (const char* suffix : {"", "-wal", "-shm"}) {
    std::error_code ec;
    fs::permissions(file.string() + suffix, fs::perms::owner_write, fs::perm_options::add, ec);
  }

  Store store(file);
  Record next = sampleRecord(1);
  next.user = "technician";
  ASSERT_TRUE(store.append(next));
  const auto both = store.list({}, Detail::Full);
  ASSERT_TRUE(both) << both.error().message;
  ASSERT_EQ(both.value().size(), 2u);
  EXPECT_EQ(both.value()[0].user, "technician");
  EXPECT_EQ(both.value()[1].user, "");
  EXPECT_EQ(both.value()[0].language, "uk");
  EXPECT_EQ(languageOf(both.value()[1]), "ru");
  // The older record was given an identity of its own when the file was brought up to date.
  EXPECT_EQ(both.value()[1].uid.size(), 36u);
  EXPECT_NE(both.value()[1].uid, both.value()[0].uid);
  sqlite3* db = nullptr;
  sqlite3_open(file.string().c_str(), &db);
  sqlite3_stmt* s = nullptr;
  sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &s, nullptr);
  ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
  EXPECT_EQ(sqlite3_column_int(s, 0), Store::kSchemaVersion);
  sqlite3_finalize(s);
  sqlite3_close(db);
}

}  // namespace
}  // namespace tallowick::history
