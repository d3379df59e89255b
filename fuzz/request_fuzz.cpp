// Random byte streams as a host's requests to the virtual printer: its parser and its
// command handlers must never crash, whatever arrives.
#include <cstdint>

#include "sim/virtual_printer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tallowick::sim::VirtualPrinter printer;
  const tallowick::Micros now{0};
  printer.hostWrote(std::span(data, size), now, printer.settings().baud);
  // Drain whatever it answered.
  for (int i = 0; i < 100000; ++i) {
    const auto due = printer.nextOutputTime();
    if (!due) break;
    printer.takeOutput(*due);
  }
  return 0;
}
