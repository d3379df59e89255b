// A printer connected as the main window's "Подключить" connects it, for the commands of
// tallowick-cli: the port's link and command set, the run state and the headless window,
// each its own, so that several runs at once share nothing.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "app/cli.h"
#include "app/cli_ui.h"
#include "app/exit_codes.h"
#include "commands/commands.h"
#include "link/device_link.h"
#include "mainform/session.h"
#include "sim/loopback_line.h"

namespace tallowick {

// A link to the named port: the built-in virtual printer for "sim" names, the platform's
// serial line for every other.
struct Port {
  const CliContext& context;
  sim::SimulatedPort simulated;
  DeviceLink link;
  CommandSet commands{link};

  Port(Clock& clock, const CliContext& cliContext);
  ~Port();
};

// The clock the command runs on: the tests' virtual one, or real time.
Clock& simClock(const CliContext& context);

// The exit code for how one command ended: the printer's answer, or none.
int resultCode(const CommandResult* r);

struct Connection {
  Port port;
  RunState state;
  CliUi ui;
  Session session;
  // The code of the first command that failed, 0 while every one was accepted: a
  // sequence that goes on after a failure must not end as a success.
  int firstFailure = kExitOk;
  // How many commands have had their answer (or their refusal) kept.
  int commandsDone = 0;

  Connection(Clock& clock, const CliContext& context, std::ostream& out, std::ostream& err,
             const std::string& portName, bool withoutFiscal);
  // Connects at the rate of `baudIndex`; the exit code when that failed, kExitStopped when
  // a stop request ended the wait for the printer's answer.
  std::optional<int> connect(int baudIndex);
};

}  // namespace tallowick
