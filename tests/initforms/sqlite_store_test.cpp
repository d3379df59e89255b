#include "initforms/sqlite_serial_store.h"
#include "platform/system.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>

#include "support/temp_dir.h"

namespace tallowick {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;
using Row = std::vector<std::string>;

const SerialLists kOld = {{"ЕД80000001", "ЕД80000002", "ЕД80000003"}, {"ЕД80000000"}};
const SerialLists kNew = {{"DH21000001"}, {"ЕД80000000", "ЕД80000001", "ЕД80000002"}};
constexpr SqliteStoreOptions kNoWait{.busyTimeoutMs = 0};

// A fresh directory, readable by everyone, removed afterwards.
struct TempDir : test::TempDir {
  TempDir() : test::TempDir("tallowick-book") {
    fs::permissions(path, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
  }
};

Strings entriesOf(const fs::path& directory) {
  Strings names;
  for (const auto& entry : fs::directory_iterator(directory)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// A second program on the same file.
struct RawDb {
  explicit RawDb(const fs::path& file) { sqlite3_open(file.c_str(), &db); }
  ~RawDb() { sqlite3_close(db); }
  int exec(const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }
  std::vector<Row> rows(const char* sql) {
    std::vector<Row> result;
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
    while (sqlite3_step(s) == SQLITE_ROW) {
      Row row;
      for (int i = 0; i < sqlite3_column_count(s); ++i) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, i));
        row.emplace_back(text ? text : "NULL");
      }
      result.push_back(row);
    }
    sqlite3_finalize(s);
    return result;
  }
  sqlite3* db = nullptr;
};

std::string readFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

// A book with enough numbers to span many pages.
std::string makeBigBook(const fs::path& file) {
  SerialLists lists;
  for (int i = 0; i < 3000; ++i)
    lists.shouldInit.push_back("ЕД800" + std::to_string(10000 + i));
  {
    SqliteSerialStore store(file);
    EXPECT_TRUE(store.registerProgram("/opt/tallowick/bin/tallowick"));
    EXPECT_TRUE(store.writeLists(lists));
  }
  return readFile(file);
}

TEST(SqliteStore, HoldsTheKeysValuesAndTypesOfTheRegistry) {
  TempDir dir;
  const fs::path file = dir.path / "new" / "folder" / "registry.sqlite3";
  {
    SqliteSerialStore store(file);
    ASSERT_TRUE(store.registerProgram("/opt/tallowick/bin/tallowick"));
    ASSERT_TRUE(store.createMissingLists());
    ASSERT_TRUE(store.writeLists(kOld));
  }
  RawDb raw(file);
  const std::vector<Row> expected = {
      {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Morvent\\Tallowick\\1.0\\AlreadyInit", "0", "REG_SZ",
       "text", "ЕД80000000"},
      {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Morvent\\Tallowick\\1.0\\AlreadyInit", "Count", "REG_DWORD",
       "integer", "1"},
      {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Morvent\\Tallowick\\1.0\\ShouldInit", "0", "REG_SZ", "text",
       "ЕД80000001"},
      {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Morvent\\Tallowick\\1.0\\ShouldInit", "1", "REG_SZ", "text",
       "ЕД80000002"},
      {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Morvent\\Tallowick\\1.0\\ShouldInit", "2", "REG_SZ", "text",
       "ЕД80000003"},
      {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Morvent\\Tallowick\\1.0\\ShouldInit", "Count", "REG_DWORD",
       "integer", "3"},
      {"HKEY_LOCAL_MACHINE",
       "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Tallowick.exe", "", "REG_SZ",
       "text", "/opt/tallowick/bin/tallowick"},
      {"HKEY_LOCAL_MACHINE",
       "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Tallowick.exe", "Path", "REG_SZ",
       "text", "/opt/tallowick/bin/tallowick"},
  };
  EXPECT_EQ(raw.rows("SELECT root, key, name, type, typeof(value), value FROM registry_value "
                     "ORDER BY key COLLATE BINARY, name COLLATE BINARY"),
            expected);
  // Parents exist as keys of their own; "Software" and "SOFTWARE" are one key.
  EXPECT_EQ(raw.rows("SELECT count(*) FROM registry_key WHERE key = 'software'"),
            std::vector<Row>{{"1"}});
  EXPECT_EQ(raw.rows("SELECT count(*) FROM registry_key WHERE key = "
                     "'SOFTWARE\\Morvent\\Tallowick\\1.0'"),
            std::vector<Row>{{"1"}});
  EXPECT_EQ(entriesOf(file.parent_path()), Strings{"registry.sqlite3"});

  SqliteSerialStore again(file);
  EXPECT_TRUE(again.isRegistered().value());
  EXPECT_TRUE(again.hasList(SerialList::AlreadyInit).value());
  EXPECT_EQ(again.readLists().value(), kOld);
  ASSERT_TRUE(again.writeLists(kNew));
  EXPECT_EQ(SqliteSerialStore(file).readLists().value(), kNew);
  EXPECT_EQ(entriesOf(file.parent_path()), Strings{"registry.sqlite3"});
}

// What a writer killed while making the book left behind goes when the book is next
// opened; what a live process is still making stays, and so does another computer's, until
// it is old.
TEST(SqliteStore, MakingTheBookRemovesTemporariesOfWritersThatAreGone) {
  TempDir dir;
  const fs::path file = dir.path / "registry.sqlite3";
  const pid_t gone = fork();
  if (gone == 0) _exit(0);
  ASSERT_GT(gone, 0);
  waitpid(gone, nullptr, 0);
  const std::string host = platform::computerName();
  const auto temporary = [](const std::string& name, const std::string& writer) {
    return "." + name + "." + writer + ".0123456789ab.tmp";
  };
  const std::string dead = temporary("registry.sqlite3", host + "." + std::to_string(gone));
  const std::string live = temporary("registry.sqlite3", host + "." + std::to_string(getpid()));
  // Another machine's, on a shared folder: its process numbers mean nothing here.
  const std::string elsewhere =
      temporary("registry.sqlite3", "other-" + host + "." + std::to_string(gone));
  const std::string notOurs = temporary("other.sqlite3", host + "." + std::to_string(gone));
  const std::string noNumber = temporary("registry.sqlite3", host + ".x");
  const std::string stale = temporary("registry.sqlite3", "other-" + host + ".1");
  for (const std::string& name : {dead, live, elsewhere, notOurs, noNumber, stale}) {
    std::ofstream(dir.path / name) << "half a book";
  }
  fs::last_write_time(dir.path / stale,
                      fs::file_time_type::clock::now() - std::chrono::minutes(11));
  ASSERT_TRUE(SqliteSerialStore(file).writeLists(kOld));
  Strings kept{notOurs, "registry.sqlite3", live, noNumber, elsewhere};
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(entriesOf(dir.path), kept);
  // Next to a book that is there, when a writer was killed just after placing it.
  std::ofstream(dir.path / dead) << "a whole book";
  EXPECT_EQ(SqliteSerialStore(file).readLists().value(), kOld);
  EXPECT_FALSE(fs::exists(dir.path / dead));
}

TEST(SqliteStore, EmptyPlaceReadsAsAnEmptyRegistry) {
  TempDir dir;
  SqliteSerialStore store(dir.path / "registry.sqlite3");
  EXPECT_FALSE(store.isRegistered().value());
  EXPECT_FALSE(store.hasList(SerialList::ShouldInit).value());
  EXPECT_EQ(store.readLists().value(), SerialLists{});
}

TEST(SqliteStore, FileLocation) {
  struct Case {
    std::map<std::string, std::string> environment;
    std::optional<std::string> file;
  } cases[] = {
      {{{"TALLOWICK_REGISTRY", "/srv/book.db"}, {"HOME", "/home/u"}}, "/srv/book.db"},
      {{{"XDG_DATA_HOME", "/data"}, {"HOME", "/home/u"}}, "/data/Tallowick/registry.sqlite3"},
      {{{"XDG_DATA_HOME", "relative"}, {"HOME", "/home/u"}},
       "/home/u/.local/share/Tallowick/registry.sqlite3"},
      {{{"TALLOWICK_REGISTRY", ""}, {"XDG_DATA_HOME", ""}, {"HOME", "/home/u"}},
       "/home/u/.local/share/Tallowick/registry.sqlite3"},
      {{}, std::nullopt},
  };
  for (const Case& c : cases) {
    auto file = platform::dataFile(platform::DataFile::Book,
                                   [&](const char* name) -> std::optional<std::string> {
                                     const auto found = c.environment.find(name);
                                     if (found == c.environment.end()) return std::nullopt;
                                     return found->second;
                                   });
    if (c.file) {
      ASSERT_TRUE(file) << *c.file;
      EXPECT_EQ(file.value(), fs::path(*c.file));
    } else {
      ASSERT_FALSE(file);
      EXPECT_EQ(file.error().kind, StoreErrorKind::Unavailable);
    }
  }
}

TEST(SqliteStore, PlatformStoreUsesTheNamedFile) {
  TempDir dir;
  const fs::path file = dir.path / "book.sqlite3";
  const char* before = std::getenv("TALLOWICK_REGISTRY");
  const std::optional<std::string> saved =
      before ? std::optional<std::string>(before) : std::nullopt;
  ::setenv("TALLOWICK_REGISTRY", file.c_str(), 1);
  auto store = makePlatformSerialStore();
  EXPECT_TRUE(store->writeLists(kOld));
  if (saved) {
    ::setenv("TALLOWICK_REGISTRY", saved->c_str(), 1);
  } else {
    ::unsetenv("TALLOWICK_REGISTRY");
  }
  EXPECT_EQ(SqliteSerialStore(file).readLists().value(), kOld);
}

// Whole lists go in in one statement; whatever a number holds comes back as it was, and a
// shorter list leaves no position of the longer one behind.
TEST(SqliteStore, ListsOfAnyTextAndLengthComeBackExactly) {
  TempDir dir;
  const fs::path file = dir.path / "book.sqlite3";
  const SerialLists odd{{"quote\"d", "back\\slash", "tab\tnew\nline\x01", "", "ЁЖ€"},
                        {"[\"x\"]", "\\u0041"}};
  SerialLists many;
  for (int i = 0; i < 1200; ++i)
    many.alreadyInit.push_back("ЕД800" + std::to_string(10000 + i));
  for (const SerialLists& lists : {many, odd, SerialLists{}, odd}) {
    SqliteSerialStore store(file);
    ASSERT_TRUE(store.writeLists(lists));
    EXPECT_EQ(SqliteSerialStore(file).readLists().value(), lists);
    RawDb sql(file);
    EXPECT_EQ(sql.rows("SELECT count(*) FROM registry_value WHERE type = 'REG_SZ' AND key LIKE "
                       "'%Init'")[0][0],
              std::to_string(lists.shouldInit.size() + lists.alreadyInit.size()));
  }
}

// Opened for reading only, a missing book is an error and stays missing.
TEST(SqliteStore, AReadOnlyStoreNeverCreatesTheBook) {
  TempDir dir;
  const fs::path file = dir.path / "book.sqlite3";
  const auto missing = makePlatformSerialStore(StoreAccess::ReadOnly, file.string())->readLists();
  ASSERT_FALSE(missing);
  EXPECT_EQ(missing.error().kind, StoreErrorKind::Unavailable);
  EXPECT_FALSE(fs::exists(file));
  ASSERT_TRUE(SqliteSerialStore(file).writeLists(kOld));
  auto reader = makePlatformSerialStore(StoreAccess::ReadOnly, file.string());
  EXPECT_EQ(reader->readLists().value(), kOld);
  EXPECT_FALSE(reader->writeLists(kNew));
}

TEST(SqliteStore, DamagedFileIsReportedAndLeftAlone) {
  TempDir source;
  const std::string book = makeBigBook(source.path / "book");
  ASSERT_GT(book.size(), 40000u);
  std::string overwritten = book;
  std::fill(overwritten.begin() + 4096 * 3, overwritten.begin() + 4096 * 4, '\xFF');
  std::string foreign;
  {
    RawDb other(source.path / "other");
    other.exec("CREATE TABLE notes (text TEXT); INSERT INTO notes VALUES ('mine')");
  }
  foreign = readFile(source.path / "other");
  std::string newer;
  {
    RawDb future(source.path / "book");
    future.exec("PRAGMA user_version = 2");
  }
  newer = readFile(source.path / "book");
  // Keys sorted under one collation and searched under another: every page is sound, but
  // a look-up misses keys that are there, so the book would read as empty.
  writeFile(source.path / "misordered", book);
  {
    RawDb damaged(source.path / "misordered");
    damaged.exec(
        "PRAGMA writable_schema = ON; UPDATE sqlite_master SET sql = replace(sql, "
        "'key TEXT NOT NULL COLLATE NOCASE', 'key TEXT NOT NULL COLLATE BINARY') "
        "WHERE name = 'registry_key'");
  }
  const std::string misordered = readFile(source.path / "misordered");

  const std::map<std::string, std::string> cases = {
      {"garbage", std::string(8192, '\x5A')},
      {"text", "Tallowick\n"},
      {"empty", ""},
      {"header only", book.substr(0, 100)},
      {"first page only", book.substr(0, 4096)},
      {"cut in half", book.substr(0, book.size() / 2)},
      {"last byte missing", book.substr(0, book.size() - 1)},
      {"a page overwritten", overwritten},
      {"another program's database", foreign},
      {"a newer format", newer},
      {"keys out of order", misordered},
  };
  for (const auto& [what, bytes] : cases) {
    SCOPED_TRACE(what);
    TempDir dir;
    const fs::path file = dir.path / "registry.sqlite3";
    writeFile(file, bytes);
    SqliteSerialStore store(file, kNoWait);
    auto lists = store.readLists();
    ASSERT_FALSE(lists);
    EXPECT_EQ(lists.error().kind, StoreErrorKind::Damaged) << lists.error().message;
    EXPECT_NE(lists.error().message.find("повреждён"), std::string::npos);
    EXPECT_FALSE(store.isRegistered());
    EXPECT_FALSE(store.registerProgram("/opt/tallowick"));
    EXPECT_FALSE(store.createMissingLists());
    EXPECT_FALSE(store.writeLists(kNew));
    EXPECT_EQ(readFile(file), bytes) << "the file was changed";
    EXPECT_EQ(entriesOf(dir.path), Strings{"registry.sqlite3"});
  }
}

// Our application id and format version, but tables that another version of the program
// made: said as such, not as damage, and left alone all the same.
TEST(SqliteStore, BookOfAnotherVersionIsNamedSoAndLeftAlone) {
  const std::map<std::string, const char*> cases = {
      {"a renamed column", "ALTER TABLE registry_value RENAME COLUMN value TO data"},
      {"an extra column", "ALTER TABLE registry_key ADD COLUMN note TEXT"},
      {"a missing column",
       "CREATE TABLE older (root, key, name, value); INSERT INTO older SELECT root, key, name, "
       "value FROM registry_value; DROP TABLE registry_value; "
       "ALTER TABLE older RENAME TO registry_value"},
  };
  for (const auto& [what, change] : cases) {
    SCOPED_TRACE(what);
    TempDir dir;
    const fs::path file = dir.path / "registry.sqlite3";
    ASSERT_TRUE(SqliteSerialStore(file).writeLists(kOld));
    {
      RawDb other(file);
      ASSERT_EQ(other.exec(change), SQLITE_OK) << sqlite3_errmsg(other.db);
    }
    const std::string bytes = readFile(file);
    SqliteSerialStore store(file, kNoWait);
    auto lists = store.readLists();
    ASSERT_FALSE(lists);
    EXPECT_EQ(lists.error().kind, StoreErrorKind::Damaged);
    EXPECT_NE(lists.error().message.find("не является книгой этой версии программы"),
              std::string::npos)
        << lists.error().message;
    EXPECT_EQ(lists.error().message.find("повреждён"), std::string::npos);
    EXPECT_FALSE(store.writeLists(kNew));
    EXPECT_EQ(readFile(file), bytes);
  }
}

TEST(SqliteStore, UnusablePlaceIsReported) {
  TempDir dir;
  writeFile(dir.path / "plain", "x");
  SqliteSerialStore store(dir.path / "plain" / "registry.sqlite3");
  auto lists = store.readLists();
  ASSERT_FALSE(lists);
  EXPECT_EQ(lists.error().kind, StoreErrorKind::Unavailable);
  EXPECT_EQ(readFile(dir.path / "plain"), "x");
}

TEST(SqliteStore, LockedFileIsReportedUntilReleased) {
  TempDir dir;
  const fs::path file = dir.path / "registry.sqlite3";
  ASSERT_TRUE(SqliteSerialStore(file).writeLists(kOld));
  SqliteSerialStore store(file, kNoWait);
  RawDb other(file);

  ASSERT_EQ(other.exec("BEGIN IMMEDIATE"), SQLITE_OK);  // another writer at work
  EXPECT_EQ(store.readLists().value(), kOld) << "readers are not held up by a writer";
  auto write = store.writeLists(kNew);
  ASSERT_FALSE(write);
  EXPECT_EQ(write.error().kind, StoreErrorKind::Locked);
  ASSERT_EQ(other.exec("COMMIT"), SQLITE_OK);

  ASSERT_EQ(other.exec("BEGIN EXCLUSIVE"), SQLITE_OK);
  auto read = store.readLists();
  ASSERT_FALSE(read);
  EXPECT_EQ(read.error().kind, StoreErrorKind::Locked);
  EXPECT_NE(read.error().message.find("занят"), std::string::npos);
  ASSERT_EQ(other.exec("COMMIT"), SQLITE_OK);

  ASSERT_TRUE(store.writeLists(kNew));
  EXPECT_EQ(store.readLists().value(), kNew);
}

// What a store makes of a read-only book, as codes an exit status can carry.
int readOnlyOutcome(const fs::path& file, const SerialLists& expected) {
  SqliteSerialStore store(file, kNoWait);
  auto lists = store.readLists();
  if (!lists) return 10;
  if (!(lists.value() == expected)) return 11;
  auto write = store.writeLists(kNew);
  if (write) return 12;
  if (write.error().kind != StoreErrorKind::ReadOnly) return 13;
  if (write.error().message.empty()) return 14;
  return 0;
}

// Root writes through any permission bits; the check then runs as an ordinary user.
int asOrdinaryUser(const std::function<int()>& body) {
  if (::geteuid() != 0) return body();
  const pid_t child = ::fork();
  if (child == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(99);
    ::_exit(body());
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 98;
}

TEST(SqliteStore, ReadOnlyFileCanBeReadButNotWritten) {
  TempDir dir;
  const fs::path file = dir.path / "registry.sqlite3";
  ASSERT_TRUE(SqliteSerialStore(file).writeLists(kOld));
  const std::string bytes = readFile(file);
  fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_EQ(asOrdinaryUser([&] { return readOnlyOutcome(file, kOld); }), 0);
  EXPECT_EQ(readFile(file), bytes);
}

TEST(SqliteStore, ReadOnlyFolderStopsWritesButNotReads) {
  TempDir dir;
  const fs::path file = dir.path / "registry.sqlite3";
  ASSERT_TRUE(SqliteSerialStore(file).writeLists(kOld));
  const std::string bytes = readFile(file);
  fs::permissions(file, fs::perms::all);
  fs::permissions(dir.path, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                                fs::perms::others_exec);
  const int outcome = asOrdinaryUser([&] {
    SqliteSerialStore store(file, kNoWait);
    if (!(store.readLists().value() == kOld)) return 1;
    // Without a journal beside it the file cannot be changed safely, so it is not.
    auto write = store.writeLists(kNew);
    if (write) return 2;
    // The folder is the cause, not the file.
    if (write.error().kind != StoreErrorKind::ReadOnly) return 3;
    if (write.error().message.find("только для чтения") != std::string::npos) return 4;
    if (write.error().message.find("папка " + dir.path.string() + " недоступна для записи") ==
        std::string::npos) {
      return 5;
    }
    return 0;
  });
  EXPECT_EQ(outcome, 0);
  EXPECT_EQ(readFile(file), bytes);
}

TEST(SqliteStore, WriteThatFailsHalfWayLeavesTheOldLists) {
  TempDir dir;
  const fs::path file = dir.path / "registry.sqlite3";
  ASSERT_TRUE(SqliteSerialStore(file).writeLists(kOld));
  {
    // Fails at the second number of the initialised list, after the whole list to
    // initialise has been rewritten.
    RawDb other(file);
    ASSERT_EQ(other.exec("CREATE TRIGGER fail_half_way BEFORE INSERT ON registry_value "
                         "WHEN NEW.value = 'ЕД80000001' AND NEW.key LIKE '%AlreadyInit' "
                         "BEGIN SELECT RAISE(ABORT, 'disk gone'); END"),
              SQLITE_OK);
  }
  SqliteSerialStore store(file);
  auto write = store.writeLists(kNew);
  ASSERT_FALSE(write);
  EXPECT_NE(write.error().message.find("disk gone"), std::string::npos);
  EXPECT_EQ(store.readLists().value(), kOld);
  EXPECT_EQ(SqliteSerialStore(file).readLists().value(), kOld);
  EXPECT_TRUE(store.writeLists(kOld)) << "the store is still usable";
}

}  // namespace
}  // namespace tallowick
