#include "mainform/tax_rates.h"

#include "commands/printer_traits.h"

namespace tallowick {

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

std::array<TaxRate, 5> taxRates(std::string_view country, std::string_view prefix,
                                std::int32_t fifthMask) {
  const CountryTraits traits = countryTraits(country);
  const auto name = [&traits](std::size_t tax) { return std::string(traits.taxNames[tax]); };
  TaxRate third{2, 0x01, "0.00", name(2), std::nullopt};
  TaxRate fourth{3, 0x01, "0.00", name(3), std::nullopt};
  if (firmwareTraits(prefix).ratedTaxes) {
    third = {2, 0x04, "5.00", name(2), 0};
    fourth = {3, 0x04, "3.00", name(3), 1};
  }
  return {{
      {0, 0x01, "20.00", name(0), std::nullopt},
      {1, 0x01, "0.00", name(1), std::nullopt},
      third,
      fourth,
      {4, fifthMask, "0.00", name(4), std::nullopt},
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
