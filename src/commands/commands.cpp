#include "commands/commands.h"

#include <charconv>
#include <cmath>

#include "commands/ean13.h"
#include "link/cp1251.h"
#include "link/frame.h"

namespace tallowick {

// A data field under construction: every value is followed by ';'. Numbers are written
// with std::to_chars, so the decimal separator is a full stop whatever the locale.
class CommandSet::Data {
 public:
  explicit Data(const std::string& password) { text(password); }

  Data& text(std::string_view s) {
    out_ += s;
    return close();
  }
  // "%i", "%Ld"
  Data& dec(std::int64_t v) { return number(v, 10, 0).close(); }
  // "%02i": at least two digits, zero-padded.
  Data& dec2(std::int32_t v) { return number(v, 10, 2).close(); }
  // "%02X", "%04X": upper-case hex of the value as a 32-bit unsigned number.
  Data& hex(std::int32_t v, int width) {
    return number(static_cast<std::uint32_t>(v), 16, width).close();
  }
  // "%-#.2f", "%-#.3lf": fixed point with exactly `decimals` decimals.
  Data& fixed(double v, int decimals) {
    if (!std::isfinite(v)) {
      notFinite_ = true;
      return close();
    }
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    out_.append(buf, r.ptr);
    return close();
  }
  Data& empty() { return close(); }

  const std::string& str() const { return out_; }
  bool notFinite() const { return notFinite_; }

 private:
  Data& close() {
    out_.push_back(';');
    return *this;
  }
  template <typename T>
  Data& number(T v, int base, int width) {
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, v, base);
    std::string digits(buf, r.ptr);
    for (auto& c : digits) {
      if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
    }
    const bool negative = !digits.empty() && digits[0] == '-';
    const std::size_t length = digits.size();
    if (static_cast<int>(length) < width) {
      digits.insert(negative ? 1 : 0, static_cast<std::size_t>(width) - length, '0');
    }
    out_ += digits;
    return *this;
  }

  std::string out_;
  bool notFinite_ = false;
};

std::string_view argErrorText(std::int32_t code) {
  for (const auto& e : kArgErrors) {
    if (e.code == code) return e.meaning;
  }
  return "";
}

CommandResult* CommandSet::reject(Err err, std::int32_t code, std::int32_t command) {
  attempted_ = command;
  if (err) *err = code;
  return last_;
}

CommandResult* CommandSet::send(std::int32_t code, const Data& data, Err err, bool setErr) {
  if (data.notFinite()) return reject(err, kArgNotFinite, code);
  const auto wire = cp1251::encode(data.str());
  if (!wire) return reject(err, kArgNotEncodable, code);
  if (wire->size() > frame::kMaxRequestData) return reject(err, kArgTooLong, code);
  if (setErr && err) *err = kArgOk;
  attempted_ = code;
  last_ = link_.SendCommand(code, data.str());
  return last_;
}

CommandResult* CommandSet::SendFixed(const FixedCommand& command) {
  attempted_ = command.code;
  last_ = link_.SendCommand(command.code, command.data);
  return last_;
}

CommandResult* CommandSet::SetDateTime(const std::string& password, const std::string& date,
                                       const std::string& time, Err err) {
  return send(command::kSetDateTime, Data(password).text(date).text(time), err);
}

CommandResult* CommandSet::GetDateTime(const std::string& password, Err err) {
  return send(command::kGetDateTime, Data(password), err, false);
}

CommandResult* CommandSet::SetHeaderLine(const std::string& password, std::int32_t line,
                                         const std::string& text, std::int32_t value, Err err) {
  if (line < 0 || line > 20) return reject(err, kArgHeaderLine, command::kSetHeaderLine);
  return send(command::kSetHeaderLine, Data(password).dec(line).text(text).dec(value), err);
}

CommandResult* CommandSet::AddArticle(const std::string& password, std::int32_t code,
                                      const std::string& name, std::int32_t a, std::int32_t b,
                                      std::int32_t mask, const std::string& text, Err err) {
  return send(command::kAddArticle,
              Data(password).dec(code).text(name).dec(a).dec(b).hex(mask, 2).text(text), err);
}

