#include "app/run_history.h"

#include <mutex>

#include "history/history_store.h"
#include "history/recorder.h"

namespace tallowick {

struct RunHistory::Impl {
  std::optional<std::string> file;
  std::once_flag opened;
  std::unique_ptr<history::Store> store;
  std::unique_ptr<history::Appender> appender;
  std::optional<std::string> unplaced;  // why there is no file to write
  std::atomic<bool> told{false};

  // The first failure, once for every run of the command.
  std::optional<std::string> once(std::optional<std::string> message) {
    if (!message || told.exchange(true)) return std::nullopt;
    return message;
  }

  std::optional<std::string> append(const history::Record& record) {
    std::call_once(opened, [this] {
      if (file) {
        store = std::make_unique<history::Store>(*file);
      } else if (auto place = history::Store::defaultFile()) {
        store = std::make_unique<history::Store>(place.value());
      } else {
        unplaced = place.error().message;
        return;
      }
      appender = std::make_unique<history::Appender>(*store);
    });
    if (!appender) return once(unplaced);
    return once(appender->append(record));
  }
};

struct RecordingImpl {
  RunHistory::Impl& history;
  history::Recorder recorder;
};

RunHistory::RunHistory(std::optional<std::string> file) : impl_(std::make_unique<Impl>()) {
  impl_->file = std::move(file);
}

RunHistory::~RunHistory() = default;

std::unique_ptr<RunRecording> RunHistory::begin(bool initialisation, const std::string& port,
                                                const Clock& clock) {
  const auto kind = initialisation ? history::Kind::Initialisation : history::Kind::TestRun;
  return std::make_unique<RunRecording>(std::unique_ptr<RecordingImpl>(
      new RecordingImpl{*impl_, history::Recorder(kind, port, clock)}));
}

RunRecording::RunRecording(std::unique_ptr<RecordingImpl> impl) : impl_(std::move(impl)) {}
RunRecording::~RunRecording() = default;

void RunRecording::identify(const RunState& state) {
  impl_->recorder.identify(state);
}

StepObserver RunRecording::stepObserver() {
  return impl_->recorder.stepObserver();
}

void RunRecording::noteMessage(const std::string& text) {
  impl_->recorder.noteMessage(text);
}

std::optional<std::string> RunRecording::appendTestRun(const RunOutcome& outcome,
                                                       std::string passes, std::string pauseMs,
                                                       std::vector<std::string> log) {
  return impl_->history.append(impl_->recorder.finishTestRun(outcome, std::move(passes),
                                                             std::move(pauseMs), std::move(log)));
}

std::optional<std::string> RunRecording::appendInitialisation(InitEnd end, std::string serialNumber,
                                                              std::vector<std::string> log) {
  return impl_->history.append(
      impl_->recorder.finishInitialisation(end, std::move(serialNumber), std::move(log)));
}

}  // namespace tallowick
