#include "commands/ean13.h"

#include <gtest/gtest.h>

namespace tallowick {
namespace {

TEST(Ean13, WorkedExample) {
  EXPECT_EQ(ean13::checkDigit("401234567890"), 1);
  const auto line = ean13::barcodeLine("401234567890");
  ASSERT_TRUE(line);
  EXPECT_EQ(line->substr(0, 16), "0051ACC9BD3AE554");
  EXPECT_EQ(line->substr(26), "000000");
}

TEST(Ean13, CheckDigits) {
  struct Case {
    const char* digits;
    std::optional<int> check;
  };
  const Case cases[] = {
      {"400638133393", 1},  // a published code: 4006381333931
      {"000000000000", 0},
      {"123456789012", 8},
      {"12345678901", std::nullopt},
      {"1234567890123", std::nullopt},
      {"12345678901x", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ean13::checkDigit(c.digits), c.check) << c.digits;
  }
}

TEST(Ean13, WeightedSumOfTenGivesZeroNotTen) {
  // 9 at position 1 weighs 1, 7 at position 12 weighs 3: 30.
  EXPECT_EQ(ean13::checkDigit("900000000007"), 0);
}

TEST(Ean13, FirstDigitZeroUsesOnlyTheLSet) {
  const auto line = ean13::moduleLine("0000000000000");
  // L code of 0 is 0001101 for all six left digits.
  for (std::size_t k = 0; k < 6; ++k) {
    std::string got;
    for (std::size_t m = 0; m < 7; ++m)
      got += static_cast<char>('0' + line[12 + 7 * k + m]);
    EXPECT_EQ(got, "0001101") << k;
  }
}

TEST(Ean13, EveryLineIs32CharactersStartingWith005) {
  for (const char* digits : {"000000000000", "401234567890", "999999999999", "123456789012",
                             "590123412345", "871234567890"}) {
    const auto line = ean13::barcodeLine(digits);
    ASSERT_TRUE(line) << digits;
    EXPECT_EQ(line->size(), 32u) << digits;
    EXPECT_EQ(line->substr(0, 3), "005") << digits;
    EXPECT_EQ(line->substr(26), "000000") << digits;
  }
}

TEST(Ean13, GuardsStandWhereTheLayoutPutsThem) {
  const auto line = ean13::moduleLine("4012345678901");
  auto bits = [&](std::size_t from, std::size_t n) {
    std::string s;
    for (std::size_t i = from; i < from + n; ++i)
      s += static_cast<char>('0' + line[i]);
    return s;
  };
  EXPECT_EQ(bits(0, 9), "000000000");
  EXPECT_EQ(bits(9, 3), "101");
  EXPECT_EQ(bits(54, 5), "01010");
  EXPECT_EQ(bits(101, 3), "101");
  EXPECT_EQ(bits(104, 24), std::string(24, '0'));
  EXPECT_EQ(bits(59 + 7 * 5, 7), "1100110");  // check digit 1 in R code
}

}  // namespace
}  // namespace tallowick
