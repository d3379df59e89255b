// The virtual printer: a stand-in for a fiscal printer on the far end of the serial line.
// It hears the host's bytes as they arrive, parses request frames as the firmware does,
// runs each command against its state and queues its answer, every byte stamped with the
// moment it is on the line. Drivers (an in-process line, a pseudo-terminal) carry bytes
// in and out and ask when the next one is due; the printer itself never waits or blocks.
//
// Not thread-safe: one driver, on one thread, talks to one printer.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "link/clock.h"
#include "sim/fault_plan.h"
#include "sim/reply_frame.h"
#include "sim/request_parser.h"

namespace tallowick::sim {

// Fixed for the printer's life; texts in UTF-8, converted to Windows-1251 at the wire.
struct PrinterSettings {
  std::string model = "Veltor FP-90T";
  std::string firmware = "3.01";
  std::string country = "Україна";
  std::int32_t baud = 9600;  // the line rate the printer starts at
  bool serviceMode = false;
  // How long one byte of the printer's output takes on the line. Zero: a whole answer is
  // there the moment the request's last byte arrived.
  Micros byteTime{0};
};

// The line rates a printer can be set to.
inline constexpr std::int32_t kLineRates[] = {9600, 19200, 57600, 115200};

// Why the printer could not report these settings faithfully (a text that does not
// encode in Windows-1251, holds ';', or does not fit a reply), or nothing when fine.
std::optional<std::string> settingsProblem(const PrinterSettings& settings);

// What the printer keeps between requests.
struct PrinterState {
  std::int32_t lineRate = 9600;
  bool serviceMode = false;
  // The last request that was answered and the reply it got, so that the host's repeat
  // of the very same request (after a NAK or a lost reply) is answered again instead of
  // carried out twice.
  std::optional<Request> lastRequest;
  std::vector<std::uint8_t> lastReply;
  // Until this moment the printer is rebooting: it hears and says nothing.
  Micros deafUntil{0};
};

enum class TraceDirection : std::uint8_t { Host, Printer };

enum class TraceKind : std::uint8_t {
  Request,     // host: a request frame intact
  BadRequest,  // host: a frame the printer rejected (answered with NAK)
  Unheard,     // host: bytes the printer could not hear (other line rate, rebooting)
  Reply,       // printer: a reply frame (maybe damaged on purpose)
  Nak,         // printer: 15h
  Busy,        // printer: 16h
  Garbage,     // printer: noise staged by the fault plan
};

std::string_view traceKindName(TraceKind kind);

// One frame (or lone byte) on the line, for the trace. The spans are valid only during
// the callback.
struct TraceEvent {
  TraceDirection direction = TraceDirection::Host;
  TraceKind kind = TraceKind::Request;
  Micros time{0};  // when its first byte is on the line (host: when it was complete)
  std::span<const std::uint8_t> bytes;
  std::optional<std::uint8_t> command;
  // The data text (Windows-1251) of a complete request, or the error code and data of a
  // complete reply.
  std::optional<std::span<const std::uint8_t>> text;
  std::string_view note;  // e.g. why a frame was rejected, "repeat", "cut"
};

using TraceHook = std::function<void(const TraceEvent&)>;

class VirtualPrinter {
 public:
  explicit VirtualPrinter(PrinterSettings settings = {}, FaultPlan faults = {});
  // Lines keep a reference to their printer and it remembers who holds its line.
  VirtualPrinter(const VirtualPrinter&) = delete;
  VirtualPrinter& operator=(const VirtualPrinter&) = delete;

  // Bytes from the host, arriving at `now`, sent at the host's line rate `hostBaud`.
  // At any other rate than the printer's own they are noise: the printer hears nothing.
  void hostWrote(std::span<const std::uint8_t> bytes, Micros now, std::int32_t hostBaud);

  // When the next queued output byte is on the line; nothing when none is queued.
  std::optional<Micros> nextOutputTime() const;
  // The next output byte, when its time has come by `now`.
  std::optional<std::uint8_t> takeOutput(Micros now);
  // Drops the output that has reached the host by `now` (what a purge of the host's
  // receive buffer throws away); what the printer sends later still comes.
  void purgeOutput(Micros now);

  void setTraceHook(TraceHook hook) { trace_ = std::move(hook); }

  // One host at a time: a driver claims the printer's line before using it.
  bool claimLine(const void* holder);
  void releaseLine(const void* holder);

  PrinterSettings& settings() { return settings_; }
  const PrinterSettings& settings() const { return settings_; }
  PrinterState& state() { return state_; }
  const PrinterState& state() const { return state_; }
  FaultPlan& faults() { return faults_; }

  // The six status bytes as sent (bit 7 set).
  StatusBytes statusBytes() const;

 private:
  // What a command handler answers: error code and data, both Windows-1251.
  struct CommandReply {
    std::string errorCode = "0000";
    std::string data;
  };
  using Handler = CommandReply (VirtualPrinter::*)(const Request&);
  struct HandlerEntry {
    std::uint8_t command;
    Handler handler;
  };
  static const HandlerEntry kHandlers[];

  CommandReply acceptCommand(const Request& request);
  CommandReply getDeviceInfo(const Request& request);

  void onRequest(const Request& request, Micros now);
  void onRejected(Rejection why, Micros now);
  std::vector<std::uint8_t> answer(const Request& request, const FaultEffects& fx);
  // Queues bytes to go out from `from` on (or when the line is free); returns when the
  // first of them is on the line.
  Micros queue(std::span<const std::uint8_t> bytes, Micros from);
  void emit(TraceDirection direction, TraceKind kind, Micros time,
            std::span<const std::uint8_t> bytes, std::optional<std::uint8_t> command = {},
            std::optional<std::span<const std::uint8_t>> text = {}, std::string_view note = {});

  struct Pending {
    Micros at;
    std::uint8_t byte;
  };

  PrinterSettings settings_;
  PrinterState state_;
  FaultPlan faults_;
  RequestParser parser_;
  std::deque<Pending> output_;
  Micros lineFree_{0};  // when the last queued byte is out
  TraceHook trace_;
  const void* lineHolder_ = nullptr;
};

// The text of a reply frame between CMD and 04h: error code, ';' and data.
std::span<const std::uint8_t> replyText(std::span<const std::uint8_t> reply);

}  // namespace tallowick::sim
