#include "initforms/serial_numbers.h"

#include <algorithm>
#include <cstdio>

namespace tallowick {

namespace {

// One code point decoded from UTF-8; a byte that starts no valid sequence stands for
// itself, moved out of the range of real characters so that it sorts last.
struct Decoded {
  char32_t codePoint;
  std::size_t length;
  bool valid;
};

Decoded decodeAt(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  if (lead < 0x80) return {lead, 1, true};
  std::size_t length = 0;
  char32_t codePoint = 0;
  char32_t least = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, codePoint = lead & 0x1F, least = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, codePoint = lead & 0x0F, least = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, codePoint = lead & 0x07, least = 0x10000;
  } else {
    return {0x110000u + lead, 1, false};
  }
  if (at + length > text.size()) return {0x110000u + lead, 1, false};
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return {0x110000u + lead, 1, false};
    codePoint = (codePoint << 6) | (byte(at + i) & 0x3F);
  }
  const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
  if (codePoint < least || codePoint > 0x10FFFF || surrogate) {
    return {0x110000u + lead, 1, false};
  }
  return {codePoint, length, true};
}

// Upper-case Cyrillic letters of Russian, Ukrainian and Belarusian in alphabet order.
constexpr char32_t kCyrillicOrder[] = {U'А', U'Б', U'В', U'Г', U'Ґ', U'Д', U'Е', U'Ё', U'Є', U'Ж',
                                       U'З', U'И', U'І', U'Ї', U'Й', U'К', U'Л', U'М', U'Н', U'О',
                                       U'П', U'Р', U'С', U'Т', U'У', U'Ў', U'Ф', U'Х', U'Ц', U'Ч',
                                       U'Ш', U'Щ', U'Ъ', U'Ы', U'Ь', U'Э', U'Ю', U'Я'};

char32_t foldCase(char32_t c) {
  if (c >= U'a' && c <= U'z') return c - 0x20;
  if (c >= U'а' && c <= U'я') return c - 0x20;
  if (c >= U'ѐ' && c <= U'џ') return c - 0x50;
  if (c == U'ґ') return U'Ґ';
  return c;
}

// Primary weight: digits and signs keep their code point and so sort before the letters;
// characters of other scripts (and stray bytes) come after the Cyrillic letters.
std::uint32_t weight(char32_t c) {
  // Digits and signs, the bulk of every serial number, need no case folding or search.
  if (c < U'A') return c;
  c = foldCase(c);
  if (c >= U'A' && c <= U'Z') return 0x200000u + (c - U'A');
  const auto* end = std::end(kCyrillicOrder);
  const auto* found = std::find(std::begin(kCyrillicOrder), end, c);
  if (found != end) return 0x200100u + static_cast<std::uint32_t>(found - kCyrillicOrder);
  if (c >= 0x80) return 0x300000u + c;
  return c;
}

}  // namespace

std::optional<std::int32_t> parseBound(std::string_view text) {
  if (text.size() != 5) return std::nullopt;
  std::int32_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::string formatSerialNumber(std::string_view prefix, std::int32_t number) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%05d", static_cast<int>(number));
  std::string serial(prefix);
  serial += digits;
  return serial;
}

bool isBookSerialNumber(std::string_view text) {
  for (const PrinterType& type : kPrinterTypes) {
    if (text.starts_with(type.prefix) && parseBound(text.substr(type.prefix.size()))) return true;
  }
  return false;
}

std::vector<std::string> intervalSerialNumbers(std::string_view prefix, std::int32_t lower,
                                               std::int32_t upper) {
  std::vector<std::string> numbers;
  if (upper < lower) return numbers;
  numbers.reserve(static_cast<std::size_t>(upper - lower) + 1);
  for (std::int32_t n = lower; n <= upper; ++n)
    numbers.push_back(formatSerialNumber(prefix, n));
  return numbers;
}

bool serialLess(std::string_view a, std::string_view b) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    const Decoded ca = decodeAt(a, i);
    const Decoded cb = decodeAt(b, j);
    const std::uint32_t wa = weight(ca.codePoint);
    const std::uint32_t wb = weight(cb.codePoint);
    if (wa != wb) return wa < wb;
    i += ca.length;
    j += cb.length;
  }
  if ((i < a.size()) != (j < b.size())) return j < b.size();
  return a < b;
}

void insertSorted(std::vector<std::string>& list, std::string number) {
  const auto at =
      std::upper_bound(list.begin(), list.end(), number,
                       [](const std::string& x, const std::string& y) { return serialLess(x, y); });
  list.insert(at, std::move(number));
}

void sortSerials(std::vector<std::string>& list) {
  // Lists come sorted nearly always (an interval, a stored book), and a check is one pass.
  const auto less = [](const std::string& x, const std::string& y) { return serialLess(x, y); };
  if (std::is_sorted(list.begin(), list.end(), less)) return;
  std::stable_sort(list.begin(), list.end(),
                   [](const std::string& x, const std::string& y) { return serialLess(x, y); });
}

bool isStorableText(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const Decoded d = decodeAt(text, i);
    if (!d.valid || d.codePoint == 0) return false;
    i += d.length;
  }
  return true;
}

}  // namespace tallowick
