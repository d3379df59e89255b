// Where the factory serial numbers written into printers are accounted for: the station's
// own book, or the line's book that every station shares. The initialisation asks the
// keeper for the number right before the printer hears it, tells it when the number has
// gone out, and TForm4 passes on the user's answer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "initforms/serial_book.h"
#include "initforms/serial_numbers.h"
#include "mainform/run_state.h"
#include "platform/store_result.h"

namespace tallowick {

// A number taken for a printer, and what the user should know of how it was taken (a
// number of the station's block while the line was away, and how many remain); empty when
// there is nothing to say.
struct TakenNumber {
  std::string number;
  std::string note;
};

class NumberKeeper {
 public:
  virtual ~NumberKeeper() = default;

  // The number for the printer the connect found, taken so that nobody else gives it:
  // `wanted`, or with `wanted` empty the next number of the book for that printer. A
  // refusal says why, and the printer hears nothing.
  virtual StoreResult<TakenNumber> take(const std::string& wanted, const RunState& printer) = 0;
  // The number went out to the printer: used for good, whatever the printer answered.
  virtual void sent(const std::string& number) = 0;
  // The user's answer in TForm4: the number the printer shows is the one written, or not.
  virtual StoreStatus answered(const std::string& number, bool correct) = 0;
};

// The book's printer type of a printer, by its model and country ("Veltor FP-510T" and
// "Україна": "Veltor FP-510T Украина"); nothing when no type of the book is that printer.
const PrinterType* bookTypeOf(const RunState& printer);
// The refusal of the next number for a printer of no type of the book.
StoreError noBookTypeOf(const RunState& printer);

// The station's own book: a wanted number is given as it is (the page asked about a number
// not on the list before anything was sent); the next one is the first of "К инициализации"
// of the printer's type (or of `type` when one is named). A right number is confirmed in
// the book as TForm4 always did; where nobody answers (the command line), a number that went
// out is confirmed at once, so that the book never offers it again.
class BookKeeper final : public NumberKeeper {
 public:
  enum class Confirm : std::uint8_t { ByTheUser, WhenSent };
  explicit BookKeeper(SerialBook& book, Confirm confirm = Confirm::ByTheUser,
                      const PrinterType* type = nullptr)
      : book_(book), confirm_(confirm), type_(type) {}
  StoreResult<TakenNumber> take(const std::string& wanted, const RunState& printer) override;
  void sent(const std::string& number) override;
  StoreStatus answered(const std::string& number, bool correct) override;
  // Why the last number sent could not be confirmed in the book; nothing when it was.
  const std::optional<StoreError>& unconfirmed() const { return unconfirmed_; }

 private:
  SerialBook& book_;
  Confirm confirm_;
  const PrinterType* type_;
  std::optional<StoreError> unconfirmed_;
};

// The book's type named by its prefix ("ЕД800") or its whole name ("Veltor FP-510T Украина").
const PrinterType* bookTypeNamed(std::string_view name);

}  // namespace tallowick
