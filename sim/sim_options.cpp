#include "sim/sim_options.h"

#include <charconv>
#include <cmath>

#include "link/help_text.h"
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

// The readers of the printer's options: each sets what its value (empty for a flag) says,
// or says why it cannot.
std::optional<Failure> readBaud(PrinterSettings& s, std::string_view value) {
  const std::string v(value);
  const auto baud = parseInteger(value);
  if (!baud) return Failure{"--baud needs a number, not '" + v + "'"};
  if (*baud < 0 || *baud > 115200 || !isLineRate(static_cast<std::int32_t>(*baud))) {
    return Failure{"--baud: the line rate must be 9600, 19200, 57600 or 115200, not " + v};
  }
  s.baud = static_cast<std::int32_t>(*baud);
  return std::nullopt;
}

std::optional<Failure> readOpenDocument(PrinterSettings& s, std::string_view value) {
  const auto kind = documentKindNamed(value);
  if (!kind) {
    return Failure{"--open-document takes none, service, sale or return, not '" +
                   std::string(value) + "'"};
  }
  s.openDocument = *kind;
  return std::nullopt;
}

std::optional<Failure> readDailyCounter(PrinterSettings& s, std::string_view value) {
  const auto n = parseInteger(value);
  if (!n || *n < 0 || *n > 2147483647) {
    return Failure{"--daily-counter needs a whole number from 0, not '" + std::string(value) + "'"};
  }
  s.dailyCounter = static_cast<std::int32_t>(*n);
  return std::nullopt;
}

std::optional<Failure> readRegistratorParams(PrinterSettings& s, std::string_view value) {
  const auto params = parseRegistratorParams(value);
  if (!params) {
    return Failure{
        "--registrator-params needs six fields \"F1;F2;F3;F4;F5;F6\": F1 decimal 0 to "
        "65535, F2 hexadecimal up to FFFF, F3 to F5 hexadecimal up to FF, F6 decimal 0 "
        "to 99; not '" +
        std::string(value) + "'"};
  }
  s.registratorParams = *params;
  return std::nullopt;
}

std::optional<Failure> readRebootSeconds(PrinterSettings& s, std::string_view value) {
  const auto seconds = parseDecimal(value);
  if (!seconds || *seconds < 0 || *seconds > kMaxRebootSeconds) {
    return Failure{"--reboot-seconds needs a number of seconds from 0 to 3600, not '" +
                   std::string(value) + "'"};
  }
  s.rebootTime = Micros{static_cast<std::int64_t>(std::llround(*seconds * 1e6))};
  return std::nullopt;
}

std::optional<Failure> readPrintTimeScale(PrinterSettings& s, std::string_view value) {
  const auto scale = parseDecimal(value);
  if (!scale || *scale < 0 || *scale > kMaxPrintTimeScale) {
    return Failure{"--print-time-scale needs a number from 0 to 100, not '" + std::string(value) +
                   "'"};
  }
  s.printTimeScale = *scale;
  return std::nullopt;
}

std::optional<Failure> readFault(SimOptions& o, std::string_view value) {
  std::string error;
  auto rule = parseFaultRule(value, error);
  if (!rule) return Failure{error};
  o.faults.add(std::move(*rule));
  return std::nullopt;
}

// The class a pointer to a member belongs to.
template <typename Member>
struct OwnerOf;
template <typename Owner, typename Type>
struct OwnerOf<Type Owner::*> {
  using type = Owner;
};

// Setters of a text and of a flag, of the printer's settings or of the program's options.
template <auto member>
std::optional<Failure> setText(typename OwnerOf<decltype(member)>::type& owner,
                               std::string_view value) {
  owner.*member = std::string(value);
  return std::nullopt;
}
template <auto member>
std::optional<Failure> setFlag(typename OwnerOf<decltype(member)>::type& owner, std::string_view) {
  owner.*member = true;
  return std::nullopt;
}

// Every option of tallowick-sim: its name, its value as the help shows it (none for a
// flag), its help, and what it sets: the printer's settings (the options any printer can
// be set up with) or the program's own.
struct SimOption {
  std::string_view name;
  std::string_view value;
  std::string_view help;
  std::optional<Failure> (*setPrinter)(PrinterSettings&, std::string_view) = nullptr;
  std::optional<Failure> (*setProgram)(SimOptions&, std::string_view) = nullptr;
  std::string_view alias = {};
};

