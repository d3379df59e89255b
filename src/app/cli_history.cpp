#include "app/cli_history.h"

#include <charconv>
#include <filesystem>
#include <iomanip>
#include <optional>
#include <ostream>
#include <sstream>

#include "app/cli_line.h"
#include "app/exit_codes.h"
#include "history/figures.h"
#include "history/journal.h"
#include "history/query.h"
#include "history/test_report.h"
#include "line/station.h"
#include "link/help_text.h"
#include "platform/settings.h"
#include "platform/system.h"

namespace tallowick {
namespace {

namespace fs = std::filesystem;
using history::Record;

// The options that choose records, of the list and of an export.
constexpr Option kFrom{"--from", "DATE",
                       "records from DATE on: YYYY-MM-DD or 'YYYY-MM-DD HH:MM', local time"};
constexpr Option kUntil{"--until", "DATE", "records up to DATE, that day or minute included"};
constexpr Option kModel{"--model", "MODEL", "records of this model"};
constexpr Option kSerial{"--serial", "NUMBER", "records of this serial number"};
constexpr Option kMadeAt{"--made-at", "STATION", "records made at this station of the line"};
constexpr Option kOutcome{"--outcome", "OUTCOME",
                          "records that ended so: finished, finished_with_errors, aborted, "
                          "stopped or input_refused"};
constexpr Option kKind{"--kind", "testrun|init", "test runs only, or initialisations only"};
constexpr Option kLimit{"--limit", "N",
                        "the newest N records (default: 100 in the list, every one in an "
                        "export and in the figures; 0 for all)"};
constexpr const Option* kSelection[] = {&kFrom,    &kUntil, &kModel, &kSerial,       &kMadeAt,
                                        &kOutcome, &kKind,  &kLimit, &kHistoryOption};

// The filter the options describe; the reason when one of them is not usable.
std::optional<Failure> makeFilter(const Given& o, std::size_t defaultLimit, history::Filter& f) {
  const history::FilterEntries entries{.from = o.get(kFrom),
                                       .until = o.get(kUntil),
                                       .model = o.get(kModel),
                                       .serialNumber = o.get(kSerial),
                                       .station = o.get(kMadeAt),
                                       .outcome = o.get(kOutcome),
                                       .kind = o.get(kKind),
                                       .limit = o.get(kLimit)};
  const auto read = history::readFilter(entries, history::DateForm::Iso, defaultLimit);
  if (const auto* filter = std::get_if<history::Filter>(&read)) {
    f = *filter;
    return std::nullopt;
  }
  // "--name needs WHAT, not 'VALUE'".
  const auto refused = [](const Option& option, const std::string& what, const std::string& value) {
    return Failure{std::string(option.name) + " needs " + what + ", not '" + value + "'"};
  };
  const std::string date = "a date YYYY-MM-DD or 'YYYY-MM-DD HH:MM'";
  const auto& [field, entry] = std::get<history::FilterRefusal>(read);
  switch (field) {
    case history::FilterField::From:
      return refused(kFrom, date, entry);
    case history::FilterField::Until:
      return refused(kUntil, date, entry);
    case history::FilterField::Outcome:
      return refused(kOutcome, "finished, finished_with_errors, aborted, stopped or input_refused",
                     entry);
    case history::FilterField::Kind:
      return refused(kKind, choices(kKind), entry);
    case history::FilterField::Limit:
      return refused(kLimit, "a whole number (0 for all)", entry);
  }
  return std::nullopt;
}

// The history to read: --history FILE, else where the desktop tool keeps it. Looking at a
// history never makes one.
// On a line, the line's history with what waits in this station's outbox.
class History {
 public:
  History(const std::string& given, const line::LineChoice& choice)
      : journal_(historyPlace(given.empty() ? std::nullopt : std::optional(given))) {
    if (!choice.database.empty() && journal_.store()) {
      station_ = std::make_unique<line::Station>(choice, *journal_.store());
      line_ = std::make_unique<line::StationHistory>(*station_);
    }
    query_ =
        std::make_unique<history::Query>(journal_.store(), journal_.unavailable(), line_.get());
  }
  history::Query& query() { return *query_; }
  bool onLine() const { return line_ != nullptr; }
  // Says what the user should know of the last read.
  void tell(std::ostream& err) const {
    if (!query_->note().empty()) err << "tallowick-cli: " << query_->note() << "\n";
  }

