#include "link/clock.h"

#include <thread>

namespace tallowick {

Micros RealClock::now() const {
  return std::chrono::duration_cast<Micros>(std::chrono::steady_clock::now().time_since_epoch());
}

void RealClock::sleepFor(Micros d) {
  if (d.count() > 0) std::this_thread::sleep_for(d);
}

Clock& realClock() {
  static RealClock clock;
  return clock;
}

}  // namespace tallowick
