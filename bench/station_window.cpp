// The station window against one printer alone and against the command line's station:
// tallowick-sim printers in realistic mode (every byte takes its time at the line rate; no
// print time, no reboot silence) on pseudo-terminals; first one printer's whole test run from
// the window alone, then N (eight unless told) from the window at once, then N from one
// tallowick-cli testrun with N --port options, all in the same benchmark run. Reports the
// window's wall time for N over one alone (the N first, so that they pay for the rehearsal of
// the script that the window's progress is measured against), how late the window's event loop
// answered a timer while the runs went on (median, 99th percentile, worst), and the window's CPU
// time per printer over the command line station's.
//
// usage: bench_station_window SIM CLI [--printers N] [--repeat N] [RATE...]
//        (default rate 115200; with --repeat, the medians of the ratios too)
#include <sys/resource.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/cli.h"
#include "app/testrun_command.h"
#include "bench_desktop.h"
#include "bench_process.h"
#include "gui/station_window.h"
#include "history/journal.h"

namespace {

namespace fs = std::filesystem;
using Steady = std::chrono::steady_clock;

double ownCpu() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return tallowick::bench::seconds(usage.ru_utime) + tallowick::bench::seconds(usage.ru_stime);
}

struct Measured {
  bool ok = false;
  double wall = 0;
  double cpu = 0;
  std::vector<double> lateMs;  // how late each tick of a 10 ms timer came
};

double percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size())))];
}

int rateIndex(int rate) {
  const int rates[] = {9600, 19200, 57600, 115200};
  for (int i = 0; i < 4; ++i) {
    if (rates[i] == rate) return i;
  }
  return 0;
}

// The window's runs on `links`; `watched`: with a 10 ms timer watching its event loop (whose
// own wake-ups then count in the CPU time).
Measured fromWindow(const std::vector<fs::path>& links, int rate, const fs::path& dir,
                    bool watched) {
  namespace gui = tallowick::gui;
  tallowick::bench::QuietDialogs dialogs;
  dialogs.chosenFolder = QString::fromStdString(dir.string());
  tallowick::history::Journal journal(dir / "window-history.sqlite3");
  gui::StationWindow window({.runner = tallowick::stationRunner(journal, {})}, dialogs, nullptr);
  window.showPorts();
  for (const auto& link : links) {
    tallowick::bench::find<QLineEdit>(&window, "PortEdit")->setText(QString::fromStdString(link));
    tallowick::bench::find<QPushButton>(&window, "AddButton")->click();
  }
  tallowick::bench::find<QLineEdit>(&window, "PauseEdit")->setText("0");
  tallowick::bench::find<QComboBox>(&window, "RateBox")->setCurrentIndex(rateIndex(rate));

  Measured m;
  QElapsedTimer since;
  QTimer watch;
  watch.setTimerType(Qt::PreciseTimer);
  watch.setInterval(10);
  QObject::connect(&watch, &QTimer::timeout, [&] {
    m.lateMs.push_back(std::max(0.0, static_cast<double>(since.nsecsElapsed()) / 1e6 - 10.0));
    since.restart();
  });
  const double cpuBefore = ownCpu();
  const auto start = Steady::now();
  tallowick::bench::find<QPushButton>(&window, "StartButton")->click();
  since.start();
  if (watched) watch.start();
  // As the program's event loop waits: for the next event, timers among them.
  while (window.running())
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  watch.stop();
  m.wall = std::chrono::duration<double>(Steady::now() - start).count();
  m.cpu = ownCpu() - cpuBefore;
  m.ok = true;
  return m;
}

// tallowick-cli testrun on `links` at once.
Measured fromCli(const std::string& cli, const std::vector<fs::path>& links, int rate,
                 const fs::path& dir) {
  std::vector<std::string> args{cli,       "testrun", "--baud",    std::to_string(rate),
                                "--pause", "0",       "--history", (dir / "cli-history").string()};
  for (const auto& link : links)
    args.insert(args.end(), {"--port", link.string()});
  const auto run = tallowick::bench::timedRun(args, (dir / "cli.out").string());
  return {.ok = run.code == 0, .wall = run.wall, .cpu = run.cpu};
}

}  // namespace

