#include "sim/sim_options.h"

#include <charconv>

namespace tallowick::sim {

std::string simHelpText() {
  std::string text = R"(Usage: tallowick-sim --link PATH [options]

Serves a virtual Veltor fiscal printer on a pseudo-terminal until interrupted
(Ctrl+C). Point Tallowick at PATH as its serial port.

Options:
  --link PATH       where to put the symlink to the terminal (required; an old
                    symlink there is replaced, any other file is left alone)
  --model M         model the printer reports (default "Veltor FP-90T")
  --firmware F      firmware version it reports (default "3.01")
  --country C       country it reports (default "Україна")
  --baud B          line rate: 9600, 19200, 57600 or 115200 (default 9600); the
                    printer answers only a host set to this rate
  --service-mode    start with service mode on
  --trace FILE      write every frame on the line to FILE, one JSON object a line
  --fault RULE      stage a fault (may be given several times; see below)
  --help            show this text

Options take their value as the next argument or after '=' (--baud=19200).

)";
  text += faultSyntaxHelp();
  return text;
}

std::optional<SimOptions> parseSimOptions(std::span<const std::string_view> args,
                                          std::string& error) {
  SimOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string_view name = args[i];
    std::optional<std::string_view> inlineValue;
    if (const auto eq = name.find('='); name.starts_with("--") && eq != std::string_view::npos) {
      inlineValue = name.substr(eq + 1);
      name = name.substr(0, eq);
    }
    const bool isFlag = name == "--help" || name == "-h" || name == "--service-mode";
    if (isFlag && inlineValue) {
      error = std::string(name) + " takes no value";
      return std::nullopt;
    }
    if (name == "--help" || name == "-h") {
      options.help = true;
      continue;
    }
    if (name == "--service-mode") {
      options.settings.serviceMode = true;
      continue;
    }

    std::string value;
    const bool known = name == "--link" || name == "--model" || name == "--firmware" ||
                       name == "--country" || name == "--baud" || name == "--trace" ||
                       name == "--fault";
    if (!known) {
      error = "unknown option '" + std::string(name) + "' (see --help)";
      return std::nullopt;
    }
    if (inlineValue) {
      value = std::string(*inlineValue);
    } else if (i + 1 < args.size()) {
      value = std::string(args[++i]);
    } else {
      error = std::string(name) + " needs a value";
      return std::nullopt;
    }

    if (name == "--link") {
      options.linkPath = value;
    } else if (name == "--model") {
      options.settings.model = value;
    } else if (name == "--firmware") {
      options.settings.firmware = value;
    } else if (name == "--country") {
      options.settings.country = value;
    } else if (name == "--trace") {
      options.tracePath = value;
    } else if (name == "--baud") {
      std::int32_t baud = 0;
      const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), baud);
      if (ec != std::errc{} || end != value.data() + value.size()) {
        error = "--baud needs a number, not '" + value + "'";
        return std::nullopt;
      }
      options.settings.baud = baud;
    } else {
      auto rule = parseFaultRule(value, error);
      if (!rule) return std::nullopt;
      options.faults.add(std::move(*rule));
    }
  }
  if (options.help) return options;
  if (options.linkPath.empty()) {
    error = "--link PATH is required (see --help)";
    return std::nullopt;
  }
  if (options.tracePath == options.linkPath) {
    error = "--trace and --link must name different files";
    return std::nullopt;
  }
  if (auto problem = settingsProblem(options.settings)) {
    error = *problem;
    return std::nullopt;
  }
  return options;
}

}  // namespace tallowick::sim
