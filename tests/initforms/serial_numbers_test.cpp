#include "initforms/serial_numbers.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tallowick {
namespace {

TEST(SerialNumbers, BoundIsExactlyFiveDigits) {
  struct Case {
    const char* text;
    std::optional<std::int32_t> bound;
  } cases[] = {
      {"00000", 0},
      {"12345", 12345},
      {"99999", 99999},
      {"00042", 42},
      {"", std::nullopt},
      {"1234", std::nullopt},
      {"123456", std::nullopt},
      {"12 45", std::nullopt},
      {"1234_", std::nullopt},
      {" 1234", std::nullopt},
      {"-1234", std::nullopt},
      {"+1234", std::nullopt},
      {"0x1F0", std::nullopt},
      {"１２３４５", std::nullopt},  // full-width digits are not digits of the field
  };
  for (const Case& c : cases)
    EXPECT_EQ(parseBound(c.text), c.bound) << '"' << c.text << '"';
}

TEST(SerialNumbers, AUnitNumberIsOneTheBookCouldHaveMade) {
  struct Case {
    const char* text;
    bool book;
  } cases[] = {
      {"ЕД80012345", true},   {"DH21000000", true},  // the Moldovan prefixes are Latin
      {"ДЧ70099999", true},   {"ЕД8001234", false},  // four digits
      {"ЕД800123456", false},                        // six
      {"ED80012345", false},                         // Latin look-alikes of a Cyrillic prefix
      {"ЕД81012345", false},                         // no type has this prefix
      {"ед80012345", false},  {" ЕД80012345", false}, {"ЕД80012345\n", false}, {"", false},
      {"12345", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(isBookSerialNumber(c.text), c.book) << '"' << c.text << '"';
}

TEST(SerialNumbers, IntervalHoldsEveryNumberFromLowerToUpper) {
  struct Case {
    std::int32_t lower, upper;
    std::vector<std::string> numbers;
  } cases[] = {
      {12340, 12342, {"ЕД80012340", "ЕД80012341", "ЕД80012342"}},
      {7, 7, {"ЕД80000007"}},
      {0, 1, {"ЕД80000000", "ЕД80000001"}},
      {99999, 99999, {"ЕД80099999"}},
      {12343, 12342, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(intervalSerialNumbers("ЕД800", c.lower, c.upper), c.numbers)
        << c.lower << ".." << c.upper;
  }
}

TEST(SerialNumbers, WholeRangeGivesOneHundredThousandSortedNumbers) {
  const auto numbers = intervalSerialNumbers("DH210", 0, kMaxBound);
  ASSERT_EQ(numbers.size(), 100000u);
  EXPECT_EQ(numbers.front(), "DH21000000");
  EXPECT_EQ(numbers.back(), "DH21099999");
  EXPECT_TRUE(std::is_sorted(numbers.begin(), numbers.end(),
                             [](const auto& a, const auto& b) { return serialLess(a, b); }));
}

TEST(SerialNumbers, ListOrderIsAlphabeticalWithoutRegardToCase) {
  // Each row must sort strictly before the next.
  const std::vector<std::string> ordered = {
      "12345",      "DH21000001", "ED81000001", "ed81000002", "ДЧ70000001",
      "ДЩ20000001", "ЕД80000001", "ед80000002", "ЁД00000001", "ЄД00000001",
      "ИД00000001", "ІД00000001", "ЇД00000001", "ЛД10400001", "ЯД00000001",
  };
  for (std::size_t i = 0; i + 1 < ordered.size(); ++i) {
    EXPECT_TRUE(serialLess(ordered[i], ordered[i + 1])) << ordered[i] << " < " << ordered[i + 1];
    EXPECT_FALSE(serialLess(ordered[i + 1], ordered[i])) << ordered[i + 1] << " < " << ordered[i];
  }
  std::vector<std::string> shuffled(ordered.rbegin(), ordered.rend());
  sortSerials(shuffled);
  EXPECT_EQ(shuffled, ordered);
}

TEST(SerialNumbers, OrderIsTotalForCaseVariantsAndPrefixes) {
  EXPECT_TRUE(serialLess("ЕД800", "ЕД80000001"));
  EXPECT_FALSE(serialLess("ЕД80000001", "ЕД800"));
  EXPECT_NE(serialLess("ед80000001", "ЕД80000001"), serialLess("ЕД80000001", "ед80000001"));
  EXPECT_FALSE(serialLess("ЕД80000001", "ЕД80000001"));
  // Stray bytes neither crash nor break the order.
  EXPECT_TRUE(serialLess("ЕД80000001", "\xFF\xFE"));
  EXPECT_FALSE(serialLess("\xFF\xFE", "ЕД80000001"));
}

TEST(SerialNumbers, InsertKeepsTheListSorted) {
  std::vector<std::string> list = {"ЕД80000001", "ЕД80000005"};
  insertSorted(list, "ЕД80000003");
  insertSorted(list, "DH21000000");
  insertSorted(list, "ЛД10400000");
  EXPECT_EQ(list, (std::vector<std::string>{"DH21000000", "ЕД80000001", "ЕД80000003", "ЕД80000005",
                                            "ЛД10400000"}));
}

TEST(SerialNumbers, StorableTextIsValidUtf8WithoutNul) {
  EXPECT_TRUE(isStorableText("ЕД80012345"));
  EXPECT_TRUE(isStorableText(""));
  EXPECT_FALSE(
      isStorableText(std::string("ЕД800\0"
                                 "12",
                                 10)));
  EXPECT_FALSE(isStorableText("\xC5\xE4"));      // Windows-1251 bytes, not UTF-8
  EXPECT_FALSE(isStorableText("\xC0\xAF"));      // overlong
  EXPECT_FALSE(isStorableText("\xED\xA0\x80"));  // surrogate
  EXPECT_FALSE(isStorableText("\xD0"));          // cut off
}

}  // namespace
}  // namespace tallowick
