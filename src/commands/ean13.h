// EAN-13 drawn as one line of pixels for the printer's barcode command: the check digit,
// the 128-module line (quiet zones, guards, L/G/R digit codes) and its packing into 32
// hexadecimal characters.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tallowick::ean13 {

inline constexpr std::size_t kModules = 128;
using ModuleLine = std::array<std::uint8_t, kModules>;

// The check digit of 12 decimal digits; nothing when the text is anything else.
std::optional<int> checkDigit(std::string_view twelveDigits);

// The module line of a full 13-digit code (check digit included); the caller passes
// digits only.
ModuleLine moduleLine(std::string_view thirteenDigits);

// Four modules a character, the leftmost the most significant bit, upper-case hex.
std::string pack(const ModuleLine& line);

// The 32 characters for 12 digits, or nothing when the text is not exactly 12 digits.
std::optional<std::string> barcodeLine(std::string_view twelveDigits);

}  // namespace tallowick::ean13
