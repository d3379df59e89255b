#include "link/command_result.h"

#include <array>

namespace tallowick {
namespace {

struct FlagBit {
  std::uint8_t byte;  // status byte S0..S5
  std::uint8_t bit;   // bit within that byte
  std::uint8_t flag;  // bit of ErrorFlags it raises
};

// The status bits that carry a meaning for the program. Every other bit (S3 entirely,
// bits 6 and 7 everywhere, S0 bit 3, S2 bits 1, 2 and 4, S4 bit 1) raises nothing.
constexpr std::array<FlagBit, 25> kStatusBits = {{
    {0, 0, 0},  {0, 1, 1},  {0, 2, 2},  {0, 4, 3},  {0, 5, 27}, {1, 0, 4},  {1, 1, 5},
    {1, 2, 6},  {1, 3, 7},  {1, 4, 8},  {1, 5, 12}, {2, 0, 9},  {2, 3, 10}, {2, 5, 11},
    {4, 0, 16}, {4, 2, 13}, {4, 3, 20}, {4, 4, 17}, {4, 5, 28}, {5, 0, 18}, {5, 1, 21},
    {5, 2, 19}, {5, 3, 22}, {5, 4, 23}, {5, 5, 14},
}};

constexpr std::string_view kRefusalTexts[] = {TALLOWICK_LINK_REFUSALS(TALLOWICK_SECOND)};
constexpr std::string_view kWaitEndNames[] = {TALLOWICK_WAIT_ENDS(TALLOWICK_SECOND)};

}  // namespace

std::string_view refusalText(LinkRefusal refusal) {
  return kRefusalTexts[static_cast<std::size_t>(refusal)];
}

std::string_view waitEndName(WaitEnd end) {
  return kWaitEndNames[static_cast<std::size_t>(end)];
}

std::uint32_t statusFlags(const StatusBytes& status) {
  std::uint32_t flags = 0;
  for (const auto& s : kStatusBits) {
    if ((status[s.byte] >> s.bit) & 1u) flags |= 1u << s.flag;
  }
  return flags;
}

std::string_view CommandDescription(std::int32_t code) {
  const CommandInfo* info = commandInfo(code);
  if (!info || info->description.empty()) return "Неверная команда";
  return info->description;
}

}  // namespace tallowick