 private:
  history::Journal journal_;
  std::unique_ptr<line::Station> station_;
  std::unique_ptr<line::StationHistory> line_;
  std::unique_ptr<history::Query> query_;
};

int storeError(std::ostream& err, const StoreError& e) {
  err << "tallowick-cli: " << e.message << "\n";
  return kExitHistoryUnreadable;
}

std::string seconds(std::int64_t ms) {
  std::ostringstream text;
  text << std::fixed << std::setprecision(1) << static_cast<double>(ms) / 1000.0 << " s";
  return text.str();
}

// Pads to `width` characters (not bytes: most texts here are Cyrillic).
std::string padded(const std::string& text, std::size_t width) {
  std::size_t characters = 0;
  for (unsigned char c : text)
    characters += (c & 0xC0) != 0x80;
  return text + std::string(characters < width ? width - characters : 1, ' ');
}

// The list; the line's also names each record's station, and marks with "*" the records
// of this station that wait in its outbox (their ids are the station's own, negated).
void printList(const std::vector<Record>& records, bool line, std::ostream& out) {
  if (records.empty()) {
    out << "no records\n";
    return;
  }
  // The station's column (the third) only on the line, where the ids are wider.
  const std::size_t widths[] = {line ? 8u : 6u, 20, 14, 8, 14, 16, 16, 21, 7};
  const char* heads[] = {"id",    "started", "station", "kind",  "port",
                         "model", "serial",  "outcome", "errors"};
  bool waiting = false;
  for (std::size_t i = 0; i < std::size(heads); ++i) {
    if (i != 2 || line) out << padded(heads[i], widths[i]);
  }
  out << "duration\n";
  for (const Record& r : records) {
    waiting = waiting || r.waiting;
    const std::string cells[] = {std::to_string(r.id) + (r.waiting ? "*" : ""),
                                 history::localTimeText(r.startedAtMs, r.utcOffsetMinutes),
                                 r.station,
                                 std::string(history::kindKey(r.kind)),
                                 r.port,
                                 r.model,
                                 r.serialNumber,
                                 std::string(history::outcomeKey(r.outcome)),
                                 std::to_string(r.errorCount)};
    for (std::size_t i = 0; i < std::size(cells); ++i) {
      if (i != 2 || line) out << padded(cells[i], widths[i]);
    }
    out << seconds(r.durationMs) << "\n";
  }
  if (waiting) out << "* not yet on the line: waits in this station's outbox\n";
}

void printRecord(const Record& r, std::ostream& out) {
  out << "id: " << r.id << "\n"
      << "kind: " << history::kindKey(r.kind) << "\n"
      << "started: " << history::localTimeText(r.startedAtMs, r.utcOffsetMinutes) << "\n"
      << "ended: " << history::localTimeText(r.endedAtMs, r.utcOffsetMinutes) << "\n"
      << "duration: " << seconds(r.durationMs) << "\n";
  for (const auto& [name, text] : history::describingTexts(r)) {
    if (!text->empty()) out << name << ": " << *text << "\n";
  }
  out << "outcome: " << history::outcomeKey(r.outcome) << "\n"
      << "errors: " << r.errorCount << "\n"
      << "language: " << history::languageOf(r) << "\n";
  if (!r.message.empty()) out << "message: " << r.message << "\n";
  if (!r.steps.empty()) out << "steps:\n";
  for (const StepReport& s : r.steps) {
    out << "  " << s.title << ": " << history::stepResultKey(s.result) << " ("
        << history::commandText(s.command) << (s.code.empty() ? "" : ", " + s.code) << ")\n";
  }
  out << "log:\n";
  for (const std::string& line : r.log)
    out << line << "\n";
}

// A number with `decimals` after the point.
std::string fixed(double value, int decimals) {
  std::ostringstream text;
  text << std::fixed << std::setprecision(decimals) << value;
  return text.str();
}

// The figures of one selection, a line each under its title, with the Pareto of the
// failures as a table; "—" for a figure of nothing.
void printFigures(const std::string& title, const history::Figures& f, std::ostream& out) {
  constexpr const char* kNothing = "—";
  const auto line = [&](const std::string& label, const std::string& value) {
    out << "  " << padded(label + ":", 34) << value << "\n";
  };
  const auto share = [](std::optional<double> value) {
    return value ? fixed(*value * 100, 1) + " %" : std::string(kNothing);
  };
  const auto ofPrinters = [&](std::size_t printers, std::optional<double> yield) {
    return yield ? share(yield) + " (" + std::to_string(printers) + " из " +
                       std::to_string(f.printers) + ")"
                 : std::string(kNothing);
  };
  const auto duration = [&](std::optional<std::int64_t> ms) {
    return ms ? fixed(static_cast<double>(*ms) / 1000.0, 1) + " с" : std::string(kNothing);
  };
  const auto initialisations = [](const history::Initialisations& c) {
    return std::to_string(c.total) + " (выполнено " + std::to_string(c.done) + ", не выполнено " +
           std::to_string(c.failed) + ")";
  };
  out << title << "\n";
  line("Проверено регистраторов", std::to_string(f.printers));
  line("Прогонов", std::to_string(f.runs));
  line("Прогонов без заводского номера", std::to_string(f.runsWithoutSerial));
  if (f.runsRefused > 0) line("Прогонов с отклонённым вводом", std::to_string(f.runsRefused));
  line("Прогонов на регистратор", f.runsPerPrinter ? fixed(*f.runsPerPrinter, 2) : kNothing);
  line("Выход с первого раза", ofPrinters(f.firstPassPrinters, f.firstPassYield));
  line("Итоговый выход", ofPrinters(f.finalPassPrinters, f.finalYield));
  line("Законченных прогонов", std::to_string(f.finishedRuns));
  line("Длительность, медиана", duration(f.medianDurationMs));
  line("Длительность, 90-й процентиль", duration(f.p90DurationMs));
  line("Инициализаций", initialisations(f.initialisations));
  for (const history::ModelInitialisations& m : f.initialisationsByModel)
    line("  " + (m.model.empty() ? std::string(kNothing) : m.model), initialisations(m.counts));
  line("Прогонов с ошибками", std::to_string(f.failedRuns));
  if (f.failuresByStep.empty()) return;
  out << "    " << padded("Шаг", 40) << padded("Прогонов", 10) << padded("Доля", 9)
      << "Накопленная доля\n";
  for (const history::StepFailures& step : f.failuresByStep) {
    out << "    " << padded(step.step ? *step.step : "(вне шагов)", 40)
        << padded(std::to_string(step.runs), 10) << padded(share(step.share), 9)
        << share(step.cumulative) << "\n";
  }
}

void printReport(const history::FiguresReport& report, std::ostream& out) {
  printFigures("Вся выборка", report.whole, out);
  const char* kind = report.by == history::Grouping::Day     ? "День"
                     : report.by == history::Grouping::Model ? "Модель"
                                                             : "Станция";
  for (const history::Figures& f : report.groups) {
    out << "\n";
    printFigures(std::string(kind) + " " + (f.group.empty() ? "—" : f.group), f, out);
  }
}

// history [list]: the newest records first, as the filter chooses them.
class ListVerb final : public Command {
 public:
  ListVerb() : Command({"history [list]"}, "", {}) {
    for (const Option* o : kSelection)
      option(*o);
  }
  int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
          const CliContext& context) const override;
};

// history show ID: one record with its steps and its log.
class ShowVerb final : public Command {
 public:
  ShowVerb() : Command({"history show"}, "ID", {}) { option(kHistoryOption); }
  int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
          const CliContext& context) const override;
};

