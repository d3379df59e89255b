#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <system_error>

#include "history/new_file.h"
#include "history/wide_text_win32.h"

namespace tallowick::history {

namespace fs = std::filesystem;

std::optional<std::string> placeNewFile(const fs::path& file, std::string_view bytes) {
  const fs::path folder = file.parent_path();
  if (auto failed = makeFolder(folder)) return failed;
  // A name no other writer uses: the process, the time and a count of this process's own.
  static std::atomic<unsigned> made{0};
  fs::path temporary;
  HANDLE handle = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && handle == INVALID_HANDLE_VALUE; ++attempt) {
    temporary = folder / (temporaryStem(file) + std::to_string(GetCurrentProcessId()) + "-" +
                          std::to_string(GetTickCount64()) + "-" + std::to_string(made++));
    handle = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) {
      return windowsErrorText(GetLastError());
    }
  }
  if (handle == INVALID_HANDLE_VALUE) return windowsErrorText(ERROR_FILE_EXISTS);

  DWORD failure = 0;
  for (std::size_t done = 0; failure == 0 && done < bytes.size();) {
    const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
    DWORD written = 0;
    if (!WriteFile(handle, bytes.data() + done, chunk, &written, nullptr)) {
      failure = GetLastError();
    }
    done += written;
  }
  if (failure == 0 && !FlushFileBuffers(handle)) failure = GetLastError();
  CloseHandle(handle);
  // Without MOVEFILE_REPLACE_EXISTING the move fails when the name exists: a file that
  // another writer put in place first stays, and that is no error.
  if (failure == 0 && !MoveFileExW(temporary.c_str(), file.c_str(), MOVEFILE_WRITE_THROUGH)) {
    const DWORD code = GetLastError();
    if (code != ERROR_ALREADY_EXISTS && code != ERROR_FILE_EXISTS) failure = code;
  }
  // Gone already once it has been moved into place.
  DeleteFileW(temporary.c_str());
  if (failure != 0) return windowsErrorText(failure);
  return std::nullopt;
}

}  // namespace tallowick::history
