// The five tax rates that the auxiliary page and the initialisation both program, with the
// names of the printer's country and the rates its firmware takes.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "commands/commands.h"

namespace tallowick {

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

// The five commands in sending order, for a printer of `country` (Fields[2] of its
// GetDeviceInfo reply) whose tax firmware prefix is `prefix`; `fifthMask` is the mask of
// tax 4, which differs between the two pages.
std::array<TaxRate, 5> taxRates(std::string_view country, std::string_view prefix,
                                std::int32_t fifthMask);

CommandResult* sendTaxRate(CommandSet& commands, const TaxRate& tax, std::int32_t* err);

}  // namespace tallowick
