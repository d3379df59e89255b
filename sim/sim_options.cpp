#include "sim/sim_options.h"

#include <charconv>
#include <cmath>

#include "sim/request_fields.h"

namespace tallowick::sim {
namespace {

constexpr double kMaxRebootSeconds = 3600;
constexpr double kMaxPrintTimeScale = 100;

std::optional<double> parseDecimal(std::string_view text) {
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc{} || end != text.data() + text.size() ||
      !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

bool isPrinterValueOption(std::string_view name) {
  static constexpr std::string_view kNames[] = {"--model",
                                                "--firmware",
                                                "--country",
                                                "--baud",
                                                "--open-document",
                                                "--daily-counter",
                                                "--registrator-params",
                                                "--reboot-seconds",
                                                "--print-time-scale"};
  for (std::string_view n : kNames) {
    if (n == name) return true;
  }
  return false;
}

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
  --baud B          line rate it starts at: 9600, 19200, 57600 or 115200
                    (default 9600); the printer answers only a host set to its
                    rate, and changes rate when told to by command 27h
  --service-mode    start with service mode on (bit 0 of status byte 0)
  --no-reboot       set bit 2 of status byte 0 in the reply to 82h: the printer
                    needs no reboot after its clock is set
  --open-document D the document open at start: none (default), service, sale
                    or return
  --daily-counter N what reading daily counter 6 (E2h) answers (default 0; not
                    0 asks for a second control tape)
  --registrator-params "F1;F2;F3;F4;F5;F6"
                    fields 1 to 6 of the registrator parameters (28h): F1 and
                    F6 decimal, F2 to F5 hexadecimal (default "0;001F;02;AB;00;05")
  --reboot-seconds S
                    how long the printer stays silent after answering a reboot
                    (F3h), in seconds (default 3; 0 for no silence)
  --realistic       realistic timing: bytes take their time at the line rate
                    (10 bits each), and printing keeps the printer busy, with a
                    busy byte (16h) every 80 ms, before the reply comes
  --print-time-scale X
                    multiply the print times of --realistic by X (default 1;
                    0 for no print time at all)
  --strict          refuse what a real printer refuses (an article never
                    programmed, a sale with no receipt open, closing a receipt
                    that is not open, a wrong password); without it every
                    well-formed command is carried out
  --trace FILE      write every frame on the line to FILE, one JSON object a line
  --paper FILE      write what the printer prints to FILE as UTF-8 text, one line
                    a line; display and drawer events appear in [brackets]
  --fault RULE      stage a fault (may be given several times; see below)
  --help            show this text

Options take their value as the next argument or after '=' (--baud=19200).
A bad value ends the program with exit code 2.

)";
  text += faultSyntaxHelp();
  return text;
}

bool isPrinterFlag(std::string_view name) {
  return name == "--service-mode" || name == "--no-reboot" || name == "--realistic" ||
         name == "--strict";
}

std::optional<bool> applyPrinterOption(PrinterSettings& s, std::string_view name,
                                       std::string_view value, std::string& error) {
  const std::string option(name);
  const std::string v(value);
  if (name == "--service-mode") {
    s.serviceMode = true;
  } else if (name == "--no-reboot") {
    s.noRebootNeeded = true;
  } else if (name == "--realistic") {
    s.realistic = true;
  } else if (name == "--strict") {
    s.strict = true;
  } else if (name == "--model") {
    s.model = v;
  } else if (name == "--firmware") {
    s.firmware = v;
  } else if (name == "--country") {
    s.country = v;
  } else if (name == "--baud") {
    const auto baud = parseInteger(value);
    if (!baud) {
      error = "--baud needs a number, not '" + v + "'";
      return false;
    }
    if (*baud < 0 || *baud > 115200 || !isLineRate(static_cast<std::int32_t>(*baud))) {
      error = "--baud: the line rate must be 9600, 19200, 57600 or 115200, not " + v;
      return false;
    }
    s.baud = static_cast<std::int32_t>(*baud);
  } else if (name == "--open-document") {
    const auto kind = documentKindNamed(value);
    if (!kind) {
      error = "--open-document takes none, service, sale or return, not '" + v + "'";
      return false;
    }
    s.openDocument = *kind;
  } else if (name == "--daily-counter") {
    const auto n = parseInteger(value);
    if (!n || *n < 0 || *n > 2147483647) {
      error = "--daily-counter needs a whole number from 0, not '" + v + "'";
      return false;
    }
    s.dailyCounter = static_cast<std::int32_t>(*n);
  } else if (name == "--registrator-params") {
    const auto params = parseRegistratorParams(value);
    if (!params) {
      error =
          "--registrator-params needs six fields \"F1;F2;F3;F4;F5;F6\": F1 decimal 0 to "
          "65535, F2 hexadecimal up to FFFF, F3 to F5 hexadecimal up to FF, F6 decimal 0 "
          "to 99; not '" +
          v + "'";
      return false;
    }
    s.registratorParams = *params;
  } else if (name == "--reboot-seconds") {
    const auto seconds = parseDecimal(value);
    if (!seconds || *seconds < 0 || *seconds > kMaxRebootSeconds) {
      error = "--reboot-seconds needs a number of seconds from 0 to 3600, not '" + v + "'";
      return false;
    }
    s.rebootTime = Micros{static_cast<std::int64_t>(std::llround(*seconds * 1e6))};
  } else if (name == "--print-time-scale") {
    const auto scale = parseDecimal(value);
    if (!scale || *scale < 0 || *scale > kMaxPrintTimeScale) {
      error = "--print-time-scale needs a number from 0 to 100, not '" + v + "'";
      return false;
    }
    s.printTimeScale = *scale;
  } else {
    return std::nullopt;
  }
  return true;
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
    const bool isFlag = name == "--help" || name == "-h" || isPrinterFlag(name);
    if (isFlag && inlineValue) {
      error = std::string(name) + " takes no value";
      return std::nullopt;
    }
    if (name == "--help" || name == "-h") {
      options.help = true;
      continue;
    }

    std::string_view value;
    if (!isFlag) {
      const bool known = name == "--link" || name == "--trace" || name == "--paper" ||
                         name == "--fault" || isPrinterValueOption(name);
      if (!known) {
        error = "unknown option '" + std::string(name) + "' (see --help)";
        return std::nullopt;
      }
      if (inlineValue) {
        value = *inlineValue;
      } else if (i + 1 < args.size()) {
        value = args[++i];
      } else {
        error = std::string(name) + " needs a value";
        return std::nullopt;
      }
    }

    if (name == "--link") {
      options.linkPath = std::string(value);
    } else if (name == "--trace") {
      options.tracePath = std::string(value);
    } else if (name == "--paper") {
      options.paperPath = std::string(value);
    } else if (name == "--fault") {
      auto rule = parseFaultRule(value, error);
      if (!rule) return std::nullopt;
      options.faults.add(std::move(*rule));
    } else if (const auto applied = applyPrinterOption(options.settings, name, value, error);
               !applied || !*applied) {
      return std::nullopt;
    }
  }
  if (options.help) return options;
  if (options.linkPath.empty()) {
    error = "--link PATH is required (see --help)";
    return std::nullopt;
  }
  const std::string* files[] = {&options.linkPath, &options.tracePath, &options.paperPath};
  for (std::size_t a = 0; a < 3; ++a) {
    for (std::size_t b = a + 1; b < 3; ++b) {
      if (!files[b]->empty() && *files[a] == *files[b]) {
        error = "--link, --trace and --paper must name different files";
        return std::nullopt;
      }
    }
  }
  if (auto problem = settingsProblem(options.settings)) {
    error = *problem;
    return std::nullopt;
  }
  return options;
}

}  // namespace tallowick::sim
