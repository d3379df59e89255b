// A command of tallowick-cli is an object that declares its options once, each with its
// name, its value and its help; the parser, the usage errors and the help are made from
// those declarations. A new option is one line in its command, a new command one object in
// the list of commands.
#pragma once

#include <deque>
#include <iosfwd>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli.h"
#include "platform/failure.h"

namespace tallowick {

struct Option {
  std::string_view name;   // "--passes"
  std::string_view value;  // what it takes, as the help names it ("N"); empty: a flag.
                           // Choices "a|b|c" are named in the usage errors as "a, b or c".
  std::string_view help;   // what it does, for the help
  bool required = false;   // the command refuses to run without it: "COMMAND needs --NAME"
  bool several = false;    // may be given several times, every value counting
  // The help shows the two as one choice: [--log FILE | --log-dir DIR]. The command
  // refuses them together.
  const Option* insteadOf = nullptr;
  // The usage error for a value the command cannot take; nullptr: the command reads the
  // value itself.
  std::optional<Failure> (*check)(const std::string& value) = nullptr;
  // Every command takes it: the help names it once, after the commands, in no synopsis.
  bool everyCommand = false;

  // "--name VALUE", as the help shows it.
  std::string head() const;
};

// The options a command line gave, looked up by their declarations.
class Given {
 public:
  bool has(const Option& option) const;
  // The last value given; `fallback` when none was.
  std::string get(const Option& option, std::string fallback = {}) const;
  std::optional<std::string> optional(const Option& option) const;
  std::vector<std::string> all(const Option& option) const;

 private:
  friend class Command;
  std::map<std::string, std::vector<std::string>, std::less<>> values_;
};

class Command {
 public:
  virtual ~Command() = default;
  Command(const Command&) = delete;
  Command& operator=(const Command&) = delete;

  // The names it is called by: one, or several for a family of commands run alike.
  const std::vector<std::string_view>& names() const { return names_; }
  // Runs `args`, the command line without the program's name; the exit code.
  virtual int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                  const CliContext& context) const = 0;

  // For the help: the forms it is called in (itself, or its verbs), what it does, and its
  // options in the order declared.
  virtual std::vector<const Command*> forms() const { return {this}; }
  std::string_view about() const { return about_; }
  const std::deque<Option>& options() const { return options_; }
  // Its form of call with every option, laid out from the second column and continued
  // under its first option.
  std::string synopsis() const;

 protected:
  // `operands`: the words between the name and the options ("N"), as the help names them.
  Command(std::vector<std::string_view> names, std::string_view operands, std::string_view about);

  // For a command of verbs (`book add`, `history show`): runs the form whose verb follows
  // the name, the first form when an option or nothing comes first; `verbs` names forms() in
  // their order.
  int runVerb(std::span<const std::string_view> verbs, const std::vector<std::string>& args,
              std::ostream& out, std::ostream& err, const CliContext& context) const;

  // Declares an option of this command, in the order the help lists them.
  const Option& option(const Option& declared);

  // The one word after the first `skip` of `args` that is no option and no option's value
  // (the ID of "history show ID"); `rest` gets every other word.
  std::string operand(const std::vector<std::string>& args, std::size_t skip,
                      std::vector<std::string>& rest) const;

  // Reads the options after the first `skip` words of `args`: the usage error that names
  // the first problem from the left, or nothing. `who` is the command as it was called.
  std::optional<Failure> read(const std::vector<std::string>& args, std::size_t skip,
                              std::string_view who, Given& given) const;

 private:
  std::vector<std::string_view> names_;
  std::string_view operands_;
  std::string_view about_;
  std::deque<Option> options_;  // keeps its elements in place as it grows
};

// The commands' part of the help: each command's forms, what it does and its own options,
// then the options several commands take, each described once.
std::string commandsHelp(const std::vector<const Command*>& commands);

// The usage error of a required option that is missing: "COMMAND needs --NAME", with its
// choices when it has some.
std::string needs(std::string_view who, const Option& option);
// An option's choices, "a, b or c".
std::string choices(const Option& option);

// A command that talks to a printer: it needs a port and takes the line rate.
class PortCommand : public Command {
 protected:
  enum class Ports { One, Several };
  PortCommand(std::vector<std::string_view> names, std::string_view operands,
              std::string_view about, Ports ports = Ports::One);

  // The index among the main window's rates of the rate given.
  int baudIndex(const Given& given) const;

  const Option& port;
  const Option& baud;
};

// The options several commands take. The line database and the station are taken by
// every command, so that a script may give them to any.
inline constexpr Option kDatabaseOption{
    .name = "--database",
    .value = "CONNINFO",
    .help =
        "the line database, as libpq takes it: postgresql://USER@HOST/DB, 'host=… dbname=…' "
        "or service=NAME; its password comes from libpq's password or service file "
        "(default: TALLOWICK_DATABASE, else the computer's setting; '' for none)",
    .everyCommand = true};
inline constexpr Option kStationOption{
    .name = "--station",
    .value = "NAME",
    .help =
        "this station's name on the line (default: TALLOWICK_STATION, else the "
        "computer's setting, else the computer's name)",
    .everyCommand = true};
inline constexpr Option kHistoryOption{
    .name = "--history",
    .value = "FILE",
    .help =
        "the history: FILE, else the file TALLOWICK_HISTORY names, else history.sqlite3 "
        "beside the book of serial numbers"};
inline constexpr Option kRegistryOption{
    "--registry", "FILE",
    "the station's own book of serial numbers (default: the desktop tool's; on Windows the "
    "registry)"};

// Writes the reason and where to read more (the whole help would bury the reason); the
// exit code of bad usage.
int usageError(std::ostream& err, const std::string& what);

}  // namespace tallowick
