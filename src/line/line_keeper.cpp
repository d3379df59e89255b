#include "line/line_keeper.h"

namespace tallowick::line {

StoreResult<TakenNumber> LineKeeper::take(const std::string& wanted, const RunState& printer) {
  std::string prefix;
  if (wanted.empty()) {
    const PrinterType* type = type_ ? type_ : bookTypeOf(printer);
    if (type == nullptr) return noBookTypeOf(printer);
    prefix = type->prefix;
  }
  auto taken = station_.take(wanted, prefix);
  if (!taken) return taken.error();
  return TakenNumber{taken.value().first, taken.value().second};
}

}  // namespace tallowick::line
