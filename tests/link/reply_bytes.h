// Reply frames written out byte by byte, as a printer would send them, for feeding the
// receiver. Kept independent of the virtual printer so the link is checked against the
// frame format itself, not against our other end of it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "link/frame.h"

namespace tallowick::test {

inline std::vector<std::uint8_t> replyFrame(const std::string& errorCode, const std::string& data,
                                            std::array<std::uint8_t, 6> status = {0x80, 0x80, 0x80,
                                                                                  0x80, 0x80, 0x80},
                                            std::uint8_t seq = 0x21, std::uint8_t cmd = 0x21) {
  std::vector<std::uint8_t> body;
  body.push_back(0);  // LEN, filled in below
  body.push_back(seq);
  body.push_back(cmd);
  body.insert(body.end(), errorCode.begin(), errorCode.end());
  body.push_back(';');
  body.insert(body.end(), data.begin(), data.end());
  body.push_back(frame::kStatusMark);
  body.insert(body.end(), status.begin(), status.end());
  body.push_back(frame::kChecksumMark);
  // As the receiver reads it: 30h plus the data after the first field's ';' (the same as
  // 20h plus LEN..05h when the first field has its four characters).
  body[0] = static_cast<std::uint8_t>(0x30 + data.size());
  std::vector<std::uint8_t> out;
  out.reserve(body.size() + 6);
  out.push_back(frame::kStart);
  for (auto b : body)
    out.push_back(b);
  const auto bcc = frame::checksumChars(frame::byteSum(body));
  out.insert(out.end(), bcc.begin(), bcc.end());
  out.push_back(frame::kEnd);
  return out;
}

}  // namespace tallowick::test
