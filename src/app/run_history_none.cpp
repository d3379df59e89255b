// The history where this build has none (Windows, until it has SQLite): runs go on as
// ever; when a history file was asked for, the first run says that it was not recorded.
#include <atomic>

#include "app/run_history.h"

namespace tallowick {

struct RunHistory::Impl {
  bool asked = false;
  std::atomic<bool> told{false};
};

struct RecordingImpl {
  RunHistory::Impl& history;
  std::optional<std::string> notRecorded() {
    if (!history.asked || history.told.exchange(true)) return std::nullopt;
    return "the history is not kept by this build; the run was not recorded";
  }
};

RunHistory::RunHistory(std::optional<std::string> file) : impl_(std::make_unique<Impl>()) {
  impl_->asked = file.has_value();
}
RunHistory::~RunHistory() = default;

std::unique_ptr<RunRecording> RunHistory::begin(bool, const std::string&, const Clock&) {
  return std::make_unique<RunRecording>(std::unique_ptr<RecordingImpl>(new RecordingImpl{*impl_}));
}

RunRecording::RunRecording(std::unique_ptr<RecordingImpl> impl) : impl_(std::move(impl)) {}
RunRecording::~RunRecording() = default;
void RunRecording::identify(const RunState&) {}
StepObserver RunRecording::stepObserver() {
  return {};
}
void RunRecording::noteMessage(const std::string&) {}
std::optional<std::string> RunRecording::appendTestRun(const RunOutcome&, std::string, std::string,
                                                       std::vector<std::string>) {
  return impl_->notRecorded();
}
std::optional<std::string> RunRecording::appendInitialisation(InitEnd, std::string,
                                                              std::vector<std::string>) {
  return impl_->notRecorded();
}

}  // namespace tallowick
