// The printer's side of the frame format: the reply frame it sends for every request it
// accepts. Built from the same pieces as the host's request, so both ends agree on LEN
// and the checksum by construction.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "link/frame.h"
#include "link/protocol.h"

namespace tallowick::sim {

// Bytes from LEN through 05h that are not the error code or the data:
// LEN, SEQ, CMD, ';', 04h, six status bytes, 05h.
inline constexpr std::size_t kReplyOverhead = 3 + 1 + 1 + frame::kStatusBytes + 1;

// The largest error code plus data that one reply can carry (LEN must fit in a byte).
inline constexpr std::size_t kMaxReplyPayload = 0xFF - 0x20 - kReplyOverhead;
static_assert(kMaxReplyPayload == 4 + frame::kMaxReplyData,
              "a 4-character code leaves the host's limit");

// 01 LEN SEQ CMD ERROR ';' DATA 04 S0..S5 05 BCC 03. Bit 7 is set on every status byte,
// as the printer always sends it. The caller keeps errorCode + data within
// kMaxReplyPayload bytes.
std::vector<std::uint8_t> buildReply(std::uint8_t seq, std::uint8_t command,
                                     std::span<const std::uint8_t> errorCode,
                                     std::span<const std::uint8_t> data, const StatusBytes& status);

// Rewrites the checksum of a built reply so it no longer matches its bytes.
void spoilChecksum(std::vector<std::uint8_t>& reply);

// Rewrites the checksum of a built reply to match its bytes again, after a change.
void resealReply(std::vector<std::uint8_t>& reply);

}  // namespace tallowick::sim
