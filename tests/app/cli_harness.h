// Runs tallowick-cli in-process on the built-in virtual printer with a virtual clock:
// its exit code and both streams, and what reached the printer.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli.h"
#include "link/clock.h"
#include "sim/fault_plan.h"
#include "sim/virtual_printer.h"

namespace tallowick {

struct CliRun {
  int code;
  std::string out;
  std::string err;
};

inline CliRun cli(const std::vector<std::string>& args, const char* fault = nullptr,
                  bool serviceMode = false, sim::PrinterState* after = nullptr,
                  std::function<void(sim::VirtualPrinter&)> more = {}, int* requests = nullptr) {
  VirtualClock clock;
  CliContext context;
  context.simClock = &clock;
  context.wallClock = [] { return LocalDateTime{2026, 12, 8, 14, 30, 5}; };
  if (after) context.inspectSim = [after](sim::VirtualPrinter& p) { *after = p.state(); };
  context.prepareSim = [&](sim::VirtualPrinter& p) {
    if (requests) {
      p.setTraceHook([requests](const sim::TraceEvent& e) {
        if (e.kind == sim::TraceKind::Request) ++*requests;
      });
    }
    if (more) more(p);
    p.settings().serviceMode = serviceMode;
    p.state().serviceMode = serviceMode;
    if (fault) {
      std::string error;
      auto rule = sim::parseFaultRule(fault, error);
      ASSERT_TRUE(rule) << error;
      p.faults().add(*rule);
    }
  };
  std::ostringstream out, err;
  const int code = runCli(args, out, err, context);
  return {code, out.str(), err.str()};
}

}  // namespace tallowick
