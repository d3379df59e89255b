// The one result record that every printer command fills, and the flag word inside it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "link/protocol.h"
#include "link/x_list.h"

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
// X(name, text): the text explains the refusal, for logs and the command line.
#define TALLOWICK_LINK_REFUSALS(X)                                                           \
  /* the command went out (whatever came back) */                                            \
  X(None, "")                                                                                \
  /* the link was never opened, or an exchange is already running */                         \
  X(NotReady, "Порт не подключен: команда не отправлена")                                    \
  /* the data text is longer than one frame carries (219 bytes) */                           \
  X(DataTooLong, "Данные команды длиннее 219 байт: команда не отправлена")                   \
  /* the data text has characters Windows-1251 cannot represent */                           \
  X(NotEncodable, "Данные команды содержат символы вне Windows-1251: команда не отправлена") \
  /* another command of this link is still waiting for its reply */                          \
  X(Busy, "Идет обмен с регистратором: команда не отправлена")

enum class LinkRefusal : std::uint8_t { TALLOWICK_LINK_REFUSALS(TALLOWICK_ENUMERATOR) };

std::string_view refusalText(LinkRefusal refusal);

// How the wait for the reply ended. A silent printer, a port that is gone and a wait the
// user cut short all read as no reply; callers that must tell them apart look here.
// X(name, trace name): a short English name of each end, for traces.
#define TALLOWICK_WAIT_ENDS(X)                                                            \
  X(None, "none")            /* nothing was awaited: the command never went out */        \
  X(Frame, "frame")          /* a frame ended it (ErrorFlags says whether it was good) */ \
  X(Silence, "silence")      /* the line stayed silent for the whole silence limit */     \
  X(TimeLimit, "time-limit") /* bytes kept coming until the command's limit ran out */    \
  X(PortGone, "port-gone")   /* the port reported end of file or a hang-up */             \
  X(Stopped, "stopped")      /* the link's user asked to stop */

enum class WaitEnd : std::uint8_t { TALLOWICK_WAIT_ENDS(TALLOWICK_ENUMERATOR) };

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
