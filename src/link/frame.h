// The frame format shared by both ends of the line: control bytes, the request frame and
// the four-character checksum. The printer side (sim/) builds its replies from the same
// pieces, so both ends agree by construction and tests check the bytes against examples.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace tallowick::frame {

inline constexpr std::uint8_t kStart = 0x01;         // opens a frame
inline constexpr std::uint8_t kEnd = 0x03;           // closes a frame
inline constexpr std::uint8_t kStatusMark = 0x04;    // precedes the six status bytes
inline constexpr std::uint8_t kChecksumMark = 0x05;  // precedes the checksum
inline constexpr std::uint8_t kNak = 0x15;           // request rejected
inline constexpr std::uint8_t kBusy = 0x16;          // printer still working
inline constexpr std::uint8_t kSeparator = ';';

// LEN counts from itself through the 05h byte, plus 20h; it must fit one byte.
inline constexpr std::size_t kMaxRequestData = 0xFF - 0x20 - 4;  // 219
// The receiver reads LEN - 30h data bytes after the first field.
inline constexpr std::size_t kMaxReplyData = 0xFF - 0x30;  // 207
inline constexpr std::size_t kStatusBytes = 6;

// SEQ byte for a sequence counter value: 20h + (counter mod 95).
std::uint8_t seqByte(std::uint8_t counter);

// The four checksum characters of a sum: its low 16 bits, most significant nibble first,
// each written as 30h + nibble.
std::array<std::uint8_t, 4> checksumChars(std::uint32_t sum);

// Sum of byte values, as both ends compute it over LEN..05h.
std::uint32_t byteSum(std::span<const std::uint8_t> bytes);

// The whole request frame: 01 LEN SEQ CMD DATA 05 BCC 03. The caller keeps data within
// kMaxRequestData bytes; longer data is a programming error refused by the link earlier.
std::vector<std::uint8_t> buildRequest(std::uint8_t seq, std::uint8_t command,
                                       std::span<const std::uint8_t> data);

}  // namespace tallowick::frame