// history export: the selection as CSV, JSON or JUnit XML.
class ExportVerb final : public Command {
 public:
  ExportVerb() : Command({"history export"}, "", {}) {
    for (const Option* o : kSelection)
      option(*o);
  }
  int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
          const CliContext& context) const override;

 private:
  // Declared before the selection's, which the constructor adds.
  const Option& format =
      option({.name = "--format",
              .value = "csv|json|junit",
              .help = "the export's format: CSV (one row per run), JSON or JUnit XML",
              .required = true});
  const Option& outputFile =
      option({"--output", "FILE", "the file the export is written to (default: standard output)"});
};

int ListVerb::run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                  const CliContext& context) const {
  // "list" may be left out when an option or nothing follows "history".
  const bool named = args.size() > 1 && !args[1].starts_with("-");
  Given o;
  if (auto refused = read(args, named ? 2 : 1, {}, o)) return usageError(err, refused->message);
  history::Filter filter;
  if (auto refused = makeFilter(o, 100, filter)) return usageError(err, refused->message);
  const auto choice = lineChoice(o, context);
  if (!choice) return usageError(err, choice.error().message);
  History history(o.get(kHistoryOption), choice.value());
  auto records = history.query().list(filter);
  if (!records) return storeError(err, records.error());
  history.tell(err);
  printList(records.value(), history.onLine(), out);
  return kExitOk;
}

