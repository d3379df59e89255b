#include "sim/virtual_printer.h"

#include <algorithm>

#include "link/cp1251.h"

namespace tallowick::sim {
namespace {

std::span<const std::uint8_t> bytesOf(std::string_view s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

// After the reply's text come 04h, six status bytes, 05h, four checksum characters, 03h.
constexpr std::size_t kReplyTail = 1 + frame::kStatusBytes + 1 + 4 + 1;
constexpr std::size_t kReplyHead = 4;  // 01h LEN SEQ CMD

}  // namespace

std::span<const std::uint8_t> replyText(std::span<const std::uint8_t> reply) {
  if (reply.size() < kReplyHead + kReplyTail) return {};
  return reply.subspan(kReplyHead, reply.size() - kReplyHead - kReplyTail);
}

std::string_view traceKindName(TraceKind kind) {
  switch (kind) {
    case TraceKind::Request:
      return "request";
    case TraceKind::BadRequest:
      return "bad-request";
    case TraceKind::Unheard:
      return "unheard";
    case TraceKind::Reply:
      return "reply";
    case TraceKind::Nak:
      return "nak";
    case TraceKind::Busy:
      return "busy";
    case TraceKind::Garbage:
      return "garbage";
  }
  return "?";
}

std::optional<std::string> settingsProblem(const PrinterSettings& s) {
  std::size_t total = 4;  // the error code
  const std::pair<const char*, const std::string*> texts[] = {
      {"model", &s.model}, {"firmware", &s.firmware}, {"country", &s.country}};
  for (const auto& [name, text] : texts) {
    const auto wire = cp1251::encode(*text);
    if (!wire) return std::string("the ") + name + " cannot be written in Windows-1251";
    if (wire->find(';') != std::string::npos) return std::string("the ") + name + " holds ';'";
    total += wire->size() + 1;
  }
  if (total > kMaxReplyPayload) return std::string("model, firmware and country are too long");
  if (std::find(std::begin(kLineRates), std::end(kLineRates), s.baud) == std::end(kLineRates)) {
    return "the line rate must be 9600, 19200, 57600 or 115200";
  }
  return std::nullopt;
}

// Commands not listed are accepted with no data.
const VirtualPrinter::HandlerEntry VirtualPrinter::kHandlers[] = {
    {0x80, &VirtualPrinter::getDeviceInfo},
};

VirtualPrinter::VirtualPrinter(PrinterSettings settings, FaultPlan faults)
    : settings_(std::move(settings)), faults_(std::move(faults)) {
  state_.lineRate = settings_.baud;
  state_.serviceMode = settings_.serviceMode;
}

bool VirtualPrinter::claimLine(const void* holder) {
  if (lineHolder_ != nullptr && lineHolder_ != holder) return false;
  lineHolder_ = holder;
  return true;
}

void VirtualPrinter::releaseLine(const void* holder) {
  if (lineHolder_ == holder) lineHolder_ = nullptr;
}

StatusBytes VirtualPrinter::statusBytes() const {
  StatusBytes s{};
  if (state_.serviceMode) s[0] |= 0x01;
  for (auto& b : s)
    b |= 0x80;
  return s;
}

void VirtualPrinter::hostWrote(std::span<const std::uint8_t> bytes, Micros now,
                               std::int32_t hostBaud) {
  if (bytes.empty()) return;
  if (hostBaud != state_.lineRate) {
    // At a foreign rate the UART sees framing errors, never a clean frame start: whatever
    // frame was under way is spoilt.
    parser_.reset();
    emit(TraceDirection::Host, TraceKind::Unheard, now, bytes, {}, {}, "other line rate");
    return;
  }
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (now < state_.deafUntil) {
      emit(TraceDirection::Host, TraceKind::Unheard, now, bytes.subspan(i), {}, {}, "rebooting");
      return;
    }
    auto outcome = parser_.feed(bytes[i]);
    if (!outcome) continue;
    if (auto* request = std::get_if<Request>(&*outcome)) {
      onRequest(*request, now);
    } else {
      onRejected(std::get<Rejection>(*outcome), now);
    }
  }
}

void VirtualPrinter::onRejected(Rejection why, Micros now) {
  emit(TraceDirection::Host, TraceKind::BadRequest, now, parser_.lastFrame(), {}, {},
       rejectionText(why));
  const std::uint8_t nak = frame::kNak;
  emit(TraceDirection::Printer, TraceKind::Nak, queue({&nak, 1}, now), {&nak, 1});
}

void VirtualPrinter::onRequest(const Request& request, Micros now) {
  const FaultEffects fx = faults_.onRequest(request.command);
  const bool repeat = state_.lastRequest && state_.lastRequest->seq == request.seq &&
                      state_.lastRequest->command == request.command &&
                      state_.lastRequest->data == request.data;
  std::string_view note = repeat ? "repeat" : "";
  if (fx.silence) note = "lost (fault)";
  if (fx.nak) note = "rejected (fault)";
  emit(TraceDirection::Host, TraceKind::Request, now, parser_.lastFrame(), request.command,
       std::span<const std::uint8_t>(request.data), note);

  if (fx.silence) return;
  if (fx.nak) {
    const std::uint8_t nak = frame::kNak;
    emit(TraceDirection::Printer, TraceKind::Nak, queue({&nak, 1}, now), {&nak, 1});
    return;
  }

  // A busy printer is working on the request: the reply comes after the last busy byte.
  Micros from = now;
  const std::uint8_t busy = frame::kBusy;
  for (unsigned i = 0; i < fx.busyBytes; ++i) {
    emit(TraceDirection::Printer, TraceKind::Busy, queue({&busy, 1}, from), {&busy, 1});
    from += fx.busyInterval;
  }
  if (!fx.garbage.empty()) {
    emit(TraceDirection::Printer, TraceKind::Garbage, queue(fx.garbage, from), fx.garbage);
  }

  if (!repeat) {
    state_.lastRequest = request;
    state_.lastReply = answer(request, fx);
  }
  std::vector<std::uint8_t> reply = state_.lastReply;
  std::string_view replyNote = repeat ? "repeat" : "";
  if (fx.badChecksum) {
    spoilChecksum(reply);
    replyNote = "bad checksum (fault)";
  }
  bool complete = true;
  if (fx.cutAfter && *fx.cutAfter < reply.size()) {
    reply.resize(*fx.cutAfter);
    replyNote = "cut (fault)";
    complete = false;
  }
  if (!reply.empty()) {
    const Micros at = queue(reply, from);
    std::optional<std::span<const std::uint8_t>> text;
    if (complete) text = replyText(reply);
    emit(TraceDirection::Printer, TraceKind::Reply, at, reply, request.command, text, replyNote);
  }

  if (fx.rebootFor.count() > 0) {
    // A restarted printer remembers no frame and no last request.
    state_.deafUntil = std::max(lineFree_, now) + fx.rebootFor;
    state_.lastRequest.reset();
    state_.lastReply.clear();
    parser_.reset();
  }
}

std::vector<std::uint8_t> VirtualPrinter::answer(const Request& request, const FaultEffects& fx) {
  CommandReply reply;
  if (fx.errorCode) {
    // A command that fails is not carried out.
    reply.errorCode = *fx.errorCode;
  } else {
    Handler handler = &VirtualPrinter::acceptCommand;
    for (const auto& entry : kHandlers) {
      if (entry.command == request.command) handler = entry.handler;
    }
    reply = (this->*handler)(request);
  }
  // The firmware never sends more than a frame holds; settingsProblem() keeps the
  // printer's own texts within it, so this only trims an oversized staged error code.
  const std::size_t room = kMaxReplyPayload - std::min(kMaxReplyPayload, reply.errorCode.size());
  if (reply.data.size() > room) reply.data.resize(room);
  return buildReply(request.seq, request.command, bytesOf(reply.errorCode), bytesOf(reply.data),
                    statusBytes());
}

VirtualPrinter::CommandReply VirtualPrinter::acceptCommand(const Request&) {
  return {};
}

VirtualPrinter::CommandReply VirtualPrinter::getDeviceInfo(const Request&) {
  CommandReply reply;
  for (const std::string* text : {&settings_.model, &settings_.firmware, &settings_.country}) {
    reply.data += cp1251::encode(*text).value_or("");
    reply.data += ';';
  }
  return reply;
}

Micros VirtualPrinter::queue(std::span<const std::uint8_t> bytes, Micros from) {
  Micros at = std::max(from, lineFree_);
  Micros first = at + settings_.byteTime;
  for (std::uint8_t b : bytes) {
    at += settings_.byteTime;
    output_.push_back({at, b});
  }
  lineFree_ = at;
  return first;
}

std::optional<Micros> VirtualPrinter::nextOutputTime() const {
  if (output_.empty()) return std::nullopt;
  return output_.front().at;
}

std::optional<std::uint8_t> VirtualPrinter::takeOutput(Micros now) {
  if (output_.empty() || output_.front().at > now) return std::nullopt;
  const std::uint8_t b = output_.front().byte;
  output_.pop_front();
  return b;
}

void VirtualPrinter::purgeOutput(Micros now) {
  while (!output_.empty() && output_.front().at <= now)
    output_.pop_front();
}

void VirtualPrinter::emit(TraceDirection direction, TraceKind kind, Micros time,
                          std::span<const std::uint8_t> bytes, std::optional<std::uint8_t> command,
                          std::optional<std::span<const std::uint8_t>> text,
                          std::string_view note) {
  if (!trace_) return;
  trace_(TraceEvent{direction, kind, time, bytes, command, text, note});
}

}  // namespace tallowick::sim
