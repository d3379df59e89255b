// The serial-number book under a writer that is killed: a child process saves new
// intervals ("Сохранить") and confirms initialised numbers, each a rewrite of both lists,
// and is killed with SIGKILL at a random moment. Afterwards the book must read as exactly
// the lists before the write under way or exactly those after it.
//
// TALLOWICK_DURABILITY_KILLS sets the number of kills (default 200), TALLOWICK_SOAK_SEED
// the seed of their moments (default 1). Every fourth writer starts without a book and
// makes it first.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "initforms/serial_book.h"
#include "initforms/sqlite_serial_store.h"
#include "soak/killed_writer.h"

namespace tallowick {
namespace {

namespace fs = std::filesystem;
using test::envNumber;
using test::KillOutcome;
using test::TempDir;

constexpr int kOperations = 40;
constexpr char kProgramPath[] = "/opt/tallowick/tallowick";

// Operation i: even ones save a new interval of a few hundred numbers, odd ones confirm
// one number of the list to initialise. Each ends in one rewrite of both lists.
StoreStatus operation(SerialBook& book, int i) {
  if (i % 2 == 0) {
    std::vector<std::string> numbers;
    const int count = 50 + (i * 37) % 400;
    for (int n = 0; n < count; ++n) {
      char serial[16];
      std::snprintf(serial, sizeof serial, "ПБ%08d", i * 1000 + n);
      numbers.push_back(serial);
    }
    book.replaceWithInterval(std::move(numbers));
    return book.save();
  }
  const auto& pending = book.shouldInit();
  return book.confirm(pending.empty() ? std::string()
                                      : pending[static_cast<std::size_t>(i) % pending.size()]);
}

// The lists after each operation, as a book that writes nowhere computes them; [0] is
// the empty book before the first.
std::vector<SerialLists> expectedStates() {
  UnavailableSerialStore nowhere({StoreErrorKind::Unavailable, "nowhere"});
  SerialBook book(nowhere);
  std::vector<SerialLists> states{SerialLists{}};
  for (int i = 0; i < kOperations; ++i) {
    (void)operation(book, i);
    states.push_back({book.shouldInit(), book.alreadyInit()});
  }
  return states;
}

// The writer: opens the book, then runs the operations, telling the parent after each
// one that ended well.
test::Writer writer(const fs::path& file) {
  return [file](const std::function<bool()>& done) {
    SqliteSerialStore store(file);
    SerialBook book(store);
    const auto started = book.start(kProgramPath);
    if (started.setUp || started.lists) return 3;
    for (int i = 0; i < kOperations; ++i) {
      if (!operation(book, i)) return 4;
      if (!done()) return 5;
    }
    return 0;
  };
}

TEST(StoreDurability, KilledWriterLeavesTheOldOrTheNewListsWhole) {
  const std::vector<SerialLists> states = expectedStates();
  TempDir dir("tallowick-durability");
  const fs::path templateFile = dir.path / "template.sqlite3";
  {
    // The book as the first start leaves it: registered, both lists empty.
    SqliteSerialStore store(templateFile);
    SerialBook book(store);
    const auto started = book.start(kProgramPath);
    ASSERT_FALSE(started.setUp || started.lists);
  }
  const fs::path file = dir.path / "registry.sqlite3";

  // How long the writer takes for everything, so that the kills fall across all of it.
  fs::copy_file(templateFile, file, fs::copy_options::overwrite_existing);
  const auto begin = std::chrono::steady_clock::now();
  const KillOutcome whole = test::killWriterAfter(writer(file), std::nullopt);
  const auto span = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - begin);
  ASSERT_TRUE(whole.exited);
  ASSERT_EQ(whole.completed, kOperations);

  const unsigned kills = envNumber("TALLOWICK_DURABILITY_KILLS", 200);
  std::mt19937 rng(envNumber("TALLOWICK_SOAK_SEED", 1));
  std::uniform_int_distribution<std::int64_t> moment(0, span.count() * 4 / 5);
  int asBefore = 0, asAfter = 0, hotJournal = 0, finished = 0;
  for (unsigned k = 0; k < kills; ++k) {
    // Every fourth writer finds no book and makes it at its start, as on first use.
    const bool fresh = k % 4 == 3;
    fs::remove(file);
    if (!fresh) fs::copy_file(templateFile, file);
    const auto delay = std::chrono::microseconds(moment(rng));
    const KillOutcome o = test::killWriterAfter(writer(file), delay);
    if (o.exited) ++finished;
    if (fs::exists(fs::path(file.string() + "-journal"))) ++hotJournal;

    SqliteSerialStore store(file);
    const auto lists = store.readLists();
    ASSERT_TRUE(lists) << "kill " << k << " after " << delay.count()
                       << " us: " << lists.error().message;
    const auto done = static_cast<std::size_t>(o.completed);
    ASSERT_LT(done, states.size());
    if (lists.value() == states[done]) {
      ++asBefore;
    } else if (done + 1 < states.size() && lists.value() == states[done + 1]) {
      ++asAfter;  // the write under way had committed when the kill came
    } else {
      ADD_FAILURE() << "kill " << k << " after " << delay.count() << " us, " << done
                    << " operations done: the book holds neither the old nor the new lists";
    }
    // Opening the book removed whatever the killed writer left of a book it was making.
    for (const auto& entry : fs::directory_iterator(file.parent_path())) {
      const std::string name = entry.path().filename().string();
      EXPECT_FALSE(name.starts_with("." + file.filename().string() + ".") && name.ends_with(".tmp"))
          << "kill " << k << " left " << name;
    }
  }
  std::printf(
      "%u kills over %lld us of writing: %d books as before the write under way, %d as after "
      "it, %d left a journal to roll back, %d writers had finished\n",
      kills, static_cast<long long>(span.count()), asBefore, asAfter, hotJournal, finished);
}

}  // namespace
}  // namespace tallowick
