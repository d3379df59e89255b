#include "mainform/wall_clock.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace tallowick {

LocalDateTime systemLocalTime() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  // The program has one thread, so the shared buffer of localtime is safe here.
  const std::tm tm = *std::localtime(&now);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

namespace {
std::string format(const char* pattern, int a, int b, int c = 0) {
  char buf[32];
  std::snprintf(buf, sizeof buf, pattern, a, b, c);
  return buf;
}
}  // namespace

std::string ddmmyy(const LocalDateTime& t) {
  return format("%02d%02d%02d", t.day, t.month, t.year % 100);
}

std::string hhmm(const LocalDateTime& t) {
  return format("%02d%02d", t.hour, t.minute);
}

std::string shortDateLongTime(const LocalDateTime& t) {
  return format("%02d.%02d.%04d", t.day, t.month, t.year) + " " +
         format("%d:%02d:%02d", t.hour, t.minute, t.second);
}

}  // namespace tallowick
