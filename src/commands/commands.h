// The printer's command set: one operation per command, which formats the command's data
// field from typed arguments, checks what must be checked before anything goes out, and
// sends it through the device link. Every operation returns the link's shared record and
// reports a refused argument through `err` (0, or one of the codes of kArgErrors); a
// refused call sends nothing and leaves the record as the previous command left it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "link/device_link.h"
#include "link/protocol.h"
#include "link/x_list.h"

namespace tallowick {

// The device password every caller passes as the first data field.
inline constexpr const char* kDevicePassword = "582014";

// Argument errors, defined once with their meaning: X(name, code, meaning).
#define TALLOWICK_ARG_ERRORS(X)                                               \
  /* PrintBarcode: not exactly 12 decimal digits */                           \
  X(kArgBarcodeDigits, -100, "the barcode needs exactly 12 decimal digits")   \
  /* SetHeaderLine: line number outside 0..20 */                              \
  X(kArgHeaderLine, -121, "the header line number must be 0 to 20")           \
  /* SellArticle: quantity not above 0; Payment: type outside 0..9 */         \
  X(kArgRange, -151, "quantity must be above 0; payment type must be 0 to 9") \
  /* SellArticle: amount below 0 */                                           \
  X(kArgNegativeAmount, -152, "the amount must not be negative")              \
  /* a text holds characters Windows-1251 cannot represent */                 \
  X(kArgNotEncodable, -200, "a text cannot be written in Windows-1251")       \
  /* the data field is longer than one frame carries */                       \
  X(kArgTooLong, -201, "the data do not fit one frame (219 bytes)")           \
  /* a number is infinite or not a number */                                  \
  X(kArgNotFinite, -202, "a number is infinite or not a number")

enum ArgError : std::int32_t { kArgOk = 0, TALLOWICK_ARG_ERRORS(TALLOWICK_VALUED_ENUMERATOR) };

inline constexpr CodeMeaning<ArgError> kArgErrors[] = {
    TALLOWICK_ARG_ERRORS(TALLOWICK_CODE_MEANING)};

constexpr bool argErrorsDistinct() {
  for (std::size_t i = 0; i < std::size(kArgErrors); ++i) {
    if (kArgErrors[i].code == kArgOk) return false;
    for (std::size_t j = 0; j < i; ++j) {
      if (kArgErrors[i].code == kArgErrors[j].code) return false;
    }
  }
  return true;
}
static_assert(argErrorsDistinct(), "two argument errors share a code, or one is 0");

std::string_view argErrorText(std::int32_t code);

// Commands sent with a fixed data text and no operation of their own.
struct FixedCommand {
  std::int32_t code;
  const char* data;
};
inline constexpr FixedCommand kBeep{command::kBeep, "582014;1;"};
inline constexpr FixedCommand kEraseFiscalMemory{command::kEraseFiscalMemory, "582014;"};
inline constexpr FixedCommand kRebootDevice{command::kRebootRegistrator, "582014;"};

class CommandSet {
 public:
  explicit CommandSet(DeviceLink& link) : link_(link), last_(link.result()) {}

  using Err = std::int32_t*;

