#include <iostream>

#include "app/cli.h"
#include "app/console.h"
#include "app/escaping_stream.h"
#include "platform/system.h"

int main(int argc, char** argv) {
  using namespace tallowick;
  console::ignoreBrokenPipe();
  const std::vector<std::string> args = platform::programArguments(argc, argv);
  // A terminal shows what the printer sent and the names typed in, never acts on them.
  EscapingBuffer outEscaped(std::cout.rdbuf());
  EscapingBuffer errEscaped(std::cerr.rdbuf());
  std::ostream outTerminal(&outEscaped);
  std::ostream errTerminal(&errEscaped);
  std::ostream& out = console::isTerminal(stdout) ? outTerminal : std::cout;
  std::ostream& err = console::isTerminal(stderr) ? errTerminal : std::cerr;
  CliContext context;
  // Several printers at once draw their table there, escaping the cells themselves.
  if (console::isTerminal(stdout) && console::enableCursorControl(stdout)) {
    context.terminal = &std::cout;
    context.terminalColumns = console::terminalColumns(stdout);
  }
  return runCli(args, out, err, context);
}
