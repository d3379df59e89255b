// Records as a production line's history holds them, for the benchmarks of the history.
#pragma once

#include <cstdio>
#include <string>

#include "history/record.h"
#include "link/protocol.h"

namespace tallowick::bench {

inline constexpr std::int64_t kStart = 1'800'000'000'000;  // January 2027
inline constexpr const char* kModels[] = {"Veltor FP-510T", "Veltor FP-T320", "Veltor FP-820T",
                                          "Veltor FP-90T", "Veltor KM-15"};

// Record n: a run every two minutes on one of eight ports; a printer comes back about every
// fifth day, so each serial number has a handful of runs.
inline history::Record recordOf(int n, int logLines) {
  history::Record r;
  r.startedAtMs = kStart + std::int64_t{n} * 120'000;
  r.durationMs = 21'000 + n % 5000;
  r.endedAtMs = r.startedAtMs + r.durationMs;
  r.utcOffsetMinutes = 120;
  r.computer = "line-1";
  r.port = "/dev/ttyUSB" + std::to_string(n % 8);
  r.model = kModels[n % 5];
  r.firmware = "3.02";
  r.country = "Україна";
  char serial[16];
  std::snprintf(serial, sizeof serial, "ЕД8%05d", (n * 7919) % 20000);
  r.serialNumber = serial;
  r.passes = "1";
  r.pauseMs = "1500";
  r.outcome = n % 97 == 0 ? history::Outcome::Aborted : history::Outcome::Finished;
  r.message = r.outcome == history::Outcome::Aborted ? "Таймаут устройства! Ошибка Z-отчета!" : "";
  // Lines of the lengths a run's log has: about 33 bytes on average.
  static const char* const kLines[] = {"******************************",
                                       "Установка времени",
                                       "",
                                       "Установка времени - успешно",
                                       " ",
                                       "Тест индикаторов клиента - строка 2"};
  for (int line = 0; line < logLines; ++line)
    r.log.push_back(kLines[line % 6]);
  for (int step = 0; step < 30; ++step)
    r.steps.push_back({.title = "Служебный чек",
                       .command = tallowick::command::kOpenServiceReceipt,
                       .elapsedMs = 1500});
  return r;
}

}  // namespace tallowick::bench
