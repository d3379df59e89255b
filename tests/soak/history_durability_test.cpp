// The history under a writer that is killed: a child process appends records of whole
// runs, each with a log of a run's length, and is killed with SIGKILL at a random moment.
// Afterwards the history must open and hold exactly the records before the append under
// way, or those and the one it was appending, each whole.
//
// TALLOWICK_DURABILITY_KILLS sets the number of kills (default 200), TALLOWICK_SOAK_SEED
// the seed of their moments (default 1). Every fourth writer starts without a history and
// makes it first.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "history/history_store.h"
#include "soak/killed_writer.h"

namespace tallowick::history {
namespace {

namespace fs = std::filesystem;
using tallowick::test::KillOutcome;

constexpr int kAppends = 60;

// Record i as the writer appends it.
Record recordOf(int i) {
  Record r;
  r.startedAtMs = 1'800'000'000'000 + std::int64_t{i} * 30'000;
  r.durationMs = 21'000;
  r.endedAtMs = r.startedAtMs + r.durationMs;
  r.computer = "line-1";
  r.port = "/dev/ttyUSB" + std::to_string(i % 4);
  r.model = "Veltor FP-90T";
  r.serialNumber = "ДЧ7000" + std::to_string(1000 + i);
  r.passes = "1";
  r.pauseMs = "0";
  r.outcome = i % 7 == 3 ? Outcome::Aborted : Outcome::Finished;
  for (int line = 0; line < 240; ++line) {
    r.log.push_back(line % 8 == 0 ? "******************************"
                                  : "Запись " + std::to_string(i) + ", строка " +
                                        std::to_string(line) + " - успешно");
  }
  for (int step = 0; step < 30; ++step)
    r.steps.push_back({.title = "Шаг " + std::to_string(step), .command = 0x20 + step});
  return r;
}

tallowick::test::Writer writer(const fs::path& file) {
  return [file](const std::function<bool()>& done) {
    Store store(file);
    for (int i = 0; i < kAppends; ++i) {
      if (!store.append(recordOf(i))) return 4;
      if (!done()) return 5;
    }
    return 0;
  };
}

TEST(HistoryDurability, KilledWriterLeavesTheRecordsBeforeOrAfterItsAppendWhole) {
  std::vector<Record> expected;
  for (int i = 0; i < kAppends; ++i)
    expected.push_back(recordOf(i));
  tallowick::test::TempDir dir("tallowick-history-durability");
  const fs::path file = dir.path / "history.sqlite3";

  // How long a writer takes for everything, so that the kills fall across all of it: the
  // second of two, which finds the file made and in memory, as most writers below do.
  std::chrono::microseconds span{0};
  for (int writers = 0; writers < 2; ++writers) {
    const auto begin = std::chrono::steady_clock::now();
    const KillOutcome whole = tallowick::test::killWriterAfter(writer(file), std::nullopt);
    span = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                                 begin);
    ASSERT_TRUE(whole.exited);
    ASSERT_EQ(whole.completed, kAppends);
  }

  const unsigned kills = tallowick::test::envNumber("TALLOWICK_DURABILITY_KILLS", 200);
  std::mt19937 rng(tallowick::test::envNumber("TALLOWICK_SOAK_SEED", 1));
  std::uniform_int_distribution<std::int64_t> moment(0, span.count() * 4 / 5);
  int asBefore = 0, asAfter = 0, finished = 0;
  std::vector<int> held;  // the numbers of the records the history holds, oldest first
  for (unsigned k = 0; k < kills; ++k) {
    // Every fourth writer finds no history and makes it, as on first use; the others
    // append to the records of the writers before. Each appends records 0, 1, ... anew.
    if (k % 4 == 0 || held.size() > 2 * kAppends) {
      for (const char* suffix : {"", "-wal", "-shm"})
        fs::remove(file.string() + suffix);
      held.clear();
    }
    const auto delay = std::chrono::microseconds(moment(rng));
    const KillOutcome o = tallowick::test::killWriterAfter(writer(file), delay);
    if (o.exited) ++finished;

    auto after = Store(file).list({.limit = 0}, Detail::Full);
    ASSERT_TRUE(after) << "kill " << k << " after " << delay.count()
                       << " us: " << after.error().message;
    std::vector<Record> records = after.value();
    const std::size_t done = held.size() + static_cast<std::size_t>(o.completed);
    if (records.size() == done) {
      ++asBefore;
    } else if (records.size() == done + 1) {
      ++asAfter;  // the append under way had committed when the kill came
    } else {
      FAIL() << "kill " << k << " after " << delay.count() << " us: " << records.size()
             << " records, " << done << " appended";
    }
    for (int n = 0; held.size() < records.size(); ++n)
      held.push_back(n);
    // In the order of their appends (each writer's clock starts again from record 0).
    std::sort(records.begin(), records.end(),
              [](const Record& a, const Record& b) { return a.id < b.id; });
    for (std::size_t i = 0; i < records.size(); ++i) {
      Record r = records[i];
      EXPECT_EQ(r.id, static_cast<std::int64_t>(i + 1)) << "kill " << k;
      r.id = 0;
      r.uid.clear();  // given as it was appended
      ASSERT_EQ(r, expected[static_cast<std::size_t>(held[i])])
          << "kill " << k << ": record " << i + 1 << " is not whole";
    }
  }
  std::printf(
      "%u kills over %lld us of appending: %d histories as before the append under way, %d "
      "as after it, %d writers had finished\n",
      kills, static_cast<long long>(span.count()), asBefore, asAfter, finished);
}

}  // namespace
}  // namespace tallowick::history
