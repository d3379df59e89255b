#include "testrun/port_run.h"

#include <algorithm>
#include <utility>

#include "testrun/test_run.h"

namespace tallowick {

std::string stateText(const RunProgress& progress) {
  switch (progress.state) {
    case RunProgress::State::Running:
      return "running";
    case RunProgress::State::Finished:
      return "finished";
    case RunProgress::State::WithErrors:
      return "with errors";
    case RunProgress::State::Aborted:
      return "aborted: " + progress.message;
    case RunProgress::State::Stopped:
      return "stopped";
  }
  return {};
}

const std::string* StepTitles::title(const std::string& line) {
  const bool isTitle = std::exchange(next_, line == kStars30);
  return isTitle ? &line : nullptr;
}

void RunPlan::beginStep(const std::string& title, int commandsSoFar) {
  steps_.push_back({title, commandsSoFar});
}

void RunPlan::end(int commandsSoFar) {
  total_ = commandsSoFar;
}

int RunPlan::length(int step) const {
  const int first = step < 0 ? 0 : steps_[static_cast<std::size_t>(step)].first;
  const auto next = static_cast<std::size_t>(step + 1);
  return (next < steps_.size() ? steps_[next].first : total_) - first;
}

void RunPlan::Position::beginStep(const std::string& title, int commandsSoFar) {
  // The next step of that title: a title that comes again (every pass) is found in order,
  // and one the plan does not have leaves the run counted in the step it was in.
  for (std::size_t i = static_cast<std::size_t>(step_ + 1); i < plan_.steps_.size(); ++i) {
    if (plan_.steps_[i].title == title) {
      step_ = static_cast<int>(i);
      stepStart_ = commandsSoFar;
      return;
    }
  }
}

int RunPlan::Position::at(int commandsSoFar) const {
  if (plan_.total_ <= 0) return 0;
  const int first = step_ < 0 ? 0 : plan_.steps_[static_cast<std::size_t>(step_)].first;
  const int within = std::clamp(commandsSoFar - stepStart_, 0, plan_.length(step_));
  return std::min(first + within, plan_.total_ - 1);
}

}  // namespace tallowick
