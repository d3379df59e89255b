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

VirtualPrinter::VirtualPrinter(PrinterSettings settings, FaultPlan faults)
    : settings_(std::move(settings)), faults_(std::move(faults)) {
  state_.lineRate = state_.previousRate = settings_.baud;
  state_.serviceMode = settings_.serviceMode;
  state_.document = settings_.openDocument;
  state_.dailyCounter = settings_.dailyCounter;
  state_.registratorParams = settings_.registratorParams;
  state_.taxNumber = settings_.taxNumber;
  state_.clockBase = settings_.clockStart;
}

bool VirtualPrinter::claimLine(const void* holder) {
  if (lineHolder_ != nullptr && lineHolder_ != holder) return false;
  lineHolder_ = holder;
  return true;
}

void VirtualPrinter::releaseLine(const void* holder) {
  if (lineHolder_ == holder) lineHolder_ = nullptr;
}

std::int32_t VirtualPrinter::lineRateAt(Micros now) const {
  return now < state_.rateSwitchAt ? state_.previousRate : state_.lineRate;
}

std::chrono::sys_seconds VirtualPrinter::clockAt(Micros now) const {
  return state_.clockBase + std::chrono::floor<std::chrono::seconds>(now - state_.clockSetAt);
}

StatusBytes VirtualPrinter::statusBytes(std::uint8_t command) const {
  StatusBytes s{};
  const auto raise = [&s](StatusBit bits, std::uint8_t value) {
    s[bits.byte] |= value & bits.mask;
  };
  if (state_.serviceMode) raise(status::kServiceMode, status::kServiceMode.mask);
  if (command == command::kBeep && settings_.noRebootNeeded) {
    raise(status::kNoRebootNeeded, status::kNoRebootNeeded.mask);
  }
  raise(status::kOpenDocument, documentNibble(state_.document));
  for (auto& b : s)
    b |= 0x80;
  return s;
}

