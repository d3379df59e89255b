// Stations of a line as the workshop runs them: tallowick-cli processes, several stations at
// once, against a real server. No number is ever given twice, and a shift goes on while the
// server is away, every record arriving on the line once it is back, however the forwarding
// was cut short.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <thread>

#include "line/line_fixture.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace tallowick::line::test {
namespace {

namespace fs = std::filesystem;
using tallowick::test::exitCodeWithin;
using tallowick::test::spawnProgram;

constexpr const char* kType = "ЕД800";
// The built-in printer as a FP-510T of Ukraine that needs no reboot after its clock is set.
constexpr const char* kPort = "sim:FP-510T,no-reboot";
constexpr const char* kTaken = "Шаг 2. Заводской номер из книги: ";

std::string readAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

struct Ran {
  int code = -1;
  std::string out, err;
};

// One tallowick-cli command of a station, its streams in files of the station's folder.
Ran cliOf(const fs::path& folder, const std::string& name, std::vector<std::string> args) {
  const fs::path out = folder / (name + ".out"), err = folder / (name + ".err");
  const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  args.insert(args.begin(), TALLOWICK_CLI_EXE);
  const pid_t pid = spawnProgram(args, {.out = o, .err = e});
  ::close(o);
  ::close(e);
  Ran r;
  r.code = pid < 0 ? -1 : exitCodeWithin(pid, std::chrono::seconds(120));
  r.out = readAll(out);
  r.err = readAll(err);
  return r;
}

// The number an init took from the book, as its log says; empty when it took none.
std::string takenNumber(const std::string& out) {
  const auto at = out.find(kTaken);
  if (at == std::string::npos) return {};
  const auto from = at + std::string(kTaken).size();
  return out.substr(from, out.find('\n', from) - from);
}

// A station of the line: its user, its name, its own history and settings in its folder.
struct StationProcess {
  std::string conninfo;
  std::string name;
  fs::path folder;

  std::vector<std::string> with(std::vector<std::string> args) const {
    args.insert(args.end(), {"--database", conninfo, "--station", name, "--history",
                             (folder / "history.sqlite3").string()});
    return args;
  }
  Ran init(const std::string& run) const {
    return cliOf(folder, run,
                 with({"init", "--port", kPort, "--serial", "next", "--continue-after", "0"}));
  }
  Ran testrun(const std::string& run) const {
    return cliOf(folder, run, with({"testrun", "--port", "sim", "--pause", "0", "--no-fiscal"}));
  }
  std::size_t localRecords() const {
    history::Store store(folder / "history.sqlite3");
    auto all = store.list({.limit = 0});
    return all ? all.value().size() : 0;
  }
};

class LineProcessTest : public LineTest {
 protected:
  void prepare(const PgDatabase& db, int stations) {
    ASSERT_TRUE(database().ready());
    for (int n = 1; n <= stations; ++n) {
      const fs::path folder = dir_ / ("st" + std::to_string(n));
      fs::create_directories(folder);
      stations_.push_back({db.conninfo(pgStation(n)), "st" + std::to_string(n), folder});
    }
    // The settings of no computer: each station's own, empty.
    ::setenv("TALLOWICK_SETTINGS", (dir_ / "settings.json").c_str(), 1);
  }

