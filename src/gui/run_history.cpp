#include "gui/run_history.h"

#include <utility>

namespace tallowick::gui {

RunHistory::RunHistory(StoreResult<std::filesystem::path> file) {
  if (!file) {
    unavailable_ = file.error().message;
    return;
  }
  store_ = std::make_unique<history::Store>(std::move(file).value());
  appender_ = std::make_unique<history::Appender>(*store_);
}

RunHistory::~RunHistory() = default;

std::optional<std::string> RunHistory::append(const history::Record& record) {
  if (appender_) return appender_->append(record);
  if (told_) return std::nullopt;
  told_ = true;
  return unavailable_;
}

}  // namespace tallowick::gui
