#include "commands/printer_traits.h"

#include <gtest/gtest.h>

namespace tallowick {
namespace {

// The texts come from the printer and are compared whole: a text that is almost a known
// one is another printer, which must get the defaults rather than a near match's rules.
TEST(PrinterTraits, OnlyTheExactTextOfARowGetsItsDifferences) {
  const char* const knownModels[] = {"Veltor KM-15", "Veltor FP-90T", "Veltor FP-820T"};
  for (const char* model : knownModels)
    EXPECT_NE(modelTraits(model), ModelTraits{}) << model;
  const char* const otherModels[] = {"Veltor KM-15 ",  "KM-15",          "veltor km-15",
                                     "Veltor FP-90TT", "Veltor FP-510T", ""};
  for (const char* model : otherModels)
    EXPECT_EQ(modelTraits(model), ModelTraits{}) << model;

  const char* const knownFirmware[] = {"3.00", "3.01", "2.01", "2.02"};
  for (const char* firmware : knownFirmware)
    EXPECT_NE(firmwareTraits(firmware), FirmwareTraits{}) << firmware;
  const char* const otherFirmware[] = {"3.0", "3.010", " 3.01", "3,01", "2.60", ""};
  for (const char* firmware : otherFirmware)
    EXPECT_EQ(firmwareTraits(firmware), FirmwareTraits{}) << firmware;

  // The Russian spelling of the country is not the one the printer reports.
  for (const char* country : {"Україна", "Moldova"})
    EXPECT_NE(countryTraits(country), CountryTraits{}) << country;
  for (const char* country : {"Украина", "moldova", "Казахстан", ""})
    EXPECT_EQ(countryTraits(country), CountryTraits{}) << country;
}

TEST(PrinterTraits, EveryModelHasANameForEachPaymentTypeItPrograms) {
  for (const char* model : {"Veltor KM-15", "Veltor FP-90T", "Veltor FP-820T", "other"}) {
    const int types = modelTraits(model).paymentTypes;
    for (const char* country : {"Україна", "Moldova"}) {
      const auto& names = countryTraits(country).paymentNames;
      for (int type = 1; type <= types; ++type)
        EXPECT_FALSE(names[static_cast<std::size_t>(type - 1)].empty()) << model << country << type;
    }
  }
}

TEST(PrinterTraits, TheRateChangeGoesWhereTheModelCanGo) {
  struct Case {
    const char* model;
    std::int32_t connected;
    std::optional<std::int32_t> changed;
  };
  const Case cases[] = {
      {"Veltor FP-90T", 9600, 115200},          {"Veltor FP-90T", 19200, 115200},
      {"Veltor FP-90T", 57600, 115200},         {"Veltor FP-90T", 115200, 9600},
      {"Veltor FP-90T", 4800, std::nullopt},    {"Veltor FP-820T", 9600, 19200},
      {"Veltor FP-820T", 19200, 9600},          {"Veltor FP-820T", 57600, std::nullopt},
      {"Veltor FP-820T", 115200, std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(changedLineRate(c.model, c.connected), c.changed) << c.model << " " << c.connected;
}

}  // namespace
}  // namespace tallowick