  tallowick::test::TempDir dir_{"tallowick-line-process"};
  std::vector<StationProcess> stations_;
};

// Eight stations, each initialising fifty printers with the book's next number: four
// hundred numbers, each written into one printer only, each used on the line by the station
// whose printer has it, and every initialisation on the line.
TEST_F(LineProcessTest, EightStationsAtOnceNeverWriteOneNumberTwice) {
  initialise();
  auto admin = connect(kPgAdmin);
  ASSERT_TRUE(admin);
  ASSERT_TRUE(Book(*admin).addRange(kType, 0, 999));
  prepare(database(), 8);

  std::vector<std::vector<std::string>> taken(stations_.size());
  std::vector<std::thread> threads;
  for (std::size_t s = 0; s < stations_.size(); ++s) {
    threads.emplace_back([&, s] {
      for (int k = 0; k < 50; ++k) {
        const Ran r = stations_[s].init("init" + std::to_string(k));
        EXPECT_EQ(r.code, 0) << stations_[s].name << " " << k << ": " << r.err;
        taken[s].push_back(takenNumber(r.out));
      }
    });
  }
  for (auto& t : threads)
    t.join();

  std::map<std::string, std::string> writer;  // number -> station
  for (std::size_t s = 0; s < stations_.size(); ++s) {
    for (const std::string& n : taken[s]) {
      ASSERT_FALSE(n.empty());
      EXPECT_TRUE(writer.emplace(n, stations_[s].name).second) << n << " written twice";
    }
  }
  EXPECT_EQ(writer.size(), 400u);
  // The book as the line holds it agrees, number for number.
  auto used = admin->query(
      "SELECT number, station FROM tallowick.serial_number WHERE state = 'used' ORDER BY number");
  ASSERT_TRUE(used);
  ASSERT_EQ(used.value().size(), 400);
  for (int row = 0; row < used.value().size(); ++row) {
    EXPECT_EQ(writer[used.value().text(row, 0)], used.value().text(row, 1));
  }
  EXPECT_EQ(ownerValue("SELECT count(*) FROM tallowick.serial_number WHERE state = 'taken'"), "0");
  EXPECT_EQ(ownerValue("SELECT count(*) FROM tallowick.run WHERE kind = 'init' AND outcome = "
                       "'finished'"),
            "400");
}

// Four stations work a shift; the server goes away in the middle of it and comes back. The
// runs go on; initialisations take from the stations' blocks and refuse once a block is
// empty; records wait. Once the server is back every record is on the line exactly once,
// though forwarding was killed at random moments and run again.
TEST_F(LineProcessTest, AShiftGoesOnWhileTheServerIsAway) {
  std::string why;
  auto cluster = tallowick::test::PgCluster::start(why);
  ASSERT_TRUE(cluster) << why;
  PgDatabase db(cluster->server(), why);
  ASSERT_TRUE(db.ready()) << why;
  {
    auto owner = Connection::openForInitialise(db.conninfo(kPgOwner));
    ASSERT_TRUE(owner) << owner.error().message;
    ASSERT_TRUE(line::initialise(*owner.value()));
    ASSERT_TRUE(db.grantLineRoles(why)) << why;
    auto admin = Connection::open(db.conninfo(kPgAdmin));
    ASSERT_TRUE(admin);
    ASSERT_TRUE(Book(*admin.value()).addRange(kType, 0, 999));
  }
  prepare(db, 4);
  std::vector<std::set<std::string>> written(stations_.size());

  const auto shift = [&](const std::string& part, int inits, int refusedFrom) {
    std::vector<std::thread> threads;
    for (std::size_t s = 0; s < stations_.size(); ++s) {
      threads.emplace_back([&, s] {
        const StationProcess& st = stations_[s];
        for (int k = 0; k < 2; ++k) {
          const Ran r = st.testrun(part + "run" + std::to_string(k));
          EXPECT_EQ(r.code, 0) << st.name << " " << part << ": " << r.err;
        }
        for (int k = 0; k < inits; ++k) {
          const Ran r = st.init(part + "init" + std::to_string(k));
          const std::string number = takenNumber(r.out);
          if (k >= refusedFrom) {
            EXPECT_EQ(r.code, 5) << st.name << " " << part << " " << k << ": " << r.err;
            EXPECT_NE(r.err.find("в запасе станции нет номеров"), std::string::npos) << r.err;
            EXPECT_TRUE(number.empty());
            continue;
          }
          EXPECT_EQ(r.code, 0) << st.name << " " << part << " " << k << ": " << r.err;
          EXPECT_TRUE(written[s].insert(number).second) << number;
        }
      });
    }
    for (auto& t : threads)
      t.join();
  };

  shift("before", 2, 99);
  ASSERT_TRUE(cluster->pause(why)) << why;
  // Each station keeps twenty numbers of the type for itself: the twenty-first is refused.
  shift("away", 21, 20);
  for (const StationProcess& st : stations_) {
    const Ran status = cliOf(st.folder, "status", st.with({"sync", "--status"}));
    EXPECT_EQ(status.code, 10) << status.out;
    // Two test runs and twenty-one initialisations, the refused one among them.
    EXPECT_NE(status.out.find("Ожидают отправки записей: 23"), std::string::npos) << status.out;
  }
  ASSERT_TRUE(cluster->resume(why)) << why;

  // Forwarding killed at random moments, then run to its end.
  std::mt19937 random(20261209);
  for (const StationProcess& st : stations_) {
    for (int k = 0; k < 3; ++k) {
      const pid_t pid = spawnProgram([&] {
        auto args = st.with({"sync"});
        args.insert(args.begin(), TALLOWICK_CLI_EXE);
        return args;
      }());
      std::this_thread::sleep_for(std::chrono::milliseconds(random() % 150));
      ::kill(pid, SIGKILL);
      ::waitpid(pid, nullptr, 0);
    }
    const Ran done = cliOf(st.folder, "sync", st.with({"sync"}));
    EXPECT_EQ(done.code, 0) << done.err;
  }

  auto admin = Connection::open(db.conninfo(kPgAdmin));
  ASSERT_TRUE(admin);
  const auto value = [&](const std::string& sql) {
    auto rows = admin.value()->query(sql);
    return rows && rows.value().size() > 0 ? rows.value().text(0, 0) : std::string("?");
  };
  std::set<std::string> all;
  for (std::size_t s = 0; s < stations_.size(); ++s) {
    const StationProcess& st = stations_[s];
    EXPECT_EQ(value("SELECT count(*) FROM tallowick.run WHERE station = '" + st.name + "'"),
              std::to_string(st.localRecords()))
        << st.name;
    for (const std::string& n : written[s]) {
      EXPECT_TRUE(all.insert(n).second) << n << " written twice";
      EXPECT_EQ(value("SELECT state || ' ' || station FROM tallowick.serial_number WHERE number "
                      "= '" +
                      n + "'"),
                "used " + st.name);
    }
  }
  EXPECT_EQ(all.size(), 4u * 22u);
  EXPECT_EQ(value("SELECT count(*) - count(DISTINCT uid) FROM tallowick.run"), "0");
  EXPECT_EQ(value("SELECT count(*) FROM tallowick.run"), std::to_string(4 * (4 + 23)));
}

}  // namespace
}  // namespace tallowick::line::test
