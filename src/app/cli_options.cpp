#include "app/cli_options.h"

#include <CLI/CLI.hpp>
#include <iterator>
#include <ostream>

#include "app/exit_codes.h"
#include "mainform/connection.h"

namespace tallowick {

std::optional<int> baudIndex(const std::string& text) {
  for (int i = 0; i < static_cast<int>(std::size(kBaudRates)); ++i) {
    if (text == std::to_string(kBaudRates[i])) return i;
  }
  return std::nullopt;
}

int usageError(std::ostream& err, const std::string& what) {
  err << "tallowick-cli: " << what << "\n"
      << "Run 'tallowick-cli --help' for the commands and their options.\n";
  return kExitPortOrUsage;
}

namespace {

// The usage error for what the parser refused. The parser reads from the left and keeps
// what it does not know aside, so the first of those came before the option it stopped at.
std::string refusal(const CLI::ParseError& e, const CLI::App& app) {
  const std::vector<std::string> unknown = app.remaining();
  if (!unknown.empty()) return "unknown option: " + unknown.front();
  if (dynamic_cast<const CLI::ArgumentMismatch*>(&e) != nullptr) {
    // "--name: 1 required TEXT missing": the option that had no value.
    const std::string what = e.what();
    return "option " + what.substr(0, what.find(':')) + " needs a value";
  }
  return e.what();
}

}  // namespace

Options parseCommandOptions(const std::vector<std::string>& args,
                            const std::set<std::string>& known,
                            const std::set<std::string>& knownFlags, std::size_t positional) {
  Options o;
  CLI::App app;
  // The help is asked for right after the command and answered before any parsing.
  app.set_help_flag();
  app.allow_extras();
  for (const std::string& name : known) {
    // One value per occurrence: a second value is not taken for the option's.
    app.add_option(name, o.values[name])->allow_extra_args(false);
  }
  for (const std::string& name : knownFlags)
    app.add_flag(name);

  // The parser takes the arguments last first.
  const auto first =
      args.begin() + static_cast<std::ptrdiff_t>(std::min(args.size(), 1 + positional));
  std::vector<std::string> reversed(std::make_reverse_iterator(args.end()),
                                    std::make_reverse_iterator(first));
  try {
    app.parse(reversed);
  } catch (const CLI::ParseError& e) {
    o.error = refusal(e, app);
    return o;
  }
  if (!app.remaining().empty()) {
    o.error = "unknown option: " + app.remaining().front();
    return o;
  }
  for (const std::string& name : knownFlags) {
    if (app.count(name) > 0) o.flags.insert(name);
  }
  return o;
}

Options parseOptions(const std::vector<std::string>& args, std::set<std::string> known,
                     const std::set<std::string>& knownFlags, std::size_t positional) {
  known.insert({"--port", "--baud"});
  Options o = parseCommandOptions(args, known, knownFlags, positional);
  if (!o.error.empty()) return o;
  if (!o.has("--port")) {
    o.error = args[0] + " needs --port";
  } else if (const auto index = baudIndex(o.get("--baud", "9600"))) {
    o.baudIndex = *index;
  } else {
    o.error = "unsupported baud rate: " + o.get("--baud", "");
  }
  return o;
}

}  // namespace tallowick
