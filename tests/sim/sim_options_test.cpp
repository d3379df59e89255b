#include "sim/sim_options.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdlib>

#include "sim/trace_json.h"

namespace tallowick::sim {
namespace {

std::optional<SimOptions> parse(std::vector<std::string_view> args, std::string& error) {
  return parseSimOptions(args, error);
}

TEST(SimOptions, ReadsEveryOption) {
  std::string error;
  const auto o = parse({"--link", "printer", "--model=Veltor KM-15", "--firmware", "2.02",
                        "--country", "Moldova", "--baud", "19200", "--service-mode", "--trace",
                        "trace.jsonl", "--fault", "80:error=0012", "--fault=any#3:silence"},
                       error);
  ASSERT_TRUE(o) << error;
  EXPECT_EQ(o->linkPath, "printer");
  EXPECT_EQ(o->settings.model, "Veltor KM-15");
  EXPECT_EQ(o->settings.firmware, "2.02");
  EXPECT_EQ(o->settings.country, "Moldova");
  EXPECT_EQ(o->settings.baud, 19200);
  EXPECT_TRUE(o->settings.serviceMode);
  EXPECT_EQ(o->tracePath, "trace.jsonl");
  EXPECT_EQ(o->faults.rules().size(), 2u);
  EXPECT_FALSE(o->help);
  EXPECT_FALSE(o->settings.strict);
  EXPECT_FALSE(o->settings.realistic);

  const auto p =
      parse({"--link=printer", "--no-reboot", "--open-document", "return", "--daily-counter=3",
             "--registrator-params", "1;FFFF;0a;FF;00;99;", "--reboot-seconds", "0.25",
             "--realistic", "--print-time-scale=0", "--strict", "--paper", "paper.txt"},
            error);
  ASSERT_TRUE(p) << error;
  const PrinterSettings& s = p->settings;
  EXPECT_TRUE(s.noRebootNeeded);
  EXPECT_EQ(s.openDocument, DocumentKind::Return);
  EXPECT_EQ(s.dailyCounter, 3);
  EXPECT_EQ(s.registratorParams, (RegistratorParams{1, 0xFFFF, 0x0A, 0xFF, 0, 99}));
  EXPECT_EQ(s.rebootTime, std::chrono::milliseconds(250));
  EXPECT_TRUE(s.realistic);
  EXPECT_EQ(s.printTimeScale, 0.0);
  EXPECT_TRUE(s.strict);
  EXPECT_EQ(p->paperPath, "paper.txt");
}

TEST(SimOptions, RefusesBadUsageWithAReason) {
  const std::vector<std::pair<std::vector<std::string_view>, const char*>> cases = {
      {{}, "--link PATH is required"},
      {{"--link"}, "needs a value"},
      {{"--link", "p", "--bogus"}, "unknown option '--bogus'"},
      {{"--link", "p", "--baud", "fast"}, "needs a number"},
      {{"--link", "p", "--baud", "4800"}, "9600, 19200"},
      {{"--link", "p", "--fault", "80:explode"}, "bad fault '80:explode'"},
      {{"--link", "p", "--service-mode=1"}, "takes no value"},
      {{"--link", "p", "--country", "\xE2\x82\xBF"}, "country"},
      {{"--link", "p", "--trace", "p"}, "different files"},
      {{"--link", "p", "--paper", "t", "--trace", "t"}, "different files"},
      {{"--link", "p", "--strict=yes"}, "takes no value"},
      {{"--link", "p", "--open-document", "fiscal"}, "none, service, sale or return"},
      {{"--link", "p", "--daily-counter", "-1"}, "--daily-counter"},
      {{"--link", "p", "--daily-counter", "3x"}, "--daily-counter"},
      {{"--link", "p", "--registrator-params", "0;1F;02;AB;00"}, "six fields"},
      {{"--link", "p", "--registrator-params", "0;10000;02;AB;00;05"}, "six fields"},
      {{"--link", "p", "--registrator-params", "0;1F;02;AB;00;100"}, "six fields"},
      {{"--link", "p", "--registrator-params", "x;1F;02;AB;00;05"}, "six fields"},
      {{"--link", "p", "--reboot-seconds", "-1"}, "--reboot-seconds"},
      {{"--link", "p", "--reboot-seconds", "3601"}, "--reboot-seconds"},
      {{"--link", "p", "--print-time-scale", "fast"}, "--print-time-scale"},
      {{"--link", "p", "--realistic", "--print-time-scale"}, "needs a value"},
  };
  for (const auto& [args, reason] : cases) {
    std::string error;
    EXPECT_FALSE(parse(args, error)) << reason;
    EXPECT_NE(error.find(reason), std::string::npos) << error;
  }
}

TEST(SimOptions, HelpExplainsEveryOption) {
  const std::string help = simHelpText();
  for (const char* option :
       {"--link", "--model", "--firmware", "--country", "--baud", "--service-mode", "--no-reboot",
        "--open-document", "--daily-counter", "--registrator-params", "--reboot-seconds",
        "--realistic", "--print-time-scale", "--strict", "--trace", "--paper", "--fault"}) {
    EXPECT_NE(help.find(std::string("\n  ") + option + " "), std::string::npos) << option;
  }
}

// A printer set up in-process takes the printer's options as the command line does, and
// leaves the program's own to it.
TEST(SimOptions, APrinterIsSetUpInProcessAsOnTheCommandLine) {
  PrinterSettings s;
  std::string error;
  EXPECT_EQ(applyPrinterOption(s, "--model", "Veltor KM-15", error), true);
  EXPECT_EQ(applyPrinterOption(s, "--strict", "", error), true);
  EXPECT_EQ(applyPrinterOption(s, "--reboot-seconds", "0.5", error), true);
  EXPECT_EQ(s.model, "Veltor KM-15");
  EXPECT_TRUE(s.strict);
  EXPECT_EQ(s.rebootTime, std::chrono::milliseconds(500));
  EXPECT_EQ(applyPrinterOption(s, "--baud", "4800", error), false);
  EXPECT_NE(error.find("9600, 19200"), std::string::npos) << error;
  EXPECT_EQ(s.baud, 9600);
  for (const char* notThePrinters : {"--link", "--fault", "--help", "--bogus"})
    EXPECT_EQ(applyPrinterOption(s, notThePrinters, "x", error), std::nullopt) << notThePrinters;

  const auto help = parse({"-h", "--model", "KM-15"}, error);
  ASSERT_TRUE(help) << error;
  EXPECT_TRUE(help->help);
  EXPECT_EQ(help->settings.model, "KM-15");
}

#ifdef TALLOWICK_SIM_EXE
TEST(SimExecutable, ExitsWithTwoOnBadUsage) {
  const std::string exe = TALLOWICK_SIM_EXE;
  const std::string quiet = " >/dev/null 2>&1";
  EXPECT_EQ(WEXITSTATUS(std::system((exe + " --bogus" + quiet).c_str())), 2);
  EXPECT_EQ(WEXITSTATUS(std::system((exe + " --link" + quiet).c_str())), 2);
  EXPECT_EQ(WEXITSTATUS(std::system((exe + " --link p --daily-counter x" + quiet).c_str())), 2);
  EXPECT_EQ(WEXITSTATUS(std::system((exe + " --help" + quiet).c_str())), 0);
}
#endif

TEST(TraceJson, OneEscapedObjectPerFrame) {
  const std::uint8_t bytes[] = {0x01, 0x7F};
  const std::string wire = "0\"1\\\n\x01;\xD3\xEA";  // quote, backslash, control, Cyrillic
  const std::span<const std::uint8_t> text(reinterpret_cast<const std::uint8_t*>(wire.data()),
                                           wire.size());
  TraceEvent e{
      TraceDirection::Printer, TraceKind::Reply, Micros{12345}, bytes, 0x80, text, "cut (fault)"};
  EXPECT_EQ(traceJsonLine(e),
            "{\"t_ms\":12.345,\"dir\":\"printer\",\"kind\":\"reply\",\"cmd\":\"80\","
            "\"bytes\":\"01 7F\",\"text\":\"0\\\"1\\\\\\n\\u0001;Ук\",\"note\":\"cut (fault)\"}");

  TraceEvent host{TraceDirection::Host, TraceKind::Unheard, Micros{0}, bytes, {}, {}, {}};
  EXPECT_EQ(traceJsonLine(host),
            "{\"t_ms\":0.0,\"dir\":\"host\",\"kind\":\"unheard\",\"bytes\":\"01 7F\"}");
}

}  // namespace
}  // namespace tallowick::sim
