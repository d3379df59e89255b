#include "history/test_report.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "history/exports.h"
#include "platform/own_text.h"
#include "platform/system.h"
#include "platform/utf8.h"
#include "platform/wall_clock.h"
#include "platform/whole_file.h"
#include "testrun/log_file.h"

namespace tallowick::history {
namespace {

namespace fs = std::filesystem;

// The fonts' numbers in the document.
enum FontIndex : std::size_t { kRegular, kBold, kMono };

constexpr double kLeft = 50;
constexpr double kRight = pdf::kA4Width - 50;
constexpr double kWidth = kRight - kLeft;
constexpr double kTop = pdf::kA4Height - 62;  // below each page's header
constexpr double kBottom = 58;                // above each page's footer
constexpr double kLogSize = 8;
constexpr double kLogLeading = 9.6;

// "09.12.2026 09:05:30", the workshop's form.
std::string workshopTime(std::int64_t atMs, std::int32_t utcOffsetMinutes) {
  const std::string iso = localTimeText(atMs, utcOffsetMinutes);  // "2026-12-09 09:05:30"
  return iso.substr(8, 2) + "." + iso.substr(5, 2) + "." + iso.substr(0, 4) + iso.substr(10);
}

std::string secondsText(std::int64_t ms) {
  std::ostringstream text;
  text.setf(std::ios::fixed);
  text.precision(1);
  text << static_cast<double>(ms) / 1000.0;
  std::string out = text.str();
  std::replace(out.begin(), out.end(), '.', ',');
  return out + " с";
}

const char* resultWords(StepResult result) {
  switch (result) {
    case StepResult::Success:
      return "успешно";
    case StepResult::ArgumentError:
      return "ошибка в аргументах";
    case StepResult::NoReply:
      return "нет ответа";
    case StepResult::PrinterError:
      return "ошибка регистратора";
    case StepResult::Stopped:
      return "остановлен";
    case StepResult::Aborted:
      return "прерван";
  }
  return "";
}

std::string kindWords(Kind kind) {
  return kind == Kind::TestRun ? "прогон теста" : "инициализация";
}

bool passed(const Record& r) {
  return r.outcome == Outcome::Finished && r.errorCount == 0;
}

// How the record ended, as the large line of its outcome says it.
std::string outcomeLine(const Record& r) {
  std::string line =
      passed(r) ? std::string("Завершен без ошибок") : std::string(outcomeWords(r.outcome));
  if (r.kind == Kind::Initialisation) {
    line = r.outcome == Outcome::Finished ? "Инициализация выполнена"
                                          : "Инициализация не выполнена: " + line;
  }
  if (r.errorCount > 0) line += ", ошибок: " + std::to_string(r.errorCount);
  return line;
}

// A text as the report draws it: a tab as a blank, other control characters as "?".
std::string drawable(std::string_view text) {
  std::string out;
  forEachCharacter(text, [&](char32_t c, std::string_view bytes) {
    if (c == U'\t') {
      out += ' ';
    } else if (c == kNotUtf8 || c < 0x20 || c == 0x7F) {
      out += '?';
    } else {
      out += bytes;
    }
  });
  return out;
}

// The report's pages as they fill, top to bottom.
class Pages {
 public:
  Pages(pdf::Document& document, const ReportFonts& fonts) : doc_(document) {
    fonts_[kRegular] = &fonts.regular;
    fonts_[kBold] = &fonts.bold;
    fonts_[kMono] = &fonts.mono;
  }

  const pdf::Font& font(FontIndex f) const { return *fonts_[f]; }
  void down(double height) { y_ -= height; }

  void newPage() {
    doc_.newPage();
    y_ = kTop;
  }
  // Room for `height` on this page, or a new one.
  void need(double height) {
    if (doc_.pages() == 0 || y_ - height < kBottom) newPage();
  }

