// The virtual printer: a stand-in for a fiscal printer on the far end of the serial line.
// It hears the host's bytes as they arrive, parses request frames as the firmware does,
// runs each command against its state and queues its answer, every byte stamped with the
// moment it is on the line. Drivers (an in-process line, a pseudo-terminal) carry bytes
// in and out and ask when the next one is due; the printer itself never waits or blocks.
//
// Not thread-safe: one driver, on one thread, talks to one printer.
#pragma once

#include <chrono>
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
#include "sim/printer_errors.h"
#include "sim/printer_settings.h"
#include "sim/printer_state.h"
#include "sim/reply_frame.h"
#include "sim/request_fields.h"
#include "sim/request_parser.h"

namespace tallowick::sim {

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

using PaperHook = std::function<void(const std::string& line)>;

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

  // The fault plan closed the line: the port is gone for good. Drivers close their end.
  bool hungUp() const { return hungUp_; }

  void setTraceHook(TraceHook hook) { trace_ = std::move(hook); }
  // Called with every line the printer prints (or shows on its display), as it is added
  // to state().paper.
  void setPaperHook(PaperHook hook) { paperHook_ = std::move(hook); }

  // One host at a time: a driver claims the printer's line before using it.
  bool claimLine(const void* holder);
  void releaseLine(const void* holder);

  PrinterSettings& settings() { return settings_; }
  const PrinterSettings& settings() const { return settings_; }
  PrinterState& state() { return state_; }
  const PrinterState& state() const { return state_; }
  FaultPlan& faults() { return faults_; }

  // The line rate the printer talks at, at `now` (the old one while 27h's reply is out).
  std::int32_t lineRateAt(Micros now) const;
  // The printer's clock at `now`.
  std::chrono::sys_seconds clockAt(Micros now) const;

  // The six status bytes as sent (bit 7 set) in the reply to `command`.
  StatusBytes statusBytes(std::uint8_t command = 0) const;

 private:
  // What a command handler answers: error code (Windows-1251) and data (UTF-8).
  struct CommandReply {
    std::string errorCode = "0000";
    std::string data;
  };
  using Handler = CommandReply (VirtualPrinter::*)(RequestFields&);
  struct HandlerEntry {
    std::uint8_t command;
    std::size_t fields;  // after the password
    Handler handler;
  };
  static const HandlerEntry kHandlers[];

  // When the reply to a request goes out, and what follows it.
  struct Answer {
    Micros replyFrom;     // after the busy bytes and the printing
    Micros rebootFor{0};  // deaf and silent once it is out
    std::optional<std::int32_t> newRate;
  };

  // The protocol and the line. A request intact is heard, traced and checked against the
  // fault plan, which may answer it without a reply; then come the busy bytes and noise
  // before the reply, the command carried out and its reply made, the reply's delivery as
  // the fault plan has it, and the printer's reboot or change of rate after it.
  void onRequest(const Request& request, Micros now);
  bool isRepeat(const Request& request) const;
  void traceRequest(const Request& request, const FaultEffects& fx, bool repeat, Micros now);
  // A hang-up, busy bytes without end, silence or a NAK in place of the reply: true when
  // the request is answered so.
  bool answeredWithoutReply(const FaultEffects& fx, Micros now);
  // The busy bytes and the noise before the reply; when the reply may begin.
  Micros beforeReply(const FaultEffects& fx, Micros now);
  Answer carryOutAndReply(const Request& request, const FaultEffects& fx, Micros now, Micros from);
  std::vector<std::uint8_t> replyFrame(const Request& request, const CommandReply& reply,
                                       std::uint8_t status2Bits) const;
  // The last reply made, damaged, late or held back as the fault plan says.
  void deliver(const Request& request, const FaultEffects& fx, bool repeat, Micros from);
  void afterReply(const Answer& answer, Micros now);
  void onRejected(Rejection why, Micros now);
  CommandReply carryOut(const Request& request);
  void sendBusy(Micros at);
  Micros printTime(std::uint8_t command) const;
  // Queues bytes to go out from `from` on (or when the line is free); returns when the
  // first of them is on the line.
  Micros queue(std::span<const std::uint8_t> bytes, Micros from);
  // Queues a reply frame (whole or damaged) and traces it.
  void sendReply(const std::vector<std::uint8_t>& reply, Micros from, std::uint8_t command,
                 bool intact, std::string_view note);
  // The reply as the fault plan has it go out: another SEQ or command, a wrong checksum,
  // cut short, bytes inside. Says in `note` what was done and in `intact` whether the
  // frame is still whole; bytes staged past its end come back in `trailer`.
  std::vector<std::uint8_t> damaged(std::vector<std::uint8_t> reply, const FaultEffects& fx,
                                    std::string_view& note, bool& intact,
                                    std::vector<std::uint8_t>& trailer) const;
  // How long `n` bytes take on the line at the printer's rate.
  Micros lineTime(std::int64_t n) const;
  void emit(TraceDirection direction, TraceKind kind, Micros time,
            std::span<const std::uint8_t> bytes, std::optional<std::uint8_t> command = {},
            std::optional<std::span<const std::uint8_t>> text = {}, std::string_view note = {});