CommandResult* CommandSet::SetRegistratorParams(const std::string& password,
                                                const std::array<std::int32_t, 7>& v, Err err) {
  return send(
      command::kSetRegistratorParams,
      Data(password).dec(v[0]).dec(v[1]).hex(v[2], 4).hex(v[3], 2).hex(v[4], 2).hex(v[5], 2).dec2(
          v[6]),
      err);
}

CommandResult* CommandSet::GetRegistratorParams(const std::string& password, Err err) {
  return send(command::kGetRegistratorParams, Data(password), err);
}

CommandResult* CommandSet::SetPaymentType(const std::string& password, std::int32_t number,
                                          std::int32_t mask, const std::string& name, Err err) {
  return send(command::kSetPaymentType, Data(password).dec(number).hex(mask, 2).text(name), err);
}

CommandResult* CommandSet::SetOperator(const std::string& password, std::int32_t index,
                                       const std::string& operatorPassword, const std::string& name,
                                       Err err) {
  return send(command::kSetOperator, Data(password).dec(index).text(operatorPassword).text(name),
              err);
}

CommandResult* CommandSet::SetMaintenanceParams(const std::string& password,
                                                const std::string& text1, const std::string& text2,
                                                std::int32_t x, std::int32_t y, Err err) {
  return send(command::kSetMaintenanceParams,
              Data(password).text(text1).text(text2).dec(y).hex(x, 2), err);
}

CommandResult* CommandSet::SetSerialNumber(const std::string& password, const std::string& serial,
                                           Err err) {
  return send(command::kSetSerialNumber, Data(password).text(serial), err);
}

CommandResult* CommandSet::GetTaxNumber(const std::string& password, Err err) {
  return send(command::kGetTaxNumber, Data(password), err);
}

CommandResult* CommandSet::SetTaxRates(const std::string& password, std::int32_t number,
                                       std::int32_t mask, const std::string& rate,
                                       const std::string& name, Err err) {
  return send(command::kSetTaxRates,
              Data(password).dec(number).hex(mask, 2).text(rate).text(name).dec(-1), err);
}

CommandResult* CommandSet::SetTaxRates(const std::string& password, std::int32_t number,
                                       std::int32_t mask, const std::string& rate,
                                       const std::string& name, std::int32_t value, Err err) {
  return send(command::kSetTaxRates,
              Data(password).dec(number).hex(mask, 2).text(rate).text(name).dec(value), err);
}

CommandResult* CommandSet::OpenServiceReceipt(const std::string& password, Err err) {
  return send(command::kOpenServiceReceipt, Data(password), err);
}

CommandResult* CommandSet::PrintText(const std::string& password, const std::string& text,
                                     Err err) {
  return send(command::kPrintText, Data(password).text(text), err);
}

CommandResult* CommandSet::OpenFiscalReceipt(const std::string& password,
                                             std::int32_t operatorNumber, std::int32_t till,
                                             std::int32_t isReturn, Err err) {
  return send(command::kOpenFiscalReceipt,
              Data(password).dec(operatorNumber).dec(till).dec(isReturn), err);
}

CommandResult* CommandSet::SellArticle(const std::string& password, std::int32_t code,
                                       double amount, double quantity, Err err) {
  if (!(quantity > 0)) return reject(err, kArgRange, command::kSellArticle);
  if (amount < 0) return reject(err, kArgNegativeAmount, command::kSellArticle);
  return send(command::kSellArticle, Data(password).dec(code).fixed(quantity, 3).fixed(amount, 2),
              err);
}

CommandResult* CommandSet::CloseServiceReceipt(const std::string& password, Err err) {
  return send(command::kCloseReceipt, Data(password).dec(0), err);
}

CommandResult* CommandSet::CloseFiscalReceipt(const std::string& password, std::int32_t value,
                                              Err err) {
  return send(command::kCloseReceipt, Data(password).dec(value), err);
}