  CommandResult* SetDateTime(const std::string& password, const std::string& date,
                             const std::string& time, Err err);
  // Leaves `err` as it was when the command goes out (callers clear it beforehand).
  CommandResult* GetDateTime(const std::string& password, Err err);
  CommandResult* SetHeaderLine(const std::string& password, std::int32_t line,
                               const std::string& text, std::int32_t value, Err err);
  CommandResult* AddArticle(const std::string& password, std::int32_t code, const std::string& name,
                            std::int32_t a, std::int32_t b, std::int32_t mask,
                            const std::string& text, Err err);
  CommandResult* SetRegistratorParams(const std::string& password,
                                      const std::array<std::int32_t, 7>& values, Err err);
  CommandResult* GetRegistratorParams(const std::string& password, Err err);
  CommandResult* SetPaymentType(const std::string& password, std::int32_t number, std::int32_t mask,
                                const std::string& name, Err err);
  CommandResult* SetOperator(const std::string& password, std::int32_t index,
                             const std::string& operatorPassword, const std::string& name, Err err);
  // X goes out as the fifth field (two hex digits), Y as the fourth (decimal).
  CommandResult* SetMaintenanceParams(const std::string& password, const std::string& text1,
                                      const std::string& text2, std::int32_t x, std::int32_t y,
                                      Err err);
  CommandResult* SetSerialNumber(const std::string& password, const std::string& serial, Err err);
  CommandResult* GetTaxNumber(const std::string& password, Err err);
  // The first form: the last field is always -1.
  CommandResult* SetTaxRates(const std::string& password, std::int32_t number, std::int32_t mask,
                             const std::string& rate, const std::string& name, Err err);
  CommandResult* SetTaxRates(const std::string& password, std::int32_t number, std::int32_t mask,
                             const std::string& rate, const std::string& name, std::int32_t value,
                             Err err);
  CommandResult* OpenServiceReceipt(const std::string& password, Err err);
  CommandResult* PrintText(const std::string& password, const std::string& text, Err err);
  CommandResult* OpenFiscalReceipt(const std::string& password, std::int32_t operatorNumber,
                                   std::int32_t till, std::int32_t isReturn, Err err);
  // Sends code, quantity (three decimals), amount (two decimals).
  CommandResult* SellArticle(const std::string& password, std::int32_t code, double amount,
                             double quantity, Err err);
  CommandResult* CloseServiceReceipt(const std::string& password, Err err);
  CommandResult* CloseFiscalReceipt(const std::string& password, std::int32_t value, Err err);
  CommandResult* Payment(const std::string& password, std::int32_t type, double amount, Err err);
  CommandResult* PercentDiscount(const std::string& password, double percent, Err err);
  CommandResult* AbsoluteDiscount(const std::string& password, double amount, Err err);
  CommandResult* CancelReceipt(const std::string& password, std::int32_t type, Err err);
  CommandResult* PrintTotal(const std::string& password, std::int32_t flag, Err err);
  CommandResult* CashInOut(const std::string& password, std::int32_t operatorNumber, double amount,
                           Err err);
  // Draws the EAN-13 symbol of the 12 digits (check digit added) as one pixel line.
  CommandResult* PrintBarcode(const std::string& password, std::int32_t height,
                              const std::string& digits, Err err);
  CommandResult* AbsoluteSurchargeDiscount(const std::string& password, double amount, Err err);
  // 80h: model, firmware version and country in Fields[0..2].
  CommandResult* GetDeviceInfo(const std::string& password, Err err);
  // Sends function, value, text in that order.
  CommandResult* DisplayText(const std::string& password, const std::string& text,
                             std::int32_t function, std::int32_t value, Err err);
  CommandResult* OpenCashDrawer(const std::string& password, Err err);
  CommandResult* RunInternalTest(const std::string& password, std::int32_t test, Err err);
  CommandResult* RunInternalTest3(const std::string& password, Err err);
  CommandResult* PrintReport(const std::string& password, std::int32_t type, Err err);
  CommandResult* SoldArticlesReport(const std::string& password, std::int64_t first,
                                    std::int64_t last, Err err);
  // The two further parameters are not sent; the data end in two empty fields.
  CommandResult* SendCommandA6(const std::string& password, std::int32_t value,
                               std::int32_t ignored1, std::int32_t ignored2, Err err);
  CommandResult* ReadDailyCounters(const std::string& password, std::int32_t counter, Err err);
  CommandResult* RebootRegistrator(const std::string& password, Err err);

  // One of the fixed commands (82h, F0h, F3h), straight through the link.
  CommandResult* SendFixed(const FixedCommand& command);

  // The link's one record, as the last command left it.
  CommandResult* LastCommandResult() const { return last_; }
  // The code of the command the last operation was for, whether it went out or its
  // arguments were refused (the record then still names the command before it).
  std::int32_t lastAttempted() const { return attempted_; }
  DeviceLink& link() { return link_; }

 private:
  class Data;
  // Checks what the link would refuse, then sends. `setErr` is false for GetDateTime.
  CommandResult* send(std::int32_t code, const Data& data, Err err, bool setErr = true);
  CommandResult* reject(Err err, std::int32_t code, std::int32_t command);

  DeviceLink& link_;
  CommandResult* last_;
  std::int32_t attempted_ = 0;
};

}  // namespace tallowick
