#include "sim/loopback_line.h"

#include <algorithm>

#include "sim/fault_plan.h"
#include "sim/sim_options.h"

namespace tallowick::sim {

LoopbackLine::~LoopbackLine() {
  close();
}

std::int32_t LoopbackLine::open(const std::string&, std::int32_t baud) {
  if (open_) close();
  failure_ = {};
  if (baud <= 0) failure_.reason = OpenFailureReason::RateRefused;
  // A printer that hung up is gone, like an unplugged adapter.
  if (baud > 0 && printer_.hungUp()) failure_.reason = OpenFailureReason::NoSuchDevice;
  if (baud > 0 && failure_.reason == OpenFailureReason::None && !printer_.claimLine(this)) {
    failure_.reason = OpenFailureReason::InUse;
  }
  if (failure_.reason != OpenFailureReason::None) return -1;
  open_ = true;
  baud_ = baud;
  printer_.purgeOutput(clock_.now());
  return 1;
}

bool LoopbackLine::close() {
  if (!open_) return false;
  printer_.purgeOutput(clock_.now());
  printer_.releaseLine(this);
  open_ = false;
  return true;
}

void LoopbackLine::write(std::span<const std::uint8_t> bytes) {
  if (open_) printer_.hostWrote(bytes, clock_.now(), baud_);
}

ReadResult LoopbackLine::read(std::span<std::uint8_t> into, std::size_t, int waitMs) {
  if (!open_ || printer_.hungUp()) return {ReadStatus::Closed, 0};
  const Micros wait = std::chrono::milliseconds(std::clamp(waitMs, 1, SerialLine::kReadTimeoutMs));
  const Micros now = clock_.now();
  const auto due = printer_.nextOutputTime();
  if (due && *due <= now + wait && !into.empty()) {
    if (*due > now) clock_.sleepFor(*due - now);
    // A real clock may oversleep; the bytes due by then are there all the same.
    const Micros by = std::max(*due, clock_.now());
    std::size_t count = 0;
    while (count < into.size()) {
      const auto b = printer_.takeOutput(by);
      if (!b) break;
      into[count++] = *b;
    }
    if (count > 0) return {ReadStatus::Bytes, count};
  }
  clock_.sleepFor(wait);
  return {ReadStatus::Timeout, 0};
}

void LoopbackLine::purge() {
  if (open_) printer_.purgeOutput(clock_.now());
}

SimulatedPort::SimulatedPort(Clock& clock, PrinterSettings settings)
    : clock_(clock), printer_(std::move(settings)) {}

bool SimulatedPort::isSimulatedName(const std::string& portName) {
  return portName == kPortName || portName.starts_with("sim:");
}

std::unique_ptr<SerialLine> SimulatedPort::makeLine(const std::string& portName) {
  if (!isSimulatedName(portName)) return nullptr;
  if (portName.size() <= kPortName.size() + 1)
    return std::make_unique<LoopbackLine>(printer_, clock_);
  // "sim:MODEL,NAME=VALUE,...": the model, then settings as tallowick-sim takes them.
  std::string_view rest = std::string_view(portName).substr(kPortName.size() + 1);
  const std::string_view model = rest.substr(0, rest.find(','));
  if (!model.empty()) printer_.settings().model = reportedModel(std::string(model));
  rest.remove_prefix(std::min(rest.size(), model.size() + 1));
  while (!rest.empty()) {
    const std::string_view item = rest.substr(0, rest.find(','));
    rest.remove_prefix(std::min(rest.size(), item.size() + 1));
    const auto eq = item.find('=');
    const std::string name = "--" + std::string(item.substr(0, eq));
    const std::string_view value = eq == std::string_view::npos ? "" : item.substr(eq + 1);
    std::string error;
    if (name == "--fault") {
      // A fault staged for this printer, as tallowick-sim takes it:
      // "sim:FP-90T,fault=A1:error=0012".
      auto rule = parseFaultRule(value, error);
      if (!rule) return nullptr;
      printer_.faults().add(std::move(*rule));
      continue;
    }
    // A setting the built-in printer does not have, or cannot take, is no such port.
    if (applyPrinterOption(printer_.settings(), name, value, error) != true) return nullptr;
  }
  return std::make_unique<LoopbackLine>(printer_, clock_);
}

std::function<std::unique_ptr<SerialLine>(const std::string&)> SimulatedPort::lineFactory(
    std::function<std::unique_ptr<SerialLine>(const std::string&)> other) {
  return [this, other = std::move(other)](const std::string& name) -> std::unique_ptr<SerialLine> {
    if (isSimulatedName(name)) return makeLine(name);
    return other ? other(name) : nullptr;
  };
}

}  // namespace tallowick::sim
