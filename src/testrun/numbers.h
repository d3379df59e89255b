// The number readings the test run makes of its inputs and of printer replies.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tallowick {

// A whole decimal integer: optional sign, digits, nothing else, within 32 bits.
std::optional<std::int32_t> parseDecimal(std::string_view text);

// The leading hexadecimal digits (after blanks); 0 when there are none.
std::uint32_t leadingHex(std::string_view text);

// The leading decimal integer (after blanks, with an optional sign); 0 when there is none.
std::int64_t leadingInteger(std::string_view text);

// The message shown when reply field `field` of the reply that `what` names must be a
// decimal number and is not one.
std::string notANumber(std::string_view what, int field, std::string_view text);

}  // namespace tallowick
