#include "mainform/wall_clock.h"

#include <cstdio>

namespace tallowick {

LocalDateTime systemLocalTime() {
  return platform::wallTimeNow().local();
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
