// How long the book's window takes for the whole interval 00000-99999 on a new book:
// making it, moving every number with ">>" and saving the lists, each click timed from the
// click to its return (wall and processor time), on Qt's offscreen platform with the book
// in an SQLite file. Then, for comparison, a save that replaces a stored full list.
#include <stdlib.h>
#include <time.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "bench_desktop.h"

namespace {

using tallowick::bench::find;

double cpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

struct Timing {
  double wall = 1e9;
  double cpu = 1e9;
  void keepBest(const Timing& t) {
    wall = std::min(wall, t.wall);
    cpu = std::min(cpu, t.cpu);
  }
};

Timing timed(const std::function<void()>& click) {
  const auto start = std::chrono::steady_clock::now();
  const double cpuStart = cpuSeconds();
  click();
  return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
          cpuSeconds() - cpuStart};
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tallowick;
  QApplication app(argc, argv);
  char pattern[] = "/tmp/tallowick-book-bench-XXXXXX";
  if (!mkdtemp(pattern)) return 1;
  const std::filesystem::path dir = pattern;
  constexpr double kTarget = 0.2;
  constexpr int kRounds = 5;

  bench::QuietDialogs dialogs;
  Timing making, moving, saving, replacing;
  bool complete = true;
  for (int round = 0; round < kRounds; ++round) {
    gui::ProgramOptions options;
    options.store =
        std::make_unique<SqliteSerialStore>(dir / ("book" + std::to_string(round) + ".sqlite3"));
    options.programPath = "tallowick";
    options.dialogs = &dialogs;
    options.endProgram = [] {};
    gui::Program program(std::move(options));
    program.start();
    gui::TForm3& w = program.form3();
    find<QComboBox>(&w, "ComboBox1")->setCurrentIndex(1);
    find<QLineEdit>(&w, "MaskEdit1")->setText("00000");
    find<QLineEdit>(&w, "MaskEdit2")->setText("99999");
    QPushButton* make = find<QPushButton>(&w, "Button8");
    QPushButton* moveAll = find<QPushButton>(&w, "Button2");
    QPushButton* moveBack = find<QPushButton>(&w, "Button4");
    QPushButton* save = find<QPushButton>(&w, "Button9");

    making.keepBest(timed([&] { make->click(); }));
    complete = complete && find<QListWidget>(&w, "ListBox1")->count() == 100000;
    moving.keepBest(timed([&] { moveAll->click(); }));
    complete = complete && find<QListWidget>(&w, "ListBox2")->count() == 100000;
    saving.keepBest(timed([&] { save->click(); }));
    // The stored list of 100 000 moves from one key to the other.
    moveBack->click();
    replacing.keepBest(timed([&] { save->click(); }));
  }
  complete = complete && dialogs.boxes == 0;

  std::printf("book, interval 00000-99999 on a new book (offscreen, SQLite file), best of %d:\n",
              kRounds);
  const auto row = [](const char* what, const Timing& t) {
    std::printf("  %-34s wall %6.3f s, processor %6.3f s\n", what, t.wall, t.cpu);
  };
  row("make the interval", making);
  row("move all with >>", moving);
  row("save both lists", saving);
  row("save, replacing a stored full list", replacing);
  // Processor time decides: on a machine shared with other work the wall time also counts
  // the time the process waited for a core.
  const bool fast = making.cpu < kTarget && moving.cpu < kTarget && saving.cpu < kTarget;
  std::printf("  %s; make, move and save each %s %.1f s of processor time\n",
              complete ? "complete" : "INCOMPLETE", fast ? "under" : "NOT under", kTarget);
  std::filesystem::remove_all(dir);
  return complete && fast ? 0 : 1;
}
