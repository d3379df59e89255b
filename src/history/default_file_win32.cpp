#include <windows.h>
// After windows.h, which it needs.
#include <knownfolders.h>
#include <shlobj.h>

#include "history/history_store.h"

namespace tallowick::history {

namespace fs = std::filesystem;

// The folder of all users, not the user's own: the history of a bench is the bench's,
// whoever is logged on, and it may grow far beyond what belongs in a profile.
StoreResult<fs::path> Store::defaultFile(const Environment& environment) {
  if (auto named = environment("TALLOWICK_HISTORY"); named && !named->empty()) {
    return fs::path(*named);
  }
  PWSTR folder = nullptr;
  const HRESULT found = SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &folder);
  if (FAILED(found) || folder == nullptr) {
    CoTaskMemFree(folder);
    return StoreError{StoreErrorKind::Unavailable,
                      "Не удалось определить общую папку данных программ (ProgramData) для "
                      "файла истории."};
  }
  fs::path file = fs::path(folder) / L"Tallowick" / L"history.sqlite3";
  CoTaskMemFree(folder);
  return file;
}

}  // namespace tallowick::history
