// The one result record that every printer command fills, and the flag word inside it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "link/protocol.h"

namespace tallowick {

inline constexpr std::size_t kMaxFields = 20;
inline constexpr std::size_t kMaxErrorCodeLength = 19;

// Bits of CommandResult::ErrorFlags raised by the link itself. They exclude every status
// bit and one another, except that a command whose last frame had a wrong checksum reads
// as no reply with the checksum bit kept: such a frame is never taken for an answer.
namespace flag {
inline constexpr std::uint32_t kBadChecksum = 1u << 24;  // complete frame, wrong BCC
inline constexpr std::uint32_t kNak = 1u << 25;          // complete frame after a NAK
inline constexpr std::uint32_t kNoReply = 1u << 26;      // no complete frame: device time-out
inline constexpr std::uint32_t kLinkBits = kBadChecksum | kNak | kNoReply;
}  // namespace flag

// Why the link sent nothing at all. Not part of the printer's answer: a command refused
// here never reached the wire, and the record says so instead of reading as success.
enum class LinkRefusal : std::uint8_t {
  None,          // the command went out (whatever came back)
  NotReady,      // the link was never opened, or an exchange is already running
  DataTooLong,   // the data text is longer than one frame carries (219 bytes)
  NotEncodable,  // the data text has characters Windows-1251 cannot represent
  Busy,          // another command of this link is still waiting for its reply
};

// The text that explains a refusal, for logs and the command line.
std::string_view refusalText(LinkRefusal refusal);

// How the wait for the reply ended. A silent printer, a port that is gone and a wait the
// user cut short all read as no reply; callers that must tell them apart look here.
enum class WaitEnd : std::uint8_t {
  None,       // nothing was awaited: the command never went out
  Frame,      // a frame ended it (ErrorFlags says whether it was a good one)
  Silence,    // the line stayed silent for the whole silence limit
  TimeLimit,  // bytes kept coming until the link's limit for one command ran out
  PortGone,   // the port reported end of file or a hang-up
  Stopped,    // the link's user asked to stop
};

// A short English name of each end ("silence", "port-gone"), for traces.
std::string_view waitEndName(WaitEnd end);

// Every text is UTF-8; the link converts from and to Windows-1251 at the wire.
struct CommandResult {
  std::int32_t FieldCount = 0;  // entries of Fields in use
  std::int32_t Command = 0;     // code of the last exchange
  std::uint32_t ErrorFlags = 0;
  std::string CommandName;  // CommandDescription(Command)
  std::string RequestData;  // the data text that was sent
  std::string ReplyText;    // reply data after the first field, as received
  std::string ErrorCode;    // the reply's first field; "0000" means accepted
  std::array<std::string, kMaxFields> Fields;
  StatusBytes Status{};  // the six status bytes, bit 7 cleared
  LinkRefusal Refusal = LinkRefusal::None;
  WaitEnd WaitEnded = WaitEnd::None;

  bool noReply() const { return (ErrorFlags & flag::kNoReply) != 0; }
  bool stopped() const { return WaitEnded == WaitEnd::Stopped; }
  bool accepted() const { return ErrorCode == "0000"; }
  bool serviceMode() const { return isSet(Status, status::kServiceMode); }
  bool noRebootNeeded() const { return isSet(Status, status::kNoRebootNeeded); }
  OpenDocument openDocument() const { return tallowick::openDocument(Status); }
};

// ErrorFlags of a complete reply with a correct checksum: the status bits that the
// six status bytes (as received, bit 7 included) raise.
std::uint32_t statusFlags(const StatusBytes& status);

// The description of a command code; "Неверная команда" for codes without one.
std::string_view CommandDescription(std::int32_t code);

}  // namespace tallowick
