// The five tax rates that the auxiliary page and the initialisation both program: the
// printer's country, the tax names of that country, and the rows of SetTaxRates that depend
// on the firmware version.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "commands/commands.h"

namespace tallowick {

enum class Country : std::uint8_t { Ukraine, Moldova, Kazakhstan, Other };

// From Fields[2] of a GetDeviceInfo reply, compared as a whole text.
Country countryOf(std::string_view text);

// The names of taxes 0 to 4; empty where the country has none.
std::array<std::string, 5> taxNames(Country country);

// The first four characters of the firmware version (all of it when shorter).
std::string taxFirmwarePrefix(std::string_view firmware);

// One SetTaxRates command. Without `value` it is the first form (last field -1).
struct TaxRate {
  std::int32_t number;
  std::int32_t mask;
  std::string rate;
  std::string name;
  std::optional<std::int32_t> value;
};

// The five commands in sending order. Firmware "2.02" and "3.00" get real rates for taxes
// 2 and 3; `fifthMask` is the mask of tax 4, which differs between the two pages.
std::array<TaxRate, 5> taxRates(Country country, std::string_view prefix, std::int32_t fifthMask);

CommandResult* sendTaxRate(CommandSet& commands, const TaxRate& tax, std::int32_t* err);

}  // namespace tallowick
