// The computer's local date and time, as the windows and the test log show them. Injected
// so that tests get fixed dates.
#pragma once

#include <functional>
#include <string>

#include "platform/wall_clock.h"

namespace tallowick {

using platform::LocalDateTime;

using WallClock = std::function<LocalDateTime()>;

// The local time of this computer.
LocalDateTime systemLocalTime();

// "ddmmyy", e.g. 071226.
std::string ddmmyy(const LocalDateTime& t);
// "hhmm" (24 hours), e.g. 0905.
std::string hhmm(const LocalDateTime& t);
// The short date and the long time of the workshop's locale: "07.12.2026 9:05:00".
std::string shortDateLongTime(const LocalDateTime& t);

}  // namespace tallowick