const SimOption kOptions[] = {
    {"--link", "PATH",
     "where to put the symlink to the terminal (required; an old symlink there is replaced, "
     "any other file is left alone)",
     nullptr, setText<&SimOptions::linkPath>},
    {"--model", "M", "model the printer reports (default \"Veltor FP-90T\")",
     setText<&PrinterSettings::model>},
    {"--firmware", "F", "firmware version it reports (default \"3.01\")",
     setText<&PrinterSettings::firmware>},
    {"--country", "C", "country it reports (default \"Україна\")",
     setText<&PrinterSettings::country>},
    {"--baud", "B",
     "line rate it starts at: 9600, 19200, 57600 or 115200 (default 9600); the printer "
     "answers only a host set to its rate, and changes rate when told to by command 27h",
     readBaud},
    {"--service-mode", "", "start with service mode on (bit 0 of status byte 0)",
     setFlag<&PrinterSettings::serviceMode>},
    {"--no-reboot", "",
     "set bit 2 of status byte 0 in the reply to 82h: the printer needs no reboot after its "
     "clock is set",
     setFlag<&PrinterSettings::noRebootNeeded>},
    {"--open-document", "D", "the document open at start: none (default), service, sale or return",
     readOpenDocument},
    {"--daily-counter", "N",
     "what reading daily counter 6 (E2h) answers (default 0; not 0 asks for a second control "
     "tape)",
     readDailyCounter},
    {"--registrator-params", "\"F1;F2;F3;F4;F5;F6\"",
     "fields 1 to 6 of the registrator parameters (28h): F1 and F6 decimal, F2 to F5 "
     "hexadecimal (default \"0;001F;02;AB;00;05\")",
     readRegistratorParams},
    {"--reboot-seconds", "S",
     "how long the printer stays silent after answering a reboot (F3h), in seconds (default "
     "3; 0 for no silence)",
     readRebootSeconds},
    {"--realistic", "",
     "realistic timing: bytes take their time at the line rate (10 bits each), and printing "
     "keeps the printer busy, with a busy byte (16h) every 80 ms, before the reply comes",
     setFlag<&PrinterSettings::realistic>},
    {"--print-time-scale", "X",
     "multiply the print times of --realistic by X (default 1; 0 for no print time at all)",
     readPrintTimeScale},
    {"--strict", "",
     "refuse what a real printer refuses (an article never programmed, a sale with no "
     "receipt open, closing a receipt that is not open, a wrong password); without it every "
     "well-formed command is carried out",
     setFlag<&PrinterSettings::strict>},
    {"--trace", "FILE", "write every frame on the line to FILE, one JSON object a line", nullptr,
     setText<&SimOptions::tracePath>},
    {"--paper", "FILE",
     "write what the printer prints to FILE as UTF-8 text, one line a line; display and "
     "drawer events appear in [brackets]",
     nullptr, setText<&SimOptions::paperPath>},
    {"--fault", "RULE", "stage a fault (may be given several times; see below)", nullptr,
     readFault},
    {"--help", "", "show this text", nullptr, setFlag<&SimOptions::help>, "-h"},
};

const SimOption* findOption(std::string_view name) {
  for (const SimOption& o : kOptions) {
    if (o.name == name || (!o.alias.empty() && o.alias == name)) return &o;
  }
  return nullptr;
}

}  // namespace

std::string simHelpText() {
  std::string text = R"(Usage: tallowick-sim --link PATH [options]

Serves a virtual Veltor fiscal printer on a pseudo-terminal until interrupted
(Ctrl+C). Point Tallowick at PATH as its serial port.

Options:
)";
  for (const SimOption& o : kOptions) {
    text += help::entry(help::head(o.name, o.value), o.help, 2, 20);
  }
  text += R"(
Options take their value as the next argument or after '=' (--baud=19200).
A bad value ends the program with exit code 2.

)";
  text += faultSyntaxHelp();
  return text;
}

std::optional<bool> applyPrinterOption(PrinterSettings& settings, std::string_view name,
                                       std::string_view value, std::string& error) {
  const SimOption* option = findOption(name);
  if (option == nullptr || option->setPrinter == nullptr) return std::nullopt;
  if (auto failed = option->setPrinter(settings, value)) {
    error = failed->message;
    return false;
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
    const SimOption* option = findOption(name);
    if (option == nullptr) {
      error = "unknown option '" + std::string(name) + "' (see --help)";
      return std::nullopt;
    }
    const bool isFlag = option->value.empty();
    if (isFlag && inlineValue) {
      error = std::string(name) + " takes no value";
      return std::nullopt;
    }
    std::string_view value;
    if (!isFlag) {
      if (inlineValue) {
        value = *inlineValue;
      } else if (i + 1 < args.size()) {
        value = args[++i];
      } else {
        error = std::string(name) + " needs a value";
        return std::nullopt;
      }
    }
    const auto failed = option->setProgram ? option->setProgram(options, value)
                                           : option->setPrinter(options.settings, value);
    if (failed) {
      error = failed->message;
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
    error = problem->message;
    return std::nullopt;
  }
  return options;
}

}  // namespace tallowick::sim