void VirtualPrinter::hostWrote(std::span<const std::uint8_t> bytes, Micros now,
                               std::int32_t hostBaud) {
  if (bytes.empty() || hungUp_) return;
  if (hostBaud != lineRateAt(now)) {
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
  // A request heard ends a run of busy bytes without end: the printer listens again.
  endlessBusy_.reset();
  const FaultEffects fx = faults_.onRequest(request.command);
  const bool repeat = isRepeat(request);
  traceRequest(request, fx, repeat, now);
  if (answeredWithoutReply(fx, now)) return;
  const Micros from = beforeReply(fx, now);
  // A repeat is answered with the reply already made: the command is not carried out again.
  const Answer answer =
      repeat ? Answer{from, fx.rebootFor, {}} : carryOutAndReply(request, fx, now, from);
  deliver(request, fx, repeat, answer.replyFrom);
  afterReply(answer, now);
}

bool VirtualPrinter::isRepeat(const Request& request) const {
  return state_.lastRequest && state_.lastRequest->seq == request.seq &&
         state_.lastRequest->command == request.command && state_.lastRequest->data == request.data;
}

void VirtualPrinter::traceRequest(const Request& request, const FaultEffects& fx, bool repeat,
                                  Micros now) {
  std::string_view note = repeat ? "repeat" : "";
  if (fx.silence) note = "lost (fault)";
  if (fx.nak) note = "rejected (fault)";
  if (fx.endlessBusy) note = "stuck busy (fault)";
  if (fx.hangup) note = "line closed (fault)";
  emit(TraceDirection::Host, TraceKind::Request, now, parser_.lastFrame(), request.command,
       std::span<const std::uint8_t>(request.data), note);
}

bool VirtualPrinter::answeredWithoutReply(const FaultEffects& fx, Micros now) {
  if (fx.hangup) {
    hungUp_ = true;
    output_.clear();
    return true;
  }
  if (fx.endlessBusy) {
    const Micros first = std::max(now, lineFree_) + lineTime(1);
    endlessBusy_ = EndlessBusy{*fx.endlessBusy, first};
    const std::uint8_t busy = frame::kBusy;
    emit(TraceDirection::Printer, TraceKind::Busy, first, {&busy, 1}, {}, {},
         "without end (fault)");
    return true;
  }
  if (fx.silence) return true;
  if (fx.nak) {
    const std::uint8_t nak = frame::kNak;
    emit(TraceDirection::Printer, TraceKind::Nak, queue({&nak, 1}, now), {&nak, 1});
    return true;
  }
  return false;
}

Micros VirtualPrinter::beforeReply(const FaultEffects& fx, Micros now) {
  // A busy printer is working on the request: the reply comes after the last busy byte.
  Micros from = now;
  for (unsigned i = 0; i < fx.busyBytes; ++i) {
    sendBusy(from);
    from += fx.busyInterval;
  }
  if (!fx.garbage.empty()) {
    emit(TraceDirection::Printer, TraceKind::Garbage, queue(fx.garbage, from), fx.garbage);
  }
  return from;
}

VirtualPrinter::Answer VirtualPrinter::carryOutAndReply(const Request& request,
                                                        const FaultEffects& fx, Micros now,
                                                        Micros from) {
  now_ = now;
  rebootAfterReply_ = Micros{0};
  rateAfterReply_.reset();
  // A command that fails is not carried out.
  CommandReply reply = fx.errorCode ? CommandReply{*fx.errorCode, {}} : carryOut(request);
  if (fx.fields && !fx.errorCode) reply.data = *fx.fields;
  state_.lastRequest = request;
  state_.lastReply = replyFrame(request, reply, fx.status2Bits);
  Answer answer{from, fx.rebootFor, {}};
  if (reply.errorCode == errorCode(PrinterError::None)) {
    // While it prints, the printer tells the host it is alive with a busy byte now and
    // then, well inside the host's read period.
    const Micros printed = from + printTime(request.command);
    for (Micros t = from + settings_.busyInterval; t < printed; t += settings_.busyInterval)
      sendBusy(t);
    answer.replyFrom = printed;
    answer.rebootFor = std::max(answer.rebootFor, rebootAfterReply_);
    answer.newRate = rateAfterReply_;
  }
  return answer;
}

std::vector<std::uint8_t> VirtualPrinter::replyFrame(const Request& request,
                                                     const CommandReply& reply,
                                                     std::uint8_t status2Bits) const {
  const std::string data = cp1251::encode(reply.data).value_or("");
  // The firmware never sends more than a frame holds; settingsProblem() keeps the
  // printer's own texts within it, so this only trims an oversized staged error code.
  const std::size_t room = kMaxReplyPayload - std::min(kMaxReplyPayload, reply.errorCode.size());
  StatusBytes status = statusBytes(request.command);
  status[2] |= status2Bits;
  return buildReply(request.seq, request.command, bytesOf(reply.errorCode),
                    bytesOf(std::string_view(data).substr(0, room)), status);
}

void VirtualPrinter::deliver(const Request& request, const FaultEffects& fx, bool repeat,
                             Micros from) {
  std::string_view note = repeat ? "repeat" : "";
  bool intact = true;
  std::vector<std::uint8_t> trailer;
  std::vector<std::uint8_t> reply = damaged(state_.lastReply, fx, note, intact, trailer);
  if (fx.lateCopy && !lastSent_.empty()) {
    const std::vector<std::uint8_t> copy = lastSent_;
    sendReply(copy, from, copy[3], lastSentIntact_, "late copy (fault)");
  }
  if (fx.lag && !lagging_) {
    // The first reply behind is the one the host already had.
    lagging_ = true;
    held_ = lastSent_;
    heldIntact_ = lastSentIntact_;
  }
  if (lagging_) {
    std::swap(reply, held_);
    std::swap(intact, heldIntact_);
    // The reply held back answers this request too when this one repeats it.
    const bool same = reply.size() > 3 && reply[2] == request.seq && reply[3] == request.command;
    if (!reply.empty()) {
      sendReply(reply, from, reply[3], intact, same ? "repeat" : "one reply behind (fault)");
    }
  } else {
    sendReply(reply, from, request.command, intact, note);
  }
  if (!trailer.empty()) {
    emit(TraceDirection::Printer, TraceKind::Garbage, queue(trailer, from), trailer, {}, {},
         "after the reply (fault)");
  }
}

void VirtualPrinter::afterReply(const Answer& answer, Micros now) {
  if (answer.newRate) {
    // The reply went out at the old rate; from its last byte on the printer listens and
    // talks at the new one.
    state_.previousRate = lineRateAt(now);
    state_.lineRate = *answer.newRate;
    state_.rateSwitchAt = std::max(lineFree_, now);
  }
  if (answer.rebootFor.count() > 0) {
    // A restarted printer remembers no frame and no last request.
    state_.deafUntil = std::max(lineFree_, now) + answer.rebootFor;
    state_.lastRequest.reset();
    state_.lastReply.clear();
    parser_.reset();
  }
}

void VirtualPrinter::sendBusy(Micros at) {
  const std::uint8_t busy = frame::kBusy;
  emit(TraceDirection::Printer, TraceKind::Busy, queue({&busy, 1}, at), {&busy, 1});
}

std::vector<std::uint8_t> VirtualPrinter::damaged(std::vector<std::uint8_t> reply,
                                                  const FaultEffects& fx, std::string_view& note,
                                                  bool& intact,
                                                  std::vector<std::uint8_t>& trailer) const {
  if (reply.size() < 4) return reply;
  if (fx.otherSeq || fx.otherCommand) {
    // A frame of another request, whole and with its checksum right.
    if (fx.otherSeq) reply[2] = reply[2] >= 0x7E ? 0x20 : static_cast<std::uint8_t>(reply[2] + 1);
    if (fx.otherCommand) reply[3] ^= 0x01;
    resealReply(reply);
    note = fx.otherSeq ? "other SEQ (fault)" : "other command (fault)";
  }
  if (fx.badChecksum) {
    spoilChecksum(reply);
    note = "bad checksum (fault)";
  }
  if (fx.cutAfter && *fx.cutAfter < reply.size()) {
    reply.resize(*fx.cutAfter);
    note = "cut (fault)";
    intact = false;
  }
  // Positions count the reply's own bytes, so the latest goes in first.
  auto inserts = fx.inserts;
  std::stable_sort(inserts.begin(), inserts.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  for (const auto& [after, bytes] : inserts) {
    // Bytes past the end follow the frame on the line as noise of their own.
    if (after >= reply.size()) {
      trailer.insert(trailer.begin(), bytes.begin(), bytes.end());
      continue;
    }
    reply.insert(reply.begin() + static_cast<std::ptrdiff_t>(after), bytes.begin(), bytes.end());
    note = "bytes inside (fault)";
    intact = false;
  }
  return reply;
}

void VirtualPrinter::sendReply(const std::vector<std::uint8_t>& reply, Micros from,
                               std::uint8_t command, bool intact, std::string_view note) {
  if (reply.empty()) return;
  const Micros at = queue(reply, from);
  std::optional<std::span<const std::uint8_t>> text;
  if (intact) text = replyText(reply);
  emit(TraceDirection::Printer, TraceKind::Reply, at, reply, command, text, note);
  lastSent_ = reply;
  lastSentIntact_ = intact;
}

Micros VirtualPrinter::printTime(std::uint8_t command) const {
  if (!settings_.realistic || !(settings_.printTimeScale > 0)) return Micros{0};
  const auto it = settings_.printTimes.find(command);
  if (it == settings_.printTimes.end()) return Micros{0};
  return Micros{static_cast<std::int64_t>(static_cast<double>(it->second.count()) *
                                          settings_.printTimeScale)};
}

Micros VirtualPrinter::lineTime(std::int64_t n) const {
  if (!settings_.realistic) return Micros{0};
  // Ten bits a byte: a start bit, eight data bits, a stop bit.
  const std::int64_t rate = state_.lineRate;
  return Micros{(n * 10'000'000 + rate / 2) / rate};
}

Micros VirtualPrinter::queue(std::span<const std::uint8_t> bytes, Micros from) {
  const Micros start = std::max(from, lineFree_);
  std::int64_t n = 0;
  for (std::uint8_t b : bytes) {
    output_.push_back({start + lineTime(++n), b});
  }
  lineFree_ = start + lineTime(n);
  return start + lineTime(bytes.empty() ? 0 : 1);
}

std::optional<Micros> VirtualPrinter::nextOutputTime() const {
  if (!output_.empty()) return output_.front().at;
  if (endlessBusy_) return endlessBusy_->next;
  return std::nullopt;
}

std::optional<std::uint8_t> VirtualPrinter::takeOutput(Micros now) {
  if (output_.empty()) {
    if (!endlessBusy_ || endlessBusy_->next > now) return std::nullopt;
    endlessBusy_->next += endlessBusy_->spacing;
    return frame::kBusy;
  }
  if (output_.front().at > now) return std::nullopt;
  const std::uint8_t b = output_.front().byte;
  output_.pop_front();
  return b;
}

void VirtualPrinter::purgeOutput(Micros now) {
  while (!output_.empty() && output_.front().at <= now)
    output_.pop_front();
  if (endlessBusy_ && output_.empty() && endlessBusy_->next <= now) {
    const auto missed = (now - endlessBusy_->next) / endlessBusy_->spacing + 1;
    endlessBusy_->next += missed * endlessBusy_->spacing;
  }
}

void VirtualPrinter::emit(TraceDirection direction, TraceKind kind, Micros time,
                          std::span<const std::uint8_t> bytes, std::optional<std::uint8_t> command,
                          std::optional<std::span<const std::uint8_t>> text,
                          std::string_view note) {
  if (!trace_) return;
  trace_(TraceEvent{direction, kind, time, bytes, command, text, note});
}

}  // namespace tallowick::sim
