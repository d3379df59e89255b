#include "sim/trace_json.h"

#include <nlohmann/json.hpp>

#include "link/cp1251.h"

namespace tallowick::sim {
namespace {

using Json = nlohmann::ordered_json;

std::string hex(std::uint8_t b) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  return {kDigits[b >> 4], kDigits[b & 0x0F]};
}

// Never throws: a text that is not UTF-8 (which the program's own texts always are) is
// written with replacement characters rather than stopping the trace.
std::string dump(const Json& value) {
  return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace

std::string traceJsonLine(const TraceEvent& event) {
  Json line;
  // Microseconds as milliseconds with three decimals at most.
  line["t_ms"] = static_cast<double>(event.time.count()) / 1000.0;
  line["dir"] = event.direction == TraceDirection::Host ? "host" : "printer";
  line["kind"] = std::string(traceKindName(event.kind));
  if (event.command) line["cmd"] = hex(*event.command);
  std::string bytes;
  for (std::size_t i = 0; i < event.bytes.size(); ++i) {
    if (i > 0) bytes += ' ';
    bytes += hex(event.bytes[i]);
  }
  line["bytes"] = bytes;
  if (event.text) {
    const std::string_view wire(reinterpret_cast<const char*>(event.text->data()),
                                event.text->size());
    line["text"] = cp1251::decode(wire);
  }
  if (!event.note.empty()) line["note"] = event.note;
  return dump(line);
}

}  // namespace tallowick::sim
