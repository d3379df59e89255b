#include <windows.h>
// After windows.h, which they need.
#include <knownfolders.h>
#include <lmcons.h>
#include <shlobj.h>

#include "platform/system.h"
#include "platform/windows_text.h"

namespace tallowick::platform {

namespace fs = std::filesystem;

namespace detail {

// The folder of all users, not the user's own: the data of a bench is the bench's, whoever
// is logged on, and the history may grow far beyond what belongs in a profile.
StoreResult<fs::path> dataFolder(DataFile file, const Environment&) {
  PWSTR folder = nullptr;
  const HRESULT found = SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &folder);
  if (FAILED(found) || folder == nullptr) {
    CoTaskMemFree(folder);
    return StoreError{StoreErrorKind::Unavailable,
                      file == DataFile::Book
                          ? "Не удалось определить общую папку данных программ (ProgramData) "
                            "для файла с заводскими номерами."
                          : "Не удалось определить общую папку данных программ (ProgramData) "
                            "для файла истории."};
  }
  fs::path path = fs::path(folder) / L"Tallowick";
  CoTaskMemFree(folder);
  return path;
}

}  // namespace detail

std::string computerName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  if (!GetComputerNameW(name, &size)) return {};
  return utf8FromWide(std::wstring_view(name, size));
}

std::string userName() {
  wchar_t name[UNLEN + 1] = {};
  DWORD size = UNLEN + 1;
  // The size counts the closing zero.
  if (!GetUserNameW(name, &size) || size == 0) return {};
  return utf8FromWide(std::wstring_view(name, size - 1));
}

std::uint64_t processId() {
  return GetCurrentProcessId();
}

bool processGone(std::uint64_t id) {
  if (id == 0 || id > 0xFFFFFFFFu) return false;
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(id));
  if (process == nullptr) return GetLastError() == ERROR_INVALID_PARAMETER;
  const bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
  CloseHandle(process);
  return ended;
}

std::string systemErrorText(const std::error_code& ec) {
  // The library's own texts of Windows errors come in the legacy code page.
  std::string text = ec.category() == std::system_category()
                         ? windowsErrorText(static_cast<unsigned long>(ec.value()))
                         : ec.message();
  if (!text.empty() && text.back() == '.') text.pop_back();
  return text;
}

}  // namespace tallowick::platform
