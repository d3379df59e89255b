// How the virtual printer lays out what it prints: a paper roll of fixed width, amounts
// with two decimals, the clock's date and time, and a barcode's pixel line drawn as a row
// of modules.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tallowick::sim::paper {

// Characters on one line of the roll.
inline constexpr std::size_t kWidth = 32;

// 1234.5 from 123450 kopecks: "1234.50"; negative amounts keep their '-'.
std::string money(std::int64_t kopecks);
// 1.5 from 1500 thousandths: "1.500".
std::string quantity(std::int64_t thousandths);
// The text in the middle of the roll.
std::string centred(std::string_view text);
// `left` and `right` at the two edges of the roll (or one blank apart when too long).
std::string spread(std::string_view left, std::string_view right);
// A line of dashes across the roll, between documents.
std::string rule();

// "07.12.2026 09:05:30"
std::string dateTime(std::chrono::sys_seconds t);
// The clock as 21h answers it: "DDMMYY" and "HHMMSS".
std::string wireDate(std::chrono::sys_seconds t);
std::string wireTime(std::chrono::sys_seconds t);
// 20h's "DDMMYY" and "HHMM" (years 2000 to 2099); nothing when no such moment exists.
std::optional<std::chrono::sys_seconds> parseWireDateTime(std::string_view date,
                                                          std::string_view time);

// The pixel line of 6Fh (hexadecimal digits, the first module the most significant bit)
// as a row of '█' for black and ' ' for white modules; nothing when not hexadecimal.
std::optional<std::string> modules(std::string_view hexLine);

// Characters in a UTF-8 text.
std::size_t length(std::string_view utf8);

}  // namespace tallowick::sim::paper
