#include <windows.h>

#include "history/recorder.h"
#include "history/wide_text_win32.h"

namespace tallowick::history {

std::string computerName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  if (!GetComputerNameW(name, &size)) return {};
  return utf8FromWide(std::wstring_view(name, size));
}

}  // namespace tallowick::history
