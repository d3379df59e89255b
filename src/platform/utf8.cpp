#include "platform/utf8.h"

namespace tallowick {

namespace {

// The character at the start of `text` and its length in bytes; kNotUtf8 and 1 when the
// bytes there are not a well-formed character.
std::pair<char32_t, std::size_t> decode(std::string_view text) {
  const auto c = static_cast<unsigned char>(text[0]);
  if (c < 0x80) return {c, 1};
  std::size_t length = 0;
  char32_t min = 0, value = 0;
  if (c >= 0xC2 && c <= 0xDF) {
    length = 2, min = 0x80, value = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    length = 3, min = 0x800, value = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    length = 4, min = 0x10000, value = c & 0x07;
  } else {
    return {kNotUtf8, 1};
  }
  if (text.size() < length) return {kNotUtf8, 1};
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[k]);
    if ((next & 0xC0) != 0x80) return {kNotUtf8, 1};
    value = (value << 6) | (next & 0x3F);
  }
  if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    return {kNotUtf8, 1};
  }
  return {value, length};
}

}  // namespace

void forEachCharacter(std::string_view text,
                      const std::function<void(char32_t, std::string_view)>& visit) {
  while (!text.empty()) {
    const auto [character, length] = decode(text);
    visit(character, text.substr(0, length));
    text.remove_prefix(length);
  }
}

bool isUtf8(std::string_view text) {
  while (!text.empty()) {
    const auto [character, length] = decode(text);
    if (character == kNotUtf8) return false;
    text.remove_prefix(length);
  }
  return true;
}

}  // namespace tallowick
