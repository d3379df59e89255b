#include "app/cli_command.h"

#include <gtest/gtest.h>

#include <sstream>

#include "app/cli_harness.h"
#include "link/help_text.h"

namespace tallowick {
namespace {

std::optional<Failure> checkLevel(const std::string& value) {
  if (value.find_first_not_of("0123456789") == std::string::npos) return std::nullopt;
  return Failure{"--level needs a number, not '" + value + "'"};
}

// A command as a new one would be declared: each option once.
class Probe final : public Command {
 public:
  Probe() : Command({"probe"}, "", "What it does.") {}
  int run(const std::vector<std::string>&, std::ostream&, std::ostream&,
          const CliContext&) const override {
    return 0;
  }
  using Command::read;

  const Option& mode =
      option({.name = "--mode", .value = "fast|slow", .help = "how fast", .required = true});
  const Option& level =
      option({.name = "--level", .value = "N", .help = "the level", .check = checkLevel});
  const Option& quiet = option({"--quiet", "", "say nothing"});
  const Option& file = option({"--file", "FILE", "one file"});
  const Option& dir =
      option({.name = "--dir", .value = "DIR", .help = "a file per run", .insteadOf = &file});
  const Option& tag = option({.name = "--tag", .value = "T", .help = "a tag", .several = true});
};

// The first problem from the left is named, the declarations' own refusals in the order
// they were declared, after what the parser refuses.
TEST(CliCommand, ReadsWhatTheDeclarationsAllowAndNamesTheFirstProblem) {
  const Probe probe;
  const struct {
    std::vector<std::string> args;
    const char* refused;
  } cases[] = {
      {{"probe"}, "probe needs --mode fast or slow"},
      {{"probe", "--level", "x"}, "probe needs --mode fast or slow"},
      {{"probe", "--mode", "fast", "--level", "x"}, "--level needs a number, not 'x'"},
      {{"probe", "--mode", "fast", "--bogus", "--level"}, "unknown option: --bogus"},
      {{"probe", "--level", "1", "--mode"}, "option --mode needs a value"},
      {{"probe", "--mode", "slow", "word"}, "unknown option: word"},
  };
  for (const auto& c : cases) {
    Given given;
    const auto refused = probe.read(c.args, 1, "probe", given);
    ASSERT_TRUE(refused) << c.refused;
    EXPECT_EQ(refused->message, c.refused);
  }

  Given given;
  ASSERT_FALSE(
      probe.read({"probe", "--mode=slow", "--quiet", "--tag", "a", "--tag", "b", "--mode", "fast"},
                 1, "probe", given));
  EXPECT_EQ(given.get(probe.mode), "fast");  // the last one counts
  EXPECT_TRUE(given.has(probe.quiet));
  EXPECT_EQ(given.all(probe.tag), (std::vector<std::string>{"a", "b"}));
  EXPECT_FALSE(given.has(probe.file));
  EXPECT_EQ(given.optional(probe.file), std::nullopt);
  EXPECT_EQ(given.get(probe.level, "7"), "7");
}

TEST(CliCommand, TheHelpShowsEachOptionOnceAndSharedOnesAfterTheCommands) {
  const Probe probe;
  EXPECT_EQ(probe.synopsis(),
            "  probe --mode fast|slow [--level N] [--quiet] [--file FILE | --dir DIR]\n"
            "        [--tag T] [--tag T ...]\n");

  // Another command that takes the same --level and its own --quiet.
  class Other final : public Command {
   public:
    Other() : Command({"other", "again"}, "N", {}) {
      option({.name = "--level", .value = "N", .help = "the level", .check = checkLevel});
      option({"--quiet", "", "say less"});
    }
    int run(const std::vector<std::string>&, std::ostream&, std::ostream&,
            const CliContext&) const override {
      return 0;
    }
  } other;
  const std::string help = commandsHelp({&probe, &other});
  EXPECT_NE(help.find("  other | again N [--level N] [--quiet]\n"), std::string::npos) << help;
  EXPECT_NE(help.find("\nOptions of several commands:\n  --level N        the level\n"),
            std::string::npos)
      << help;
  for (const char* line : {"      --quiet          say nothing\n",
                           "      --quiet          say less\n", "      --tag T          a tag\n"}) {
    EXPECT_NE(help.find(line), std::string::npos) << line << help;
  }
  EXPECT_EQ(help.find("the level"), help.rfind("the level")) << help;
}

// The commands' part of the help is laid out for a terminal of 80 columns.
TEST(CliCommand, TheHelpFitsATerminal) {
  const CliRun r = cli({"--help"});
  std::istringstream lines(r.out.substr(0, r.out.find("\nExit codes:")));
  for (std::string line; std::getline(lines, line);)
    EXPECT_LE(help::columns(line), help::kWidth) << line;
}

}  // namespace
}  // namespace tallowick
