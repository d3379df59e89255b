// The main window's run state, shared by the connect sequence, the step outcome, the
// pages and the test run.
#pragma once

#include <cstdint>
#include <string>

#include "link/clock.h"
#include "link/command_result.h"

namespace tallowick {

// Timer1: the 120-second watchdog of the test run's reboot wait. It runs on the injected
// clock and is looked at whenever events are pumped, as a toolkit timer would be.
class WatchdogTimer {
 public:
  static constexpr Micros kInterval = std::chrono::seconds(120);

  void enable(Micros now) {
    enabled_ = true;
    nextTick_ = now + kInterval;
  }
  void disable() { enabled_ = false; }
  bool enabled() const { return enabled_; }
  // True when at least one tick fell due by `now` (ticks keep coming while enabled).
  bool poll(Micros now) {
    if (!enabled_ || now < nextTick_) return false;
    while (nextTick_ <= now)
      nextTick_ += kInterval;
    return true;
  }

 private:
  bool enabled_ = false;
  Micros nextTick_{0};
};

struct RunState {
  CommandResult* LastResult = nullptr;
  std::string DeviceModel;
  std::string FirmwareVersion;
  std::string DeviceCountry;  // the third field of GetDeviceInfo, for the record of a run
  std::int32_t ConnectedBaudRate = 0;
  bool StopRequested = false;
  std::int32_t ErrorCount = 0;
  bool TimerElapsed = false;
  std::string TaxFirmwarePrefix;
  WatchdogTimer Timer1;
  // Shape1 is bright green: the port is open.
  bool Connected = false;
};

}  // namespace tallowick