int ShowVerb::run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                  const CliContext& context) const {
  // The id is the one word after "history show" that is no option and no option's value.
  std::vector<std::string> rest;
  const std::string id = operand(args, 2, rest);
  Given o;
  if (auto refused = read(rest, 2, {}, o)) return usageError(err, refused->message);
  std::int64_t n = 0;
  const auto [end, ec] = std::from_chars(id.data(), id.data() + id.size(), n);
  if (id.empty() || ec != std::errc{} || end != id.data() + id.size() || n <= 0) {
    return usageError(
        err, std::string(names().front()) + " needs the id of a record, as the list shows it");
  }
  const auto choice = lineChoice(o, context);
  if (!choice) return usageError(err, choice.error().message);
  History history(o.get(kHistoryOption), choice.value());
  auto record = history.query().find(n);
  if (!record) return storeError(err, record.error());
  const std::optional<Record>& found = record.value();
  if (!found) {
    err << "tallowick-cli: the history holds no record " << n << "\n";
    return kExitHistoryUnreadable;
  }
  history.tell(err);
  printRecord(*found, out);
  return kExitOk;
}

int ExportVerb::run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                    const CliContext& context) const {
  const std::string_view who = names().front();
  Given o;
  if (auto refused = read(args, 2, who, o)) return usageError(err, refused->message);
  const auto chosen = history::formatFromName(o.get(format));
  if (!chosen) return usageError(err, needs(who, format));
  history::Filter filter;
  if (auto refused = makeFilter(o, 0, filter)) return usageError(err, refused->message);
  const std::string output = o.get(outputFile);
  const auto choice = lineChoice(o, context);
  if (!choice) return usageError(err, choice.error().message);
  History history(o.get(kHistoryOption), choice.value());
  if (output.empty()) {
    auto written = history.query().exportTo(*chosen, filter, out);
    out << std::flush;
    if (!written) return storeError(err, written.error());
    return kExitOk;
  }
  const auto exported = history.query().exportTo(*chosen, filter, output);
  if (!exported) {
    err << "tallowick-cli: " << exported.message << "\n";
    return exported.failure == history::ExportOutcome::Failure::History ? kExitHistoryUnreadable
                                                                        : kExitFileNotSaved;
  }
  history.tell(err);
  err << "Готово: история сохранена в " << output << " (записей: " << exported.records << ").\n";
  return kExitOk;
}

std::optional<Failure> checkGrouping(const std::string& value) {
  if (history::groupingFromName(value)) return std::nullopt;
  return Failure{"--by needs day, model or station, not '" + value + "'"};
}

std::optional<Failure> checkFiguresFormat(const std::string& value) {
  if (value == "text" || value == "csv" || value == "json") return std::nullopt;
  return Failure{"--format needs text, csv or json, not '" + value + "'"};
}

// history stats: the figures of the selection, whole and grouped.
class StatsVerb final : public Command {
 public:
  StatsVerb() : Command({"history stats"}, "", {}) {
    for (const Option* o : kSelection)
      option(*o);
  }
  int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
          const CliContext& context) const override;

 private:
  // Declared before the selection's, which the constructor adds.
  const Option& by = option({.name = "--by",
                             .value = "day|model|station",
                             .help = "the figures of each day (on the clock of the computer "
                                     "that made the record), model or station too",
                             .check = checkGrouping});
  const Option& format = option({.name = "--format",
                                 .value = "text|csv|json",
                                 .help = "the figures as a table to read (default), or as CSV "
                                         "or JSON for other programs",
                                 .check = checkFiguresFormat});
};

int StatsVerb::run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   const CliContext& context) const {
  Given o;
  if (auto refused = read(args, 2, names().front(), o)) return usageError(err, refused->message);
  history::Filter filter;
  if (auto refused = makeFilter(o, 0, filter)) return usageError(err, refused->message);
  const auto choice = lineChoice(o, context);
  if (!choice) return usageError(err, choice.error().message);
  History history(o.get(kHistoryOption), choice.value());
  auto facts = history.query().facts(filter);
  if (!facts) return storeError(err, facts.error());
  history.tell(err);
  const auto report = history::countFigures(
      facts.value(), history::groupingFromName(o.get(by)).value_or(history::Grouping::None));
  const std::string chosen = o.get(format, "text");
  if (chosen == "text") {
    printReport(report, out);
  } else {
    history::writeFigures(
        chosen == "csv" ? history::FiguresFormat::Csv : history::FiguresFormat::Json, report, out);
  }
  return kExitOk;
}

