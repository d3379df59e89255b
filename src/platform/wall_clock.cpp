#include "platform/wall_clock.h"

#include <chrono>
#include <ctime>

namespace tallowick::platform {

namespace {

using namespace std::chrono;

// The fields as if they were a time in UTC: the local time's distance from 1970 on its own
// calendar, which gives the offset when the real moment is taken from it.
std::int64_t secondsAsUtc(const LocalDateTime& t) {
  const sys_days day{year{t.year} / month{static_cast<unsigned>(t.month)} /
                     std::chrono::day{static_cast<unsigned>(t.day)}};
  return day.time_since_epoch().count() * 86400LL + t.hour * 3600LL + t.minute * 60LL + t.second;
}

}  // namespace

LocalDateTime WallTime::local() const {
  const sys_time<milliseconds> at{milliseconds{ms + std::int64_t{utcOffsetMinutes} * 60'000}};
  const auto midnight = floor<days>(at);
  const year_month_day date{midnight};
  const hh_mm_ss time{floor<seconds>(at) - midnight};
  return {static_cast<int>(date.year()),
          static_cast<int>(static_cast<unsigned>(date.month())),
          static_cast<int>(static_cast<unsigned>(date.day())),
          static_cast<int>(time.hours().count()),
          static_cast<int>(time.minutes().count()),
          static_cast<int>(time.seconds().count())};
}

WallTime wallTimeNow() {
  const auto now = system_clock::now();
  const std::int64_t ms = duration_cast<milliseconds>(now.time_since_epoch()).count();
  const long long seconds = floor<std::chrono::seconds>(now).time_since_epoch().count();
  LocalDateTime local;
  if (!detail::localFields(seconds, local)) return {ms, 0};
  return {ms, static_cast<std::int32_t>((secondsAsUtc(local) - seconds) / 60)};
}

std::optional<std::int64_t> msOfLocalTime(const LocalDateTime& t, bool exact) {
  std::tm tm{};
  tm.tm_year = t.year - 1900;
  tm.tm_mon = t.month - 1;
  tm.tm_mday = t.day;
  tm.tm_hour = t.hour;
  tm.tm_min = t.minute;
  tm.tm_sec = t.second;
  tm.tm_isdst = -1;
  const std::tm asGiven = tm;
  // mktime reads the fields alone and is safe in several threads at once.
  const std::time_t seconds = std::mktime(&tm);
  if (seconds == -1) return std::nullopt;
  // mktime moves an impossible day or hour to a real one: such a time was not meant.
  if (exact && (tm.tm_year != asGiven.tm_year || tm.tm_mon != asGiven.tm_mon ||
                tm.tm_mday != asGiven.tm_mday || tm.tm_hour != asGiven.tm_hour ||
                tm.tm_min != asGiven.tm_min)) {
    return std::nullopt;
  }
  return std::int64_t{seconds} * 1000;
}

}  // namespace tallowick::platform
