// Injected time. The link counts empty reads, but the virtual printer's silences and the
// test run's pauses and watchdog all ask a Clock, so tests can run minutes of device time
// in microseconds and get the same result every time.
#pragma once

#include <chrono>
#include <cstdint>

namespace tallowick {

using Micros = std::chrono::microseconds;

class Clock {
 public:
  virtual ~Clock() = default;
  // Time since an arbitrary, fixed origin.
  virtual Micros now() const = 0;
  // Blocks (real clock) or moves time forward (virtual clock).
  virtual void sleepFor(Micros d) = 0;
};

// Monotonic wall time; sleeps really.
class RealClock final : public Clock {
 public:
  Micros now() const override;
  void sleepFor(Micros d) override;
};

// Time that moves only when told to; sleeping advances it at once.
class VirtualClock final : public Clock {
 public:
  explicit VirtualClock(Micros start = Micros{0}) : now_(start) {}
  Micros now() const override { return now_; }
  void sleepFor(Micros d) override { advance(d); }
  void advance(Micros d) {
    if (d.count() > 0) now_ += d;
  }

 private:
  Micros now_;
};

// The process-wide real clock.
Clock& realClock();

}  // namespace tallowick
