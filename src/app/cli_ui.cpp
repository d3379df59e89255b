#include "app/cli_ui.h"

#include <ostream>

namespace tallowick {

std::atomic<bool>& CliUi::interrupted() {
  static std::atomic<bool> flag{false};
  return flag;
}

void CliUi::messageBox(const std::string& text) { err_ << "message: " << text << std::endl; }

void CliUi::appendLog(LogId log, const std::string& line) {
  if (log == LogId::Test) testLog_.push_back(line);
  out_ << line << std::endl;
}

void CliUi::pumpEvents() {
  if (interrupted().exchange(false)) state_.StopRequested = true;
}

void CliUi::pause(std::int32_t ms) { clock_.sleepFor(std::chrono::milliseconds(ms)); }

}  // namespace tallowick
