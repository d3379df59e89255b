// tallowick-sim: a virtual printer on a pseudo-terminal, served until SIGINT or SIGTERM, or
// until its fault plan closes the line.

#include <signal.h>

#include <atomic>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "sim/pty_driver.h"
#include "sim/sim_options.h"
#include "sim/trace_json.h"

namespace {

std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void onStopSignal(int) {
  stopRequested = true;
}

void installStopHandlers() {
  struct sigaction action {};
  action.sa_handler = onStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tallowick::sim;
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  std::string error;
  auto options = parseSimOptions(args, error);
  if (!options) {
    std::cerr << "tallowick-sim: " << error << '\n';
    return 2;
  }
  if (options->help) {
    std::cout << simHelpText();
    return 0;
  }

  VirtualPrinter printer(options->settings, std::move(options->faults));
  std::ofstream trace;
  if (!options->tracePath.empty()) {
    trace.open(options->tracePath, std::ios::out | std::ios::trunc);
    if (!trace) {
      std::cerr << "tallowick-sim: cannot write the trace file " << options->tracePath << '\n';
      return 1;
    }
    printer.setTraceHook([&trace](const TraceEvent& event) {
      trace << traceJsonLine(event) << '\n';
      trace.flush();  // a trace is read while the simulator runs
    });
  }

  std::ofstream paper;
  if (!options->paperPath.empty()) {
    paper.open(options->paperPath, std::ios::out | std::ios::trunc | std::ios::binary);
    if (!paper) {
      std::cerr << "tallowick-sim: cannot write the paper file " << options->paperPath << '\n';
      return 1;
    }
    printer.setPaperHook([&paper](const std::string& line) {
      paper << line << '\n';
      paper.flush();  // a person watches the paper come out
    });
  }

  PtyDriver driver(printer, options->linkPath);
  installStopHandlers();
  if (!driver.open(error)) {
    std::cerr << "tallowick-sim: " << error << '\n';
    return 1;
  }
  std::cerr << "tallowick-sim: " << options->settings.model << " at " << options->settings.baud
            << " baud on " << options->linkPath << "; Ctrl+C stops\n";
  driver.serve(stopRequested);
  if (!driver.isOpen()) {
    std::cerr << "tallowick-sim: the line was closed, as the fault plan said\n";
  }
  driver.close();
  return 0;
}