  // Lines of `text` no wider than `width`: broken after the last blank that fits, or inside
  // a word longer than the line.
  std::vector<std::string> wrap(std::string_view text, FontIndex f, double size,
                                double width) const {
    std::vector<std::string> lines;
    std::string line;
    std::size_t lastBlank = std::string::npos;
    double used = 0;
    const pdf::Font& drawn = font(f);
    forEachCharacter(text, [&](char32_t c, std::string_view bytes) {
      const double advance = drawn.advance(drawn.glyph(c)) * size / 1000.0;
      if (used + advance > width && !line.empty()) {
        if (lastBlank != std::string::npos && c != U' ') {
          std::string rest = line.substr(lastBlank + 1);
          line.resize(lastBlank);
          lines.push_back(line);
          line = rest;
        } else {
          lines.push_back(line);
          line.clear();
        }
        lastBlank = std::string::npos;
        used = drawn.width(line, size);
        if (c == U' ' && line.empty()) return;  // a blank at a break is not carried over
      }
      if (c == U' ') lastBlank = line.size();
      line += bytes;
      used += advance;
    });
    lines.push_back(line);
    return lines;
  }

  // A paragraph from the current line down, each line on the page that has room for it.
  void paragraph(std::string_view text, FontIndex f, double size, double x, double width,
                 double leading) {
    std::istringstream parts{std::string(text)};
    for (std::string part; std::getline(parts, part);) {
      for (const std::string& line : wrap(drawable(part), f, size, width)) {
        need(leading);
        down(leading);
        doc_.text(x, y_ + leading - size, f, size, line);
      }
    }
  }

  // Label and value rows, the label in bold.
  void fields(const std::vector<std::pair<std::string, std::string>>& rows) {
    constexpr double kLabel = 130;
    for (const auto& [label, value] : rows) {
      if (value.empty()) continue;
      const auto lines = wrap(drawable(value), kRegular, 10, kWidth - kLabel);
      need(14.0 * static_cast<double>(lines.size()));
      doc_.text(kLeft, y_ - 10, kBold, 10, label);
      for (const std::string& line : lines) {
        doc_.text(kLeft + kLabel, y_ - 10, kRegular, 10, line);
        down(14);
      }
    }
  }

  // A heading with room for at least a line below it.
  void heading(const std::string& text, double size) {
    need(size * 1.8 + 14);
    down(size * 0.6);
    doc_.text(kLeft, y_ - size, kBold, size, text);
    down(size * 1.4);
  }

  // The outcome in large letters on a band of its colour: green for a pass, red otherwise.
  void outcome(const std::string& text, bool pass, double size) {
    const auto lines = wrap(drawable(text), kBold, size, kWidth - 20);
    const double height = size * 1.3 * static_cast<double>(lines.size()) + size * 0.8;
    need(height + 8);
    down(4);
    if (pass) {
      doc_.fill(kLeft, y_ - height, kWidth, height, 0.85, 0.95, 0.85);
    } else {
      doc_.fill(kLeft, y_ - height, kWidth, height, 0.98, 0.85, 0.85);
    }
    double at = y_ - size * 0.4;
    for (const std::string& line : lines) {
      at -= size * 1.3;
      doc_.text(kLeft + 10, at + size * 0.3, kBold, size, line);
    }
    down(height + 6);
  }

  // A table: a grey head row, then rows whose cells wrap in their columns; a page that the
  // table goes on to begins with the head row again.
  void table(const std::vector<double>& widths, const std::vector<std::string>& head,
             const std::vector<std::vector<std::string>>& rows) {
    constexpr double kSize = 9;
    constexpr double kLeading = 11.5;
    // Each cell's lines, and the row's height.
    const auto laid = [&](const std::vector<std::string>& cells, FontIndex f) {
      std::vector<std::vector<std::string>> wrapped;
      std::size_t height = 1;
      for (std::size_t i = 0; i < cells.size(); ++i) {
        wrapped.push_back(wrap(drawable(cells[i]), f, kSize, widths[i] - 6));
        height = std::max(height, wrapped.back().size());
      }
      return std::pair{wrapped, kLeading * static_cast<double>(height) + 4};
    };
    const auto draw = [&](const std::vector<std::vector<std::string>>& wrapped, double h,
                          FontIndex f, bool shaded) {
      if (shaded) doc_.fill(kLeft, y_ - h, kWidth, h, 0.9, 0.9, 0.9);
      double x = kLeft;
      for (std::size_t i = 0; i < wrapped.size(); ++i) {
        double at = y_ - 2;
        for (const std::string& line : wrapped[i]) {
          at -= kLeading;
          doc_.text(x + 3, at + 2.5, f, kSize, line);
        }
        x += widths[i];
      }
      down(h);
      doc_.line(kLeft, y_, kRight, y_, 0.4, 0.6);
    };
    const auto [headCells, headHeight] = laid(head, kBold);
    for (std::size_t r = 0; r <= rows.size(); ++r) {
      const auto [cells, h] =
          r == 0 ? std::pair{headCells, headHeight} : laid(rows[r - 1], kRegular);
      // The head row never ends a page alone, and a new page repeats it.
      const double room = r == 0 && !rows.empty() ? h + laid(rows[0], kRegular).second : h;
      if (doc_.pages() == 0 || y_ - room < kBottom) {
        newPage();
        if (r > 0) draw(headCells, headHeight, kBold, true);
      }
      draw(cells, h, r == 0 ? kBold : kRegular, r == 0);
    }
    down(6);
  }

