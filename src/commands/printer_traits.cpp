#include "commands/printer_traits.h"

namespace tallowick {
namespace {

template <typename Traits>
struct Row {
  std::string_view text;
  Traits traits;
};

// Rows are looked up by the whole text; a text that no row has gets Traits{}.
template <typename Traits, std::size_t N>
Traits lookUp(const std::array<Row<Traits>, N>& rows, std::string_view text) {
  for (const auto& row : rows) {
    if (row.text == text) return row.traits;
  }
  return {};
}

constexpr std::array<Row<ModelTraits>, 3> kModels = {{
    {"Veltor KM-15",
     {.customerDisplay = false,
      .controlTapeBeforeZ = true,
      .paymentTypes = 4,
      .rebootCommand = false}},
    {"Veltor FP-90T", {.zReportClearsTape = true, .silentOpeningZReport = true}},
    {"Veltor FP-820T", {.ownRatePair = true}},
}};

// Every payment type the test run programs needs a name in every country.
constexpr bool paymentTypesNamed() {
  if (ModelTraits{}.paymentTypes > 5) return false;
  for (const auto& row : kModels) {
    if (row.traits.paymentTypes > 5) return false;
  }
  return true;
}
static_assert(paymentTypesNamed(), "CountryTraits::paymentNames has five names");

constexpr std::array<Row<FirmwareTraits>, 4> kFirmware = {{
    {"3.00", {.maintenanceCommand = true, .operatorAgainAtEnd = false, .ratedTaxes = true}},
    {"3.01", {.maintenanceCommand = true, .zReportClearsTape = true, .operatorAgainAtEnd = false}},
    {"2.01", {.shortArticleReportRange = true}},
    {"2.02", {.ratedTaxes = true}},
}};

// Kazakhstan, like every other country, has names of neither kind.
constexpr std::array<Row<CountryTraits>, 2> kCountries = {{
    {"Україна",
     {{"ПДВ_А", "ПДВ_Б", "ПДВ_В", "ПДВ_Г", ""},
      {"Чек", "Картка", "Внутр. корист.", "Кредит", "Переказ"}}},
    {"Moldova",
     {{"TVA_A", "TVA_B", "TVA_C", "TVA_D", "TVA_E"},
      {"Cheque", "Card", "Internal Use", "Credit", "Transfer"}}},
}};

}  // namespace

ModelTraits modelTraits(std::string_view model) {
  return lookUp(kModels, model);
}

FirmwareTraits firmwareTraits(std::string_view firmware) {
  return lookUp(kFirmware, firmware);
}

CountryTraits countryTraits(std::string_view country) {
  return lookUp(kCountries, country);
}

std::optional<std::int32_t> changedLineRate(std::string_view model, std::int32_t connected) {
  if (modelTraits(model).ownRatePair) {
    if (connected == 9600) return 19200;
    if (connected == 19200) return 9600;
    return std::nullopt;
  }
  if (connected == 9600 || connected == 19200 || connected == 57600) return 115200;
  if (connected == 115200) return 9600;
  return std::nullopt;
}

}  // namespace tallowick
