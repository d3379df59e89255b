#include "sim/fault_plan.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace tallowick::sim {
namespace {

constexpr std::size_t kMaxErrorCode = 64;
constexpr std::size_t kMaxFields = 200;  // a frame carries at most 207 bytes of reply data
constexpr unsigned kMaxCount = 100000;
constexpr unsigned kMaxMillis = 3600 * 1000;
constexpr Micros kEndlessBusySpacing = std::chrono::milliseconds(80);

// The actions that take no value besides checksum and silence.
constexpr std::pair<std::string_view, FaultKind> kPlainActions[] = {
    {"other-seq", FaultKind::OtherSeq}, {"other-cmd", FaultKind::OtherCommand},
    {"late-copy", FaultKind::LateCopy}, {"lag", FaultKind::Lag},
    {"hangup", FaultKind::Hangup},
};

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
// no '@'; false with `complaint` in `why` when what follows it is no such number.
bool numberAfterAt(std::string_view value, unsigned max, std::optional<unsigned>& number,
                   std::string& why, const char* complaint) {
  const auto at = value.find('@');
  if (at == std::string_view::npos) return true;
  number = parseNumber(value.substr(at + 1), 0, max);
  if (!number) why = complaint;
  return number.has_value();
}

bool parseWhich(std::string_view which, FaultRule& rule, std::string& why) {
  std::string_view code = which;
  if (const auto hash = which.find('#'); hash != std::string_view::npos) {
    code = which.substr(0, hash);
    std::string_view nth = which.substr(hash + 1);
    // "N+": the Nth and every one after it.
    const bool onwards = nth.ends_with('+');
    if (onwards) nth.remove_suffix(1);
    const auto n = parseNumber(nth, 1, kMaxCount);
    if (!n) {
      why = "the occurrence after '#' must be a number from 1";
      return false;
    }
    rule.occurrence = *n;
    if (onwards) rule.span = std::numeric_limits<unsigned>::max();
  }
  if (lower(code) == "any") return true;
  const auto bytes = parseHex(code.size() == 1 ? "0" + std::string(code) : std::string(code));
  if (code.empty() || code.size() > 2 || !bytes) {
    why = "expected a hexadecimal command code (e.g. 80) or 'any' before ':'";
    return false;
  }
  rule.command = (*bytes)[0];
  return true;
}

bool parseAction(std::string_view action, FaultRule& rule, std::string& why) {
  const auto eq = action.find('=');
  const std::string name = lower(action.substr(0, eq));
  const bool hasValue = eq != std::string_view::npos;
  const std::string_view value = hasValue ? action.substr(eq + 1) : std::string_view{};
  auto needsValue = [&](const char* what) {
    if (hasValue) return true;
    why = name + " needs a value: " + name + "=" + what;
    return false;
  };
  auto takesNoValue = [&] {
    if (!hasValue) return true;
    why = name + " takes no value";
    return false;
  };

  if (name == "error") {
    rule.kind = FaultKind::Error;
    if (!needsValue("CODE")) return false;
    const bool printable = std::all_of(value.begin(), value.end(),
                                       [](char c) { return c >= 0x20 && c <= 0x7E && c != ';'; });
    if (value.empty() || value.size() > kMaxErrorCode || !printable) {
      why = "the error code must be 1 to 64 printable characters without ';'";
      return false;
    }
    rule.errorCode = std::string(value);
    return true;
  }
  if (name == "nak") {
    rule.kind = FaultKind::Nak;
    if (!hasValue) return true;
    const auto k = parseNumber(value, 1, kMaxCount);
    if (!k) {
      why = "nak=K needs a count from 1";
      return false;
    }
    rule.span = *k;
    if (!rule.occurrence) rule.occurrence = 1;
    return true;
  }
  if (name == "busy") {
    rule.kind = FaultKind::Busy;
    if (!needsValue("K[@MS]")) return false;
    const auto at = value.find('@');
    const auto k = parseNumber(value.substr(0, at), 1, kMaxCount);
    if (!k) {
      why = "busy=K needs a count from 1";
      return false;
    }
    rule.count = *k;
    std::optional<unsigned> ms;
    if (!numberAfterAt(value, kMaxMillis, ms, why, "busy=K@MS needs the spacing in milliseconds")) {
      return false;
    }
    if (ms) rule.interval = std::chrono::milliseconds(*ms);
    return true;
  }
  if (name == "checksum") {
    rule.kind = FaultKind::BadChecksum;
    return takesNoValue();
  }
  if (name == "cut") {
    rule.kind = FaultKind::Cut;
    if (!needsValue("M")) return false;
    const auto m = parseNumber(value, 0, kMaxCount);
    if (!m) {
      why = "cut=M needs the number of bytes to keep";
      return false;
    }
    rule.count = *m;
    return true;
  }
  if (name == "silence") {
    rule.kind = FaultKind::Silence;
    return takesNoValue();
  }
  if (name == "garbage") {
    rule.kind = FaultKind::Garbage;
    if (!needsValue("HEX[@K]")) return false;
    const auto at = value.find('@');
    const auto bytes = parseHex(value.substr(0, at));
    if (!bytes) {
      why = "garbage=HEX needs pairs of hexadecimal digits, e.g. 7F7F";
      return false;
    }
    rule.bytes = *bytes;
    std::optional<unsigned> k;
    if (!numberAfterAt(value, kMaxCount, k, why,
                       "garbage=HEX@K needs the number of reply bytes before the garbage")) {
      return false;
    }
    if (k) rule.position = *k;
    return true;
  }
  if (name == "endless-busy") {
    rule.kind = FaultKind::EndlessBusy;
    rule.interval = kEndlessBusySpacing;
    if (!hasValue) return true;
    const auto ms = parseNumber(value, 1, kMaxMillis);
    if (!ms) {
      why = "endless-busy=MS needs the spacing in milliseconds, from 1";
      return false;
    }
    rule.interval = std::chrono::milliseconds(*ms);
    return true;
  }
  for (const auto& [flagName, kind] : kPlainActions) {
    if (name == flagName) {
      rule.kind = kind;
      return takesNoValue();
    }
  }
  if (name == "reboot") {
    rule.kind = FaultKind::Reboot;
    if (!needsValue("MS")) return false;
    const auto ms = parseNumber(value, 1, kMaxMillis);
    if (!ms) {
      why = "reboot=MS needs the silence in milliseconds";
      return false;
    }
    rule.interval = std::chrono::milliseconds(*ms);
    return true;
  }
  if (name == "fields") {
    rule.kind = FaultKind::Fields;
    // May be empty: a reply without fields. It has to fit one frame in Windows-1251.
    if (value.size() > kMaxFields) {
      why = "fields=TEXT takes at most " + std::to_string(kMaxFields) + " bytes";
      return false;
    }
    rule.fields = std::string(value);
    return true;
  }
  if (name == "s2") {
    rule.kind = FaultKind::StatusBits;
    if (!needsValue("HEX")) return false;
    const auto bytes = parseHex(value);
    if (!bytes || bytes->size() != 1) {
      why = "s2=HEX needs one byte in two hexadecimal digits, e.g. 03";
      return false;
    }
    rule.statusBits = bytes->front();
    return true;
  }
  why = "unknown action '" + name +
        "' (expected error=, nak, busy=, checksum, cut=, silence, garbage=, reboot=, fields=, "
        "s2=, other-seq, other-cmd, late-copy, lag, endless-busy or hangup)";
  return false;
}

}  // namespace

