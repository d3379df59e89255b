// What a virtual printer is before the first request: its identity, the rate and state it
// starts in, how strict and how slow it is. The same settings serve tests, the built-in
// 'sim' port and tallowick-sim's command line.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "link/clock.h"
#include "link/protocol.h"
#include "link/x_list.h"
#include "platform/failure.h"

namespace tallowick::sim {

// The document the printer has open, with the name tallowick-sim takes for it and the value
// the host reads in the open-document field of S2: X(kind, name, nibble).
#define TALLOWICK_DOCUMENT_KINDS(X)              \
  X(None, "none", status::kNoDocument)           \
  X(Service, "service", status::kServiceReceipt) \
  X(Sale, "sale", 1)                             \
  X(Return, "return", 2)

enum class DocumentKind : std::uint8_t { TALLOWICK_DOCUMENT_KINDS(TALLOWICK_ENUMERATOR) };

inline constexpr std::uint8_t documentNibble(DocumentKind kind) {
  constexpr std::uint8_t kNibbles[] = {
#define TALLOWICK_NIBBLE(kind, name, nibble) nibble,
      TALLOWICK_DOCUMENT_KINDS(TALLOWICK_NIBBLE)
#undef TALLOWICK_NIBBLE
  };
  return kNibbles[static_cast<std::size_t>(kind)];
}

// "none", "service", "sale", "return" (the names tallowick-sim takes).
std::optional<DocumentKind> documentKindNamed(std::string_view name);

// The six values after the line rate in 28h/27h: fields 1 and 6 decimal, 2 to 5
// hexadecimal, written as the host writes them (%i, %04X, %02X, %02X, %02X, %02i).
using RegistratorParams = std::array<std::int32_t, 6>;
inline constexpr RegistratorParams kDefaultRegistratorParams = {0, 0x001F, 0x02, 0xAB, 0x00, 5};
// The largest value each of them may hold.
inline constexpr RegistratorParams kRegistratorParamLimits = {65535, 0xFFFF, 0xFF, 0xFF, 0xFF, 99};

// Parses "F1;F2;F3;F4;F5;F6" (a trailing ';' allowed); nothing when malformed or out of range.
std::optional<RegistratorParams> parseRegistratorParams(std::string_view text);
// The same six fields as 28h sends them, each followed by ';'.
std::string formatRegistratorParams(const RegistratorParams& params);

// How long each command keeps the printer busy printing, before its reply, in realistic mode.
using PrintTimes = std::map<std::uint8_t, Micros>;
PrintTimes defaultPrintTimes();

// Fixed for the printer's life; texts in UTF-8, converted to Windows-1251 at the wire.
struct PrinterSettings {
  std::string model = "Veltor FP-90T";
  std::string firmware = "3.01";
  std::string country = "Україна";
  std::int32_t baud = 9600;  // the line rate the printer starts at
  bool serviceMode = false;
  // Set bit 2 of S0 in the reply to 82h: the printer needs no reboot after its clock is set.
  bool noRebootNeeded = false;
  DocumentKind openDocument = DocumentKind::None;  // open when the printer starts
  std::int32_t dailyCounter = 0;                   // what E2h with 6 answers
  RegistratorParams registratorParams = kDefaultRegistratorParams;
  std::string taxNumber = "123456789012";  // what 46h answers
  std::string password = "582014";         // checked in strict mode only
  // Where the printer's clock stands at start, until 20h sets it.
  std::chrono::sys_seconds clockStart =
      std::chrono::sys_days{std::chrono::year{2026} / 1 / 1} + std::chrono::hours{0};
  // After its reply to F3h the printer hears and says nothing for this long.
  Micros rebootTime = std::chrono::seconds(3);

  // Refuse what a printer refuses: a sale of an article never programmed, a receipt
  // command with no receipt open, a wrong password. Off, every well-formed command passes.
  bool strict = false;

  // Realistic timing: the printer's bytes take 10 bits' time each at its line rate, and a
  // command that prints keeps it busy for its print time, with a busy byte every
  // busyInterval, before the reply comes.
  bool realistic = false;
  PrintTimes printTimes = defaultPrintTimes();
  double printTimeScale = 1.0;  // 0: no print times at all
  Micros busyInterval = std::chrono::milliseconds(80);
};

// The model as the printer reports it, from a name given with or without the maker's:
// "KM-15" and "Veltor KM-15" are both a "Veltor KM-15".
std::string reportedModel(std::string model);

// The line rates a printer can be set to.
inline constexpr std::int32_t kLineRates[] = {9600, 19200, 57600, 115200};
bool isLineRate(std::int32_t baud);

// Why the printer could not work with these settings faithfully (a text that does not
// encode in Windows-1251, holds ';', or does not fit a reply; a value out of range), or
// nothing when fine.
std::optional<Failure> settingsProblem(const PrinterSettings& settings);

}  // namespace tallowick::sim
