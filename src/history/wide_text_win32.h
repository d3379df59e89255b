// UTF-16 texts of the Windows API as the UTF-8 the records and messages carry.
#pragma once

#include <string>
#include <string_view>

namespace tallowick::history {

std::string utf8FromWide(std::wstring_view text);
// The system's sentence for a Windows error code, without its closing full stop.
std::string windowsErrorText(unsigned long code);

}  // namespace tallowick::history
