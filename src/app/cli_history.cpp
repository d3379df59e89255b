#include "app/cli_history.h"

#include <charconv>
#include <filesystem>
#include <iomanip>
#include <optional>
#include <ostream>
#include <sstream>

#include "app/cli_line.h"
#include "app/exit_codes.h"
#include "history/journal.h"
#include "history/query.h"
#include "line/station.h"
#include "link/help_text.h"
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
constexpr Option kOutcome{"--outcome", "OUTCOME",
                          "records that ended so: finished, finished_with_errors, aborted, "
                          "stopped or input_refused"};
constexpr Option kKind{"--kind", "testrun|init", "test runs only, or initialisations only"};
constexpr Option kLimit{"--limit", "N",
                        "the newest N records (default: 100 in the list, every one in an "
                        "export; 0 for all)"};
constexpr const Option* kSelection[] = {&kFrom,    &kUntil, &kModel, &kSerial,
                                        &kOutcome, &kKind,  &kLimit, &kHistoryOption};

// The filter the options describe; the reason when one of them is not usable.
std::optional<Failure> makeFilter(const Given& o, std::size_t defaultLimit, history::Filter& f) {
  const history::FilterEntries entries{o.get(kFrom),   o.get(kUntil),   o.get(kModel),
                                       o.get(kSerial), o.get(kOutcome), o.get(kKind),
                                       o.get(kLimit)};
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
    char command[8];
    std::snprintf(command, sizeof command, "%02X", static_cast<unsigned>(s.command));
    out << "  " << s.title << ": " << history::stepResultKey(s.result) << " (" << command
        << (s.code.empty() ? "" : ", " + s.code) << ")\n";
  }
  out << "log:\n";
  for (const std::string& line : r.log)
    out << line << "\n";
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

class HistoryCommand final : public Command {
 public:
  HistoryCommand()
      : Command({"history"}, "",
                "The record of every test run and initialisation, newest first, chosen by "
                "the options below: listed, one shown with its steps and its log, or "
                "exported to a file or standard output.") {}

  std::vector<const Command*> forms() const override { return {&list_, &show_, &export_}; }

  int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
          const CliContext& context) const override {
    return runVerb(kVerbs, args, out, err, context);
  }

 private:
  // The words that call the forms, in their order.
  static constexpr std::string_view kVerbs[] = {"list", "show", "export"};
  ListVerb list_;
  ShowVerb show_;
  ExportVerb export_;
};

}  // namespace

StoreResult<fs::path> historyPlace(const std::optional<std::string>& named) {
  if (named) return fs::path(*named);
  return platform::dataFile(platform::DataFile::History);
}

std::unique_ptr<Command> makeHistoryCommand() {
  return std::make_unique<HistoryCommand>();
}

}  // namespace tallowick
