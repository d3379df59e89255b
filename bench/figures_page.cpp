// The history window's page of figures over a production line's N records (default
// 100 000): the counting of the figures (the whole selection and its days) and the drawing of
// the page with its two charts, as "Показатели" makes them, median of repeated rounds. Reading
// the records' facts from the history is measured beside the command line's figures by
// bench_history_figures.
//
// usage: QT_QPA_PLATFORM=offscreen bench_figures_page [RECORDS] [ROUNDS] [PICTURE.png]
//   (the last round's page saved as a picture when a file is named)
#include <QApplication>
#include <QImage>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "figures.h"
#include "gui/dialog_service.h"
#include "gui/figures_window.h"
#include "history/figures.h"

namespace {

using tallowick::bench::figuresOf;
using tallowick::bench::msSince;
namespace history = tallowick::history;

// A run every two minutes on one of four stations and five models, a printer back about every
// fifth run, one run in 31 with errors and one in 97 aborted, each at one of eight steps, one
// record in ten an initialisation.
std::vector<history::RunFacts> lineFacts(std::size_t records) {
  static const char* kSteps[] = {
      "Установка времени", "X-отчет", "Служебный чек",           "Фискальный чек",
      "Чек возврата",      "Z-отчет", "Перезагрузка устройства", "Отчет проданных товаров"};
  static const char* kModels[] = {"Veltor FP-90T", "Veltor KM-15", "Veltor FP-820T",
                                  "Veltor FP-510T", "Veltor FP-T320"};
  std::vector<history::RunFacts> facts;
  facts.reserve(records);
  for (std::size_t i = 0; i < records; ++i) {
    history::RunFacts f;
    f.id = static_cast<std::int64_t>(i + 1);
    f.kind = i % 10 == 9 ? history::Kind::Initialisation : history::Kind::TestRun;
    f.startedAtMs = 1'780'000'000'000 + static_cast<std::int64_t>(i) * 120'000;
    f.utcOffsetMinutes = 120;
    f.station = "line-" + std::to_string(i % 4);
    f.model = kModels[i % 5];
    f.serialNumber = "ЕД800" + std::to_string(10000 + (i - i / 5) % 90000);
    f.durationMs = 60'000 + static_cast<std::int64_t>(i % 97) * 100;
    if (i % 97 == 13) {
      f.outcome = history::Outcome::Aborted;
      f.failedStep = kSteps[i % 8];
    } else if (i % 31 == 7) {
      f.outcome = history::Outcome::FinishedWithErrors;
      f.errorCount = 1;
      f.failedStep = kSteps[(i / 31) % 8];
    }
    facts.push_back(std::move(f));
  }
  return facts;
}

class NoDialogs final : public tallowick::gui::DialogService {
 public:
  void messageBox(QWidget*, const QString&) override {}
  bool question(QWidget*, const QString&) override { return false; }
  std::optional<QString> saveFileName(QWidget*, const QString&, const QString&) override {
    return std::nullopt;
  }
  std::optional<QString> folder(QWidget*, const QString&, const QString&) override {
    return std::nullopt;
  }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const std::size_t records = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100000;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 7;
  const std::vector<history::RunFacts> facts = lineFacts(records);
  NoDialogs dialogs;
  std::vector<double> counting, drawing, whole;
  for (int round = 0; round < rounds; ++round) {
    const auto start = std::chrono::steady_clock::now();
    history::FiguresReport report = history::countFigures(facts, history::Grouping::Day);
    const double counted = msSince(start);
    const auto drawStart = std::chrono::steady_clock::now();
    tallowick::gui::FiguresWindow page(std::move(report), dialogs, nullptr);
    const QImage picture = page.picture();
    drawing.push_back(msSince(drawStart));
    counting.push_back(counted);
    whole.push_back(msSince(start));
    if (picture.isNull()) return 1;
    if (round == rounds - 1 && argc > 3 && !picture.save(QString::fromLocal8Bit(argv[3]))) return 1;
  }
  std::printf("page of figures over %zu records, median of %d rounds (ms):\n", records, rounds);
  std::printf("  counting (whole and by day) %.1f\n", figuresOf(counting).median);
  std::printf("  drawing the page and its charts %.1f\n", figuresOf(drawing).median);
  std::printf("  both %.1f (target < 300 with the facts read: see bench_history_figures)\n",
              figuresOf(whole).median);
  return 0;
}
