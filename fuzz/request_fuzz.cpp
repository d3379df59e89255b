// The virtual printer as the host's counterpart: its request parser on random byte
// streams, and its command handlers on random requests in correct frames. Whatever
// arrives, it must never crash; and it must answer every request in a correct frame with
// busy bytes and exactly one reply frame that the host's receiver reads as complete, with
// the right checksum, the request's SEQ and CMD and a four-character error code.
//
// Input: the first byte chooses the printer's settings and the mode. Raw mode: the rest
// goes to the parser as it is. Framed mode: the rest is lines (split at 0Ah), each a
// command byte and its data text, sent one after another in correct frames; an empty line
// repeats the previous frame with the same SEQ.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "link/frame.h"
#include "link/reply_receiver.h"
#include "sim/trace_json.h"
#include "sim/virtual_printer.h"

namespace {

using namespace tallowick;
using namespace tallowick::sim;

// A broken rule is a finding: say which one, then stop as a crash would.
void check(bool condition, int line = __builtin_LINE()) {
  if (condition) return;
  std::fprintf(stderr, "broken rule at line %d\n", line);
  std::abort();
}

PrinterSettings settingsFrom(std::uint8_t b) {
  PrinterSettings s;
  s.strict = (b & 0x01) != 0;
  s.serviceMode = (b & 0x02) != 0;
  s.realistic = (b & 0x04) != 0;
  s.noRebootNeeded = (b & 0x08) != 0;
  static constexpr DocumentKind kDocuments[] = {DocumentKind::None, DocumentKind::Service,
                                                DocumentKind::Sale, DocumentKind::Return};
  s.openDocument = kDocuments[(b >> 4) & 0x03];
  return s;
}

// Everything the printer sends until it falls silent, in time order.
std::vector<std::uint8_t> drain(VirtualPrinter& printer, Micros& now) {
  std::vector<std::uint8_t> out;
  while (const auto due = printer.nextOutputTime()) {
    now = std::max(now, *due);
    while (const auto b = printer.takeOutput(now))
      out.push_back(*b);
  }
  return out;
}

struct Answers {
  int naks = 0;
  int frames = 0;
  std::uint8_t sequence = 0;  // of the last frame
  std::uint8_t command = 0;
};

// Reads the printer's output as the host would: between frames only busy bytes and NAKs,
// and every frame complete, with the right checksum and a four-character error code.
Answers readAnswers(const std::vector<std::uint8_t>& out) {
  Answers a;
  for (std::size_t i = 0; i < out.size();) {
    if (out[i] == frame::kBusy || out[i] == frame::kNak) {
      a.naks += out[i++] == frame::kNak ? 1 : 0;
      continue;
    }
    ReplyReceiver receiver;
    receiver.beginAttempt();
    while (i < out.size() && !receiver.frameComplete())
      receiver.feed(out[i++]);
    check(receiver.frameComplete() && !receiver.checksumMismatch());
    check(!receiver.nakSeen() && !receiver.retryRequested());
    const std::string code = receiver.firstField();
    check(code.size() == 4 &&
          std::string_view(code).find_first_not_of("0123456789ABCDEF") == std::string_view::npos);
    for (auto s : receiver.status())
      check((s & 0x80) != 0);
    ++a.frames;
    a.sequence = receiver.sequence();
    a.command = receiver.command();
  }
  return a;
}

// One request in a correct frame: exactly one reply, with the request's SEQ and CMD.
void exchange(VirtualPrinter& printer, Micros& now, const std::vector<std::uint8_t>& request) {
  // After a reboot the printer hears nothing for a while; a host waits it out.
  now = std::max(now, printer.state().deafUntil);
  printer.hostWrote(request, now, printer.lineRateAt(now));
  const Answers a = readAnswers(drain(printer, now));
  check(a.frames == 1 && a.naks == 0);
  check(a.sequence == request[2] - 0x20 && a.command == request[3]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  VirtualPrinter printer(settingsFrom(data[0]));
  // The trace formats whatever the printer heard; it must cope with any bytes too.
  printer.setTraceHook([](const TraceEvent& e) { (void)traceJsonLine(e); });
  Micros now{0};
  const std::span<const std::uint8_t> rest(data + 1, size - 1);

  if ((data[0] & 0x80) == 0) {
    printer.hostWrote(rest, now, printer.lineRateAt(now));
    // Only for crashes: a raw frame may carry a control byte as its command code, which
    // the reply echoes where the host cannot read it.
    (void)drain(printer, now);
    return 0;
  }

  std::uint8_t counter = 0;
  std::vector<std::uint8_t> last;
  std::size_t from = 0;
  for (int n = 0; from < rest.size() && n < 64; ++n) {
    std::size_t to = from;
    while (to < rest.size() && rest[to] != '\n')
      ++to;
    const auto line = rest.subspan(from, to - from);
    from = to + 1;
    if (line.empty()) {
      if (!last.empty()) exchange(printer, now, last);
      continue;
    }
    // Command codes start at 20h: a control byte there would be echoed in the reply's
    // CMD and read by the host as what it stands for. A start byte inside the data would
    // begin a new frame. The host sends neither.
    if (line[0] < 0x20) continue;
    std::vector<std::uint8_t> text;
    for (auto b : line.subspan(1)) {
      if (b != frame::kStart && text.size() < frame::kMaxRequestData) text.push_back(b);
    }
    last = frame::buildRequest(frame::seqByte(++counter), line[0], text);
    exchange(printer, now, last);
  }
  return 0;
}