int main(int argc, char** argv) {
  int count = 8;
  int repeat = 1;
  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i + 1 < argc && arg == "--printers") {
      count = std::max(1, std::atoi(argv[++i]));
    } else if (i + 1 < argc && arg == "--repeat") {
      repeat = std::max(1, std::atoi(argv[++i]));
    } else {
      rest.push_back(argv[i]);
    }
  }
  const auto setup =
      tallowick::bench::programBench(static_cast<int>(rest.size()), rest.data(), {115200});
  if (!setup) return 2;
  int qtArgc = 1;
  QApplication app(qtArgc, argv);
  int failures = 0;
  std::printf(
      "The station window: %d printers at once against one alone and against the "
      "command line's station, whole test run, pause 0, realistic printers without "
      "print time, over ptys (cores: %u):\n",
      count, std::thread::hardware_concurrency());
  for (const int rate : setup->rates) {
    std::vector<double> wallRatios, cpuRatios, p99s;
    for (int r = 0; r < repeat; ++r) {
      std::vector<pid_t> pids;
      const auto first =
          tallowick::bench::spawnPrinters(rest[1], count, rate, setup->dir, "first", pids);
      const auto alone =
          tallowick::bench::spawnPrinters(rest[1], 1, rate, setup->dir, "alone", pids);
      const auto many =
          tallowick::bench::spawnPrinters(rest[1], count, rate, setup->dir, "window", pids);
      const auto station =
          tallowick::bench::spawnPrinters(rest[1], count, rate, setup->dir, "cli", pids);
      // The first N, watched, pay for the rehearsal of the script (once for a kind of printer
      // and options, in the first round); the others run with the plan known, and the CPU
      // time is measured unwatched.
      const Measured watched = fromWindow(first, rate, setup->dir, true);
      const Measured one = fromWindow(alone, rate, setup->dir, false);
      const Measured all = fromWindow(many, rate, setup->dir, false);
      const Measured cli = fromCli(rest[2], station, rate, setup->dir);
      tallowick::bench::stopPrinters(pids);
      if (!cli.ok) ++failures;
      wallRatios.push_back(one.wall > 0 ? all.wall / one.wall : 0);
      cpuRatios.push_back(cli.cpu > 0 ? all.cpu / cli.cpu : 0);
      p99s.push_back(percentile(watched.lateMs, 0.99));
      std::printf(
          "  %6d baud: %d from the window, watched: wall %.3f s, CPU %.3f s%s; event loop late "
          "by median %.1f ms, 99th percentile %.1f ms, worst %.1f ms over %zu ticks\n",
          rate, count, watched.wall, watched.cpu,
          r == 0 ? " (with the one rehearsal and the watching timer)"
                 : " (with the watching timer)",
          percentile(watched.lateMs, 0.5), p99s.back(), percentile(watched.lateMs, 1.0),
          watched.lateMs.size());
      std::printf(
          "  %6d baud: one alone %.3f s wall; %d from the window %.3f s wall, %.3f s CPU; %d from "
          "tallowick-cli %.3f s wall, %.3f s CPU\n",
          rate, one.wall, count, all.wall, all.cpu, count, cli.wall, cli.cpu);
    }
    std::printf(
        "  %6d baud, median of %d: wall of %d over one alone %.3f (target <= 1.05); event loop "
        "late at the 99th percentile %.1f ms (target <= 50 ms); CPU per printer, window over "
        "command line %.3f (target <= 1.2)\n",
        rate, repeat, count, percentile(wallRatios, 0.5), percentile(p99s, 0.5),
        percentile(cpuRatios, 0.5));
  }
  fs::remove_all(setup->dir);
  return failures == 0 ? 0 : 1;
}
