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

}  // namespace

std::string_view refusalText(LinkRefusal refusal) {
  switch (refusal) {
    case LinkRefusal::None:
      return "";
    case LinkRefusal::NotReady:
      return "Порт не подключен: команда не отправлена";
    case LinkRefusal::DataTooLong:
      return "Данные команды длиннее 219 байт: команда не отправлена";
    case LinkRefusal::NotEncodable:
      return "Данные команды содержат символы вне Windows-1251: команда не отправлена";
    case LinkRefusal::Busy:
      return "Идет обмен с регистратором: команда не отправлена";
  }
  return "";
}

std::string_view waitEndName(WaitEnd end) {
  switch (end) {
    case WaitEnd::None:
      return "none";
    case WaitEnd::Frame:
      return "frame";
    case WaitEnd::Silence:
      return "silence";
    case WaitEnd::TimeLimit:
      return "time-limit";
    case WaitEnd::PortGone:
      return "port-gone";
    case WaitEnd::Stopped:
      return "stopped";
  }
  return "";
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
