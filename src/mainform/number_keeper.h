// Where the factory serial numbers written into printers are accounted for: the station's
// own book, or the line's book that every station shares. The initialisation asks the
// keeper for the number right before the printer hears it, tells it when the number has
// gone out, and TForm4 passes on the user's answer.
#pragma once

#include <string>

#include "initforms/serial_book.h"
#include "initforms/serial_numbers.h"
#include "mainform/run_state.h"
#include "platform/store_result.h"

namespace tallowick {

class NumberKeeper {
 public:
  virtual ~NumberKeeper() = default;

  // The number for the printer the connect found, taken so that nobody else gives it:
  // `wanted`, or with `wanted` empty the next number of the book for that printer. A
  // refusal says why, and the printer hears nothing.
  virtual StoreResult<std::string> take(const std::string& wanted, const RunState& printer) = 0;
  // The number went out to the printer: used for good, whatever the printer answered.
  virtual void sent(const std::string& number) = 0;
  // The user's answer in TForm4: the number the printer shows is the one written, or not.
  virtual StoreStatus answered(const std::string& number, bool correct) = 0;
};

// The book's printer type of a printer, by its model and country ("Veltor FP-510T" and
// "Україна": "Veltor FP-510T Украина"); nothing when no type of the book is that printer.
const PrinterType* bookTypeOf(const RunState& printer);

// The station's own book: a wanted number is given as it is (the page asked about a number
// not on the list before anything was sent); the next one is the first of "К инициализации"
// of the printer's type. A right number is confirmed in the book as TForm4 always did.
class BookKeeper final : public NumberKeeper {
 public:
  explicit BookKeeper(SerialBook& book) : book_(book) {}
  StoreResult<std::string> take(const std::string& wanted, const RunState& printer) override;
  void sent(const std::string&) override {}
  StoreStatus answered(const std::string& number, bool correct) override;

 private:
  SerialBook& book_;
};

}  // namespace tallowick