  // Each line of a log, in the fixed-width font; a line too long for the page goes on, indented.
  void log(const std::vector<std::string>& lines) {
    const double indent = font(kMono).width("  ", kLogSize);
    for (const std::string& line : lines) {
      const auto parts = wrap(drawable(line), kMono, kLogSize, kWidth - indent);
      for (std::size_t i = 0; i < parts.size(); ++i) {
        need(kLogLeading);
        down(kLogLeading);
        doc_.text(kLeft + (i ? indent : 0), y_ + 2, kMono, kLogSize, parts[i]);
      }
    }
  }

 private:
  pdf::Document& doc_;
  const pdf::Font* fonts_[3] = {};
  double y_ = kTop;
};

// The printer as its records tell it: each value from the newest record that has it.
std::vector<std::pair<std::string, std::string>> printerFields(const std::vector<Record>& records) {
  const auto newest = [&](std::string Record::*field) {
    for (auto r = records.rbegin(); r != records.rend(); ++r)
      if (!((*r).*field).empty()) return (*r).*field;
    return std::string();
  };
  return {{"Модель", newest(&Record::model)},
          {"Версия ПО", newest(&Record::firmware)},
          {"Страна", newest(&Record::country)},
          {"Заводской номер", newest(&Record::serialNumber)}};
}

std::vector<std::pair<std::string, std::string>> recordFields(const Record& r) {
  std::vector<std::pair<std::string, std::string>> rows = {
      {"Вид", kindWords(r.kind)},
      {"Запись истории", r.waiting ? std::string() : std::to_string(r.id)},
      {"Станция", r.station},
      {"Компьютер", r.computer},
      {"Пользователь", r.user},
      {"Порт", r.port},
      {"Начало", workshopTime(r.startedAtMs, r.utcOffsetMinutes)},
      {"Окончание", workshopTime(r.endedAtMs, r.utcOffsetMinutes)},
      {"Длительность", secondsText(r.durationMs)}};
  if (r.kind == Kind::TestRun) {
    rows.emplace_back("Проходов", r.passes);
    rows.emplace_back("Пауза, мс", r.pauseMs);
  }
  return rows;
}

// What the steps that did not succeed say, and the record's own message.
std::vector<std::string> errors(const Record& r) {
  std::vector<std::string> out;
  for (const StepReport& s : r.steps) {
    if (s.result == StepResult::Success) continue;
    std::string line =
        "«" + s.title + "»: " + resultWords(s.result) + ", команда " + commandText(s.command);
    if (!s.code.empty()) line += ", код " + s.code;
    if (!s.message.empty()) line += ". " + s.message;
    out.push_back(line);
  }
  if (!r.message.empty()) out.push_back("Сообщение: " + r.message);
  return out;
}

void recordBody(Pages& pages, const Record& r) {
  pages.fields(recordFields(r));
  if (!r.steps.empty()) {
    pages.heading("Шаги", 11);
    std::vector<std::vector<std::string>> rows;
    for (std::size_t i = 0; i < r.steps.size(); ++i) {
      const StepReport& s = r.steps[i];
      rows.push_back({std::to_string(i + 1), s.title, commandText(s.command), resultWords(s.result),
                      s.code, secondsText(s.elapsedMs)});
    }
    pages.table({24, 211, 52, 112, 42, 54}, {"№", "Шаг", "Команда", "Результат", "Код", "Время"},
                rows);
  }
  pages.heading("Ошибки", 11);
  const auto found = errors(r);
  if (found.empty()) pages.paragraph("Ошибок нет.", kRegular, 10, kLeft, kWidth, 13);
  for (const std::string& e : found)
    pages.paragraph("• " + e, kRegular, 10, kLeft, kWidth, 13);
}

std::string recordTitle(const Record& r, std::size_t index, std::size_t count) {
  std::string title =
      count > 1 ? "Запись " + std::to_string(index + 1) + " из " + std::to_string(count) + ": "
                : std::string();
  title += kindWords(r.kind) + ", " + workshopTime(r.startedAtMs, r.utcOffsetMinutes);
  return title;
}

std::optional<fs::path> found(const std::vector<fs::path>& folders, const char* file) {
  for (const fs::path& folder : folders) {
    std::error_code ec;
    if (fs::is_regular_file(folder / file, ec)) return folder / file;
  }
  return std::nullopt;
}

}  // namespace

std::vector<fs::path> reportFontFolders() {
  std::vector<fs::path> folders;
  if (const auto program = platform::programFolder()) folders.push_back(*program / "fonts");
#ifndef _WIN32
  folders.emplace_back("/usr/share/fonts/truetype/liberation2");
  folders.emplace_back("/usr/share/fonts/truetype/liberation");
#endif
  return folders;
}

std::variant<ReportFonts, Failure> loadReportFonts(const std::vector<fs::path>& folders) {
  std::vector<pdf::Font> read;
  for (const char* file :
       {"LiberationSans-Regular.ttf", "LiberationSans-Bold.ttf", "LiberationMono-Regular.ttf"}) {
    const auto path = found(folders, file);
    if (!path) {
      std::string where;
      for (const fs::path& folder : folders)
        where += (where.empty() ? "" : ", ") + platform::pathText(folder);
      return Failure{
          withArgs(Text::tr("Не найден шрифт отчета %1 (искали в папках: %2)."), {file, where})};
    }
    std::ifstream in(*path, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::string name(file);
    name = name.substr(0, name.find('.'));
    auto font = pdf::Font::read(std::move(bytes), name);
    if (auto* failure = std::get_if<Failure>(&font)) {
      return Failure{withArgs(Text::tr("Шрифт отчета %1 не читается: %2."),
                              {platform::pathText(*path), failure->message})};
    }
    read.push_back(std::move(std::get<pdf::Font>(font)));
  }
  return ReportFonts{std::move(read[0]), std::move(read[1]), std::move(read[2])};
}

std::string testReport(const std::vector<Record>& records, const ReportHeading& heading,
                       const ReportFonts& fonts) {
  pdf::Document document({&fonts.regular, &fonts.bold, &fonts.mono});
  Pages pages(document, fonts);
  pages.newPage();
  const bool printer = records.size() > 1;
  const auto fields = printerFields(records);
  const std::string serial = fields[3].second;

  if (!heading.workshop.empty()) {
    pages.paragraph(heading.workshop, kBold, 16, kLeft, kWidth, 20);
    pages.down(4);
  }
  pages.paragraph("Отчет об испытаниях регистратора", kBold, 14, kLeft, kWidth, 18);
  if (records.empty()) {
    pages.paragraph("Записей нет.", kRegular, 10, kLeft, kWidth, 13);
  } else if (printer) {
    std::size_t runs = 0;
    for (const Record& r : records)
      runs += r.kind == Kind::TestRun;
    pages.paragraph("Все записи заводского номера " + serial + ": " +
                        std::to_string(records.size()) + " (прогонов теста " +
                        std::to_string(runs) + ", инициализаций " +
                        std::to_string(records.size() - runs) + ")",
                    kRegular, 10, kLeft, kWidth, 13);
  }
  pages.down(8);
  pages.fields(fields);

  if (!records.empty()) {
    // The outcome: the record's, or for a printer its last test run's (its last record's when
    // it was never tested).
    const Record* decisive = &records.back();
    for (auto r = records.rbegin(); r != records.rend(); ++r) {
      if (r->kind == Kind::TestRun) {
        decisive = &*r;
        break;
      }
    }
    pages.down(6);
    pages.outcome(outcomeLine(*decisive), passed(*decisive), 24);
    pages.down(4);
    if (printer) {
      pages.paragraph("Итог по последней записи вида «" + kindWords(decisive->kind) + "» от " +
                          workshopTime(decisive->startedAtMs, decisive->utcOffsetMinutes) + ".",
                      kRegular, 10, kLeft, kWidth, 13);
      pages.heading("Записи", 11);
      std::vector<std::vector<std::string>> rows;
      for (std::size_t i = 0; i < records.size(); ++i) {
        const Record& r = records[i];
        rows.push_back({std::to_string(i + 1), kindWords(r.kind),
                        workshopTime(r.startedAtMs, r.utcOffsetMinutes), r.station,
                        outcomeWords(r.outcome), std::to_string(r.errorCount)});
      }
      pages.table({24, 100, 110, 90, 121, 50}, {"№", "Вид", "Начало", "Станция", "Итог", "Ошибок"},
                  rows);
    }
  }

  for (std::size_t i = 0; i < records.size(); ++i) {
    const Record& r = records[i];
    if (printer) {
      pages.heading(recordTitle(r, i, records.size()), 12);
      pages.outcome(outcomeLine(r), passed(r), 13);
    }
    recordBody(pages, r);
  }

  // The appendix: every line of every log, each record's from a page of its own.
  for (std::size_t i = 0; i < records.size(); ++i) {
    const Record& r = records[i];
    pages.newPage();
    pages.heading(
        "Приложение " + std::to_string(i + 1) + ". Журнал: " + recordTitle(r, i, records.size()),
        12);
    if (r.log.empty()) pages.paragraph("Журнал пуст.", kRegular, 10, kLeft, kWidth, 13);
    pages.log(r.log);
  }

  // Each page's header and footer, now that the pages are counted; the first page's header
  // leaves out the workshop, whose name is its title.
  const std::string made =
      "Отчет составлен " + workshopTime(heading.madeAtMs, heading.utcOffsetMinutes);
  const std::string what = records.empty()  ? std::string()
                           : serial.empty() ? fields[0].second
                                            : "Заводской номер " + serial;
  for (std::size_t p = 0; p < document.pages(); ++p) {
    document.setPage(p);
    const pdf::Font& regular = fonts.regular;
    if (!heading.workshop.empty() && p > 0) {
      document.text(kLeft, pdf::kA4Height - 40, kRegular, 8,
                    pages.wrap(drawable(heading.workshop), kRegular, 8, kWidth / 2).front());
    }
    document.text(kRight - regular.width(what, 8), pdf::kA4Height - 40, kRegular, 8, what);
    document.line(kLeft, pdf::kA4Height - 46, kRight, pdf::kA4Height - 46, 0.5, 0.5);
    document.line(kLeft, 46, kRight, 46, 0.5, 0.5);
    document.text(kLeft, 34, kRegular, 8, made);
    const std::string number =
        "Страница " + std::to_string(p + 1) + " из " + std::to_string(document.pages());
    document.text(kRight - regular.width(number, 8), 34, kRegular, 8, number);
  }

  const std::string created = localTimeText(heading.madeAtMs, heading.utcOffsetMinutes);
  std::string stamp;
  for (const char c : created)
    if (c >= '0' && c <= '9') stamp += c;
  return document.bytes(
      {.title = "Отчет об испытаниях регистратора" + (what.empty() ? std::string() : ": " + what),
       .subject = heading.workshop,
       .created = stamp});
}

StoreResult<std::vector<Record>> printerRecords(Query& query, const std::string& serialNumber) {
  Filter filter;
  filter.serialNumber = serialNumber;
  filter.limit = 0;
  auto found = query.list(filter, Detail::Full);
  if (!found) return found.error();
  return std::vector<Record>(found.value().rbegin(), found.value().rend());
}

ReportHeading headingNow(std::string workshop) {
  const platform::WallTime now = platform::wallTimeNow();
  return {.workshop = std::move(workshop),
          .madeAtMs = now.ms,
          .utcOffsetMinutes = now.utcOffsetMinutes};
}

std::optional<Failure> saveTestReport(const std::string& path, const std::vector<Record>& records,
                                      const ReportHeading& heading, const ReportFonts& fonts) {
  return writeWholeFile(path, testReport(records, heading, fonts));
}

std::string reportFileName(const Record& newest) {
  const std::string who = newest.serialNumber.empty() ? newest.model : newest.serialNumber;
  std::string part = fileNamePart(who);
  // A Cyrillic prefix leaves a '_' of its own.
  while (part.starts_with('_'))
    part.erase(0, 1);
  return "REPORT_" + (part.empty() ? std::string("printer") : part) + "_" +
         localTimeText(newest.startedAtMs, newest.utcOffsetMinutes).substr(0, 10) + ".pdf";
}

}  // namespace tallowick::history
