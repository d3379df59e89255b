// Peak memory of the desktop tool during a whole test run: the program as `tallowick
// --simulate` builds it (the four windows, the book in an SQLite file, the built-in
// virtual printer at real time), driven through its buttons on Qt's offscreen platform,
// with message boxes recorded instead of shown so that nothing waits for a person.
#include <stdlib.h>
#include <sys/resource.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "bench_desktop.h"

namespace {

using tallowick::bench::find;

long maxRssKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tallowick;
  QApplication app(argc, argv);
  char pattern[] = "/tmp/tallowick-gui-bench-XXXXXX";
  if (!mkdtemp(pattern)) return 1;
  const std::filesystem::path dir = pattern;

  bench::QuietDialogs dialogs;
  gui::ProgramOptions options = bench::simulatedDesktop(dir, dialogs);
  const long beforeWindows = maxRssKiB();
  int code = 1;
  {
    gui::Program program(std::move(options));
    program.start();
    gui::TForm1& w = program.form1();
    w.show();
    find<QPushButton>(&w, "Button2")->click();  // connect to "sim"
    const long connected = maxRssKiB();
    find<QTabWidget>(&w, "PageControl1")->setCurrentIndex(1);
    find<QLineEdit>(&w, "Edit1")->setText("0");
    const auto start = std::chrono::steady_clock::now();
    find<QPushButton>(&w, "Button3")->click();  // the whole run happens inside
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const auto& log = w.testLog();
    const bool finished =
        std::find(log.begin(), log.end(), "Общее количество ошибок: 0") != log.end();
    std::printf(
        "desktop tool, whole run on the built-in printer (offscreen): %s, %zu log lines, %.1f s, "
        "max RSS %ld KiB (before the windows %ld KiB, connected %ld KiB)\n",
        finished ? "finished without errors" : "NOT FINISHED", log.size(), seconds, maxRssKiB(),
        beforeWindows, connected);
    code = finished ? 0 : 1;
  }
  std::filesystem::remove_all(dir);
  return code;
}
