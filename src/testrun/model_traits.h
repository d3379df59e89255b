// Every difference the test run makes between printer models and firmware versions, in
// one place. Model and firmware are compared as whole texts, exactly; any other value
// takes the defaults.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tallowick {

struct ModelTraits {
  bool customerDisplay = true;        // the display commands (else GetDeviceInfo stands in)
  bool controlTapeBeforeZ = false;    // prints the control tape before the Z-reports
  int paymentTypes = 5;               // payment types programmed
  bool rebootCommand = true;          // the reboot stage sends F3h
  bool zReportClearsTape = false;     // every Z-report is followed by a type-2 report
  bool silentOpeningZReport = false;  // the opening Z-report logs nothing
  bool ownRatePair = false;           // the rate change uses 9600 <-> 19200 only
};

struct FirmwareTraits {
  bool maintenanceCommand = false;       // 35h with "010120" in the preparation
  bool zReportClearsTape = false;        // the Z-reports are followed by a type-2 report
  bool operatorAgainAtEnd = true;        // operator 1 is set up once more at the end
  bool shortArticleReportRange = false;  // sold-articles report up to 999999999
};

ModelTraits modelTraits(const std::string& model);
FirmwareTraits firmwareTraits(const std::string& firmware);

// The rate the baud-rate change switches to from `connected`; nothing when the model has
// no rate to go to from there.
std::optional<std::int32_t> changedLineRate(const std::string& model, std::int32_t connected);

}  // namespace tallowick
