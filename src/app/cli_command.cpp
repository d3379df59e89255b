#include "app/cli_command.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <iterator>
#include <ostream>

#include "app/exit_codes.h"
#include "link/help_text.h"
#include "mainform/connection.h"

namespace tallowick {

std::string Option::head() const {
  return help::head(name, value);
}

bool Given::has(const Option& option) const {
  const auto it = values_.find(option.name);
  return it != values_.end() && !it->second.empty();
}

std::string Given::get(const Option& option, std::string fallback) const {
  return has(option) ? values_.find(option.name)->second.back() : std::move(fallback);
}

std::optional<std::string> Given::optional(const Option& option) const {
  return has(option) ? std::optional(get(option)) : std::nullopt;
}

std::vector<std::string> Given::all(const Option& option) const {
  return has(option) ? values_.find(option.name)->second : std::vector<std::string>{};
}

Command::Command(std::vector<std::string_view> names, std::string_view operands,
                 std::string_view about)
    : names_(std::move(names)), operands_(operands), about_(about) {
  option(kDatabaseOption);
  option(kStationOption);
}

std::string Command::operand(const std::vector<std::string>& args, std::size_t skip,
                             std::vector<std::string>& rest) const {
  rest.assign(args.begin(), args.begin() + static_cast<std::ptrdiff_t>(skip));
  std::string found;
  for (std::size_t i = skip; i < args.size(); ++i) {
    const bool takesValue = std::any_of(options_.begin(), options_.end(), [&](const Option& o) {
      return !o.value.empty() && args[i] == o.name;
    });
    if (takesValue && i + 1 < args.size()) {
      rest.insert(rest.end(), {args[i], args[i + 1]});
      ++i;
    } else if (found.empty() && !args[i].starts_with("-")) {
      found = args[i];
    } else {
      rest.push_back(args[i]);
    }
  }
  return found;
}

const Option& Command::option(const Option& declared) {
  return options_.emplace_back(declared);
}

std::string Command::synopsis() const {
  // The names and operands stay on the first line; the options follow as far as they fit
  // and go on under them.
  std::string called;
  for (const std::string_view name : names_)
    called += std::string(name) + (name == names_.back() ? "" : " | ");
  if (!operands_.empty()) called += " " + std::string(operands_);
  std::vector<std::string> pieces{called};
  for (const Option& o : options_) {
    // Shown with the option it stands for, or once for every command.
    if (o.insteadOf != nullptr || o.everyCommand) continue;
    std::string piece = o.head();
    for (const Option& other : options_) {
      if (other.insteadOf == &o) piece += " | " + other.head();
    }
    pieces.push_back(o.required ? piece : "[" + piece + "]");
    if (o.several) pieces.push_back("[" + o.head() + " ...]");
  }
  const std::string_view firstWord = names_.front().substr(0, names_.front().find(' '));
  const std::size_t indent = 2 + help::columns(firstWord) + 1;
  return "  " + help::flowed({pieces.begin(), pieces.end()}, 2, indent) + "\n";
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

std::optional<Failure> Command::read(const std::vector<std::string>& args, std::size_t skip,
                                     std::string_view who, Given& given) const {
  CLI::App app;
  // The help is asked for right after the command and answered before any parsing.
  app.set_help_flag();
  app.allow_extras();
  for (const Option& o : options_) {
    const std::string name(o.name);
    if (o.value.empty()) {
      app.add_flag(name);
    } else {
      // One value per occurrence: a second value is not taken for the option's.
      app.add_option(name, given.values_[name])->allow_extra_args(false);
    }
  }
  // The parser takes the arguments last first.
  const auto first = args.begin() + static_cast<std::ptrdiff_t>(std::min(args.size(), skip));
  std::vector<std::string> reversed(std::make_reverse_iterator(args.end()),
                                    std::make_reverse_iterator(first));
  try {
    app.parse(reversed);
  } catch (const CLI::ParseError& e) {
    return Failure{refusal(e, app)};
  }
  if (!app.remaining().empty()) return Failure{"unknown option: " + app.remaining().front()};
  for (const Option& o : options_) {
    const std::string name(o.name);
    if (o.value.empty() && app.count(name) > 0) given.values_[name].emplace_back();
  }
  // What the options' declarations refuse, in their order.
  for (const Option& o : options_) {
    if (o.required && !given.has(o)) return Failure{needs(who, o)};
    if (o.check != nullptr && given.has(o)) {
      if (auto refused = o.check(given.get(o))) return refused;
    }
  }
  return std::nullopt;
}

std::string choices(const Option& option) {
  std::vector<std::string_view> each;
  for (std::size_t start = 0; start <= option.value.size();) {
    const std::size_t end = std::min(option.value.find('|', start), option.value.size());
    each.push_back(option.value.substr(start, end - start));
    start = end + 1;
  }
  return help::listed(each);
}

std::string needs(std::string_view who, const Option& option) {
  const bool hasChoices = option.value.find('|') != std::string_view::npos;
  return std::string(who) + " needs " + std::string(option.name) +
         (hasChoices ? " " + choices(option) : "");
}

namespace {

// Options that are the same option where several commands take them.
bool same(const Option& a, const Option& b) {
  return a.name == b.name && a.help == b.help;
}

// The options of a command, those of its verbs included, each once.
std::vector<const Option*> optionsOf(const Command& command) {
  std::vector<const Option*> found;
  for (const Command* form : command.forms()) {
    for (const Option& o : form->options()) {
      if (o.everyCommand) continue;
      if (std::none_of(found.begin(), found.end(), [&](const Option* f) { return same(*f, o); }))
        found.push_back(&o);
    }
  }
  return found;
}

// Where the options are described: under each command, and in the list of those that
// several commands share.
constexpr std::size_t kOwnIndent = 6;
constexpr std::size_t kSharedIndent = 2;
constexpr std::size_t kHeadWidth = 17;

}  // namespace

std::string commandsHelp(const std::vector<const Command*>& commands) {
  std::vector<std::vector<const Option*>> options;
  for (const Command* c : commands)
    options.push_back(optionsOf(*c));
  std::vector<const Option*> shared;
  for (std::size_t i = 0; i < commands.size(); ++i) {
    for (const Option* o : options[i]) {
      const auto isIt = [&](const Option* other) { return same(*other, *o); };
      const bool elsewhere = std::any_of(options.begin() + i + 1, options.end(), [&](auto& later) {
        return std::any_of(later.begin(), later.end(), isIt);
      });
      if (elsewhere && std::none_of(shared.begin(), shared.end(), isIt)) shared.push_back(o);
    }
  }

  std::string text = "Commands:\n";
  for (std::size_t i = 0; i < commands.size(); ++i) {
    for (const Command* form : commands[i]->forms())
      text += form->synopsis();
    if (!commands[i]->about().empty()) text += help::paragraph(commands[i]->about(), kOwnIndent);
    for (const Option* o : options[i]) {
      const auto isIt = [&](const Option* other) { return same(*other, *o); };
      if (std::none_of(shared.begin(), shared.end(), isIt)) {
        text += help::entry(o->head(), o->help, kOwnIndent, kOwnIndent + kHeadWidth);
      }
    }
  }
  text += "\nOptions of several commands:\n";
  for (const Option* o : shared)
    text += help::entry(o->head(), o->help, kSharedIndent, kSharedIndent + kHeadWidth);
  text += "\nOptions of every command:\n";
  for (const Option* o : {&kDatabaseOption, &kStationOption})
    text += help::entry(o->head(), o->help, kSharedIndent, kSharedIndent + kHeadWidth);
  return text;
}

namespace {

std::optional<int> rateIndex(const std::string& text) {
  for (int i = 0; i < static_cast<int>(std::size(kBaudRates)); ++i) {
    if (text == std::to_string(kBaudRates[i])) return i;
  }
  return std::nullopt;
}

std::optional<Failure> checkBaud(const std::string& text) {
  if (rateIndex(text)) return std::nullopt;
  return Failure{"unsupported baud rate: " + text};
}

}  // namespace

PortCommand::PortCommand(std::vector<std::string_view> names, std::string_view operands,
                         std::string_view about, Ports ports)
    : Command(std::move(names), operands, about),
      port(option({.name = "--port",
                   .value = "PORT",
                   .help = "a serial device (for example /dev/ttyUSB0, or COM3 on Windows), or "
                           "'sim' for the built-in virtual printer ('sim:MODEL' chooses its "
                           "model, e.g. sim:KM-15)",
                   .required = true,
                   .several = ports == Ports::Several})),
      baud(option({.name = "--baud",
                   .value = "RATE",
                   .help = "the line rate: 9600 (default), 19200, 57600 or 115200",
                   .check = checkBaud})) {}

int PortCommand::baudIndex(const Given& given) const {
  return rateIndex(given.get(baud)).value_or(0);
}

int Command::runVerb(std::span<const std::string_view> verbs, const std::vector<std::string>& args,
                     std::ostream& out, std::ostream& err, const CliContext& context) const {
  const bool named = args.size() > 1 && !args[1].starts_with("-");
  const std::string verb = named ? args[1] : std::string(verbs.front());
  const std::vector<const Command*> all = forms();
  for (std::size_t i = 0; i < verbs.size(); ++i) {
    if (verb == verbs[i]) return all[i]->run(args, out, err, context);
  }
  return usageError(err, std::string(names().front()) + " needs " +
                             help::listed({verbs.begin(), verbs.end()}) + ", not '" + verb + "'");
}

int usageError(std::ostream& err, const std::string& what) {
  err << "tallowick-cli: " << what << "\n"
      << "Run 'tallowick-cli --help' for the commands and their options.\n";
  return kExitPortOrUsage;
}

}  // namespace tallowick
