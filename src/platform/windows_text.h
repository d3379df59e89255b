// Windows texts as the UTF-8 every text of the program is, and back: the UTF-16 of the
// Windows API, and the system's sentence for an error code. Windows only.
#pragma once

#include <string>
#include <string_view>

namespace tallowick::platform {

std::string utf8FromWide(std::wstring_view text);
// Text that is not UTF-8 gives an empty result.
std::wstring wideFromUtf8(std::string_view text);
// The system's sentence for a Windows error code, in the language of the system, without the
// line break Windows ends it with; a code the system has no sentence for is named by its
// number.
std::string windowsErrorText(unsigned long code);

}  // namespace tallowick::platform
