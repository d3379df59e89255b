#include "app/cli_history.h"

#include <charconv>
#include <filesystem>
#include <iomanip>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <sstream>

#include "app/cli_options.h"
#include "app/exit_codes.h"
#include "history/journal.h"
#include "history/query.h"
#include "platform/system.h"

namespace tallowick {
namespace {

namespace fs = std::filesystem;
using history::Record;

// The options that choose records.
const std::set<std::string> kSelection = {"--from",    "--until", "--model", "--serial",
                                          "--outcome", "--kind",  "--limit", "--history"};

// The filter the options describe; the reason when one of them is not usable.
std::optional<std::string> makeFilter(const Options& o, std::size_t defaultLimit,
                                      history::Filter& f) {
  const history::FilterEntries entries{
      o.get("--from", ""),    o.get("--until", ""), o.get("--model", ""), o.get("--serial", ""),
      o.get("--outcome", ""), o.get("--kind", ""),  o.get("--limit", "")};
  const auto read = history::readFilter(entries, history::DateForm::Iso, defaultLimit);
  if (const auto* filter = std::get_if<history::Filter>(&read)) {
    f = *filter;
    return std::nullopt;
  }
  const auto& [field, entry] = std::get<history::FilterRefusal>(read);
  switch (field) {
    case history::FilterField::From:
      return "--from needs a date YYYY-MM-DD or 'YYYY-MM-DD HH:MM', not '" + entry + "'";
    case history::FilterField::Until:
      return "--until needs a date YYYY-MM-DD or 'YYYY-MM-DD HH:MM', not '" + entry + "'";
    case history::FilterField::Outcome:
      return "--outcome needs finished, finished_with_errors, aborted, stopped or "
             "input_refused, not '" +
             entry + "'";
    case history::FilterField::Kind:
      return "--kind needs testrun or init, not '" + entry + "'";
    case history::FilterField::Limit:
      return "--limit needs a whole number (0 for all), not '" + entry + "'";
  }
  return std::nullopt;
}

// The history to read: --history FILE, else where the desktop tool keeps it.
class History {
 public:
  explicit History(const std::string& given)
      : journal_(historyFile(given.empty() ? std::nullopt : std::optional(given))),
        query_(journal_.store(), journal_.unavailable()) {}
  history::Query& query() { return query_; }

 private:
  history::Journal journal_;
  history::Query query_;
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

void printList(const std::vector<Record>& records, std::ostream& out) {
  if (records.empty()) {
    out << "no records\n";
    return;
  }
  const std::size_t widths[] = {6, 20, 8, 14, 16, 16, 21, 7};
  const char* heads[] = {"id", "started", "kind", "port", "model", "serial", "outcome", "errors"};
  for (std::size_t i = 0; i < std::size(heads); ++i)
    out << padded(heads[i], widths[i]);
  out << "duration\n";
  for (const Record& r : records) {
    const std::string cells[] = {std::to_string(r.id),
                                 history::localTimeText(r.startedAtMs, r.utcOffsetMinutes),
                                 std::string(history::kindKey(r.kind)),
                                 r.port,
                                 r.model,
                                 r.serialNumber,
                                 std::string(history::outcomeKey(r.outcome)),
                                 std::to_string(r.errorCount)};
    for (std::size_t i = 0; i < std::size(cells); ++i)
      out << padded(cells[i], widths[i]);
    out << seconds(r.durationMs) << "\n";
  }
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
      << "errors: " << r.errorCount << "\n";
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

int runList(const std::vector<std::string>& args, std::size_t verbs, std::ostream& out,
            std::ostream& err) {
  const Options o = parseCommandOptions(args, kSelection, {}, verbs);
  if (!o.error.empty()) return usageError(err, o.error);
  history::Filter filter;
  if (auto reason = makeFilter(o, 100, filter)) return usageError(err, *reason);
  History history(o.get("--history", ""));
  auto records = history.query().list(filter);
  if (!records) return storeError(err, records.error());
  printList(records.value(), out);
  return kExitOk;
}

int runShow(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  // The id is the one word after "history show" that is no option and no option's value.
  std::vector<std::string> rest(args.begin(), args.begin() + 2);
  std::string id;
  for (std::size_t i = 2; i < args.size(); ++i) {
    if (args[i] == "--history" && i + 1 < args.size()) {
      rest.insert(rest.end(), {args[i], args[i + 1]});
      ++i;
    } else if (id.empty() && !args[i].starts_with("-")) {
      id = args[i];
    } else {
      rest.push_back(args[i]);
    }
  }
  const Options o = parseCommandOptions(rest, {"--history"}, {}, 1);
  if (!o.error.empty()) return usageError(err, o.error);
  std::int64_t n = 0;
  const auto [end, ec] = std::from_chars(id.data(), id.data() + id.size(), n);
  if (id.empty() || ec != std::errc{} || end != id.data() + id.size() || n <= 0) {
    return usageError(err, "history show needs the id of a record, as the list shows it");
  }
  History history(o.get("--history", ""));
  auto record = history.query().find(n);
  if (!record) return storeError(err, record.error());
  const std::optional<Record>& found = record.value();
  if (!found) {
    err << "tallowick-cli: the history holds no record " << n << "\n";
    return kExitHistoryUnreadable;
  }
  printRecord(*found, out);
  return kExitOk;
}

int runExport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::set<std::string> known = kSelection;
  known.insert({"--format", "--output"});
  const Options o = parseCommandOptions(args, known, {}, 1);
  if (!o.error.empty()) return usageError(err, o.error);
  const auto chosen = history::formatFromName(o.get("--format", ""));
  if (!chosen) return usageError(err, "history export needs --format csv, json or junit");
  history::Filter filter;
  if (auto reason = makeFilter(o, 0, filter)) return usageError(err, *reason);
  const std::string output = o.get("--output", "");
  History history(o.get("--history", ""));
  if (output.empty()) {
    auto written = history.query().exportTo(*chosen, filter, out);
    out << std::flush;
    if (!written) return storeError(err, written.error());
    return kExitOk;
  }
  const auto exported = history.query().exportTo(*chosen, filter, output);
  if (exported.failure == history::ExportOutcome::Failure::History) {
    err << "tallowick-cli: " << exported.message << "\n";
    return kExitHistoryUnreadable;
  }
  if (!exported) {
    err << "tallowick-cli: " << exported.message << "\n";
    return kExitFileNotSaved;
  }
  err << "Готово: история сохранена в " << output << " (записей: " << exported.records << ").\n";
  return kExitOk;
}

}  // namespace

StoreResult<fs::path> historyFile(const std::optional<std::string>& named) {
  if (named) return fs::path(*named);
  return platform::dataFile(platform::DataFile::History);
}

int runHistory(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  // The verb after "history"; the list when an option or nothing comes first.
  const bool named = args.size() > 1 && !args[1].starts_with("-");
  const std::string verb = named ? args[1] : "list";
  if (verb == "list") return runList(args, named ? 1 : 0, out, err);
  if (verb == "show") return runShow(args, out, err);
  if (verb == "export") return runExport(args, out, err);
  return usageError(err, "history needs list, show or export, not '" + verb + "'");
}

}  // namespace tallowick
