// One record of the history: a test run or an initialisation of one printer, with what it
// was run with, how it ended, its whole log and the outcome of each titled step.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/x_list.h"
#include "testrun/step_report.h"
#include "testrun/test_run.h"

namespace tallowick::history {

// X(name, key): the key is the value's name in the file and in every export.
#define TALLOWICK_HISTORY_KINDS(X)                                                 \
  X(TestRun, "testrun")     /* the automatic test of the page "Тест РРО" */ \
  X(Initialisation, "init") /* the page "Инициализация регистратора" */

#define TALLOWICK_HISTORY_OUTCOMES(X)                                                          \
  X(Finished, "finished")                       /* reached its end with no error counted */    \
  X(FinishedWithErrors, "finished_with_errors") /* reached its end with errors counted */      \
  X(Aborted, "aborted")                         /* a failure ended it; `message` says which */ \
  X(Stopped, "stopped")                         /* the user stopped it */                      \
  X(InputRefused, "input_refused")              /* an entry was refused before anything was sent */

enum class Kind : std::uint8_t { TALLOWICK_HISTORY_KINDS(TALLOWICK_ENUMERATOR) };
enum class Outcome : std::uint8_t { TALLOWICK_HISTORY_OUTCOMES(TALLOWICK_ENUMERATOR) };

struct Record {
  std::int64_t id = 0;  // given by the history when the record is appended
  // The record's own identity, made with it (a UUID), which it keeps wherever it is copied:
  // the line database holds each record once, however often it is forwarded.
  std::string uid;
  // The station of the line that made it: the computer's name unless named otherwise.
  std::string station;
  Kind kind = Kind::TestRun;
  // Milliseconds since 1970-01-01 00:00 UTC, and the computer's offset from UTC at the
  // start, so that the times read as the workshop's clock showed them.
  std::int64_t startedAtMs = 0;
  std::int64_t endedAtMs = 0;
  std::int32_t utcOffsetMinutes = 0;
  std::string computer;
  // The operating system's user who ran it; empty in records made before it was kept.
  std::string user;
  std::string port;
  std::string model;
  std::string firmware;
  std::string country;
  // Written by an initialisation; for a test run, the printer's number when it is known.
  std::string serialNumber;
  // The number of passes and the pause in milliseconds as they were entered (a refused
  // entry is kept as typed); empty for an initialisation.
  std::string passes;
  std::string pauseMs;
  Outcome outcome = Outcome::Finished;
  std::string message;  // the failure's message box, or the refused entry's
  std::int32_t errorCount = 0;
  // Measured on the run's own clock, which the computer's clock changes do not move.
  std::int64_t durationMs = 0;
  // The language its log, message and step texts were written in: "ru", "uk" or "ro" (the
  // windows' language; the command line writes Russian). Empty in records made before it was
  // kept, which are all Russian.
  std::string language;
  std::vector<std::string> log;  // every line, exactly as written
  std::vector<StepReport> steps;
  // Read from the line's history: a record of this station's that waits in its outbox,
  // not yet on the line (its id is then the station's own, negated). Never stored.
  bool waiting = false;
  bool operator==(const Record&) const = default;
};

// The texts of a record that describe where and with what it ran, with the names the file
// and every export give them, in the order of the exports.
struct NamedText {
  const char* name;
  const std::string* text;
};
std::array<NamedText, 10> describingTexts(const Record& r);

// Where the first text of the record (its fields, log lines and steps, in this order) is
// for which `bad` holds, if any: "поле port", "строка 3 журнала", "шаг 2".
std::optional<std::string> firstText(const Record& r,
                                     const std::function<bool(std::string_view)>& bad);

// The names these values have in the file and in every export.
std::string_view kindKey(Kind kind);
std::string_view outcomeKey(Outcome outcome);
std::string_view stepResultKey(StepResult result);
std::optional<Kind> kindFromKey(std::string_view key);
std::optional<Outcome> outcomeFromKey(std::string_view key);
std::optional<StepResult> stepResultFromKey(std::string_view key);

// How a record ended, in the words of the history window ("Завершен", "Прерван"…): the
// Russian text, which the windows translate.
const char* outcomeWords(Outcome outcome);

// The language of the record's texts: its own, Russian for a record made before it was kept.
std::string_view languageOf(const Record& r);

// How a test run ended, as the history names it.
Outcome outcomeOf(const RunOutcome& run);

}  // namespace tallowick::history
