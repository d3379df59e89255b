#include "app/console.h"

#include <csignal>

namespace tallowick::console {

StopSignals::StopSignals(SignalHandler handler) {
  for (const int s : stopSignalNumbers()) {
    if (count_ == kMaxSignals) break;
    const SignalHandler previous = std::signal(s, handler);
    signals_[count_] = s;
    previous_[count_++] = previous == SIG_ERR ? SIG_DFL : previous;
  }
}

StopSignals::~StopSignals() {
  for (int i = 0; i < count_; ++i)
    std::signal(signals_[i], previous_[i]);
}

}  // namespace tallowick::console
