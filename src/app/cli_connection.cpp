#include "app/cli_connection.h"

#include "app/exit_codes.h"
#include "mainform/connection.h"

namespace tallowick {

Port::Port(Clock& clock, const CliContext& cliContext)
    : context(cliContext),
      simulated(clock),
      link(simulated.lineFactory([](const std::string&) { return makePlatformSerialLine(); })) {
  if (context.prepareSim) context.prepareSim(simulated.printer());
}

Port::~Port() {
  if (context.inspectSim) context.inspectSim(simulated.printer());
}

Clock& simClock(const CliContext& context) {
  return context.simClock ? *context.simClock : realClock();
}

int resultCode(const CommandResult* r) {
  if (r == nullptr) return kExitOk;
  if (r->Refusal != LinkRefusal::None) return kExitPortOrUsage;
  if (r->noReply()) return kExitNoReply;
  if (!r->accepted()) return kExitPrinterError;
  return kExitOk;
}

Connection::Connection(Clock& clock, const CliContext& context, std::ostream& out,
                       std::ostream& err, const std::string& portName, bool withoutFiscal)
    : port(clock, context),
      ui(out, err, state, clock, portName, withoutFiscal),
      session{port.commands, state, ui, clock} {
  if (context.wallClock) session.wallClock = context.wallClock;
  session.onKeep = [this](const CommandResult& r) {
    ++commandsDone;
    if (firstFailure == kExitOk) firstFailure = resultCode(&r);
  };
}

std::optional<int> Connection::connect(int baudIndex) {
  connectPrinter(session, baudIndex);
  if (!state.Connected) {
    return state.LastResult && state.LastResult->stopped() ? kExitStopped : kExitPortOrUsage;
  }
  const int code = resultCode(state.LastResult);
  if (code != kExitOk) return code;
  return std::nullopt;
}

}  // namespace tallowick
