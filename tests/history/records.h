// Records as the runs of a workshop leave them, and a folder of their own for each test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

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

struct TempDir : tallowick::test::TempDir {
  TempDir() : tallowick::test::TempDir("tallowick-history") {}
};

using tallowick::test::readFile;
using tallowick::test::writeFile;

}  // namespace tallowick::history::test
