// Every difference the program makes between printer models, firmware versions and the
// countries a printer is made for, in one place, for the pages and the test run alike.
// Model, firmware and country are the texts of the GetDeviceInfo reply, compared as whole
// texts, exactly; any other value takes the defaults.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tallowick {

struct ModelTraits {
  // The customer display commands; without a display GetDeviceInfo stands in wherever the
  // test run or "Аннулировать чек" needs a reply for its status bytes.
  bool customerDisplay = true;
  // Control-tape receipts before the Z-reports (the test run's and the auxiliary page's).
  bool controlTapeBeforeZ = false;
  int paymentTypes = 5;       // payment types the test run programs
  bool rebootCommand = true;  // the test run's reboot stage sends F3h
  // Every Z-report is followed by a type-2 report. On the auxiliary page this clearing
  // follows the report even when the report failed, and no firmware clearing is added.
  bool zReportClearsTape = false;
  bool silentOpeningZReport = false;  // the test run's opening Z-report logs nothing
  bool ownRatePair = false;           // the rate change uses 9600 <-> 19200 only
  bool operator==(const ModelTraits&) const = default;
};

struct FirmwareTraits {
  bool maintenanceCommand = false;  // 35h with "010120" in the test run's preparation
  // Z-reports are followed by a type-2 report (on the auxiliary page only for models that
  // do not clear the tape themselves).
  bool zReportClearsTape = false;
  bool operatorAgainAtEnd = true;        // operator 1 is set up once more at the end
  bool shortArticleReportRange = false;  // sold-articles report up to 999999999
  // Taxes 2 and 3 get real rates (5.00 and 3.00, mask 04). Looked up by the tax firmware
  // prefix, the version's first four characters, so "3.00" stands for "3.00b" too.
  bool ratedTaxes = false;
  bool operator==(const FirmwareTraits&) const = default;
};

ModelTraits modelTraits(std::string_view model);
FirmwareTraits firmwareTraits(std::string_view firmware);

// The rate the baud-rate change switches to from `connected`; nothing when the model has
// no rate to go to from there.
std::optional<std::int32_t> changedLineRate(std::string_view model, std::int32_t connected);

struct CountryTraits {
  std::array<std::string_view, 5> taxNames{};      // taxes 0 to 4; empty where there is none
  std::array<std::string_view, 5> paymentNames{};  // payment types 1 to 5
  bool operator==(const CountryTraits&) const = default;
};

// From Fields[2] of a GetDeviceInfo reply.
CountryTraits countryTraits(std::string_view country);

}  // namespace tallowick
