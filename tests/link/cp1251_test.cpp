#include "link/cp1251.h"

#include <gtest/gtest.h>

namespace tallowick {
namespace {

TEST(Cp1251, EveryByteSurvivesARoundTrip) {
  for (int b = 0; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    const auto back = cp1251::encode(cp1251::decode(one));
    ASSERT_TRUE(back.has_value()) << b;
    EXPECT_EQ(*back, one) << b;
  }
}

TEST(Cp1251, EncodesTheTextsThePrinterUses) {
  struct Case {
    const char* utf8;
    std::string wire;
  };
  const Case cases[] = {
      {"582014;", "582014;"},  {"Україна", "\xD3\xEA\xF0\xE0\xBF\xED\xE0"},
      {"Ёё№", "\xA8\xB8\xB9"}, {"Ґґ Єє Іі", "\xA5\xB4 \xAA\xBA \xB2\xB3"},
      {"€", "\x88"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(cp1251::encode(c.utf8), c.wire) << c.utf8;
    EXPECT_EQ(cp1251::decode(c.wire), c.utf8) << c.utf8;
  }
}

TEST(Cp1251, RefusesWhatItCannotCarry) {
  const char* cases[] = {
      "\xE4\xB8\xAD",      // a CJK character: valid UTF-8, not in Windows-1251
      "\xF0\x9F\x98\x80",  // an emoji
      "\xD0",              // a sequence cut short
      "\xC0\xAF",          // an overlong form
      "\xED\xA0\x80",      // a surrogate
      "\xFF",              // not UTF-8 at all
      "ok\x80",            // a lone continuation byte
  };
  for (const char* c : cases)
    EXPECT_FALSE(cp1251::encode(c).has_value()) << c;
}

}  // namespace
}  // namespace tallowick
