#include "testrun/numbers.h"
#include "platform/own_text.h"

#include <charconv>

namespace tallowick {
namespace {

std::string_view skipBlanks(std::string_view t) {
  while (!t.empty() && (t.front() == ' ' || t.front() == '\t'))
    t.remove_prefix(1);
  return t;
}

}  // namespace

std::optional<std::int32_t> parseDecimal(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  std::int32_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::uint32_t leadingHex(std::string_view text) {
  text = skipBlanks(text);
  std::uint32_t value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value, 16);  // 0 when none
  return value;
}

std::int64_t leadingInteger(std::string_view text) {
  text = skipBlanks(text);
  const bool negative = !text.empty() && text.front() == '-';
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
  std::int64_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec == std::errc::result_out_of_range) return negative ? INT64_MIN : INT64_MAX;
  if (ec != std::errc{}) return 0;
  return negative ? -value : value;
}

std::string notANumber(std::string_view what, int field, std::string_view text) {
  return withArgs(Text::tr("%1: поле %2 ответа не является числом (\"%3\")"),
                  {what, std::to_string(field), text});
}

}  // namespace tallowick
