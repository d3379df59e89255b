#include "sim/reply_frame.h"

#include <algorithm>
#include <cassert>

namespace tallowick::sim {

std::vector<std::uint8_t> buildReply(std::uint8_t seq, std::uint8_t command,
                                     std::span<const std::uint8_t> errorCode,
                                     std::span<const std::uint8_t> data,
                                     const StatusBytes& status) {
  assert(errorCode.size() + data.size() <= kMaxReplyPayload);
  std::vector<std::uint8_t> out;
  out.reserve(errorCode.size() + data.size() + kReplyOverhead + 6);
  out.push_back(frame::kStart);
  out.push_back(static_cast<std::uint8_t>(0x20 + errorCode.size() + data.size() + kReplyOverhead));
  out.push_back(seq);
  out.push_back(command);
  out.insert(out.end(), errorCode.begin(), errorCode.end());
  out.push_back(frame::kSeparator);
  out.insert(out.end(), data.begin(), data.end());
  out.push_back(frame::kStatusMark);
  for (std::uint8_t s : status)
    out.push_back(static_cast<std::uint8_t>(s | 0x80));
  out.push_back(frame::kChecksumMark);
  const auto bcc = frame::checksumChars(frame::byteSum(std::span(out).subspan(1)));
  out.insert(out.end(), bcc.begin(), bcc.end());
  out.push_back(frame::kEnd);
  return out;
}

void resealReply(std::vector<std::uint8_t>& reply) {
  // The sum runs from LEN through 05h: everything but 01h and the last five bytes.
  if (reply.size() < 7) return;
  const auto bcc =
      frame::checksumChars(frame::byteSum(std::span(reply).subspan(1, reply.size() - 6)));
  std::copy(bcc.begin(), bcc.end(), reply.end() - 5);
}

void spoilChecksum(std::vector<std::uint8_t>& reply) {
  // The checksum is the four bytes before the closing 03h. Flipping the lowest nibble
  // keeps every character within '0'..'?', so only the comparison fails, not the framing.
  if (reply.size() < 5) return;
  std::uint8_t& last = reply[reply.size() - 2];
  last = static_cast<std::uint8_t>(0x30 + ((last - 0x30) ^ 0x01));
}

}  // namespace tallowick::sim
