#include <gtest/gtest.h>

#include "app/gui_options.h"

namespace tallowick {
namespace {

TEST(GuiOptions, SimulateTakesAnOptionalModelAndRegistryAFile) {
  struct Case {
    std::vector<std::string> args;
    std::optional<std::string> simulate;
    std::optional<std::string> registry;
    std::string error;
  };
  const Case cases[] = {
      {{}, std::nullopt, std::nullopt, ""},
      {{"--simulate"}, "", std::nullopt, ""},
      {{"--simulate", "KM-15"}, "KM-15", std::nullopt, ""},
      {{"--simulate", "--registry", "book.sqlite3"}, "", "book.sqlite3", ""},
      {{"--registry", "b", "--simulate", "Veltor FP-820T"}, "Veltor FP-820T", "b", ""},
      {{"--registry"}, std::nullopt, std::nullopt, "option --registry needs a file"},
      {{"--port", "/dev/ttyUSB0", "--simulate"}, "", std::nullopt, ""},
      {{"--port"}, std::nullopt, std::nullopt, "option --port needs a port"},
      {{"--serial", "1"}, std::nullopt, std::nullopt, "unknown option: --serial"},
  };
  for (const Case& c : cases) {
    const GuiOptions o = parseGuiOptions(c.args);
    if (c.args.size() == 3 && c.args[0] == "--port") {
      EXPECT_EQ(o.port, "/dev/ttyUSB0");
    }
    EXPECT_EQ(o.simulate, c.simulate) << c.args.size();
    EXPECT_EQ(o.registry, c.registry);
    EXPECT_EQ(o.error, c.error);
  }
}

TEST(GuiOptions, TakeTheLineAndTheStationAsTheCommandLineDoes) {
  const struct {
    std::vector<std::string> args;
    std::optional<std::string> database, station;
    std::string error;
  } cases[] = {
      {{}, std::nullopt, std::nullopt, ""},
      {{"--database", "service=line", "--station", "bench-2"}, "service=line", "bench-2", ""},
      {{"--database", ""}, "", std::nullopt, ""},  // '' for none, over the variable
      {{"--database"}, std::nullopt, std::nullopt, "option --database needs a conninfo"},
      {{"--station"}, std::nullopt, std::nullopt, "option --station needs a name"},
  };
  for (const auto& c : cases) {
    const GuiOptions o = parseGuiOptions(c.args);
    EXPECT_EQ(o.database, c.database) << c.args.size();
    EXPECT_EQ(o.station, c.station);
    EXPECT_EQ(o.error, c.error);
  }
  EXPECT_NE(kGuiUsage.find("--database CONNINFO"), std::string::npos);
}

TEST(GuiOptions, LeavesTheToolkitItsOwnOptionsAndKnowsHelp) {
  const GuiOptions o = parseGuiOptions({"-platform", "offscreen", "--simulate"});
  EXPECT_EQ(o.toolkitArgs, (std::vector<std::string>{"-platform", "offscreen"}));
  EXPECT_TRUE(parseGuiOptions({"--help"}).help);
  const std::string usage = kGuiUsage;
  EXPECT_NE(usage.find("--simulate [MODEL]"), std::string::npos);
  EXPECT_NE(usage.find("--registry FILE"), std::string::npos);
  EXPECT_NE(usage.find("TALLOWICK_REGISTRY"), std::string::npos);
}

}  // namespace
}  // namespace tallowick
