// The history the main window appends its runs to and the window "История" reads: one
// store for the whole program, made when the main window is, and a failure to write told
// to the user once, whatever it was.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "history/history_store.h"

namespace tallowick::gui {

class RunHistory {
 public:
  // `file`: where the history lives, or why no place for it could be found.
  explicit RunHistory(StoreResult<std::filesystem::path> file);
  ~RunHistory();
  RunHistory(const RunHistory&) = delete;
  RunHistory& operator=(const RunHistory&) = delete;

  // Appends `record`. The message for the user at the first failure; nothing after, and
  // nothing on success.
  std::optional<std::string> append(const history::Record& record);
  // The store; nothing when no file could be chosen, and `unavailable()` says why.
  history::Store* store() { return store_.get(); }
  const std::string& unavailable() const { return unavailable_; }

 private:
  std::unique_ptr<history::Store> store_;
  std::unique_ptr<history::Appender> appender_;
  std::string unavailable_;
  bool told_ = false;
};

}  // namespace tallowick::gui
