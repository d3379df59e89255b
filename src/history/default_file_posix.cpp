#include "history/history_store.h"
#include "initforms/sqlite_serial_store.h"

namespace tallowick::history {

namespace fs = std::filesystem;

StoreResult<fs::path> Store::defaultFile(const Environment& environment) {
  if (auto named = environment("TALLOWICK_HISTORY"); named && !named->empty()) {
    return fs::path(*named);
  }
  // The folder the book has by default, whatever file TALLOWICK_REGISTRY names for it.
  const auto book = SqliteSerialStore::defaultFile([&](const char* name) {
    return std::string_view(name) == "TALLOWICK_REGISTRY" ? std::nullopt : environment(name);
  });
  if (book) return book.value().parent_path() / "history.sqlite3";
  return StoreError{StoreErrorKind::Unavailable,
                    "Не удалось определить папку данных пользователя для файла истории (не "
                    "заданы XDG_DATA_HOME и HOME)."};
}

}  // namespace tallowick::history
