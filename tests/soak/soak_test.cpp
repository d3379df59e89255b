// Whole test runs against a virtual printer that fails at random: NAKs, busy storms,
// garbage before, inside or after the reply (XOFF and CR among it), bad checksums, cut-off
// frames, silences, reboots, error codes, replies with another SEQ or command, late copies
// of the previous reply, a printer that falls one reply behind, busy bytes without end and
// a line that closes, each staged on a random request in the textual fault syntax. Every
// run must end in a defined way and within a budget of virtual time, and no command may
// read as answered unless the printer's own reply to it went out whole; the outcomes are
// counted per rate.
//
// TALLOWICK_SOAK_RUNS sets the number of runs (default 300, spread over the rates) and
// TALLOWICK_SOAK_SEED the first seed (default 1); run i uses seed SEED + i, so a failing
// run is repeated alone with TALLOWICK_SOAK_RUNS=1 and its seed.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/run_fixture.h"
#include "testrun/test_run.h"

namespace tallowick {
namespace {

using test::RunFixture;

// Faults are staged on the first requests of the run, repeats included (about 340 go out
// in a clean run).
constexpr unsigned kRequestsCovered = 700;
// A run that has not ended after this much virtual time is taken for a hang: it is
// stopped and the soak fails. A clean run takes well under a minute, a run full of
// silences some minutes; the reboot wait's own watchdog ends after two.
constexpr auto kVirtualBudget = std::chrono::hours(3);
constexpr int kAttemptBudget = 20000;

unsigned envNumber(const char* name, unsigned fallback) {
  const char* text = std::getenv(name);
  if (text == nullptr || *text == '\0') return fallback;
  return static_cast<unsigned>(std::strtoul(text, nullptr, 10));
}

// One fault of a random kind in the printer's fault syntax, without the WHICH part.
std::string randomAction(std::mt19937& rng) {
  const auto pick = [&rng](int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(rng);
  };
  static constexpr const char* kHex = "0123456789ABCDEF";
  const auto hexOf = [](int b) { return std::string{kHex[b >> 4], kHex[b & 15]}; };
  switch (pick(0, 16)) {
    case 0:
      return "nak=" + std::to_string(pick(1, 6));  // more than the link's repeats at 5 and 6
    case 1:
      return "busy=" + std::to_string(pick(1, 60)) + "@" + std::to_string(pick(5, 95));
    case 2: {
      std::string bytes;
      for (int i = pick(1, 12); i > 0; --i) {
        const int b = pick(0, 255);
        bytes += kHex[b >> 4];
        bytes += kHex[b & 15];
      }
      return "garbage=" + bytes;
    }
    case 3:
      return "checksum";
    case 4:
      return "cut=" + std::to_string(pick(0, 45));
    case 5:
      return "silence";
    case 6:
      return "reboot=" + std::to_string(pick(100, 8000));
    case 7:
    case 8:
      return "busy=" + std::to_string(pick(1, 3)) + "@" + std::to_string(pick(5, 95));
    case 10: {
      // XOFF, CR or any byte, inside the reply or just after it.
      const int b = pick(0, 2) == 0 ? 0x13 : pick(0, 1) == 0 ? 0x0D : pick(0, 255);
      return "garbage=" + hexOf(b) + "@" + std::to_string(pick(0, 60));
    }
    case 11:
      return pick(0, 1) == 0 ? "other-seq" : "other-cmd";
    case 12:
      return "late-copy";
    case 13:
      return "lag";
    case 14:
      return "endless-busy=" + std::to_string(pick(20, 200));
    case 15:
      return "hangup";
    default: {
      char code[8];
      std::snprintf(code, sizeof code, "00%02d", pick(1, 30));
      return std::string("error=") + code;
    }
  }
}

enum class Outcome { Clean, Repeated, WithErrors, Aborted, Hung };

const char* outcomeName(Outcome o) {
  switch (o) {
    case Outcome::Clean:
      return "finished, no repeat needed";
    case Outcome::Repeated:
      return "finished, the link's repeats succeeding";
    case Outcome::WithErrors:
      return "finished with errors counted";
    case Outcome::Aborted:
      return "aborted with its message";
    case Outcome::Hung:
      return "stopped by the budget (hang)";
  }
  return "?";
}

struct SoakRun {
  Outcome outcome = Outcome::Hung;
  std::vector<std::string> rules;
  std::string problem;  // what was wrong with how it ended; empty when it ended soundly
};

SoakRun soakOnce(std::uint32_t seed, double rate) {
  SoakRun result;
  RunFixture f;
  f.connect();
  std::mt19937 rng(seed);
  std::bernoulli_distribution hit(rate);
  f.port.printer().faults().restartCounting();
  for (unsigned n = 1; n <= kRequestsCovered; ++n) {
    if (!hit(rng)) continue;
    result.rules.push_back("any#" + std::to_string(n) + ":" + randomAction(rng));
    f.fault(result.rules.back());
  }

  // Whether the printer's own reply to the request on the line went out whole; a command
  // that reads as answered without one took something else for its answer.
  bool ownReply = false;
  bool falseAnswer = false;
  f.port.printer().setTraceHook([&](const sim::TraceEvent& e) {
    if (e.direction == sim::TraceDirection::Host && e.kind == sim::TraceKind::Request) {
      ownReply = false;
    }
    if (e.direction == sim::TraceDirection::Printer && e.kind == sim::TraceKind::Reply && e.text &&
        (e.note.empty() || e.note == "repeat")) {
      ownReply = true;
    }
  });
  f.link.setAttemptObserver([&](const AttemptRecord& a) {
    f.sent.push_back({a.result.Command, a.result.RequestData, a.attempt});
    if (!a.result.noReply() && !ownReply) falseAnswer = true;
  });

  TestRun run(f.session);
  bool overBudget = false;
  const Micros deadline = f.clock.now() + kVirtualBudget;
  f.ui.onEveryPump = [&] {
    if (overBudget ||
        (f.clock.now() < deadline && static_cast<int>(f.sent.size()) < kAttemptBudget)) {
      return;
    }
    overBudget = true;
    run.Button4Click();
  };
  const RunOutcome o = run.Button3Click("1", "0");

  bool repeated = false;
  for (const auto& s : f.sent)
    repeated = repeated || s.attempt > 1;
  const auto& log = f.ui.testLog;
  if (overBudget) {
    result.outcome = Outcome::Hung;
    result.problem = "did not end within the budget";
  } else if (o.end == RunEnd::Finished) {
    result.outcome = o.errorsCounted > 0 ? Outcome::WithErrors
                     : repeated          ? Outcome::Repeated
                                         : Outcome::Clean;
    const std::string total = "Общее количество ошибок: " + std::to_string(o.errorsCounted);
    if (log.size() < 2 || log.back() != kStars30 || log[log.size() - 2] != total) {
      result.problem = "finished without its end lines";
    }
  } else if (o.end == RunEnd::Aborted) {
    result.outcome = Outcome::Aborted;
    if (f.ui.boxes.empty()) result.problem = "aborted without a message";
  } else {
    result.problem =
        o.end == RunEnd::Stopped ? "stopped with nobody pressing Stop" : "the inputs were refused";
  }
  if (falseAnswer) result.problem += " (a damaged or foreign reply was taken for an answer)";
  // An abort leaves the buttons as in a run until Stop is pressed; every other end frees Start.
  if (o.end != RunEnd::Aborted && (!f.ui.startEnabled || f.ui.stopEnabled)) {
    result.problem += " (run buttons left as in a run)";
  }
  return result;
}

TEST(FaultSoak, EveryRunEndsSoundlyAtEveryFaultRate) {
  const double kRates[] = {0.002, 0.005, 0.015};
  const unsigned runs = envNumber("TALLOWICK_SOAK_RUNS", 300);
  const unsigned firstSeed = envNumber("TALLOWICK_SOAK_SEED", 1);

  std::map<double, std::map<Outcome, int>> counts;
  for (unsigned i = 0; i < runs; ++i) {
    const std::uint32_t seed = firstSeed + i;
    const double rate = kRates[i % std::size(kRates)];
    const SoakRun r = soakOnce(seed, rate);
    ++counts[rate][r.outcome];
    if (!r.problem.empty()) {
      std::ostringstream rules;
      for (const auto& rule : r.rules)
        rules << " --fault " << rule;
      ADD_FAILURE() << "seed " << seed << " at rate " << rate << ": " << r.problem
                    << "\n  faults:" << rules.str();
    }
  }
  for (const auto& [rate, byOutcome] : counts) {
    int total = 0;
    for (const auto& entry : byOutcome)
      total += entry.second;
    std::printf("fault rate %.3f per request, %d runs:\n", rate, total);
    for (const auto& [outcome, n] : byOutcome)
      std::printf("  %-42s %d\n", outcomeName(outcome), n);
  }
}

}  // namespace
}  // namespace tallowick
