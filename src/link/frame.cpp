#include "link/frame.h"

#include <cassert>

namespace tallowick::frame {

std::uint8_t seqByte(std::uint8_t counter) {
  return static_cast<std::uint8_t>(0x20 + counter % 95);
}

std::array<std::uint8_t, 4> checksumChars(std::uint32_t sum) {
  std::array<std::uint8_t, 4> out{};
  for (int i = 0; i < 4; ++i) {
    const unsigned nibble = (sum >> (12 - 4 * i)) & 0x0Fu;
    out[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(0x30 + nibble);
  }
  return out;
}

std::uint32_t byteSum(std::span<const std::uint8_t> bytes) {
  std::uint32_t sum = 0;
  for (std::uint8_t b : bytes)
    sum += b;
  return sum;
}

std::vector<std::uint8_t> buildRequest(std::uint8_t seq, std::uint8_t command,
                                       std::span<const std::uint8_t> data) {
  assert(data.size() <= kMaxRequestData);
  std::vector<std::uint8_t> out;
  out.reserve(data.size() + 10);
  out.push_back(kStart);
  out.push_back(static_cast<std::uint8_t>(0x20 + data.size() + 4));
  out.push_back(seq);
  out.push_back(command);
  out.insert(out.end(), data.begin(), data.end());
  out.push_back(kChecksumMark);
  const auto bcc = checksumChars(byteSum(std::span(out).subspan(1)));
  out.insert(out.end(), bcc.begin(), bcc.end());
  out.push_back(kEnd);
  return out;
}

}  // namespace tallowick::frame
