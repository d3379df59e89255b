// The numbers an initialisation writes, kept on the line's book through the station: taken
// on the line right before the printer hears one (or from the station's block while the
// line is away), used for good once sent, and the user's answer passed on.
#pragma once

#include "line/station.h"
#include "mainform/number_keeper.h"

namespace tallowick::line {

class LineKeeper final : public NumberKeeper {
 public:
  // `type`: the book's printer type of the next numbers; none: the type of the printer the
  // connect found.
  explicit LineKeeper(Station& station, const PrinterType* type = nullptr)
      : station_(station), type_(type) {}

  StoreResult<TakenNumber> take(const std::string& wanted, const RunState& printer) override;
  void sent(const std::string& number) override { station_.sent(number); }
  StoreStatus answered(const std::string& number, bool correct) override {
    station_.answered(number, correct);
    return {};
  }

 private:
  Station& station_;
  const PrinterType* type_;
};

}  // namespace tallowick::line
