// The faults the virtual printer commits on purpose: a small table of rules, each naming
// which requests it hits and what goes wrong with the answer. The printer consults the
// plan once per request it received intact, so tests and users can stage error codes,
// NAKs, busy printers, damaged or missing replies and reboots exactly where they want.
//
// Textual form (one rule per --fault option): WHICH:ACTION, e.g. 80:error=0012 or
// any#3:silence; faultSyntaxHelp() explains it, made from the table of actions.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "link/clock.h"

namespace tallowick::sim {

enum class FaultKind : std::uint8_t {
  Error,
  Nak,
  Busy,
  BadChecksum,
  Cut,
  Silence,
  Garbage,
  Reboot,
  Fields,
  StatusBits,
  OtherSeq,
  OtherCommand,
  LateCopy,
  Lag,
  EndlessBusy,
  Hangup,
};

struct FaultRule {
  std::optional<std::uint8_t> command;  // empty: any command
  std::optional<unsigned> occurrence;   // 1-based; empty: every occurrence
  unsigned span = 1;                    // consecutive occurrences hit from `occurrence`
  FaultKind kind = FaultKind::Error;
  std::string errorCode;                // Error
  unsigned count = 0;                   // Busy: bytes; Cut: bytes kept
  Micros interval{0};                   // Busy, EndlessBusy: spacing; Reboot: silence
  std::vector<std::uint8_t> bytes;      // Garbage
  std::optional<std::size_t> position;  // Garbage: bytes of the reply before it; empty: before
  std::string fields;                   // Fields
  std::uint8_t statusBits = 0;          // StatusBits: OR-ed into status byte 2

  bool operator==(const FaultRule&) const = default;
};

// What the rules that hit one request ask for, taken together.
struct FaultEffects {
  std::optional<std::string> errorCode;
  std::optional<std::string> fields;  // reply data in place of the command's own
  std::uint8_t status2Bits = 0;       // set in status byte 2 besides the printer's own
  bool nak = false;
  bool silence = false;
  unsigned busyBytes = 0;
  Micros busyInterval{0};
  std::vector<std::uint8_t> garbage;
  // Bytes put inside the reply: after how many of its bytes, and which.
  std::vector<std::pair<std::size_t, std::vector<std::uint8_t>>> inserts;
  bool badChecksum = false;
  bool otherSeq = false;
  bool otherCommand = false;
  bool lateCopy = false;
  bool lag = false;
  std::optional<Micros> endlessBusy;  // the spacing of the busy bytes
  bool hangup = false;
  std::optional<std::size_t> cutAfter;
  Micros rebootFor{0};

  bool any() const;
};

// The textual form of a rule, every action with its value and what it does, as --help
// shows it.
std::string faultSyntaxHelp();

// Parses one rule; on bad text returns nothing and says why in `error`.
std::optional<FaultRule> parseFaultRule(std::string_view text, std::string& error);

class FaultPlan {
 public:
  FaultPlan() = default;
  explicit FaultPlan(std::vector<FaultRule> rules) : rules_(std::move(rules)) {}

  void add(FaultRule rule) { rules_.push_back(std::move(rule)); }
  const std::vector<FaultRule>& rules() const { return rules_; }

  // Counts one more request with this command and returns what the rules make of it.
  FaultEffects onRequest(std::uint8_t command);

  // Forgets the counts (the rules stay).
  void restartCounting();

 private:
  bool hits(const FaultRule& rule, unsigned nthOfCommand, unsigned nthOverall) const;

  std::vector<FaultRule> rules_;
  std::map<std::uint8_t, unsigned> perCommand_;
  unsigned overall_ = 0;
};

}  // namespace tallowick::sim
