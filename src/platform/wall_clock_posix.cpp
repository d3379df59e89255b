#include <time.h>

#include "platform/wall_clock.h"

namespace tallowick::platform::detail {

bool localFields(long long seconds, LocalDateTime& out) {
  const time_t at = static_cast<time_t>(seconds);
  struct tm tm {};
  if (::localtime_r(&at, &tm) == nullptr) return false;
  out = {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
  return true;
}

}  // namespace tallowick::platform::detail
