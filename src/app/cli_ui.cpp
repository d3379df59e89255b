#include "app/cli_ui.h"

#include <algorithm>
#include <ostream>

#include "initforms/texts.h"
#include "platform/own_text.h"

namespace tallowick {

std::atomic<unsigned>& CliUi::stopRequests() {
  // Lock-free, so a signal handler may count it up.
  static std::atomic<unsigned> count{0};
  static_assert(std::atomic<unsigned>::is_always_lock_free);
  return count;
}

// The run's texts in the installed language: Russian on the command line, which installs
// none; the windows' language when the station window runs it.
void CliUi::messageBox(const std::string& text) {
  const std::string shown = Text::tr(text);
  err_ << "message: " << shown << std::endl;
  if (messageObserver_) messageObserver_(shown);
}

bool CliUi::question(const std::string& text) {
  err_ << "question: " << Text::tr(text) << std::endl;
  if (!questionAnswer_) ++refused_;
  return questionAnswer_;
}

void CliUi::appendLog(LogId log, const std::string& text) {
  const std::string line = Text::tr(text);
  (log == LogId::Test ? testLog_ : initLog_).push_back(line);
  out_ << line << std::endl;
  if (lineObserver_) lineObserver_(line);
}

void CliUi::pumpEvents() {
  pumpWhileWaiting();
}

void CliUi::pumpWhileWaiting() {
  const unsigned requests = stopRequests().load();
  if (requests != stopsSeen_) {
    stopsSeen_ = requests;
    state_.StopRequested = true;
  }
  // Held until the run has ended: nothing the run does afterwards can undo it.
  if (ownStop_ && ownStop_->load()) state_.StopRequested = true;
}

void CliUi::pause(std::int32_t ms) {
  // In slices, so that Ctrl-C is never more than one slice away from the run.
  constexpr Micros kSlice = std::chrono::milliseconds(100);
  const Micros end = clock_.now() + std::chrono::milliseconds(ms);
  const auto stopping = [this] {
    return stopRequests().load() != stopsSeen_ || state_.StopRequested ||
           (ownStop_ && ownStop_->load());
  };
  for (Micros now = clock_.now(); now < end && !stopping(); now = clock_.now()) {
    clock_.sleepFor(std::min(kSlice, end - now));
  }
}

std::int32_t CliUi::showForm2() {
  err_ << "dialog: " << texts::kForm2Caption << ": " << texts::kForm2Label1 << std::endl;
  if (form2WaitMs_ > 0) pause(form2WaitMs_);
  return form2Answer_;
}

void CliUi::showForm4() {
  err_ << "dialog: " << texts::kForm4Caption << ": " << texts::kForm4Label1 << " " << serial_.text()
       << std::endl;
}

}  // namespace tallowick
