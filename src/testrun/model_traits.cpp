#include "testrun/model_traits.h"

#include <array>
#include <string_view>

namespace tallowick {
namespace {

struct ModelEntry {
  std::string_view model;
  ModelTraits traits;
};

const std::array<ModelEntry, 3> kModels = {{
    {"Veltor KM-15",
     {.customerDisplay = false,
      .controlTapeBeforeZ = true,
      .paymentTypes = 4,
      .rebootCommand = false}},
    {"Veltor FP-90T", {.zReportClearsTape = true, .silentOpeningZReport = true}},
    {"Veltor FP-820T", {.ownRatePair = true}},
}};

struct FirmwareEntry {
  std::string_view firmware;
  FirmwareTraits traits;
};

const std::array<FirmwareEntry, 3> kFirmware = {{
    {"3.00", {.maintenanceCommand = true, .operatorAgainAtEnd = false}},
    {"3.01", {.maintenanceCommand = true, .zReportClearsTape = true, .operatorAgainAtEnd = false}},
    {"2.01", {.shortArticleReportRange = true}},
}};

}  // namespace

ModelTraits modelTraits(const std::string& model) {
  for (const auto& e : kModels) {
    if (e.model == model) return e.traits;
  }
  return {};
}

FirmwareTraits firmwareTraits(const std::string& firmware) {
  for (const auto& e : kFirmware) {
    if (e.firmware == firmware) return e.traits;
  }
  return {};
}

std::optional<std::int32_t> changedLineRate(const std::string& model, std::int32_t connected) {
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