CommandResult* CommandSet::Payment(const std::string& password, std::int32_t type, double amount,
                                   Err err) {
  if (type < 0 || type > 9) return reject(err, kArgRange, command::kPayment);
  return send(command::kPayment, Data(password).dec(type).fixed(amount, 2), err);
}

CommandResult* CommandSet::PercentDiscount(const std::string& password, double percent, Err err) {
  return send(command::kPercentDiscount, Data(password).fixed(percent, 2), err);
}

CommandResult* CommandSet::AbsoluteDiscount(const std::string& password, double amount, Err err) {
  return send(command::kAbsoluteDiscount, Data(password).fixed(amount, 2), err);
}

CommandResult* CommandSet::CancelReceipt(const std::string& password, std::int32_t type, Err err) {
  return send(command::kCancelReceipt, Data(password).dec(type), err);
}

CommandResult* CommandSet::PrintTotal(const std::string& password, std::int32_t flag, Err err) {
  return send(command::kPrintTotal, Data(password).dec(flag != 0 ? 1 : 0), err);
}

CommandResult* CommandSet::CashInOut(const std::string& password, std::int32_t operatorNumber,
                                     double amount, Err err) {
  return send(command::kCashInOut, Data(password).dec(operatorNumber).fixed(amount, 2), err);
}

CommandResult* CommandSet::PrintBarcode(const std::string& password, std::int32_t height,
                                        const std::string& digits, Err err) {
  // Anything but twelve decimal digits is refused alike: a letter has no bar pattern.
  const auto line = ean13::barcodeLine(digits);
  if (!line) return reject(err, kArgBarcodeDigits, command::kPrintBarcode);
  return send(command::kPrintBarcode, Data(password).dec(height).text(*line), err);
}

CommandResult* CommandSet::AbsoluteSurchargeDiscount(const std::string& password, double amount,
                                                     Err err) {
  return send(command::kAbsoluteSurchargeDiscount, Data(password).fixed(amount, 2), err);
}

CommandResult* CommandSet::GetDeviceInfo(const std::string& password, Err err) {
  return send(command::kGetDeviceInfo, Data(password), err);
}

CommandResult* CommandSet::DisplayText(const std::string& password, const std::string& text,
                                       std::int32_t function, std::int32_t value, Err err) {
  return send(command::kDisplayText, Data(password).dec(function).dec(value).text(text), err);
}

CommandResult* CommandSet::OpenCashDrawer(const std::string& password, Err err) {
  return send(command::kOpenCashDrawer, Data(password), err);
}

CommandResult* CommandSet::RunInternalTest(const std::string& password, std::int32_t test,
                                           Err err) {
  return send(command::kRunInternalTest, Data(password).dec(test), err);
}

CommandResult* CommandSet::RunInternalTest3(const std::string& password, Err err) {
  return send(command::kRunInternalTest, Data(password).dec(3), err);
}

CommandResult* CommandSet::PrintReport(const std::string& password, std::int32_t type, Err err) {
  return send(command::kPrintReport, Data(password).dec(type), err);
}

CommandResult* CommandSet::SoldArticlesReport(const std::string& password, std::int64_t first,
                                              std::int64_t last, Err err) {
  return send(command::kSoldArticlesReport, Data(password).dec(first).dec(last), err);
}

CommandResult* CommandSet::SendCommandA6(const std::string& password, std::int32_t value,
                                         std::int32_t, std::int32_t, Err err) {
  return send(command::kCommandA6, Data(password).dec(value).empty().empty(), err);
}

CommandResult* CommandSet::ReadDailyCounters(const std::string& password, std::int32_t counter,
                                             Err err) {
  return send(command::kReadDailyCounters, Data(password).dec(counter), err);
}

CommandResult* CommandSet::RebootRegistrator(const std::string& password, Err err) {
  return send(command::kRebootRegistrator, Data(password), err);
}

}  // namespace tallowick
