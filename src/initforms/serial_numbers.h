// Factory serial numbers: the printer types and their prefixes, the five-digit bounds of
// an interval, the numbers of an interval, and the order in which the lists show them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/own_text.h"

namespace tallowick {

struct PrinterType {
  std::string_view item;    // the text of ComboBox1's item
  std::string_view prefix;  // what a serial number of this type starts with
};

// ComboBox1's items, in this order.
inline constexpr std::array<PrinterType, 6> kPrinterTypes = {{
    {Text::own("Veltor FP-T320 Retail Украина"), "ДЩ200"},
    {Text::own("Veltor FP-510T Украина"), "ЕД800"},
    {Text::own("Veltor KM-15 Украина"), "ЛД104"},
    {Text::own("Veltor FP-T320 Молдова"), "DH210"},
    {Text::own("Veltor FP-510T Молдова"), "ED810"},
    {"Veltor FP-90TT", "ДЧ700"},
}};

inline constexpr std::int32_t kMaxBound = 99999;

// A bound as typed into its five-digit field: exactly five decimal digits, or nothing
// (an incomplete or foreign text).
std::optional<std::int32_t> parseBound(std::string_view text);

// The prefix followed by the number with five digits, leading zeros included.
std::string formatSerialNumber(std::string_view prefix, std::int32_t number);

// Whether `text` is a number the book could have made: the prefix of one of the printer
// types followed by exactly five decimal digits.
bool isBookSerialNumber(std::string_view text);

// The serial numbers from `lower` to `upper` inclusive, ascending; empty when upper < lower.
// Both bounds lie in 0 .. kMaxBound.
std::vector<std::string> intervalSerialNumbers(std::string_view prefix, std::int32_t lower,
                                               std::int32_t upper);

// The order of the sorted lists: alphabetical as a reader of Russian and Ukrainian
// expects, without regard to case (digits and signs first, then Latin, then Cyrillic
// letters in alphabet order, Ё after Е, Ґ after Г, Є after Ё, І and Ї after И). Texts
// that differ in case only are ordered by their bytes, so the order is total.
bool serialLess(std::string_view a, std::string_view b);

// Inserts `number` after every number that does not sort after it.
void insertSorted(std::vector<std::string>& list, std::string number);
void sortSerials(std::vector<std::string>& list);

// Whether a text is well-formed UTF-8 without NUL characters: what a registry string
// value can hold.
bool isStorableText(std::string_view text);

}  // namespace tallowick
