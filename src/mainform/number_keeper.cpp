#include "mainform/number_keeper.h"
#include "platform/own_text.h"

#include "initforms/serial_numbers.h"

namespace tallowick {

namespace {

// The word a type of the book ends with for the country the printer names.
struct CountryWord {
  std::string_view country;  // as GetDeviceInfo names it
  std::string_view word;     // as the book's types name it
};
constexpr CountryWord kCountryWords[] = {{"Україна", "Украина"}, {"Moldova", "Молдова"}};

}  // namespace

const PrinterType* bookTypeOf(const RunState& printer) {
  for (const CountryWord& c : kCountryWords) {
    if (printer.DeviceCountry != c.country) continue;
    const std::string item = printer.DeviceModel + " " + std::string(c.word);
    for (const PrinterType& type : kPrinterTypes) {
      if (type.item == item) return &type;
    }
  }
  return nullptr;
}

const PrinterType* bookTypeNamed(std::string_view name) {
  for (const PrinterType& type : kPrinterTypes) {
    if (type.prefix == name || type.item == name) return &type;
  }
  return nullptr;
}

StoreError noBookTypeOf(const RunState& printer) {
  return {StoreErrorKind::Conflict,
          withArgs(Text::tr("В книге нет типа регистратора %1 (%2): укажите тип номера."),
                   {printer.DeviceModel, printer.DeviceCountry})};
}

StoreResult<TakenNumber> BookKeeper::take(const std::string& wanted, const RunState& printer) {
  if (!wanted.empty()) return TakenNumber{wanted, {}};
  const PrinterType* type = type_ ? type_ : bookTypeOf(printer);
  if (type == nullptr) return noBookTypeOf(printer);
  for (const std::string& number : book_.shouldInit()) {
    if (number.starts_with(type->prefix)) return TakenNumber{number, {}};
  }
  return StoreError{StoreErrorKind::Conflict,
                    withArgs(Text::tr("В списке «К инициализации» нет номеров типа «%1»."),
                             {Text::tr(type->item)})};
}

void BookKeeper::sent(const std::string& number) {
  if (confirm_ != Confirm::WhenSent) return;
  const StoreStatus confirmed = book_.confirm(number);
  if (!confirmed) unconfirmed_ = confirmed.error();
}

StoreStatus BookKeeper::answered(const std::string& number, bool correct) {
  // A number confirmed as it went out is not confirmed twice.
  if (!correct || confirm_ == Confirm::WhenSent) return {};
  return book_.confirm(number);
}

}  // namespace tallowick
