#include "app/cli.h"

#include <gtest/gtest.h>

#include <sstream>

#include "app/exit_codes.h"
#include "link/clock.h"
#include "sim/fault_plan.h"
#include "sim/virtual_printer.h"

namespace tallowick {
namespace {

struct CliRun {
  int code;
  std::string out;
  std::string err;
};

CliRun cli(const std::vector<std::string>& args, const char* fault = nullptr,
        bool serviceMode = false) {
  VirtualClock clock;
  CliContext context;
  context.simClock = &clock;
  context.prepareSim = [&](sim::VirtualPrinter& p) {
    p.settings().serviceMode = serviceMode;
    p.state().serviceMode = serviceMode;
    if (fault) {
      std::string error;
      auto rule = sim::parseFaultRule(fault, error);
      ASSERT_TRUE(rule) << error;
      p.faults().add(*rule);
    }
  };
  std::ostringstream out, err;
  const int code = runCli(args, out, err, context);
  return {code, out.str(), err.str()};
}

TEST(Cli, InfoIdentifiesTheVirtualPrinter) {
  const CliRun r = cli({"info", "--port", "sim"});
  EXPECT_EQ(r.code, kExitOk) << r.err;
  EXPECT_EQ(r.out,
            "Модель: Veltor FP-90T\nВерсия ПО: 3.01\nСтрана: Україна\nService Mode выключен.\n");
}

TEST(Cli, InfoNamesTheChosenModelAndServiceMode) {
  const CliRun r = cli({"info", "--port", "sim:KM-15", "--baud", "9600"}, nullptr, true);
  EXPECT_EQ(r.code, kExitOk) << r.err;
  EXPECT_NE(r.out.find("Модель: Veltor KM-15\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Внимание!  Service Mode включен.\n"), std::string::npos) << r.out;
}

TEST(Cli, InfoFailuresHaveTheirOwnExitCodesAndMessages) {
  struct Case {
    std::vector<std::string> args;
    const char* fault;
    int code;
    const char* message;
  };
  const Case cases[] = {
      {{"info", "--port", "sim"}, "80:silence", kExitNoReply,
       "message: Таймаут устройства! Ошибка GetDeviceInfo!\n"},
      {{"info", "--port", "sim"}, "any:nak", kExitNoReply, "message: Таймаут устройства!"},
      {{"info", "--port", "sim"}, "80:error=0012", kExitPrinterError,
       "message: Ошибка GetDeviceInfo\n"},
      {{"info", "--port", "/nonexistent/tty"}, nullptr, kExitPortOrUsage,
       "message: Невозможно подключить порт\n"},
      {{"info", "--port", "sim", "--baud", "19200"}, nullptr, kExitNoReply,
       "message: Таймаут устройства!"},  // the printer listens at 9600 only
      {{"info", "--port", "sim", "--baud", "12345"}, nullptr, kExitPortOrUsage,
       "unsupported baud rate"},
      {{"info"}, nullptr, kExitPortOrUsage, "info needs --port"},
      {{"info", "--port"}, nullptr, kExitPortOrUsage, "needs a value"},
      {{"info", "--colour", "red"}, nullptr, kExitPortOrUsage, "unknown option"},
      {{"frobnicate"}, nullptr, kExitPortOrUsage, "unknown command"},
      {{}, nullptr, kExitPortOrUsage, "no command"},
  };
  for (const auto& c : cases) {
    const CliRun r = cli(c.args, c.fault);
    EXPECT_EQ(r.code, c.code) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    if (c.code != kExitOk) {
      EXPECT_EQ(r.out.find("Модель"), std::string::npos);
    }
  }
}

TEST(Cli, HelpListsEveryExitCode) {
  const CliRun r = cli({"--help"});
  EXPECT_EQ(r.code, kExitOk);
  for (const auto& e : kExitCodes) EXPECT_NE(r.out.find(std::string(e.meaning)), std::string::npos);
}

}  // namespace
}  // namespace tallowick
