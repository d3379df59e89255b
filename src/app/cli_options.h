// The options of one tallowick-cli command: --name VALUE options and flags after the command
// and its positional arguments, with the usage error that names the first problem.
#pragma once

#include <iosfwd>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tallowick {

struct Options {
  // Every value each option was given, in order; the last one counts, except where a
  // command takes several (testrun's --port).
  std::map<std::string, std::vector<std::string>> values;
  std::set<std::string> flags;
  std::string error;  // the usage error; empty when the command line is good
  int baudIndex = 0;  // of --baud, 9600 when not given

  bool has(const std::string& name) const {
    const auto it = values.find(name);
    return it != values.end() && !it->second.empty();
  }
  std::string get(const std::string& name, std::string fallback) const {
    return has(name) ? values.at(name).back() : std::move(fallback);
  }
  std::vector<std::string> all(const std::string& name) const {
    return has(name) ? values.at(name) : std::vector<std::string>{};
  }
};

// The options after the command and its `positional` arguments; every command takes
// --port (needed) and --baud.
Options parseOptions(const std::vector<std::string>& args, std::set<std::string> known,
                     const std::set<std::string>& knownFlags = {}, std::size_t positional = 0);

// The same for a command that uses no port: only the options named, and no check of
// --port or --baud.
Options parseCommandOptions(const std::vector<std::string>& args,
                            const std::set<std::string>& known,
                            const std::set<std::string>& knownFlags = {},
                            std::size_t positional = 0);

// The index of the rate among the main window's rates.
std::optional<int> baudIndex(const std::string& text);

// Writes the reason and where to read more (the whole help would bury the reason); the
// exit code of bad usage.
int usageError(std::ostream& err, const std::string& what);

}  // namespace tallowick