  // Helpers of the handlers (printer_commands.cpp).
  static CommandReply refuse(PrinterError error);
  // Strict mode's refusal, or nothing when the printer goes along.
  std::optional<CommandReply> strictly(bool refused, PrinterError error) const;
  std::optional<CommandReply> needsNoDocument() const;
  std::optional<CommandReply> needsFiscalReceipt() const;
  void print(std::string line);
  void printHeader();
  void printFooter(const std::string& title);
  void printTotals(const char* title);
  void openDocument(DocumentKind kind);
  void closeDocument();
  void adjustLastItem(std::int64_t amount, const std::string& what);

  // One handler per command.
  CommandReply setDateTime(RequestFields& f);
  CommandReply getDateTime(RequestFields& f);
  CommandReply setHeaderLine(RequestFields& f);
  CommandReply addArticle(RequestFields& f);
  CommandReply setRegistratorParams(RequestFields& f);
  CommandReply getRegistratorParams(RequestFields& f);
  CommandReply setPaymentType(RequestFields& f);
  CommandReply setOperator(RequestFields& f);
  CommandReply setMaintenanceParams(RequestFields& f);
  CommandReply setSerialNumber(RequestFields& f);
  CommandReply getTaxNumber(RequestFields& f);
  CommandReply setTaxRate(RequestFields& f);
  CommandReply openServiceReceipt(RequestFields& f);
  CommandReply printText(RequestFields& f);
  CommandReply openFiscalReceipt(RequestFields& f);
  CommandReply sellArticle(RequestFields& f);
  CommandReply closeReceipt(RequestFields& f);
  CommandReply payment(RequestFields& f);
  CommandReply percentDiscount(RequestFields& f);
  CommandReply absoluteDiscount(RequestFields& f);
  CommandReply cancelReceipt(RequestFields& f);
  CommandReply printTotal(RequestFields& f);
  CommandReply cashInOut(RequestFields& f);
  CommandReply printBarcode(RequestFields& f);
  CommandReply subtotalAdjustment(RequestFields& f);
  CommandReply getDeviceInfo(RequestFields& f);
  CommandReply displayText(RequestFields& f);
  CommandReply beep(RequestFields& f);
  CommandReply openCashDrawer(RequestFields& f);
  CommandReply runInternalTest(RequestFields& f);
  CommandReply printReport(RequestFields& f);
  CommandReply soldArticlesReport(RequestFields& f);
  CommandReply printControlTape(RequestFields& f);
  CommandReply readDailyCounter(RequestFields& f);
  CommandReply eraseFiscalMemory(RequestFields& f);
  CommandReply reboot(RequestFields& f);

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
  PaperHook paperHook_;
  const void* lineHolder_ = nullptr;

  // Faults that outlive one request.
  struct EndlessBusy {
    Micros spacing;
    Micros next;  // when the next busy byte is on the line
  };
  std::optional<EndlessBusy> endlessBusy_;  // until the next request is heard
  bool hungUp_ = false;
  bool lagging_ = false;            // every reply goes out with the next request
  std::vector<std::uint8_t> held_;  // the reply a lagging printer holds back
  bool heldIntact_ = true;
  std::vector<std::uint8_t> lastSent_;  // the last reply frame that went out
  bool lastSentIntact_ = true;

  // What the command being carried out asks for beyond its reply.
  Micros now_{0};
  Micros rebootAfterReply_{0};
  std::optional<std::int32_t> rateAfterReply_;
};

// The text of a reply frame between CMD and 04h: error code, ';' and data.
std::span<const std::uint8_t> replyText(std::span<const std::uint8_t> reply);

}  // namespace tallowick::sim
