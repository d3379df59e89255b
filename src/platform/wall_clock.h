// The computer's clock: the wall time of a record and the local date and time the windows,
// the logs and the printer's clock are given. Safe to read from several threads at once.
#pragma once

#include <cstdint>
#include <optional>

namespace tallowick::platform {

struct LocalDateTime {
  int year = 2000;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// Milliseconds since 1970-01-01 00:00 UTC, and this computer's offset from UTC then.
struct WallTime {
  std::int64_t ms = 0;
  std::int32_t utcOffsetMinutes = 0;
  // The date and time the computer's clock showed.
  LocalDateTime local() const;
};

WallTime wallTimeNow();

// The moment a local date and time of this computer names, in milliseconds since 1970 UTC.
// A date or time that does not exist (31 February, 25:00) gives nothing; with `exact`
// false it is carried over instead (32 January is 1 February), as a range's end needs.
std::optional<std::int64_t> msOfLocalTime(const LocalDateTime& t, bool exact = true);

namespace detail {
// The platform's thread-safe localtime: the local fields of `seconds` since 1970 UTC.
bool localFields(long long seconds, LocalDateTime& out);
}  // namespace detail

}  // namespace tallowick::platform
