#include <gtest/gtest.h>

#include <deque>

#include "app/gui_options.h"
#include "gui/repainting_line.h"

namespace tallowick {
namespace {

// A line that hands out a scripted sequence of read results.
class ScriptedLine final : public SerialLine {
 public:
  explicit ScriptedLine(std::deque<ReadResult> reads) : reads_(std::move(reads)) {}
  std::int32_t open(const std::string&, std::int32_t) override { return 1; }
  bool close() override { return true; }
  bool isOpen() const override { return true; }
  void write(std::span<const std::uint8_t>) override {}
  ReadResult read(std::span<std::uint8_t>) override {
    if (reads_.empty()) return {ReadStatus::Timeout, 0};
    const ReadResult r = reads_.front();
    reads_.pop_front();
    return r;
  }
  void purge() override {}
  void drain() override {}
  void clearError() override {}

 private:
  std::deque<ReadResult> reads_;
};

TEST(RepaintingLine, RepaintsAfterEverySilentReadButNotAfterEachByteOfAReply) {
  std::deque<ReadResult> reads;
  for (int i = 0; i < 40; ++i)
    reads.push_back({ReadStatus::Bytes, 1});
  reads.push_back({ReadStatus::Timeout, 0});
  reads.push_back({ReadStatus::Timeout, 0});
  int repaints = 0;
  gui::RepaintingLine line(std::make_unique<ScriptedLine>(reads), [&] { ++repaints; });

  std::uint8_t into[1];
  for (int i = 0; i < 40; ++i)
    ASSERT_EQ(line.read(into).status, ReadStatus::Bytes);
  // A reply that arrives in one go costs no repaint per byte.
  EXPECT_LE(repaints, 1);
  const int beforeSilence = repaints;
  EXPECT_EQ(line.read(into).status, ReadStatus::Timeout);
  EXPECT_EQ(line.read(into).status, ReadStatus::Timeout);
  EXPECT_EQ(repaints, beforeSilence + 2);
}

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
