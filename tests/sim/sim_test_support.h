// Small helpers shared by the virtual printer's tests.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "link/cp1251.h"
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

// A host that speaks to a printer one request at a time, at the printer's own rate, and
// reads the whole answer at once: for tests of what the printer does, not of the line.
class Host {
 public:
  explicit Host(VirtualPrinter& printer) : printer_(printer) {}

  struct Answer {
    std::string code;                 // empty: no reply
    std::vector<std::string> fields;  // UTF-8
    StatusBytes status{};             // bit 7 cleared
    std::uint8_t document() const { return status[2] & 0x0F; }
  };

  // Sends the password and `fields` (UTF-8), each followed by ';'.
  Answer send(std::uint8_t command, const std::vector<std::string_view>& fields = {},
              std::string_view password = "582014") {
    std::string data(password);
    data += ';';
    for (auto f : fields) {
      data += f;
      data += ';';
    }
    return sendData(command, *cp1251::encode(data));
  }

  Answer sendData(std::uint8_t command, std::string_view wireData) {
    seq_ = seq_ >= 0xFE ? 0x20 : static_cast<std::uint8_t>(seq_ + 1);
    printer_.hostWrote(frame::buildRequest(seq_, command, bytesOf(wireData)), now,
                       printer_.lineRateAt(now));
    Bytes reply;
    while (auto at = printer_.nextOutputTime()) {
      now = std::max(now, *at);
      reply.push_back(*printer_.takeOutput(now));
    }
    Answer a;
    while (!reply.empty() && reply.front() == frame::kBusy)
      reply.erase(reply.begin());
    if (reply.size() < 16) return a;
    const std::string text = replyTextOf(reply);
    std::size_t from = 0;
    for (std::size_t semicolon; (semicolon = text.find(';', from)) != std::string::npos;
         from = semicolon + 1) {
      const std::string field = cp1251::decode(text.substr(from, semicolon - from));
      if (from == 0) {
        a.code = field;
      } else {
        a.fields.push_back(field);
      }
    }
    for (std::size_t i = 0; i < a.status.size(); ++i) {
      a.status[i] = static_cast<std::uint8_t>(reply[reply.size() - 12 + i] & 0x7F);
    }
    return a;
  }

  Micros now{0};

 private:
  VirtualPrinter& printer_;
  std::uint8_t seq_ = 0x20;
};

}  // namespace tallowick::sim::testing
