// Records as the runs of a workshop leave them, and a folder of their own for each test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "history/record.h"
#include "support/temp_dir.h"

namespace tallowick::history::test {

namespace fs = std::filesystem;

// 2026-12-07 07:05:30 UTC.
inline constexpr std::int64_t kDay = 1796627130000;

// Record n of a series: a test run whose texts carry what exports must survive (quotes,
// separators, line breaks, control characters, Cyrillic).
inline Record sampleRecord(int n) {
  Record r;
  r.kind = n % 5 == 4 ? Kind::Initialisation : Kind::TestRun;
  r.startedAtMs = kDay + std::int64_t{n} * 60'000;
  r.durationMs = 20'000 + n;
  r.endedAtMs = r.startedAtMs + r.durationMs;
  r.utcOffsetMinutes = 120;
  r.computer = "bench-" + std::to_string(n % 3);
  r.user = n % 2 ? "техник" : "operator";
  r.station = "line-" + std::to_string(n % 3);
  r.port = n % 2 ? "/dev/ttyUSB0" : "sim:KM-15";
  r.model = n % 2 ? "Veltor FP-90T" : "Veltor KM-15";
  r.firmware = "3.01";
  r.country = "Україна";
  r.serialNumber = "ЕД800" + std::to_string(10000 + n % 7);
  r.language = n % 2 ? "uk" : "ru";
  if (r.kind == Kind::TestRun) {
    r.passes = "1";
    r.pauseMs = "1500";
  }
  r.outcome = n % 3 == 0 ? Outcome::Finished : Outcome::Aborted;
  r.errorCount = n % 3 == 0 ? 0 : 1;
  r.message = r.outcome == Outcome::Aborted ? "Ошибка \"X-отчета\", код 0103;\nповтор" : "";
  r.log = {"******************************",
           "Установка времени",
           "",
           "Установка времени - успешно",
           "a \"quoted\", text\twith\x01 control",
           " "};
  r.steps = {
      {.title = "Установка времени", .command = 0x20, .elapsedMs = 1500},
      {.title = "X-отчет",
       .command = 0xA1,
       .result = r.outcome == Outcome::Aborted ? StepResult::PrinterError : StepResult::Success,
       .code = r.outcome == Outcome::Aborted ? "0103" : "",
       .message = r.outcome == Outcome::Aborted ? "Ошибка X-отчета" : "",
       .elapsedMs = 2000}};
  return r;
}

inline constexpr const char* kKm = "Veltor KM-15";
inline constexpr const char* kFp = "Veltor FP-90T";
inline constexpr std::int64_t kNextDay = 86'400'000;

struct Made {
  const char* serial;
  Kind kind;
  Outcome outcome;
  std::optional<std::string> failedStep;
  std::int64_t durationMs;
  const char* model;
  const char* station;
  std::int64_t startedAfterMs;  // after kDay
};

// A workshop's two days, in the order they are listed here (ids follow):
// - A passes at once; B fails at the X-report, passes the next day; C fails with errors at the
//   Z-report, then is aborted at the X-report; D is stopped by the user, passes the next day;
//   F fails before any titled step; E's entries are refused;
// - two runs have no serial number: one aborted at the X-report, one that passes;
// - four initialisations: on each model one done, and one failed on the KM-15 and one
//   interrupted on the FP-90T.
inline const Made kWorkshop[] = {
    {"A", Kind::TestRun, Outcome::Finished, {}, 10'000, kKm, "s1", 0},
    {"B", Kind::TestRun, Outcome::Aborted, "X-отчет", 1'000, kKm, "s1", 60'000},
    {"C", Kind::TestRun, Outcome::FinishedWithErrors, "Z-отчет", 50'000, kFp, "s2", 120'000},
    {"D", Kind::TestRun, Outcome::Stopped, {}, 100'000, kFp, "s2", 180'000},
    {"", Kind::TestRun, Outcome::Aborted, "X-отчет", 1'000, kKm, "s1", 240'000},
    {"", Kind::TestRun, Outcome::Finished, {}, 40'000, kKm, "s2", 300'000},
    {"E", Kind::TestRun, Outcome::InputRefused, {}, 0, kKm, "s1", 360'000},
    {"F", Kind::TestRun, Outcome::Aborted, {}, 500, kFp, "s1", 420'000},
    {"ЕД1", Kind::Initialisation, Outcome::Finished, {}, 9'000, kKm, "s1", 480'000},
    {"ЕД2", Kind::Initialisation, Outcome::Aborted, {}, 3'000, kKm, "s1", 540'000},
    {"C", Kind::TestRun, Outcome::Aborted, "X-отчет", 2'000, kFp, "s2", kNextDay},
    {"B", Kind::TestRun, Outcome::Finished, {}, 20'000, kKm, "s2", kNextDay + 60'000},
    {"D", Kind::TestRun, Outcome::Finished, {}, 30'000, kFp, "s1", kNextDay + 120'000},
    {"ЕД3", Kind::Initialisation, Outcome::Finished, {}, 9'000, kFp, "s2", kNextDay + 180'000},
    {"ЕД4", Kind::Initialisation, Outcome::Stopped, {}, 1'000, kFp, "s2", kNextDay + 240'000},
};

// The records of the workshop, whole: the failed step is a step of the record that did not
// succeed, after one that did.
inline std::vector<Record> workshopRecords() {
  std::vector<Record> records;
  for (const Made& m : kWorkshop) {
    Record r;
    r.kind = m.kind;
    r.serialNumber = m.serial;
    r.outcome = m.outcome;
    r.errorCount = m.outcome == Outcome::Finished || m.outcome == Outcome::Stopped ? 0 : 1;
    r.durationMs = m.durationMs;
    r.model = m.model;
    r.station = m.station;
    r.startedAtMs = kDay + m.startedAfterMs;
    r.endedAtMs = r.startedAtMs + r.durationMs;
    r.utcOffsetMinutes = 120;
    r.steps.push_back({.title = "Установка времени", .command = 0x20});
    if (m.failedStep) {
      r.steps.push_back(
          {.title = *m.failedStep, .command = 0x21, .result = StepResult::PrinterError});
      r.steps.push_back({.title = "Конец", .command = 0x22, .result = StepResult::Aborted});
    }
    records.push_back(std::move(r));
  }
  return records;
}

struct TempDir : tallowick::test::TempDir {
  TempDir() : tallowick::test::TempDir("tallowick-history") {}
};

using tallowick::test::readFile;
using tallowick::test::writeFile;

}  // namespace tallowick::history::test
