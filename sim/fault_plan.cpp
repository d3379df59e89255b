#include "sim/fault_plan.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "link/help_text.h"
#include "platform/failure.h"

namespace tallowick::sim {
namespace {

constexpr std::size_t kMaxErrorCode = 64;
constexpr std::size_t kMaxFields = 200;  // a frame carries at most 207 bytes of reply data
constexpr unsigned kMaxCount = 100000;
constexpr unsigned kMaxMillis = 3600 * 1000;
constexpr Micros kEndlessBusySpacing = std::chrono::milliseconds(80);

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::optional<unsigned> parseNumber(std::string_view s, unsigned min, unsigned max) {
  unsigned value = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (s.empty() || ec != std::errc{} || end != s.data() + s.size()) return std::nullopt;
  if (value < min || value > max) return std::nullopt;
  return value;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::vector<std::uint8_t>> parseHex(std::string_view s) {
  if (s.empty() || s.size() % 2 != 0) return std::nullopt;
  std::vector<std::uint8_t> out;
  for (std::size_t i = 0; i < s.size(); i += 2) {
    const int hi = hexDigit(s[i]);
    const int lo = hexDigit(s[i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
  }
  return out;
}

// The number after the '@' of `value` (from 0 to `max`) in `number`, nothing when there is
// no '@'; `complaint` when what follows it is no such number.
std::optional<Failure> numberAfterAt(std::string_view value, unsigned max,
                                     std::optional<unsigned>& number, const char* complaint) {
  const auto at = value.find('@');
  if (at == std::string_view::npos) return std::nullopt;
  number = parseNumber(value.substr(at + 1), 0, max);
  if (!number) return Failure{complaint};
  return std::nullopt;
}

std::optional<Failure> parseWhich(std::string_view which, FaultRule& rule) {
  std::string_view code = which;
  if (const auto hash = which.find('#'); hash != std::string_view::npos) {
    code = which.substr(0, hash);
    std::string_view nth = which.substr(hash + 1);
    // "N+": the Nth and every one after it.
    const bool onwards = nth.ends_with('+');
    if (onwards) nth.remove_suffix(1);
    const auto n = parseNumber(nth, 1, kMaxCount);
    if (!n) return Failure{"the occurrence after '#' must be a number from 1"};
    rule.occurrence = *n;
    if (onwards) rule.span = std::numeric_limits<unsigned>::max();
  }
  if (lower(code) == "any") return std::nullopt;
  const auto bytes = parseHex(code.size() == 1 ? "0" + std::string(code) : std::string(code));
  if (code.empty() || code.size() > 2 || !bytes) {
    return Failure{"expected a hexadecimal command code (e.g. 80) or 'any' before ':'"};
  }
  rule.command = (*bytes)[0];
  return std::nullopt;
}

// The readers of the actions' values: each reads the text after '=' (nothing when there
// is none and the action allows it) into the rule, or says why it cannot.
using Value = std::optional<std::string_view>;

std::optional<Failure> readErrorCode(Value value, FaultRule& rule) {
  const bool printable = std::all_of(value->begin(), value->end(),
                                     [](char c) { return c >= 0x20 && c <= 0x7E && c != ';'; });
  if (value->empty() || value->size() > kMaxErrorCode || !printable) {
    return Failure{"the error code must be 1 to 64 printable characters without ';'"};
  }
  rule.errorCode = std::string(*value);
  return std::nullopt;
}

std::optional<Failure> readNakCount(Value value, FaultRule& rule) {
  if (!value) return std::nullopt;
  const auto k = parseNumber(*value, 1, kMaxCount);
  if (!k) return Failure{"nak=K needs a count from 1"};
  rule.span = *k;
  if (!rule.occurrence) rule.occurrence = 1;
  return std::nullopt;
}

std::optional<Failure> readBusy(Value value, FaultRule& rule) {
  const auto k = parseNumber(value->substr(0, value->find('@')), 1, kMaxCount);
  if (!k) return Failure{"busy=K needs a count from 1"};
  rule.count = *k;
  std::optional<unsigned> ms;
  if (auto bad =
          numberAfterAt(*value, kMaxMillis, ms, "busy=K@MS needs the spacing in milliseconds")) {
    return bad;
  }
  if (ms) rule.interval = std::chrono::milliseconds(*ms);
  return std::nullopt;
}

std::optional<Failure> readCut(Value value, FaultRule& rule) {
  const auto m = parseNumber(*value, 0, kMaxCount);
  if (!m) return Failure{"cut=M needs the number of bytes to keep"};
  rule.count = *m;
  return std::nullopt;
}

std::optional<Failure> readGarbage(Value value, FaultRule& rule) {
  const auto bytes = parseHex(value->substr(0, value->find('@')));
  if (!bytes) return Failure{"garbage=HEX needs pairs of hexadecimal digits, e.g. 7F7F"};
  rule.bytes = *bytes;
  std::optional<unsigned> k;
  if (auto bad =
          numberAfterAt(*value, kMaxCount, k,
                        "garbage=HEX@K needs the number of reply bytes before the garbage")) {
    return bad;
  }
  if (k) rule.position = *k;
  return std::nullopt;
}

std::optional<Failure> readReboot(Value value, FaultRule& rule) {
  const auto ms = parseNumber(*value, 1, kMaxMillis);
  if (!ms) return Failure{"reboot=MS needs the silence in milliseconds"};
  rule.interval = std::chrono::milliseconds(*ms);
  return std::nullopt;
}

std::optional<Failure> readFields(Value value, FaultRule& rule) {
  // May be empty or missing: a reply without fields. It has to fit one frame in
  // Windows-1251.
  if (value && value->size() > kMaxFields) {
    return Failure{"fields=TEXT takes at most " + std::to_string(kMaxFields) + " bytes"};
  }
  rule.fields = std::string(value.value_or(""));
  return std::nullopt;
}

std::optional<Failure> readStatusBits(Value value, FaultRule& rule) {
  const auto bytes = parseHex(*value);
  if (!bytes || bytes->size() != 1) {
    return Failure{"s2=HEX needs one byte in two hexadecimal digits, e.g. 03"};
  }
  rule.statusBits = bytes->front();
  return std::nullopt;
}

std::optional<Failure> readEndlessBusy(Value value, FaultRule& rule) {
  rule.interval = kEndlessBusySpacing;
  if (!value) return std::nullopt;
  const auto ms = parseNumber(*value, 1, kMaxMillis);
  if (!ms) return Failure{"endless-busy=MS needs the spacing in milliseconds, from 1"};
  rule.interval = std::chrono::milliseconds(*ms);
  return std::nullopt;
}

// Whether an action is followed by '=' and a value.
enum class Takes : std::uint8_t { Nothing, Optional, Needed };

// The actions of a rule: name, the value as the help shows it, whether it must be there,
// the fault it stages, the reader of its value, and its help.
struct Action {
  std::string_view name;
  std::string_view value;
  Takes takes;
  FaultKind kind;
  std::optional<Failure> (*read)(Value value, FaultRule& rule);
  std::string_view help;
};

constexpr Action kActions[] = {
    {"error", "=CODE", Takes::Needed, FaultKind::Error, readErrorCode,
     "answer with error code CODE (e.g. 0012) instead of 0000; the command is not carried "
     "out"},
    {"nak", "[=K]", Takes::Optional, FaultKind::Nak, readNakCount,
     "answer NAK (15h) instead of a reply, for K requests in a row from the Nth (from the "
     "first when K is given without #N); plain \"nak\" without #N NAKs every matching "
     "request"},
    {"busy", "=K[@MS]", Takes::Needed, FaultKind::Busy, readBusy,
     "send K busy bytes (16h) before the reply, MS ms apart"},
    {"checksum", "", Takes::Nothing, FaultKind::BadChecksum, nullptr,
     "send the reply with a wrong checksum"},
    {"cut", "=M", Takes::Needed, FaultKind::Cut, readCut,
     "send only the first M bytes of the reply (the command is carried out)"},
    {"silence", "", Takes::Nothing, FaultKind::Silence, nullptr,
     "do not answer at all (the request is lost, the command not run)"},
    {"garbage", "=HEX[@K]", Takes::Needed, FaultKind::Garbage, readGarbage,
     "send the bytes HEX (e.g. 7F7F) just before the reply, or inside it after its first K "
     "bytes (after the whole reply when K is its length or more)"},
    {"reboot", "=MS", Takes::Needed, FaultKind::Reboot, readReboot,
     "after the reply, hear and say nothing for MS ms"},
    {"fields", "=TEXT", Takes::Optional, FaultKind::Fields, readFields,
     "carry the command out, but answer the reply fields TEXT (separated by ';') instead of "
     "its own"},
    {"s2", "=HEX", Takes::Needed, FaultKind::StatusBits, readStatusBits,
     "also set these bits in status byte 2 of the reply (e.g. 03: an open document of "
     "another kind)"},
    {"other-seq", "", Takes::Nothing, FaultKind::OtherSeq, nullptr,
     "answer with the next SEQ instead of the request's (checksum right)"},
    {"other-cmd", "", Takes::Nothing, FaultKind::OtherCommand, nullptr,
     "answer with another command code than the request's"},
    {"late-copy", "", Takes::Nothing, FaultKind::LateCopy, nullptr,
     "send a copy of the previous reply just before this one"},
    {"lag", "", Takes::Nothing, FaultKind::Lag, nullptr,
     "from this request on, answer every request with the reply to the one before it: a "
     "printer one reply behind"},
    {"endless-busy", "[=MS]", Takes::Optional, FaultKind::EndlessBusy, readEndlessBusy,
     "carry nothing out, send a busy byte every MS ms (default 80) until the next request"},
    {"hangup", "", Takes::Nothing, FaultKind::Hangup, nullptr,
     "hear the request, then close the line: the port is gone"},
};

std::optional<Failure> parseAction(std::string_view text, FaultRule& rule) {
  const auto eq = text.find('=');
  const std::string name = lower(text.substr(0, eq));
  const auto action = std::find_if(std::begin(kActions), std::end(kActions),
                                   [&](const Action& a) { return a.name == name; });
  if (action == std::end(kActions)) {
    std::vector<std::string> names;
    for (const Action& a : kActions)
      names.push_back(std::string(a.name) + (a.value.starts_with('=') ? "=" : ""));
    return Failure{"unknown action '" + name + "' (expected " +
                   help::listed({names.begin(), names.end()}) + ")"};
  }
  rule.kind = action->kind;
  const Value value = eq == std::string_view::npos ? Value{} : text.substr(eq + 1);
  if (value && action->takes == Takes::Nothing) return Failure{name + " takes no value"};
  if (!value && action->takes == Takes::Needed) {
    return Failure{name + " needs a value: " + name + std::string(action->value)};
  }
  return action->read ? action->read(value, rule) : std::nullopt;
}

}  // namespace

std::string faultSyntaxHelp() {
  std::string actions;
  for (const Action& a : kActions)
    actions += help::entry(std::string(a.name) + std::string(a.value), a.help, 11, 24);
  // The first action's line names the column.
  actions.replace(0, 8, "  ACTION");
  return R"(Fault syntax: WHICH:ACTION
  WHICH    CC      every request with command code CC (hexadecimal, e.g. 80)
           CC#N    only the Nth request with that code (counted from 1)
           CC#N+   the Nth request with that code and every one after it
           any     every request;   any#N   the Nth request of any kind;
                   any#N+  the Nth request of any kind and every one after it
)" + actions +
         R"(  Every request counts, repeats included. Several rules may hit one request;
  their effects add up (a hang-up, endless busy bytes, a NAK and silence win over
  the rest, in that order).
  Examples: 80:error=0012  30#2:nak  any#3:silence  any#50+:silence  any:busy=5@200
            80:cut=7  80:garbage=13@9  any:lag  A1:endless-busy  F3#1:hangup
)";
}

bool FaultEffects::any() const {
  return errorCode || fields || status2Bits != 0 || nak || silence || busyBytes > 0 ||
         !garbage.empty() || !inserts.empty() || badChecksum || cutAfter || rebootFor.count() > 0 ||
         otherSeq || otherCommand || lateCopy || lag || endlessBusy || hangup;
}

std::optional<FaultRule> parseFaultRule(std::string_view text, std::string& error) {
  const auto colon = text.find(':');
  FaultRule rule;
  std::optional<Failure> failed;
  if (colon == std::string_view::npos) {
    failed = Failure{"expected WHICH:ACTION, e.g. 80:error=0012"};
  } else {
    failed = parseWhich(text.substr(0, colon), rule);
    if (!failed) failed = parseAction(text.substr(colon + 1), rule);
  }
  if (!failed) return rule;
  error = "bad fault '" + std::string(text) + "': " + failed->message;
  return std::nullopt;
}

bool FaultPlan::hits(const FaultRule& rule, unsigned nthOfCommand, unsigned nthOverall) const {
  if (!rule.occurrence) return true;
  const unsigned nth = rule.command ? nthOfCommand : nthOverall;
  return nth >= *rule.occurrence && nth - *rule.occurrence < rule.span;
}

FaultEffects FaultPlan::onRequest(std::uint8_t command) {
  const unsigned nthOfCommand = ++perCommand_[command];
  const unsigned nthOverall = ++overall_;
  FaultEffects fx;
  for (const FaultRule& rule : rules_) {
    if (rule.command && *rule.command != command) continue;
    if (!hits(rule, nthOfCommand, nthOverall)) continue;
    switch (rule.kind) {
      case FaultKind::Error:
        fx.errorCode = rule.errorCode;
        break;
      case FaultKind::Nak:
        fx.nak = true;
        break;
      case FaultKind::Busy:
        fx.busyBytes += rule.count;
        fx.busyInterval = std::max(fx.busyInterval, rule.interval);
        break;
      case FaultKind::BadChecksum:
        fx.badChecksum = true;
        break;
      case FaultKind::Cut:
        fx.cutAfter = std::min<std::size_t>(fx.cutAfter.value_or(rule.count), rule.count);
        break;
      case FaultKind::Silence:
        fx.silence = true;
        break;
      case FaultKind::Garbage:
        // Bytes after none of the reply's are the bytes before it.
        if (rule.position.value_or(0) > 0) {
          fx.inserts.emplace_back(*rule.position, rule.bytes);
        } else {
          fx.garbage.insert(fx.garbage.end(), rule.bytes.begin(), rule.bytes.end());
        }
        break;
      case FaultKind::Reboot:
        fx.rebootFor = std::max(fx.rebootFor, rule.interval);
        break;
      case FaultKind::Fields:
        fx.fields = rule.fields;
        break;
      case FaultKind::StatusBits:
        fx.status2Bits |= rule.statusBits;
        break;
      case FaultKind::OtherSeq:
        fx.otherSeq = true;
        break;
      case FaultKind::OtherCommand:
        fx.otherCommand = true;
        break;
      case FaultKind::LateCopy:
        fx.lateCopy = true;
        break;
      case FaultKind::Lag:
        fx.lag = true;
        break;
      case FaultKind::EndlessBusy:
        fx.endlessBusy = std::min(fx.endlessBusy.value_or(rule.interval), rule.interval);
        break;
      case FaultKind::Hangup:
        fx.hangup = true;
        break;
    }
  }
  return fx;
}

void FaultPlan::restartCounting() {
  perCommand_.clear();
  overall_ = 0;
}

}  // namespace tallowick::sim