// history report: the test report of one record, or of every record of a serial number.
class ReportVerb final : public Command {
 public:
  ReportVerb() : Command({"history report"}, "ID", {}) { option(kHistoryOption); }
  int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
          const CliContext& context) const override;

 private:
  const Option& serial = option(
      {"--serial", "NUMBER", "instead of ID: every record of this serial number, oldest first"});
  const Option& outputFile = option({.name = "--output",
                                     .value = "FILE.pdf",
                                     .help = "the file the report is written to",
                                     .required = true});
  const Option& workshop =
      option({"--workshop", "NAME",
              "the workshop's name at the top of each page (default: the computer's setting "
              "\"workshop\")"});
};

int ReportVerb::run(const std::vector<std::string>& args, std::ostream&, std::ostream& err,
                    const CliContext& context) const {
  const std::string_view who = names().front();
  std::vector<std::string> rest;
  const std::string id = operand(args, 2, rest);
  Given o;
  if (auto refused = read(rest, 2, who, o)) return usageError(err, refused->message);
  const std::string number = o.get(serial);
  std::int64_t n = 0;
  const auto [end, ec] = std::from_chars(id.data(), id.data() + id.size(), n);
  const bool byId = !id.empty() && ec == std::errc{} && end == id.data() + id.size() && n > 0;
  if (id.empty() == number.empty() || (!id.empty() && !byId)) {
    return usageError(err, std::string(who) +
                               " needs the id of a record, as the list shows it, or --serial "
                               "NUMBER, not both");
  }
  const auto choice = lineChoice(o, context);
  if (!choice) return usageError(err, choice.error().message);

  // The fonts first: without them nothing can be written, and the history need not be read.
  const auto fonts = history::loadReportFonts(history::reportFontFolders());
  if (const auto* missing = std::get_if<Failure>(&fonts)) {
    err << "tallowick-cli: " << missing->message << "\n";
    return kExitFileNotSaved;
  }
  History history(o.get(kHistoryOption), choice.value());
  std::vector<Record> records;
  if (byId) {
    auto record = history.query().find(n);
    if (!record) return storeError(err, record.error());
    if (!record.value()) {
      err << "tallowick-cli: the history holds no record " << n << "\n";
      return kExitHistoryUnreadable;
    }
    records.push_back(*record.value());
  } else {
    auto found = history::printerRecords(history.query(), number);
    if (!found) return storeError(err, found.error());
    records = std::move(found).value();
    if (records.empty()) {
      err << "tallowick-cli: the history holds no record of serial number " << number << "\n";
      return kExitHistoryUnreadable;
    }
  }
  history.tell(err);

  std::string named = o.get(workshop);
  if (!o.has(workshop)) {
    std::unique_ptr<Settings> own;
    const auto setting = settingsOf(context, own).get(setting::kWorkshop);
    if (!setting) {
      err << "tallowick-cli: " << setting.error().message << "\n";
    } else if (setting.value()) {
      named = *setting.value();
    }
  }
  const history::ReportHeading heading = history::headingNow(named);
  const std::string output = o.get(outputFile);
  if (auto failed = history::saveTestReport(output, records, heading,
                                            std::get<history::ReportFonts>(fonts))) {
    err << "tallowick-cli: " << failed->message << "\n";
    return kExitFileNotSaved;
  }
  err << "Готово: отчет сохранен в " << output << " (записей: " << records.size() << ").\n";
  return kExitOk;
}

class HistoryCommand final : public Command {
 public:
  HistoryCommand()
      : Command(
            {"history"}, "",
            "The record of every test run and initialisation, newest first, chosen by "
            "the options below: listed, one shown with its steps and its log, "
            "exported to a file or standard output, or counted: the printers tested, "
            "how many passed on the first try and in the end, the failures by step, "
            "the runs' durations and the initialisations; or a printer's test report as a PDF.") {}

  std::vector<const Command*> forms() const override {
    return {&list_, &show_, &export_, &stats_, &report_};
  }

  int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
          const CliContext& context) const override {
    return runVerb(kVerbs, args, out, err, context);
  }

 private:
  // The words that call the forms, in their order.
  static constexpr std::string_view kVerbs[] = {"list", "show", "export", "stats", "report"};
  ListVerb list_;
  ShowVerb show_;
  ExportVerb export_;
  StatsVerb stats_;
  ReportVerb report_;
};

}  // namespace

StoreResult<fs::path> historyPlace(const std::optional<std::string>& named) {
  if (named) return platform::pathOf(*named);
  return platform::dataFile(platform::DataFile::History);
}

std::unique_ptr<Command> makeHistoryCommand() {
  return std::make_unique<HistoryCommand>();
}

}  // namespace tallowick
