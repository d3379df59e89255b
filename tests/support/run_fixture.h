// A connected main window on the virtual printer, on a virtual clock: the setting of every
// test-run and page test.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "commands/commands.h"
#include "mainform/connection.h"
#include "mainform/session.h"
#include "sim/fault_plan.h"
#include "sim/loopback_line.h"
#include "support/fake_ui.h"

namespace tallowick::test {

struct SentCommand {
  std::int32_t code;
  std::string data;
  std::int32_t attempt;
};

// "send 22: 582014;0;У К Р А Ї Н А;0;", with " (attempt N)" for a repeat.
inline std::string sentLine(const SentCommand& s) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out = "send ";
  out += kHex[(s.code >> 4) & 0xF];
  out += kHex[s.code & 0xF];
  out += ": " + s.data;
  if (s.attempt > 1) out += " (attempt " + std::to_string(s.attempt) + ")";
  return out;
}

struct RunFixture {
  VirtualClock clock;
  sim::SimulatedPort port;
  DeviceLink link;
  CommandSet commands{link};
  RunState state;
  FakeUi ui{state, clock};
  Session session{commands, state, ui, clock, [] { return LocalDateTime{2026, 12, 7, 9, 5, 30}; }};
  std::vector<SentCommand> sent;

  explicit RunFixture(sim::PrinterSettings settings = {})
      : port(clock, std::move(settings)), link(port.lineFactory()) {
    link.setAttemptObserver([this](const AttemptRecord& a) {
      sent.push_back({a.result.Command, a.result.RequestData, a.attempt});
      if (ui.recordRhythm) ui.events.push_back(sentLine(sent.back()));
    });
  }

  // Stages a fault of the printer (the textual form of tallowick-sim --fault).
  void fault(const std::string& rule) {
    std::string error;
    auto parsed = sim::parseFaultRule(rule, error);
    if (!parsed) throw std::runtime_error(error);
    port.printer().faults().add(*parsed);
  }

  // Connects at the rate of ComboBox3's item `baudIndex` and forgets what it sent.
  void connect(int baudIndex = 0) {
    connectPrinter(session, baudIndex);
    sent.clear();
    ui.testLog.clear();
    ui.events.clear();
    ui.boxes.clear();
  }

  std::vector<std::int32_t> codes() const {
    std::vector<std::int32_t> out;
    for (const auto& s : sent) {
      if (s.attempt == 1) out.push_back(s.code);
    }
    return out;
  }

  int count(std::int32_t code) const {
    int n = 0;
    for (const auto& s : sent)
      n += s.code == code && s.attempt == 1 ? 1 : 0;
    return n;
  }

  bool logged(const std::string& line) const {
    for (const auto& l : ui.testLog) {
      if (l == line) return true;
    }
    return false;
  }

  int loggedCount(const std::string& line) const {
    int n = 0;
    for (const auto& l : ui.testLog)
      n += l == line ? 1 : 0;
    return n;
  }
};

}  // namespace tallowick::test
