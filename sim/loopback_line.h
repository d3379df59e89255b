// An in-process serial line wired straight to a VirtualPrinter, on any Clock: with a
// VirtualClock, tests run the link's 100 ms reads and 5 s silences in no real time; with
// the real clock it is the application's built-in simulated port.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "link/clock.h"
#include "link/serial_line.h"
#include "sim/virtual_printer.h"

namespace tallowick::sim {

class LoopbackLine final : public SerialLine {
 public:
  LoopbackLine(VirtualPrinter& printer, Clock& clock) : printer_(printer), clock_(clock) {}
  ~LoopbackLine() override;
  LoopbackLine(const LoopbackLine&) = delete;
  LoopbackLine& operator=(const LoopbackLine&) = delete;

  // The port name is not looked at; the printer is the one given. Fails (-1) while
  // another line holds the printer, once the printer has closed its line, or for a rate
  // that is not positive.
  std::int32_t open(const std::string& portName, std::int32_t baud) override;
  OpenFailure openFailure() const override { return failure_; }
  bool close() override;
  bool isOpen() const override { return open_; }
  void write(std::span<const std::uint8_t> bytes) override;
  // Takes every byte due by now at once; with none due, waits for the next one when it is
  // due within `waitMs` and takes those due by then; otherwise waits all of `waitMs` and
  // times out. Once the printer has closed its line every read says the port is gone.
  ReadResult read(std::span<std::uint8_t> into, std::size_t coming, int waitMs) override;
  Clock& clock() override { return clock_; }
  void purge() override;
  void drain() override {}
  void clearError() override {}

 private:
  VirtualPrinter& printer_;
  Clock& clock_;
  bool open_ = false;
  std::int32_t baud_ = 0;
  OpenFailure failure_;
};

// A printer of its own behind the port names "sim" and "sim:MODEL", for the application's
// line factory. MODEL is the model the printer reports; "Veltor " is put in front when
// missing, so "sim:KM-15" is a "Veltor KM-15". Settings and faults as tallowick-sim takes
// them may follow, each after a comma: "sim:FP-90T,firmware=3.00,fault=A1:error=0012".
class SimulatedPort {
 public:
  static constexpr std::string_view kPortName = "sim";

  explicit SimulatedPort(Clock& clock = realClock(), PrinterSettings settings = {});

  // True for "sim" and "sim:..." names.
  static bool isSimulatedName(const std::string& portName);

  // A line to this port's printer for a simulated name (setting the model it names);
  // nullptr for any other name.
  std::unique_ptr<SerialLine> makeLine(const std::string& portName);

  // A line factory: simulated names here, all others passed to `other` (when given).
  std::function<std::unique_ptr<SerialLine>(const std::string&)> lineFactory(
      std::function<std::unique_ptr<SerialLine>(const std::string&)> other = {});

  VirtualPrinter& printer() { return printer_; }

 private:
  Clock& clock_;
  VirtualPrinter printer_;
};

}  // namespace tallowick::sim
