// Windows-1251, the printer's character set. The program keeps text in UTF-8 and converts
// exactly once, at the wire: requests are encoded before framing, replies decoded after.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tallowick::cp1251 {

// UTF-8 to Windows-1251. Empty optional when the text is not valid UTF-8 or holds a
// character that Windows-1251 cannot represent; nothing is replaced silently.
std::optional<std::string> encode(std::string_view utf8);

// Windows-1251 to UTF-8. Every byte has a character (the unassigned 98h becomes U+0098,
// so it survives a round trip).
std::string decode(std::string_view bytes);

}  // namespace tallowick::cp1251
