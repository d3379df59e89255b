// The test report as a reader of PDF files sees it: the text a PDF reader extracts from it
// (header, outcome, steps, errors, every log line, Cyrillic intact), and the file a PDF
// checker accepts. A font that is missing or damaged is refused with its name.
#include <gtest/gtest.h>

#include <cstdio>

#include "history/records.h"
#include "history/test_report.h"

namespace tallowick::history::test {
namespace {

const ReportFonts& fonts() {
  static const ReportFonts loaded = [] {
    auto read = loadReportFonts(reportFontFolders());
    if (auto* failure = std::get_if<Failure>(&read)) {
      ADD_FAILURE() << failure->message;
      std::abort();
    }
    return std::move(std::get<ReportFonts>(read));
  }();
  return loaded;
}

const ReportHeading kHeading{
    .workshop = "Мастерская «Касса», Київ", .madeAtMs = kDay + 3'600'000, .utcOffsetMinutes = 120};

#ifndef _WIN32
// What a command prints, and how it ended.
std::pair<int, std::string> output(const std::string& command) {
  std::string text;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return {-1, text};
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    text.append(buffer, n);
  return {::pclose(pipe), text};
}

// The report's text as a PDF reader extracts it, row by row, once the checker has found the file
// sound.
std::string readBack(const fs::path& pdf) {
  const auto [checked, says] = output("qpdf --check '" + pdf.string() + "'");
  EXPECT_EQ(checked, 0) << says;
  const auto [code, text] = output("pdftotext -layout -enc UTF-8 '" + pdf.string() + "' -");
  EXPECT_EQ(code, 0) << text;
  return text;
}

// Each text found after the one before it.
void expectInOrder(const std::string& text, const std::vector<std::string>& parts) {
  std::size_t at = 0;
  for (const std::string& part : parts) {
    const std::size_t found = text.find(part, at);
    ASSERT_NE(found, std::string::npos) << "'" << part << "' missing, or out of order, in:\n"
                                        << text;
    at = found + part.size();
  }
}

// Records of one printer: a test run that failed at the X-report, its initialisation, and
// the test run that passed.
std::vector<Record> printerRecords() {
  std::vector<Record> records{sampleRecord(1), sampleRecord(4), sampleRecord(3)};
  for (std::size_t i = 0; i < records.size(); ++i) {
    records[i].id = static_cast<std::int64_t>(i) + 11;
    records[i].serialNumber = "ЕД80010512";
    records[i].startedAtMs = kDay + static_cast<std::int64_t>(i) * 3'600'000;
  }
  records[2].log.push_back("Тест пройден, номер ЕД80010512 — ș ț ă î");
  return records;
}

struct ReportCase {
  const char* name;
  std::vector<Record> records;
  std::vector<std::string> inOrder;
};

TEST(TestReport, ReadsBackWithItsHeaderOutcomeStepsErrorsAndLog) {
  Record failed = sampleRecord(1);
  failed.id = 7;
  failed.log.push_back("эмодзи 😀 вне шрифта");
  Record manySteps = sampleRecord(3);
  for (int i = 0; i < 60; ++i)
    manySteps.steps.push_back({.title = "Шаг " + std::to_string(i + 3), .command = 0x60});
  const ReportCase cases[] = {
      {"a failed test run",
       {failed},
       {"Мастерская «Касса», Київ",
        "Отчет об испытаниях регистратора",
        "Модель",
        "Veltor FP-90T",
        "Версия ПО",
        "3.01",
        "Страна",
        "Україна",
        "Заводской номер",
        "ЕД80010001",
        "Прерван, ошибок: 1",
        "прогон теста",
        "Запись истории",
        "7",
        "line-1",
        "bench-1",
        "техник",
        "/dev/ttyUSB0",
        "07.12.2026 09:06:30",
        "Шаги",
        "Установка времени",
        "успешно",
        "X-отчет",
        "A1",
        "ошибка регистратора",
        "0103",
        "Ошибки",
        "«X-отчет»: ошибка регистратора, команда A1, код 0103. Ошибка X-отчета",
        "Сообщение: Ошибка \"X-отчета\", код 0103;",
        "повтор",
        "Страница 1 из 2",
        "Приложение 1. Журнал: прогон теста, 07.12.2026 09:06:30",
        "******************************",
        "Установка времени",
        "Установка времени - успешно",
        "a \"quoted\", text with? control",
        "эмодзи ? вне шрифта",
        "Страница 2 из 2"}},
      {"an initialisation",
       {sampleRecord(4)},
       {"Инициализация не выполнена:", "Прерван, ошибок: 1", "инициализация"}},
      {"a printer's records, oldest first, judged by its last test run",
       printerRecords(),
       {"Все записи заводского номера ЕД80010512: 3 (прогонов теста 2, инициализаций 1)",
        "Завершен без ошибок",
        "Итог по последней записи вида «прогон теста» от 07.12.2026 11:05:30.", "Записи",
        "Запись 1 из 3: прогон теста, 07.12.2026 09:05:30", "Прерван, ошибок: 1",
        "Запись 2 из 3: инициализация, 07.12.2026 10:05:30",
        "Запись 3 из 3: прогон теста, 07.12.2026 11:05:30", "Ошибок нет.", "Приложение 1. Журнал",
        "Приложение 2. Журнал", "Приложение 3. Журнал",
        "Тест пройден, номер ЕД80010512 — ș ț ă î"}},
      {"a table of steps longer than its page: the next page repeats its head",
       {manySteps},
       {"Шаги", "№", "Шаг", "Команда", "Результат", "Шаг 3", "Страница 1 из 3", "№", "Шаг",
        "Команда", "Результат", "Шаг 62", "Страница 2 из 3"}},
  };
  for (const ReportCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const fs::path pdf = dir / "report.pdf";
    ASSERT_EQ(saveTestReport(pdf.string(), c.records, kHeading, fonts()), std::nullopt);
    expectInOrder(readBack(pdf), c.inOrder);
  }
}

TEST(TestReport, HoldsEveryLineOfALongLogOnNumberedPages) {
  Record r = sampleRecord(3);
  r.log.clear();
  for (int i = 1; i <= 1500; ++i)
    r.log.push_back("Строка " + std::to_string(i) + " журнала: Служебный чек - успешно");
  // Longer than a line of the page: it goes on under itself, nothing cut.
  std::string wide;
  for (int i = 0; i < 40; ++i)
    wide += "слово" + std::to_string(i) + " ";
  r.log.push_back(wide + "конец");
  TempDir dir;
  const fs::path pdf = dir / "long.pdf";
  ASSERT_EQ(saveTestReport(pdf.string(), {r}, kHeading, fonts()), std::nullopt);
  const std::string text = readBack(pdf);
  std::vector<std::string> lines;
  for (int i = 1; i <= 1500; ++i)
    lines.push_back("Строка " + std::to_string(i) + " журнала: Служебный чек - успешно\n");
  lines.insert(lines.end(), {"слово0 ", "слово39 конец"});
  expectInOrder(text, lines);
  const auto [code, pages] = output("qpdf --show-npages '" + pdf.string() + "'");
  ASSERT_EQ(code, 0);
  const int count = std::stoi(pages);
  EXPECT_GT(count, 15);
  std::vector<std::string> numbers;
  for (int p = 1; p <= count; ++p)
    numbers.push_back("Страница " + std::to_string(p) + " из " + std::to_string(count));
  expectInOrder(text, numbers);
}
#endif

// The same records give the same file, and a font holds only the glyphs it draws.
TEST(TestReport, IsTheSameForTheSameRecordsAndCarriesOnlyTheGlyphsUsed) {
  const std::vector<Record> records{sampleRecord(1)};
  const std::string once = testReport(records, kHeading, fonts());
  EXPECT_EQ(testReport(records, kHeading, fonts()), once);
  EXPECT_TRUE(once.starts_with("%PDF-1.4\n"));
  EXPECT_TRUE(once.ends_with("%%EOF\n"));
  // Three fonts of about 300 to 400 KB each inside a report far smaller than any one of them.
  EXPECT_LT(once.size(), 150'000u);
  const std::string subset = fonts().regular.subset({fonts().regular.glyph(U'Ж')});
  const auto again = pdf::Font::read(subset, "subset");
  ASSERT_TRUE(std::holds_alternative<pdf::Font>(again));
  EXPECT_EQ(std::get<pdf::Font>(again).advance(fonts().regular.glyph(U'Ж')),
            fonts().regular.advance(fonts().regular.glyph(U'Ж')));
}

TEST(TestReport, RefusesAMissingOrDamagedFontByName) {
  TempDir dir;
  const fs::path sound = reportFontFolders().empty() ? fs::path() : [] {
    for (const fs::path& folder : reportFontFolders())
      if (fs::exists(folder / "LiberationSans-Regular.ttf")) return folder;
    return fs::path();
  }();
  ASSERT_FALSE(sound.empty());
  const std::string font = readFile(sound / "LiberationSans-Regular.ttf");
  ASSERT_GT(font.size(), 100'000u);
  std::string noTables = font.substr(0, 12);
  noTables[4] = noTables[5] = '\0';  // no table at all
  std::string farTable = font;
  farTable[12 + 8] = '\x7F';  // the first table's offset far beyond the end
  const struct {
    const char* name;
    std::string bytes;
    const char* says;
  } cases[] = {
      {"not a font", "%PDF-1.4 no font at all", "это не шрифт TrueType"},
      {"empty", "", "это не шрифт TrueType"},
      {"cut after its header", font.substr(0, 40), "файл шрифта повреждён"},
      {"cut in half", font.substr(0, font.size() / 2), "файл шрифта повреждён"},
      {"a table beyond its end", farTable, "файл шрифта повреждён"},
      {"no tables", noTables, "в шрифте нет таблицы head"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto read = pdf::Font::read(c.bytes, "broken");
    ASSERT_TRUE(std::holds_alternative<Failure>(read));
    EXPECT_EQ(std::get<Failure>(read).message, c.says);
  }

  // In a folder: the file is named, and the folders looked in.
  writeFile(dir / "LiberationSans-Regular.ttf", "%PDF-1.4 no font at all");
  auto loaded = loadReportFonts({dir.path});
  ASSERT_TRUE(std::holds_alternative<Failure>(loaded));
  EXPECT_NE(std::get<Failure>(loaded).message.find("LiberationSans-Regular.ttf не читается: это "
                                                   "не шрифт TrueType."),
            std::string::npos)
      << std::get<Failure>(loaded).message;
  loaded = loadReportFonts({dir / "nowhere"});
  ASSERT_TRUE(std::holds_alternative<Failure>(loaded));
  EXPECT_EQ(std::get<Failure>(loaded).message.rfind(
                "Не найден шрифт отчета LiberationSans-Regular.ttf (искали в папках: ", 0),
            0u);
}

TEST(TestReport, IsSavedWholeOrNotAtAll) {
  TempDir dir;
  writeFile(dir / "kept.pdf", "an older report");
  fs::create_directory(dir / "folder.pdf");
  for (const fs::path& target : {dir / "missing" / "r.pdf", dir / "folder.pdf"}) {
    SCOPED_TRACE(target.string());
    const auto failed = saveTestReport(target.string(), {sampleRecord(1)}, kHeading, fonts());
    ASSERT_TRUE(failed.has_value());
    EXPECT_NE(failed->message.find(target.filename().string()), std::string::npos)
        << failed->message;
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 2);
  ASSERT_EQ(saveTestReport((dir / "kept.pdf").string(), {sampleRecord(1)}, kHeading, fonts()),
            std::nullopt);
  EXPECT_TRUE(readFile(dir / "kept.pdf").starts_with("%PDF-1.4"));
}

TEST(TestReport, OffersANameFileSystemsAccept) {
  Record r = sampleRecord(1);
  EXPECT_EQ(reportFileName(r), "REPORT_80010001_2026-12-07.pdf");
  r.serialNumber.clear();
  EXPECT_EQ(reportFileName(r), "REPORT_Veltor_FP-90T_2026-12-07.pdf");
}

}  // namespace
}  // namespace tallowick::history::test
