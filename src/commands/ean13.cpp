#include "commands/ean13.h"

#include <algorithm>

namespace tallowick::ean13 {
namespace {

// Seven modules a digit, as bit strings read left to right.
constexpr std::array<const char*, 10> kL = {"0001101", "0011001", "0010011", "0111101", "0100011",
                                            "0110001", "0101111", "0111011", "0110111", "0001011"};
constexpr std::array<const char*, 10> kG = {"0100111", "0110011", "0011011", "0100001", "0011101",
                                            "0111001", "0000101", "0010001", "0001001", "0010111"};
constexpr std::array<const char*, 10> kR = {"1110010", "1100110", "1101100", "1000010", "1011100",
                                            "1001110", "1010000", "1000100", "1001000", "1110100"};
// Which of the six left-hand digits use the G set, by the first digit.
constexpr std::array<const char*, 10> kParity = {"LLLLLL", "LLGLGG", "LLGGLG", "LLGGGL", "LGLLGG",
                                                 "LGGLLG", "LGGGLL", "LGLGLG", "LGLGGL", "LGGLGL"};

constexpr std::size_t kLeftDigitsAt = 12;
constexpr std::size_t kCentreGuardAt = 54;
constexpr std::size_t kRightDigitsAt = 59;
constexpr std::size_t kEndGuardAt = 101;

bool allDigits(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

void put(ModuleLine& line, std::size_t at, const char* bits) {
  for (std::size_t i = 0; bits[i] != '\0'; ++i)
    line[at + i] = bits[i] == '1' ? 1 : 0;
}

}  // namespace

std::optional<int> checkDigit(std::string_view twelveDigits) {
  if (twelveDigits.size() != 12 || !allDigits(twelveDigits)) return std::nullopt;
  int sum = 0;
  for (std::size_t i = 0; i < 12; ++i) {
    const int digit = twelveDigits[i] - '0';
    sum += (i % 2 == 0) ? digit : 3 * digit;  // positions 1, 3, ... weigh 1
  }
  return (10 - sum % 10) % 10;
}

ModuleLine moduleLine(std::string_view thirteenDigits) {
  ModuleLine line{};
  put(line, 9, "101");
  put(line, kCentreGuardAt, "01010");
  put(line, kEndGuardAt, "101");
  const char* parity = kParity[static_cast<std::size_t>(thirteenDigits[0] - '0')];
  for (std::size_t k = 0; k < 6; ++k) {
    const auto digit = static_cast<std::size_t>(thirteenDigits[1 + k] - '0');
    put(line, kLeftDigitsAt + 7 * k, parity[k] == 'G' ? kG[digit] : kL[digit]);
  }
  for (std::size_t k = 0; k < 6; ++k) {
    const auto digit = static_cast<std::size_t>(thirteenDigits[7 + k] - '0');
    put(line, kRightDigitsAt + 7 * k, kR[digit]);
  }
  return line;
}

std::string pack(const ModuleLine& line) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(kModules / 4);
  for (std::size_t i = 0; i < kModules; i += 4) {
    const int nibble = line[i] << 3 | line[i + 1] << 2 | line[i + 2] << 1 | line[i + 3];
    out.push_back(kHex[nibble]);
  }
  return out;
}

std::optional<std::string> barcodeLine(std::string_view twelveDigits) {
  const auto check = checkDigit(twelveDigits);
  if (!check) return std::nullopt;
  std::string code(twelveDigits);
  code.push_back(static_cast<char>('0' + *check));
  return pack(moduleLine(code));
}

}  // namespace tallowick::ean13
