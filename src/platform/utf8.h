// Walking UTF-8 text one character at a time, for the checks and escapes the file and the
// exports need.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tallowick {

// The value a malformed byte stands for in `forEachCharacter`.
inline constexpr char32_t kNotUtf8 = 0xFFFFFFFF;

// Calls `visit` with each character and its bytes. A byte that does not begin a
// well-formed character (a stray continuation byte, an overlong form, a surrogate,
// anything beyond U+10FFFF, a cut-off sequence) comes alone, as kNotUtf8.
void forEachCharacter(std::string_view text,
                      const std::function<void(char32_t, std::string_view)>& visit);

bool isUtf8(std::string_view text);

}  // namespace tallowick