std::string_view faultSyntaxHelp() {
  return R"(Fault syntax: WHICH:ACTION
  WHICH    CC      every request with command code CC (hexadecimal, e.g. 80)
           CC#N    only the Nth request with that code (counted from 1)
           CC#N+   the Nth request with that code and every one after it
           any     every request;   any#N   the Nth request of any kind;
                   any#N+  the Nth request of any kind and every one after it
  ACTION   error=TEXT   answer with error code TEXT (e.g. 0012) instead of 0000;
                        the command is not carried out
           nak[=K]      answer NAK (15h) instead of a reply, for K requests in a
                        row from the Nth (from the first when K is given without #N);
                        plain "nak" without #N NAKs every matching request
           busy=K[@MS]  send K busy bytes (16h) before the reply, MS ms apart
           checksum     send the reply with a wrong checksum
           cut=M        send only the first M bytes of the reply
           silence      do not answer at all (the request is lost)
           garbage=HEX[@K]  send the bytes HEX (e.g. 7F7F) just before the
                        reply, or inside it after its first K bytes (after
                        the whole reply when K is its length or more)
           reboot=MS    after the reply, hear and say nothing for MS ms
           fields=TEXT  carry the command out, but answer the reply fields TEXT
                        (separated by ';') instead of its own
           s2=HEX       also set these bits in status byte 2 of the reply (e.g. 03)
           other-seq    answer with the next SEQ instead of the request's
           other-cmd    answer with another command code than the request's
           late-copy    send a copy of the previous reply just before this one
           lag          from this request on, answer every request with the
                        reply to the one before it: a printer one reply behind
           endless-busy[=MS]  carry nothing out, send a busy byte every MS ms
                        (default 80) until the next request
           hangup       close the line instead of answering: the port is gone
  Every request counts, repeats included; the effects of several rules add up.
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
  std::string why;
  FaultRule rule;
  if (colon == std::string_view::npos) {
    why = "expected WHICH:ACTION, e.g. 80:error=0012";
  } else if (parseWhich(text.substr(0, colon), rule, why) &&
             parseAction(text.substr(colon + 1), rule, why)) {
    return rule;
  }
  error = "bad fault '" + std::string(text) + "': " + why;
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
