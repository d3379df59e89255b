#include "mainform/tax_rates.h"

#include <gtest/gtest.h>

namespace tallowick {
namespace {

TEST(TaxRates, FirmwarePrefixIsFourCharactersNeverHalfOne) {
  const std::pair<const char*, const char*> cases[] = {
      {"3.00", "3.00"},   {"3.001", "3.00"}, {"3.0", "3.0"},    {"", ""},
      {"ВЕР1.5", "ВЕР1"}, {"3.0Ї5", "3.0Ї"}, {"ЇЇЇЇЇ", "ЇЇЇЇ"},
  };
  for (const auto& [firmware, prefix] : cases) {
    EXPECT_EQ(taxFirmwarePrefix(firmware), prefix) << firmware;
  }
}

}  // namespace
}  // namespace tallowick
