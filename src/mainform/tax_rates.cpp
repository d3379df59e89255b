#include "mainform/tax_rates.h"

namespace tallowick {

Country countryOf(std::string_view text) {
  if (text == "Україна") return Country::Ukraine;
  if (text == "Moldova") return Country::Moldova;
  if (text == "Казахстан") return Country::Kazakhstan;
  return Country::Other;
}

std::array<std::string, 5> taxNames(Country country) {
  switch (country) {
    case Country::Ukraine:
      return {"ПДВ_А", "ПДВ_Б", "ПДВ_В", "ПДВ_Г", ""};
    case Country::Moldova:
      return {"TVA_A", "TVA_B", "TVA_C", "TVA_D", "TVA_E"};
    case Country::Kazakhstan:
    case Country::Other:
      break;
  }
  return {};
}

std::string taxFirmwarePrefix(std::string_view firmware) {
  // Characters, not bytes: a UTF-8 sequence is never cut in half.
  std::size_t end = 0;
  for (int chars = 0; chars < 4 && end < firmware.size(); ++chars) {
    ++end;
    while (end < firmware.size() && (static_cast<unsigned char>(firmware[end]) & 0xC0) == 0x80) {
      ++end;
    }
  }
  return std::string(firmware.substr(0, end));
}

std::array<TaxRate, 5> taxRates(Country country, std::string_view prefix, std::int32_t fifthMask) {
  const auto names = taxNames(country);
  const bool ratedFirmware = prefix == "2.02" || prefix == "3.00";
  TaxRate third{2, 0x01, "0.00", names[2], std::nullopt};
  TaxRate fourth{3, 0x01, "0.00", names[3], std::nullopt};
  if (ratedFirmware) {
    third = {2, 0x04, "5.00", names[2], 0};
    fourth = {3, 0x04, "3.00", names[3], 1};
  }
  return {{
      {0, 0x01, "20.00", names[0], std::nullopt},
      {1, 0x01, "0.00", names[1], std::nullopt},
      third,
      fourth,
      {4, fifthMask, "0.00", names[4], std::nullopt},
  }};
}

CommandResult* sendTaxRate(CommandSet& commands, const TaxRate& tax, std::int32_t* err) {
  if (tax.value) {
    return commands.SetTaxRates(kDevicePassword, tax.number, tax.mask, tax.rate, tax.name,
                                *tax.value, err);
  }
  return commands.SetTaxRates(kDevicePassword, tax.number, tax.mask, tax.rate, tax.name, err);
}

}  // namespace tallowick
