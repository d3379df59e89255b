#include "sim/fault_plan.h"

#include <gtest/gtest.h>

namespace tallowick::sim {
namespace {

using std::chrono::milliseconds;

FaultRule rule(std::optional<std::uint8_t> command, std::optional<unsigned> occurrence,
               FaultKind kind) {
  FaultRule r;
  r.command = command;
  r.occurrence = occurrence;
  r.kind = kind;
  return r;
}

TEST(FaultPlan, ParsesEveryAction) {
  auto error = rule(0x80, {}, FaultKind::Error);
  error.errorCode = "0012";
  auto nakTwice = rule(0x30, 2u, FaultKind::Nak);
  auto nakFirstThree = rule({}, 1u, FaultKind::Nak);
  nakTwice.span = 2;
  nakFirstThree.span = 3;
  auto busy = rule({}, {}, FaultKind::Busy);
  busy.count = 5;
  auto spacedBusy = busy;
  spacedBusy.interval = milliseconds(200);
  auto cut = rule(0x80, {}, FaultKind::Cut);
  cut.count = 7;
  auto garbage = rule(0xA1, {}, FaultKind::Garbage);
  garbage.bytes = {0x7F, 0x7F, 0x00};
  auto reboot = rule(0xF3, {}, FaultKind::Reboot);
  reboot.interval = milliseconds(30000);
  auto fields = rule(0x28, 1u, FaultKind::Fields);
  fields.fields = "x;0;1F;2;AB;0;5;";
  auto status = rule(0x81, 2u, FaultKind::StatusBits);
  status.statusBits = 0x73;
  auto inside = garbage;
  inside.bytes = {0x13, 0x0D};
  inside.position = 9;
  auto endless = rule(0xA1, {}, FaultKind::EndlessBusy);
  endless.interval = milliseconds(80);
  auto endlessSpaced = endless;
  endlessSpaced.interval = milliseconds(500);

  const std::vector<std::pair<const char*, FaultRule>> cases = {
      {"80:error=0012", error},
      {"30#2:nak=2", nakTwice},
      {"any#3:silence", rule({}, 3u, FaultKind::Silence)},
      {"any:nak", rule({}, {}, FaultKind::Nak)},
      {"ANY:NAK=3", nakFirstThree},
      {"any:busy=5", busy},
      {"any:busy=5@200", spacedBusy},
      {"80:checksum", rule(0x80, {}, FaultKind::BadChecksum)},
      {"80:cut=7", cut},
      {"a1:garbage=7f7F00", garbage},
      {"F3:reboot=30000", reboot},
      {"28#1:fields=x;0;1F;2;AB;0;5;", fields},
      {"81#2:s2=73", status},
      {"5:silence", rule(0x05, {}, FaultKind::Silence)},
      {"a1:garbage=130D@9", inside},
      {"80:other-seq", rule(0x80, {}, FaultKind::OtherSeq)},
      {"80#2:other-cmd", rule(0x80, 2u, FaultKind::OtherCommand)},
      {"any:late-copy", rule({}, {}, FaultKind::LateCopy)},
      {"any#40:lag", rule({}, 40u, FaultKind::Lag)},
      {"A1:endless-busy", endless},
      {"A1:endless-busy=500", endlessSpaced},
      {"F3#1:hangup", rule(0xF3, 1u, FaultKind::Hangup)},
  };
  for (const auto& [text, expected] : cases) {
    std::string why;
    const auto parsed = parseFaultRule(text, why);
    ASSERT_TRUE(parsed) << text << ": " << why;
    EXPECT_EQ(*parsed, expected) << text;
  }
}

TEST(FaultPlan, RefusesBadTextWithAReason) {
  const std::vector<std::pair<const char*, const char*>> cases = {
      {"80", "WHICH:ACTION"},
      {"180:nak", "command code"},
      {"zz:nak", "command code"},
      {":nak", "command code"},
      {"80#0:nak", "occurrence"},
      {"80#x:nak", "occurrence"},
      {"80#+:nak", "occurrence"},
      {"80#0+:nak", "occurrence"},
      {"80#2++:nak", "occurrence"},
      {"80:explode", "unknown action 'explode'"},
      {"80:error", "needs a value"},
      {"80:error=", "error code"},
      {"80:error=00;1", "error code"},
      {"80:nak=0", "count"},
      {"80:busy=", "count"},
      {"80:busy=3@", "milliseconds"},
      {"80:checksum=1", "takes no value"},
      {"80:cut=-1", "bytes to keep"},
      {"80:garbage=7F7", "hexadecimal"},
      {"80:garbage=GG", "hexadecimal"},
      {"80:reboot=0", "milliseconds"},
      {"81:s2=0", "one byte"},
      {"81:s2=0303", "one byte"},
      {"80:silence=5", "takes no value"},
      {"80:garbage=13@", "reply bytes"},
      {"80:garbage=13@x", "reply bytes"},
      {"80:endless-busy=0", "milliseconds"},
      {"80:lag=1", "takes no value"},
      {"80:hangup=now", "takes no value"},
  };
  for (const auto& [text, reason] : cases) {
    std::string why;
    EXPECT_FALSE(parseFaultRule(text, why)) << text;
    EXPECT_NE(why.find(reason), std::string::npos) << text << " said: " << why;
    EXPECT_NE(why.find(text), std::string::npos) << "the message names the fault: " << why;
  }
}

// The parser and the help are made from one table: every action the parser names when it
// refuses one is explained, with the value it says it needs.
TEST(FaultPlan, TheHelpExplainsEveryActionTheParserKnows) {
  std::string why;
  ASSERT_FALSE(parseFaultRule("80:explode", why));
  const auto from = why.find("(expected ") + 10;
  std::string list = why.substr(from, why.rfind(')') - from);
  list.replace(list.rfind(" or "), 4, ", ");
  const std::string help = faultSyntaxHelp();
  std::size_t actions = 0;
  for (std::size_t start = 0; start < list.size(); ++actions) {
    const std::string item = list.substr(start, list.find(", ", start) - start);
    start += item.size() + 2;
    EXPECT_NE(help.find("   " + item), std::string::npos) << item;
    const std::string name = item.ends_with('=') ? item.substr(0, item.size() - 1) : item;
    std::string needs;
    if (!parseFaultRule("80:" + name, needs) &&
        needs.find("needs a value: ") != std::string::npos) {
      const std::string form = needs.substr(needs.find("needs a value: ") + 15);
      EXPECT_NE(help.find("   " + form), std::string::npos) << form;
    }
  }
  EXPECT_EQ(actions, 16u) << list;
}

// Which of the requests (numbered from 1) a plan hits.
std::vector<int> hitRequests(std::vector<const char*> rules,
                             const std::vector<std::uint8_t>& cmds) {
  FaultPlan plan;
  for (const char* text : rules) {
    std::string why;
    plan.add(*parseFaultRule(text, why));
  }
  std::vector<int> hits;
  for (std::size_t i = 0; i < cmds.size(); ++i) {
    if (plan.onRequest(cmds[i]).any()) hits.push_back(static_cast<int>(i + 1));
  }
  return hits;
}

TEST(FaultPlan, CountsOccurrencesPerCommandOrOverall) {
  const std::vector<std::uint8_t> cmds = {0x80, 0x30, 0x30, 0x80, 0x30, 0x30, 0x30};
  struct Case {
    std::vector<const char*> rules;
    std::vector<int> hits;
  };
  const std::vector<Case> cases = {
      {{"80:nak"}, {1, 4}},
      {{"30#2:error=0012"}, {3}},
      {{"30#2:nak=2"}, {3, 5}},
      {{"any#3:silence"}, {3}},
      {{"any:nak=2"}, {1, 2}},
      {{"any:busy=1"}, {1, 2, 3, 4, 5, 6, 7}},
      {{"21:nak"}, {}},
      {{"80#2:cut=3", "any#6:checksum"}, {4, 6}},
      {{"any#5+:silence"}, {5, 6, 7}},
      {{"30#3+:error=0012"}, {5, 6, 7}},
      {{"80#2+:nak"}, {4}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(hitRequests(c.rules, cmds), c.hits) << c.rules.front();
  }
}

TEST(FaultPlan, EffectsOfSeveralRulesAddUp) {
  FaultPlan plan;
  std::string why;
  for (const char* text : {"80:busy=2@10", "any:busy=1", "80:garbage=7F", "any:garbage=00",
                           "80:cut=9", "any:cut=4", "80:reboot=500", "80:error=0012"}) {
    plan.add(*parseFaultRule(text, why));
  }
  const FaultEffects fx = plan.onRequest(0x80);
  EXPECT_EQ(fx.busyBytes, 3u);
  EXPECT_EQ(fx.busyInterval, milliseconds(10));
  EXPECT_EQ(fx.garbage, (std::vector<std::uint8_t>{0x7F, 0x00}));
  EXPECT_EQ(fx.cutAfter, 4u);
  EXPECT_EQ(fx.rebootFor, milliseconds(500));
  EXPECT_EQ(fx.errorCode, "0012");
  EXPECT_FALSE(fx.nak || fx.silence || fx.badChecksum);
}

}  // namespace
}  // namespace tallowick::sim
