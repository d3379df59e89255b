#include "sim/trace_json.h"

#include <cstdio>

#include "link/cp1251.h"

namespace tallowick::sim {
namespace {

std::string hex(std::uint8_t b) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  return {kDigits[b >> 4], kDigits[b & 0x0F]};
}

}  // namespace

std::string jsonEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (u < 0x20 || u == 0x7F) {
          out += "\\u00" + hex(u);
        } else {
          out += c;  // UTF-8 passes through as it is
        }
    }
  }
  return out;
}

std::string traceJsonLine(const TraceEvent& event) {
  char time[32];
  std::snprintf(time, sizeof time, "%.3f", static_cast<double>(event.time.count()) / 1000.0);
  std::string out = "{\"t_ms\":";
  out += time;
  out += ",\"dir\":\"";
  out += event.direction == TraceDirection::Host ? "host" : "printer";
  out += "\",\"kind\":\"";
  out += traceKindName(event.kind);
  out += '"';
  if (event.command) out += ",\"cmd\":\"" + hex(*event.command) + '"';
  out += ",\"bytes\":\"";
  for (std::size_t i = 0; i < event.bytes.size(); ++i) {
    if (i > 0) out += ' ';
    out += hex(event.bytes[i]);
  }
  out += '"';
  if (event.text) {
    const std::string_view wire(reinterpret_cast<const char*>(event.text->data()),
                                event.text->size());
    out += ",\"text\":\"" + jsonEscape(cp1251::decode(wire)) + '"';
  }
  if (!event.note.empty()) out += ",\"note\":\"" + jsonEscape(event.note) + '"';
  out += '}';
  return out;
}

}  // namespace tallowick::sim
