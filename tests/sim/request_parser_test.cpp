#include "sim/request_parser.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "sim_test_support.h"

namespace tallowick::sim {
namespace {

using testing::Bytes;
using testing::concat;
using testing::request;

std::string describe(const ParseOutcome& outcome) {
  if (const auto* r = std::get_if<Request>(&outcome)) {
    char head[32];
    std::snprintf(head, sizeof head, "frame %02X %02X ", r->seq, r->command);
    return head + std::string(r->data.begin(), r->data.end());
  }
  return "bad: " + std::string(rejectionText(std::get<Rejection>(outcome)));
}

std::vector<std::string> feedAll(RequestParser& parser, const Bytes& bytes) {
  std::vector<std::string> out;
  for (std::uint8_t b : bytes) {
    if (auto outcome = parser.feed(b)) out.push_back(describe(*outcome));
  }
  return out;
}

Bytes withByte(Bytes frame, std::size_t at, std::uint8_t value) {
  frame[at] = value;
  return frame;
}

struct ParserCase {
  const char* name;
  Bytes input;
  std::vector<std::string> expected;
};

TEST(RequestParser, OutcomesFedByteByByteWithAndWithoutNoise) {
  const Bytes example = {0x01, 0x24, 0x21, 0x2C, 0x05, 0x30, 0x30, 0x37, 0x36, 0x03};
  const Bytes info = request(0x22, 0x80);
  // Data of 2 bytes announced, 3 sent: the third sits where 05h belongs.
  const Bytes longData = concat({{0x01, 0x26, 0x21, 0x2C, 'a', 'b', 'c'}, {0x05}});
  // Nibbles 0,0,6,16h add up to the same 0076h a careless reader would accept.
  const Bytes overflowDigit = {0x01, 0x24, 0x21, 0x2C, 0x05, 0x30, 0x30, 0x36, 0x46, 0x03};

  const std::vector<ParserCase> cases = {
      {"empty data", example, {"frame 21 2C "}},
      {"with data", info, {"frame 22 80 582014;"}},
      {"control bytes inside data", request(0x23, 0x61, "a\x03\x05;"), {"frame 23 61 a\x03\x05;"}},
      {"LEN below 24h", {0x01, 0x23, 0x21, 0x2C, 0x05}, {"bad: bad length"}},
      {"data longer than LEN", longData, {"bad: no checksum mark"}},
      {"no 03h at the end", withByte(example, 9, 0x04), {"bad: no end mark"}},
      {"wrong checksum", withByte(example, 8, 0x37), {"bad: bad checksum"}},
      {"changed data byte", withByte(info, 6, '9'), {"bad: bad checksum"}},
      {"checksum digit beyond '?'", overflowDigit, {"bad: bad checksum"}},
      {"01h restarts a frame",
       concat({{0x01, 0x2B, 0x21, 0x80, '5', '8'}, info}),
       {"frame 22 80 582014;"}},
      {"two frames back to back", concat({example, info}), {"frame 21 2C ", "frame 22 80 582014;"}},
      {"bad frame then good",
       concat({withByte(example, 8, 0x30), info}),
       {"bad: bad checksum", "frame 22 80 582014;"}},
  };
  const Bytes noise = {0x16, 0x7F, 0x03, 0x05, 0x15, 0x3B, 0xFF};
  for (const auto& c : cases) {
    RequestParser clean;
    EXPECT_EQ(feedAll(clean, c.input), c.expected) << c.name;
    RequestParser noisy;
    EXPECT_EQ(feedAll(noisy, concat({noise, c.input})), c.expected) << c.name << " after noise";
  }
}

}  // namespace
}  // namespace tallowick::sim
