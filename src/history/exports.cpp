#include "history/exports.h"

#include <chrono>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "platform/utf8.h"

namespace tallowick::history {

namespace {

// The clock of the computer that made the record, broken into its fields.
struct LocalTime {
  int year;
  unsigned month, day, hour, minute, second, millisecond;
};

LocalTime localTime(std::int64_t atMs, std::int32_t utcOffsetMinutes) {
  using namespace std::chrono;
  const sys_time<milliseconds> at{milliseconds{atMs + std::int64_t{utcOffsetMinutes} * 60'000}};
  const auto midnight = floor<days>(at);
  const year_month_day date{midnight};
  const hh_mm_ss time{at - midnight};
  return {static_cast<int>(date.year()),
          static_cast<unsigned>(date.month()),
          static_cast<unsigned>(date.day()),
          static_cast<unsigned>(time.hours().count()),
          static_cast<unsigned>(time.minutes().count()),
          static_cast<unsigned>(time.seconds().count()),
          static_cast<unsigned>(time.subseconds().count())};
}

// "2026-12-07" followed by `separator` and "09:05:30".
std::string dateTimeText(const LocalTime& t, char separator) {
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u%c%02u:%02u:%02u", t.year, t.month, t.day,
                separator, t.hour, t.minute, t.second);
  return text;
}

// "+02:00", "-03:30".
std::string offsetText(std::int32_t minutes) {
  char text[16];
  const std::int32_t size = minutes < 0 ? -minutes : minutes;
  std::snprintf(text, sizeof text, "%c%02d:%02d", minutes < 0 ? '-' : '+', size / 60, size % 60);
  return text;
}

// ISO 8601 with milliseconds and the offset: "2026-12-07T09:05:30.250+02:00".
std::string isoTime(std::int64_t atMs, std::int32_t utcOffsetMinutes) {
  const LocalTime t = localTime(atMs, utcOffsetMinutes);
  char millis[8];
  std::snprintf(millis, sizeof millis, ".%03u", t.millisecond);
  return dateTimeText(t, 'T') + millis + offsetText(utcOffsetMinutes);
}

std::string joinedLog(const Record& r) {
  std::string text;
  for (std::size_t i = 0; i < r.log.size(); ++i) {
    if (i > 0) text += '\n';
    text += r.log[i];
  }
  return text;
}

std::size_t failedSteps(const Record& r) {
  std::size_t n = 0;
  for (const StepReport& s : r.steps)
    n += s.result == StepResult::Success ? 0 : 1;
  return n;
}

// ---- CSV ----

// A text that a spreadsheet would take for a formula ("=HYPERLINK(...)", "+1+cmd") gets a
// leading apostrophe, so that opening an export never runs what a field holds. Plain
// numbers ("-121", "+5") stay as they are.
bool looksLikeFormula(std::string_view text) {
  if (text.empty()) return false;
  const char c = text.front();
  if (c == '=' || c == '@' || c == '\t' || c == '\r') return true;
  if (c != '+' && c != '-') return false;
  const std::string_view rest = text.substr(1);
  if (rest.empty()) return false;
  for (char d : rest) {
    if ((d < '0' || d > '9') && d != '.') return true;
  }
  return false;
}

}  // namespace

std::string csvField(std::string_view text, bool guarded) {
  std::string field = guarded && looksLikeFormula(text) ? "'" : "";
  field += text;
  if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
  std::string quoted = "\"";
  for (char c : field) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

namespace {

void writeCsv(const std::vector<Record>& records, std::ostream& out) {
  out << kCsvStart;
  out << "id,kind,started_at,ended_at,utc_offset,station,computer,user,port,model,firmware,country,"
         "serial_number,passes,pause_ms,outcome,message,error_count,duration_ms,steps,"
         "steps_failed,log,language\r\n";
  for (const Record& r : records) {
    // The fields the program writes itself, which no spreadsheet takes for a formula.
    const std::string own[] = {std::to_string(r.id), std::string(kindKey(r.kind)),
                               localTimeText(r.startedAtMs, r.utcOffsetMinutes),
                               localTimeText(r.endedAtMs, r.utcOffsetMinutes),
                               offsetText(r.utcOffsetMinutes)};
    for (const std::string& field : own)
      out << csvField(field, false) << ',';
    for (const auto& [name, text] : describingTexts(r))
      out << csvField(*text) << ',';
    out << outcomeKey(r.outcome) << ',' << csvField(r.message) << ',' << r.errorCount << ','
        << r.durationMs << ',' << r.steps.size() << ',' << failedSteps(r) << ','
        << csvField(joinedLog(r)) << ',' << languageOf(r) << "\r\n";
  }
}

// ---- JSON ----

void writeJson(const std::vector<Record>& records, std::ostream& out) {
  using Json = nlohmann::ordered_json;
  Json all = Json::array();
  for (const Record& r : records) {
    Json steps = Json::array();
    for (const StepReport& s : r.steps) {
      steps.push_back({{"title", s.title},
                       {"command", commandText(s.command)},
                       {"result", stepResultKey(s.result)},
                       {"code", s.code},
                       {"message", s.message},
                       {"elapsed_ms", s.elapsedMs}});
    }
    Json record = {{"id", r.id},
                   {"kind", kindKey(r.kind)},
                   {"started_at", isoTime(r.startedAtMs, r.utcOffsetMinutes)},
                   {"ended_at", isoTime(r.endedAtMs, r.utcOffsetMinutes)}};
    for (const auto& [name, text] : describingTexts(r))
      record[name] = *text;
    record["outcome"] = outcomeKey(r.outcome);
    record["message"] = r.message;
    record["error_count"] = r.errorCount;
    record["duration_ms"] = r.durationMs;
    record["language"] = languageOf(r);
    record["steps"] = std::move(steps);
    record["log"] = r.log;
    all.push_back(std::move(record));
  }
  // A text that is not UTF-8 (the history never holds one) comes out with U+FFFD in place
  // of the bad bytes rather than breaking the export.
  out << all.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
}

// ---- JUnit XML ----

// XML 1.0 cannot carry most control characters even as references: they are shown as
// their pictures (U+2400 + code). Line breaks and tabs survive in text; in an attribute
// they are written as references, since a reader would otherwise turn them into blanks.
std::string xml(std::string_view text, bool attribute) {
  std::string out;
  out.reserve(text.size());
  forEachCharacter(text, [&](char32_t c, std::string_view bytes) {
    switch (c) {
      case '&':
        out += "&amp;";
        return;
      case '<':
        out += "&lt;";
        return;
      case '>':
        out += "&gt;";
        return;
      case '"':
        out += attribute ? "&quot;" : "\"";
        return;
      case '\r':
        out += "&#13;";
        return;
      case '\n':
      case '\t':
        if (attribute) {
          out += c == '\n' ? "&#10;" : "&#9;";
        } else {
          out += static_cast<char>(c);
        }
        return;
      case kNotUtf8:
      case 0xFFFE:
      case 0xFFFF:
        out += "\xEF\xBF\xBD";
        return;
      default:
        break;
    }
    if (c < 0x20) {
      const char32_t picture = 0x2400 + c;  // three bytes: E2 90 80 + c
      out += static_cast<char>(0xE2);
      out += static_cast<char>(0x80 | ((picture >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (picture & 0x3F));
      return;
    }
    out += bytes;
  });
  return out;
}

std::string attr(const char* name, std::string_view value) {
  return std::string(" ") + name + "=\"" + xml(value, true) + "\"";
}

std::string seconds(std::int64_t ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", static_cast<double>(ms) / 1000.0);
  return text;
}

// The element of a test case that is not a pass.
struct Verdict {
  const char* element = nullptr;  // "failure", "error" or "skipped"; none for a pass
  std::string type;
  std::string message;
  std::string body;
};

Verdict stepVerdict(const StepReport& s, const Record& r) {
  const std::string command = "Команда " + commandText(s.command) + "h";
  const std::string message = s.message.empty() ? r.message : s.message;
  switch (s.result) {
    case StepResult::Success:
      return {};
    case StepResult::PrinterError:
      return {"failure", "printer_error", message, command + ": код ошибки " + s.code};
    case StepResult::NoReply:
      return {"error", "no_reply", message, command + ": нет ответа"};
    case StepResult::ArgumentError:
      return {"error", "argument_error", message, command + ": код ошибки аргумента " + s.code};
    case StepResult::Aborted:
      return {"error", "aborted", message, ""};
    case StepResult::Stopped:
      return {"skipped", "", message, ""};
  }
  return {};
}

// How the record ended, for the test case of its own that a record gets when no step
// shows it: one without steps, or one whose end came outside every step.
std::optional<Verdict> endVerdict(const Record& r) {
  if (!r.steps.empty() && failedSteps(r) > 0) return std::nullopt;
  const std::string total = "Общее количество ошибок: " + std::to_string(r.errorCount);
  switch (r.outcome) {
    case Outcome::Finished:
      if (!r.steps.empty()) return std::nullopt;
      return Verdict{};
    case Outcome::FinishedWithErrors:
      return Verdict{"failure", "finished_with_errors", total, r.message};
    case Outcome::Aborted:
      return Verdict{"error", "aborted", r.message, ""};
    case Outcome::Stopped:
      return Verdict{"skipped", "", r.message, ""};
    case Outcome::InputRefused:
      return Verdict{"error", "input_refused", r.message, ""};
  }
  return std::nullopt;
}

struct Counts {
  std::size_t tests = 0, failures = 0, errors = 0, skipped = 0;
  void add(const Verdict& v) {
    ++tests;
    const std::string_view e = v.element ? v.element : "";
    failures += e == "failure" ? 1 : 0;
    errors += e == "error" ? 1 : 0;
    skipped += e == "skipped" ? 1 : 0;
  }
  // The totals of all suites carry no count of skipped cases: the schema has none there.
  std::string attributes(bool withSkipped = true) const {
    return attr("tests", std::to_string(tests)) + attr("failures", std::to_string(failures)) +
           attr("errors", std::to_string(errors)) +
           (withSkipped ? attr("skipped", std::to_string(skipped)) : "");
  }
};

std::string kindLabel(Kind kind) {
  return kind == Kind::TestRun ? "Тест РРО" : "Инициализация регистратора";
}

// "Тест РРО: Veltor FP-90T, /dev/ttyUSB0, ЕД80012345, 2026-12-07 09:05:30".
std::string suiteName(const Record& r) {
  std::string name = kindLabel(r.kind) + ":";
  bool first = true;
  for (const std::string& part :
       {r.model, r.port, r.serialNumber, localTimeText(r.startedAtMs, r.utcOffsetMinutes)}) {
    if (part.empty()) continue;
    name += (first ? " " : ", ") + part;
    first = false;
  }
  return name;
}

std::string testCase(const std::string& name, const std::string& classname, std::int64_t ms,
                     const Verdict& v) {
  std::string out = "    <testcase" + attr("name", name) + attr("classname", classname) +
                    attr("time", seconds(ms));
  if (!v.element) return out + "/>\n";
  out += ">\n      <" + std::string(v.element) + attr("message", v.message);
  if (!v.type.empty()) out += attr("type", v.type);
  out += v.body.empty() ? "/>\n" : ">" + xml(v.body, false) + "</" + v.element + ">\n";
  return out + "    </testcase>\n";
}

void writeJunit(const std::vector<Record>& records, std::ostream& out) {
  Counts total;
  std::int64_t totalMs = 0;
  std::string suites;
  for (const Record& r : records) {
    const std::string name = suiteName(r);
    Counts counts;
    std::string cases;
    for (const StepReport& s : r.steps) {
      const Verdict v = stepVerdict(s, r);
      counts.add(v);
      cases += testCase(s.title, name, s.elapsedMs, v);
    }
    if (const auto end = endVerdict(r)) {
      counts.add(*end);
      cases += testCase(kindLabel(r.kind), name, r.steps.empty() ? r.durationMs : 0, *end);
    }
    std::vector<std::pair<std::string, std::string>> properties = {
        {"record", std::to_string(r.id)}, {"kind", std::string(kindKey(r.kind))}};
    for (const auto& [key, text] : describingTexts(r))
      properties.emplace_back(key, *text);
    properties.insert(properties.end(),
                      {{"outcome", std::string(outcomeKey(r.outcome))},
                       {"message", r.message},
                       {"error_count", std::to_string(r.errorCount)},
                       {"language", std::string(languageOf(r))},
                       {"started_at", isoTime(r.startedAtMs, r.utcOffsetMinutes)}});
    suites += "  <testsuite" + attr("name", name) + counts.attributes() +
              attr("time", seconds(r.durationMs)) +
              attr("timestamp", dateTimeText(localTime(r.startedAtMs, r.utcOffsetMinutes), 'T')) +
              attr("hostname", r.computer) + ">\n    <properties>\n";
    for (const auto& [key, value] : properties)
      suites += "      <property" + attr("name", key) + attr("value", value) + "/>\n";
    suites += "    </properties>\n" + cases + "    <system-out>" + xml(joinedLog(r), false) +
              "</system-out>\n    <system-err/>\n  </testsuite>\n";
    total.tests += counts.tests;
    total.failures += counts.failures;
    total.errors += counts.errors;
    total.skipped += counts.skipped;
    totalMs += r.durationMs;
  }
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites" << attr("name", "Tallowick")
      << total.attributes(false) << attr("time", seconds(totalMs)) << ">\n"
      << suites << "</testsuites>\n";
}

}  // namespace

std::string commandText(std::int32_t command) {
  char text[16];
  std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(command));
  return text;
}

std::string localTimeText(std::int64_t atMs, std::int32_t utcOffsetMinutes) {
  return dateTimeText(localTime(atMs, utcOffsetMinutes), ' ');
}

std::string localDateText(std::int64_t atMs, std::int32_t utcOffsetMinutes) {
  return dateTimeText(localTime(atMs, utcOffsetMinutes), ' ').substr(0, 10);
}

std::optional<Format> formatFromName(std::string_view name) {
  if (name == "csv") return Format::Csv;
  if (name == "json") return Format::Json;
  if (name == "junit") return Format::Junit;
  return std::nullopt;
}

void exportRecords(Format format, const std::vector<Record>& records, std::ostream& out) {
  switch (format) {
    case Format::Csv:
      writeCsv(records, out);
      return;
    case Format::Json:
      writeJson(records, out);
      return;
    case Format::Junit:
      writeJunit(records, out);
      return;
  }
}

}  // namespace tallowick::history
