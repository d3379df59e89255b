// A printer's test report as a PDF, for a test run of several passes whose log has N lines
// (default 1 500) and 25 titled steps, one of them failed: in this process, the fonts read,
// the report's bytes built, and the report built and saved whole; then the whole command
// line, `tallowick-cli history report`, as a process, its fonts read included, for the
// record and for its printer (the initialisation and two such runs). Each figure is the
// median, the mean and the worst of repeated runs, in milliseconds, with the file's size
// and its pages.
//
// usage: bench_test_report CLI [LOG_LINES] [REPEAT]
//   (default 1500 lines, 10 repetitions; a new folder under the system's temporary folder,
//   removed afterwards)
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <variant>
#include <vector>

#include "bench_process.h"
#include "figures.h"
#include "history/history_store.h"
#include "history/test_report.h"
#include "history_records.h"

namespace {

namespace fs = std::filesystem;
using tallowick::Failure;
using tallowick::StepReport;
using tallowick::StepResult;
using tallowick::bench::timed;
using tallowick::history::Kind;
using tallowick::history::loadReportFonts;
using tallowick::history::Outcome;
using tallowick::history::Record;
using tallowick::history::reportFontFolders;
using tallowick::history::ReportFonts;
using tallowick::history::ReportHeading;
using tallowick::history::saveTestReport;
using tallowick::history::Store;
using tallowick::history::testReport;
using Times = tallowick::bench::Figures;

constexpr const char* kSerial = "ЕД80010512";
constexpr const char* kWorkshop = "Мастерская «Касса»";

// One pass of a run's log, as the test writes it.
constexpr const char* kPass[] = {
    "******************************",
    "Получить дату/время",
    "",
    "Получить дату/время - успешно",
    " ",
    "******************************",
    "X-отчет",
    "",
    "X-отчет - успешно",
    " ",
    "******************************",
    "Служебный чек",
    "",
    "Чек открыт - успешно",
    "",
    "Печать текста - успешно",
    "",
    "Печать текста - успешно",
    "",
    "Служебный чек - успешно",
    " ",
    "******************************",
    "Тест индикаторов клиента - строка 2",
    "Тест индикаторов клиента - успешно (1)",
    "******************************",
    "Программирование артикулов",
    "",
    "Программирование артикулов - успешно",
    " ",
    "******************************",
    "Фискальный чек",
    "",
    "Фискальный чек открыт - успешно",
    "",
    "Печать текста - успешно",
    "",
    "Продажа товара - успешно",
    "",
    "Процентная скидка на товар - успешно",
    "",
    "Продажа товара - успешно",
    "",
    "Количественная надбавка на товар - успешно",
    "",
    "Абсолютная надбавка-скидка - успешно",
    "",
    "Печать итога - успешно",
    "",
    "Оплата чека - успешно",
    "",
    "Печать штрихкода - успешно",
    "",
    "Чек закрыт - успешно",
    " ",
    "******************************",
    "Чек возврата",
    "",
    "Чек возврата открыт - успешно",
    "",
    "Оплата чека - успешно",
    "",
    "Чек закрыт - успешно",
    " ",
    "******************************",
    "2. Полный тест",
    "",
    "Полный тест - успешно",
    "",
    "Служебный чек - успешно",
    "******************************",
    "Z-отчет",
    "Z-отчет - успешно",
    "",
    "Чтение параментров регистратора - успешно",
};

// The titled steps of a run, with the command each sends.
constexpr struct {
  const char* title;
  int command;
} kSteps[] = {
    {"Установка времени", 0x20},
    {"Получить дату/время", 0x21},
    {"Получить налоговый номер", 0x46},
    {"X-отчет", 0xA1},
    {"Служебный чек", 0x60},
    {"Тест индикаторов клиента - строка 2", 0x81},
    {"Тест индикаторов клиента - строка 1", 0x81},
    {"Служебное внесение", 0x6E},
    {"Служебная выдача", 0x6E},
    {"Программирование артикулов", 0x24},
    {"Программирование артикулов", 0x24},
    {"Программирование артикулов", 0x24},
    {"Программирование артикулов", 0x24},
    {"Программирование артикулов", 0x24},
    {"Перезагрузка устройства", 0xF3},
    {"Фискальный чек", 0x63},
    {"Фискальный чек", 0x63},
    {"Чек возврата", 0x63},
    {"Служебный чек", 0x60},
    {"Отчет проданных товаров", 0xA4},
    {"0. Техническая информация", 0x84},
    {"1. Статус фискального блока", 0x84},
    {"2. Полный тест", 0x84},
    {"Z-отчет", 0xA1},
    {"Служебный чек - изменения скорости работы с РРО", 0x60},
};

// A test run of passes until the log has `logLines` lines; it finishes with an error at the
// return receipt.
Record testRun(int logLines) {
  Record r = tallowick::bench::recordOf(0, 0);
  r.serialNumber = kSerial;
  r.model = "Veltor FP-90T";
  r.station = "line-1";
  r.user = "техник";
  r.outcome = Outcome::FinishedWithErrors;
  r.errorCount = 1;
  r.message.clear();
  r.log = {"Тест Veltor FP-90T", "Дата тестирования:", "10.12.2026 9:05:09"};
  for (int pass = 1; static_cast<int>(r.log.size()) < logLines; ++pass) {
    r.log.push_back("***********************************");
    r.log.push_back("Номер прохода теста - " + std::to_string(pass));
    r.log.push_back("***********************************");
    for (const char* line : kPass) {
      if (static_cast<int>(r.log.size()) == logLines) break;
      r.log.emplace_back(line);
    }
  }
  r.log.resize(static_cast<std::size_t>(logLines));
  r.steps.clear();
  for (const auto& s : kSteps)
    r.steps.push_back({.title = s.title, .command = s.command, .elapsedMs = 1500 + s.command});
  StepReport& failed = r.steps[17];
  failed.result = StepResult::PrinterError;
  failed.code = "0103";
  failed.message = "Ошибка регистратора: неверное состояние чека";
  return r;
}

Record initialisation() {
  Record r = tallowick::bench::recordOf(1, 0);
  r.kind = Kind::Initialisation;
  r.serialNumber = kSerial;
  r.model = "Veltor FP-90T";
  r.station = "line-1";
  r.startedAtMs -= 3'600'000;
  r.endedAtMs = r.startedAtMs + r.durationMs;
  r.steps.clear();
  r.log = {"Начало инициализации регистратора.", "Шаг 2. Заводской номер установлен! ",
           "Конец инициализации регистратора."};
  return r;
}

std::string bytesOf(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The pages a report's file holds.
int pagesOf(const std::string& pdf) {
  int pages = 0;
  for (std::size_t at = 0; (at = pdf.find("/Type /Page ", at)) != std::string::npos; ++at)
    ++pages;
  return pages;
}

// A row of figures, with the size and the pages of the file made; none for `pdf` empty.
void row(const std::string& what, const Times& f, const std::string& pdf) {
  std::printf("| %s | %.1f | %.1f | %.1f |", what.c_str(), f.median, f.mean, f.worst);
  if (pdf.empty()) {
    std::printf("  |  |\n");
  } else {
    std::printf(" %.0f | %d |\n", static_cast<double>(pdf.size()) / 1024.0, pagesOf(pdf));
  }
}

constexpr const char* kHead =
    " | median | mean | worst | KiB | pages |\n| --- | ---: | ---: | ---: | ---: | ---: |\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s CLI [LOG_LINES] [REPEAT]\n", argv[0]);
    return 2;
  }
  const std::string cli = argv[1];
  const int logLines = argc > 2 ? std::atoi(argv[2]) : 1500;
  const int repeat = argc > 3 ? std::atoi(argv[3]) : 10;
  std::string pattern = (fs::temp_directory_path() / "tallowick-bench-XXXXXX").string();
  const fs::path folder(::mkdtemp(pattern.data()));
  const fs::path file = folder / "history.sqlite3";

  const Record run = testRun(logLines);
  Record retest = run;
  retest.startedAtMs += 86'400'000;
  retest.endedAtMs += 86'400'000;
  {
    Store store(file);
    for (const Record& r : {initialisation(), run, retest}) {
      if (auto appended = store.append(r); !appended) {
        std::fprintf(stderr, "%s\n", appended.error().message.c_str());
        return 1;
      }
    }
  }
  std::printf("a test run of %zu log lines and %zu titled steps\n", run.log.size(),
              run.steps.size());

  // The parts, in this process.
  std::printf("\n| in the process (ms)%s", kHead);
  std::variant<ReportFonts, Failure> fonts = Failure{};
  row("fonts read",
      timed(repeat,
            [&] {
              fonts = loadReportFonts(reportFontFolders());
              if (auto* failure = std::get_if<Failure>(&fonts))
                std::fprintf(stderr, "%s\n", failure->message.c_str());
              return std::holds_alternative<ReportFonts>(fonts);
            }),
      {});
  const ReportHeading heading{
      .workshop = kWorkshop, .madeAtMs = run.endedAtMs, .utcOffsetMinutes = 120};
  const auto& loaded = std::get<ReportFonts>(fonts);
  std::string pdf;
  const Times built = timed(repeat, [&] {
    pdf = testReport({run}, heading, loaded);
    return !pdf.empty();
  });
  row("report of the record built", built, pdf);
  const fs::path saved = folder / "saved.pdf";
  const Times savedWhole = timed(repeat, [&] {
    if (auto failed = saveTestReport(saved.string(), {run}, heading, loaded)) {
      std::fprintf(stderr, "%s\n", failed->message.c_str());
      return false;
    }
    return true;
  });
  row("report of the record built and saved whole", savedWhole, bytesOf(saved));

  // The whole command, as a user or a script runs it.
  std::printf("\n| tallowick-cli history report (ms)%s", kHead);
  const std::string out = (folder / "report.out").string();
  const std::string output = (folder / "report.pdf").string();
  const std::vector<std::pair<std::string, std::vector<std::string>>> commands = {
      {"ID: the record", {"2"}},
      {"--serial: initialisation and two runs", {"--serial", kSerial}},
  };
  for (const auto& [what, chosen] : commands) {
    std::vector<std::string> args{cli, "history", "report"};
    args.insert(args.end(), chosen.begin(), chosen.end());
    args.insert(args.end(),
                {"--history", file.string(), "--workshop", kWorkshop, "--output", output});
    const Times f = timed(repeat, [&] {
      const auto ran = tallowick::bench::timedRun(args, out);
      if (ran.code != 0) std::fprintf(stderr, "exit code %d, see %s\n", ran.code, out.c_str());
      return ran.code == 0;
    });
    row(what, f, bytesOf(output));
  }

  std::error_code ec;
  fs::remove_all(folder, ec);
  return 0;
}
