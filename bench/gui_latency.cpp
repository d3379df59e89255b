// How the desktop tool answers while a test run goes on: the program as `tallowick
// --simulate` builds it (the built-in virtual printer at real time, silent for seconds after
// its reboot command), driven through its buttons on Qt's offscreen platform, message boxes
// recorded instead of shown. Two probes run through the whole run:
// - a 10 ms timer: how late each of its ticks comes (the gap to the tick before, less 10 ms);
// - a click on a page's tab about every 150 ms, at moments of its own (posted from another
//   thread, as the window system delivers input): how long until the page it asks for is
//   shown.
// Each is reported for the whole run and for the reboot step alone (from its title to the
// next one).
//
// usage: bench_gui_latency [PAUSE_MS]   (default 0)
#include <stdlib.h>

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointingDevice>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench_desktop.h"

namespace {

using tallowick::bench::find;
using Steady = std::chrono::steady_clock;

double ms(Steady::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

// Delays in milliseconds, each marked whether it fell in the reboot step.
struct Samples {
  std::vector<double> all;
  std::vector<double> reboot;
  void add(double delay, bool inReboot) {
    all.push_back(delay);
    if (inReboot) reboot.push_back(delay);
  }
};

void report(const char* what, std::vector<double> v) {
  if (v.empty()) {
    std::printf("  %-34s no samples\n", what);
    return;
  }
  std::sort(v.begin(), v.end());
  const auto at = [&](double q) {
    return v[std::min(v.size() - 1, static_cast<std::size_t>(q * static_cast<double>(v.size())))];
  };
  std::printf("  %-34s %5zu samples: median %7.2f ms, p99 %7.2f ms, max %7.2f ms\n", what, v.size(),
              at(0.5), at(0.99), v.back());
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tallowick;
  QApplication app(argc, argv);
  const std::string pause = argc > 1 ? argv[1] : "0";
  char pattern[] = "/tmp/tallowick-gui-bench-XXXXXX";
  if (!mkdtemp(pattern)) return 1;
  const std::filesystem::path dir = pattern;

  bench::QuietDialogs dialogs;
  int code = 1;
  {
    gui::Program program(bench::simulatedDesktop(dir, dialogs));
    program.start();
    gui::TForm1& w = program.form1();
    w.show();
    find<QPushButton>(&w, "Button2")->click();  // connect to "sim"
    auto* pages = find<QTabWidget>(&w, "PageControl1");
    pages->setCurrentIndex(1);
    find<QLineEdit>(&w, "Edit1")->setText(QString::fromStdString(pause));

    // Where the run is: inside the reboot step or not, from the log's titles.
    const auto& log = w.testLog();
    std::size_t seen = 0;
    std::atomic<bool> inReboot{false};
    std::atomic<bool> running{false};
    const auto follow = [&] {
      for (; seen + 1 < log.size(); ++seen) {
        if (log[seen] != "******************************") continue;
        inReboot = log[seen + 1] == "Перезагрузка устройства";
      }
    };

    Samples timerDelays;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(10);
    Steady::time_point lastTick = Steady::now();
    QObject::connect(&ticker, &QTimer::timeout, [&] {
      const auto now = Steady::now();
      follow();
      if (running) timerDelays.add(std::max(0.0, ms(now - lastTick) - 10.0), inReboot);
      lastTick = now;
    });

    // A click on the tab of the page not shown, posted as input from the window system; its
    // answer is the page changing. The clicks come from a thread of their own, so that they
    // fall at any moment of the run, not only when the window is looking.
    Samples clickDelays;
    std::atomic<std::int64_t> clickedAt{0};  // steady nanoseconds; 0 while no click waits
    std::atomic<bool> clickInReboot{false};
    std::atomic<bool> clicking{true};
    QTabBar* bar = pages->tabBar();
    // By page: the run's own page and the one of the auxiliary functions, taking turns.
    const QPointF tabAt[] = {{}, bar->tabRect(1).center(), bar->tabRect(2).center()};
    const QPointF tabGlobal[] = {{}, bar->mapToGlobal(tabAt[1]), bar->mapToGlobal(tabAt[2])};
    const QPointingDevice* mouse = QPointingDevice::primaryPointingDevice();
    QObject::connect(pages, &QTabWidget::currentChanged, [&] {
      const std::int64_t at = clickedAt.exchange(0);
      if (at == 0) return;
      const auto since = Steady::now().time_since_epoch() - std::chrono::nanoseconds(at);
      clickDelays.add(ms(since), clickInReboot.load());
    });
    std::thread clicker([&] {
      std::minstd_rand random(7);
      for (int next = 2; clicking.load();) {
        std::this_thread::sleep_for(std::chrono::milliseconds(120 + random() % 60));
        if (!running.load() || clickedAt.load() != 0) continue;
        clickInReboot = inReboot.load();
        clickedAt = Steady::now().time_since_epoch().count();
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
          QCoreApplication::postEvent(
              bar, new QMouseEvent(type, tabAt[next], tabGlobal[next], Qt::LeftButton,
                                   type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                   Qt::NoModifier, mouse));
        }
        next = 3 - next;
      }
    });

    ticker.start();
    running = true;
    const auto start = Steady::now();
    find<QPushButton>(&w, "Button3")->click();  // the whole run happens inside
    running = false;
    const double seconds = ms(Steady::now() - start) / 1000.0;
    ticker.stop();
    clicking = false;
    clicker.join();
    const bool finished =
        std::find(log.begin(), log.end(), "Общее количество ошибок: 0") != log.end();
    std::printf(
        "desktop tool during a whole run on the built-in printer (offscreen), pause %s ms: %s, "
        "%.1f s\n",
        pause.c_str(), finished ? "finished without errors" : "NOT FINISHED", seconds);
    report("10 ms timer, delay, whole run:", timerDelays.all);
    report("10 ms timer, delay, reboot step:", timerDelays.reboot);
    report("click on a tab, answer, whole run:", clickDelays.all);
    report("click on a tab, answer, reboot:", clickDelays.reboot);
    code = finished ? 0 : 1;
  }
  std::filesystem::remove_all(dir);
  return code;
}
