#include "sim/printer_settings.h"

#include <algorithm>
#include <cstdio>

#include "link/cp1251.h"
#include "sim/reply_frame.h"
#include "sim/request_fields.h"

namespace tallowick::sim {

std::optional<DocumentKind> documentKindNamed(std::string_view name) {
#define TALLOWICK_DOCUMENT_NAMED(kind, optionName, nibble) \
  if (name == optionName) return DocumentKind::kind;
  TALLOWICK_DOCUMENT_KINDS(TALLOWICK_DOCUMENT_NAMED)
#undef TALLOWICK_DOCUMENT_NAMED
  return std::nullopt;
}

std::optional<RegistratorParams> parseRegistratorParams(std::string_view text) {
  if (text.ends_with(';')) text.remove_suffix(1);
  RegistratorParams params{};
  for (std::size_t i = 0; i < params.size(); ++i) {
    const auto semicolon = text.find(';');
    const bool last = i + 1 == params.size();
    if (last != (semicolon == std::string_view::npos)) return std::nullopt;
    const std::string_view field = text.substr(0, semicolon);
    const bool decimal = i == 0 || last;
    const auto value = decimal ? parseInteger(field) : parseHex(field);
    if (!value || *value < 0 || *value > kRegistratorParamLimits[i]) return std::nullopt;
    params[i] = static_cast<std::int32_t>(*value);
    if (!last) text.remove_prefix(semicolon + 1);
  }
  return params;
}

std::string formatRegistratorParams(const RegistratorParams& p) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "%d;%04X;%02X;%02X;%02X;%02d;", p[0], static_cast<unsigned>(p[1]),
                static_cast<unsigned>(p[2]), static_cast<unsigned>(p[3]),
                static_cast<unsigned>(p[4]), p[5]);
  return buf;
}

PrintTimes defaultPrintTimes() {
  using std::chrono::milliseconds;
  using namespace command;
  return {
      {kOpenServiceReceipt, milliseconds(300)},  // service receipt: the header
      {kPrintText, milliseconds(150)},           // a text line
      {kOpenFiscalReceipt, milliseconds(500)},   // fiscal receipt: the header
      {kSellArticle, milliseconds(200)},         // a sale
      {kCloseReceipt, milliseconds(1500)},       // closing a receipt, cutting the paper
      {kPayment, milliseconds(150)},             // a payment
      {kPercentDiscount, milliseconds(150)},     // discounts and surcharges
      {kAbsoluteDiscount, milliseconds(150)},
      {kAbsoluteSurchargeDiscount, milliseconds(150)},
      {kCancelReceipt, milliseconds(500)},        // cancelling
      {kPrintTotal, milliseconds(200)},           // the total
      {kCashInOut, milliseconds(1000)},           // a cash-in or cash-out slip
      {kPrintBarcode, milliseconds(500)},         // a barcode
      {kRunInternalTest, milliseconds(2500)},     // an internal test
      {kPrintReport, milliseconds(3000)},         // a report
      {kSoldArticlesReport, milliseconds(2000)},  // the sold-articles report
      {kCommandA6, milliseconds(1500)},           // the control tape
      {kEraseFiscalMemory, milliseconds(2000)},   // erasing the fiscal memory
  };
}

std::string reportedModel(std::string model) {
  constexpr std::string_view kMaker = "Veltor ";
  if (!model.starts_with(kMaker)) model.insert(0, kMaker);
  return model;
}

bool isLineRate(std::int32_t baud) {
  return std::find(std::begin(kLineRates), std::end(kLineRates), baud) != std::end(kLineRates);
}

std::optional<Failure> settingsProblem(const PrinterSettings& s) {
  std::size_t total = 4;  // the error code
  const std::pair<const char*, const std::string*> texts[] = {
      {"model", &s.model}, {"firmware", &s.firmware}, {"country", &s.country}};
  for (const auto& [name, text] : texts) {
    const auto wire = cp1251::encode(*text);
    if (!wire) return Failure{std::string("the ") + name + " cannot be written in Windows-1251"};
    if (wire->find(';') != std::string::npos)
      return Failure{std::string("the ") + name + " holds ';'"};
    total += wire->size() + 1;
  }
  if (total > kMaxReplyPayload) return Failure{"model, firmware and country are too long"};
  const auto taxNumber = cp1251::encode(s.taxNumber);
  if (!taxNumber || taxNumber->find(';') != std::string::npos || taxNumber->size() > 64) {
    return Failure{"the tax number must be up to 64 Windows-1251 characters without ';'"};
  }
  if (!isLineRate(s.baud)) return Failure{"the line rate must be 9600, 19200, 57600 or 115200"};
  if (s.dailyCounter < 0) return Failure{"the daily counter must not be negative"};
  for (std::size_t i = 0; i < s.registratorParams.size(); ++i) {
    if (s.registratorParams[i] < 0 || s.registratorParams[i] > kRegistratorParamLimits[i]) {
      return Failure{"registrator parameter " + std::to_string(i + 1) + " is out of range"};
    }
  }
  if (s.rebootTime.count() < 0) return Failure{"the reboot time must not be negative"};
  if (!(s.printTimeScale >= 0)) return Failure{"the print-time scale must not be negative"};
  if (s.realistic && s.busyInterval.count() <= 0)
    return Failure{"the busy interval must be positive"};
  return std::nullopt;
}

}  // namespace tallowick::sim
