// Small helpers shared by the virtual printer's tests.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "link/frame.h"
#include "sim/virtual_printer.h"

namespace tallowick::sim::testing {

using Bytes = std::vector<std::uint8_t>;

inline Bytes bytesOf(std::string_view s) {
  return Bytes(s.begin(), s.end());
}

inline Bytes request(std::uint8_t seq, std::uint8_t command, std::string_view data = "582014;") {
  const Bytes d = bytesOf(data);
  return frame::buildRequest(seq, command, d);
}

inline Bytes concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& p : parts)
    out.insert(out.end(), p.begin(), p.end());
  return out;
}

// Everything the printer has sent by `now`.
inline Bytes takeAll(VirtualPrinter& printer, Micros now) {
  Bytes out;
  while (auto b = printer.takeOutput(now))
    out.push_back(*b);
  return out;
}

// The text between CMD and 04h of a reply, as a string (Windows-1251).
inline std::string replyTextOf(std::span<const std::uint8_t> reply) {
  const auto t = replyText(reply);
  return std::string(t.begin(), t.end());
}

}  // namespace tallowick::sim::testing
