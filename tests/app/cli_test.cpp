#include "app/cli.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/cli_harness.h"
#include "app/exit_codes.h"
#include "link/clock.h"
#include "mainform/init_page.h"
#include "sim/fault_plan.h"
#include "sim/virtual_printer.h"

namespace tallowick {
namespace {

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
      {{"info", "--port", "sim"},
       "80:silence",
       kExitNoReply,
       "message: Таймаут устройства! Ошибка GetDeviceInfo!\n"},
      {{"info", "--port", "sim"}, "any:nak", kExitNoReply, "message: Таймаут устройства!"},
      // Every reply damaged: no model read from it, no success.
      {{"info", "--port", "sim"},
       "80:checksum",
       kExitNoReply,
       "message: Таймаут устройства! Ошибка GetDeviceInfo!\n"},
      {{"info", "--port", "sim"},
       "80:other-seq",
       kExitNoReply,
       "message: Таймаут устройства! Ошибка GetDeviceInfo!\n"},
      {{"info", "--port", "sim"},
       "80:error=0012",
       kExitPrinterError,
       "message: Ошибка GetDeviceInfo\n"},
      {{"info", "--port", "/nonexistent/tty"},
       nullptr,
       kExitPortOrUsage,
       "message: Невозможно подключить порт\n"},
      {{"info", "--port", "sim", "--baud", "19200"},
       nullptr,
       kExitNoReply,
       "message: Таймаут устройства!"},  // the printer listens at 9600 only
      {{"info", "--port", "sim", "--baud", "12345"},
       nullptr,
       kExitPortOrUsage,
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

// The "message:" lines of standard error, the boxes a window would have shown, in order.
std::string boxesOf(const std::string& err) {
  std::string boxes;
  std::istringstream lines(err);
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("message: ")) boxes += line + "\n";
  }
  return boxes;
}

// Each single function of the auxiliary page: its boxes on standard error and an exit code
// from how its last command ended.
TEST(Cli, AuxiliaryFunctionsReportInBoxesAndExitCodes) {
  const auto saleOpen = [](sim::VirtualPrinter& p) {
    p.state().document = sim::DocumentKind::Sale;
  };
  struct Case {
    std::vector<std::string> args;
    const char* fault;
    int code;
    std::vector<const char*> boxes;  // every "message:" line, in order
    std::function<void(sim::VirtualPrinter&)> prepare = {};
  };
  const Case cases[] = {
      {{"xreport", "--port", "sim"}, nullptr, kExitOk, {"X-отчет - успешно"}},
      {{"xreport", "--port", "sim"}, "A1:error=0012", kExitPrinterError, {"Ошибка X-отчета"}},
      {{"xreport", "--port", "sim"},
       "A1:silence",
       kExitNoReply,
       {"Таймаут устройства! Ошибка X-отчета!"}},
      {{"zreport", "--port", "sim"}, nullptr, kExitOk, {"Z-отчет - успешно!"}},
      {{"cancel-receipt", "--port", "sim"}, nullptr, kExitOk, {"Нет открытых чеков!"}},
      {{"cancel-receipt", "--port", "sim"}, nullptr, kExitOk, {"Чек закрыт"}, saleOpen},
      {{"cancel-receipt", "--port", "sim"},
       "6B:error=0007",
       kExitPrinterError,
       {"Ошибка аннулирования чека"},
       saleOpen},
      {{"reboot", "--port", "sim"}, nullptr, kExitOk, {}},
      {{"reboot", "--port", "sim"}, "F3:silence", kExitNoReply, {"Таймаут устройства! Ошибка!"}},
      {{"cash-drawer", "--port", "sim"},
       nullptr,
       kExitOk,
       {"Открытие денежного ящика -- успешно!"}},
      {{"set-taxes", "--port", "sim"}, nullptr, kExitOk, {"Успешно!"}},
      {{"set-taxes", "--port", "sim"},
       "47#2:error=0003",
       kExitPrinterError,
       {"Ошибка установки налогов!"}},
      {{"internal-test", "2", "--port", "sim"}, nullptr, kExitOk, {"Внутренний тест - успешно"}},
      {{"internal-test", "0", "--port", "sim"},
       "84:error=0012",
       kExitPrinterError,
       {"Ошибка внутреннего теста"}},
      // The function is not run when the printer does not answer at connect.
      {{"xreport", "--port", "sim"},
       "80:silence",
       kExitNoReply,
       {"Таймаут устройства! Ошибка GetDeviceInfo!"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0] + (c.fault ? std::string(" with ") + c.fault : std::string()));
    const CliRun r = cli(c.args, c.fault, false, nullptr, c.prepare);
    EXPECT_EQ(r.code, c.code) << r.err;
    std::string expected;
    for (const char* box : c.boxes)
      expected += std::string("message: ") + box + "\n";
    EXPECT_EQ(boxesOf(r.err), expected);
  }
}

// Every command that connects says why the port did not open, below the window's text.
TEST(Cli, EveryCommandSaysWhyThePortDidNotOpen) {
  const char* expected =
      "message: Невозможно подключить порт\nПорт /nonexistent/tty не найден: нет такого "
      "устройства";
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"info", "--port", "/nonexistent/tty"},
        {"testrun", "--port", "/nonexistent/tty"},
        {"xreport", "--port", "/nonexistent/tty"},
        {"internal-test", "1", "--port", "/nonexistent/tty"},
        {"init", "--port", "/nonexistent/tty", "--serial", "ЕД1", "--serial-not-in-book"}}) {
    const CliRun r = cli(args);
    EXPECT_EQ(r.code, kExitPortOrUsage) << args[0];
    // init shows the question it answered for --serial-not-in-book first.
    EXPECT_NE(r.err.find(expected), std::string::npos) << r.err;
  }
}

TEST(Cli, AuxiliaryFunctionsRefuseBadUsageBeforeConnecting) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"internal-test", "--port", "sim"},
        {"internal-test", "3", "--port", "sim"},
        {"internal-test", "-1", "--port", "sim"},
        {"internal-test", "1x", "--port", "sim"},
        {"zreport"},
        {"xreport", "--port", "sim", "--baud", "4800"},
        {"cash-drawer", "--port", "sim", "--pause", "0"}}) {
    const CliRun r = cli(args);
    EXPECT_EQ(r.code, kExitPortOrUsage) << args[0];
    // Nothing reached a printer, so no box was shown.
    EXPECT_EQ(boxesOf(r.err), "");
  }
}

TEST(Cli, InitWritesTheSerialNumberAndAsksForItsConfirmation) {
  sim::PrinterState printer;
  const CliRun r = cli({"init", "--port", "sim", "--serial", "ЕД80012340", "--serial-not-in-book"},
                       nullptr, false, &printer);
  ASSERT_EQ(r.code, kExitOk) << r.err;
  EXPECT_EQ(printer.serialNumber, "ЕД80012340");
  EXPECT_EQ(printer.taxRates.size(), 5u);  // the steps 3 to 7
  // The computer's clock, as the page fills Edit2 and Edit3.
  EXPECT_EQ(printer.clockBase, std::chrono::sys_days{std::chrono::year{2026} / 12 / 8} +
                                   std::chrono::hours{14} + std::chrono::minutes{30});
  EXPECT_NE(r.out.find("Начало инициализации регистратора.\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Конец инициализации регистратора.\n"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("dialog: Шаг1 (установка даты и времени) завершен успешно"),
            std::string::npos);
  EXPECT_NE(r.err.find("message: Инициализация выполнена!\n"), std::string::npos);
  EXPECT_NE(r.err.find("Проверьте правильность заводского номера: ЕД80012340"), std::string::npos);
}

// The serial number goes out once --continue-after has let the printer come back from its
// reboot; too short a wait finds it still silent.
TEST(Cli, InitWaitsForThePrinterAsLongAsItIsTold) {
  const auto slowReboot = [](sim::VirtualPrinter& p) {
    p.settings().rebootTime = std::chrono::seconds(30);
  };
  for (const auto& [seconds, code] : {std::pair{"10", kExitNoReply}, std::pair{"40", kExitOk}}) {
    sim::PrinterState printer;
    const CliRun r = cli({"init", "--port", "sim", "--serial", "ЕД1", "--continue-after", seconds,
                          "--serial-not-in-book"},
                         nullptr, false, &printer, slowReboot);
    EXPECT_EQ(r.code, code) << seconds << " s: " << r.err;
    EXPECT_EQ(printer.serialNumber, code == kExitOk ? "ЕД1" : "") << seconds << " s";
  }
}

TEST(Cli, InitFailuresHaveTheirExitCodes) {
  struct Case {
    std::vector<std::string> extra;
    const char* fault;
    int code;
    const char* message;
  };
  const Case cases[] = {
      {{"--serial", "ЕД1;2"}, nullptr, kExitInputRefused, kFieldsUnusable},
      {{"--serial", " "}, nullptr, kExitInputRefused, kFieldsMissing},
      {{"--serial", "ЕД1", "--date", "0812"}, nullptr, kExitInputRefused, kFieldsMissing},
      {{"--serial", "ЕД1", "--time", "14:30"}, nullptr, kExitInputRefused, kFieldsMissing},
      {{"--serial", "ЕД1"}, "41:silence", kExitNoReply, "message: Таймаут устройства!"},
      {{"--serial", "ЕД1"},
       "41:error=0012",
       kExitPrinterError,
       "message: Ошибка установки заводского номера!"},
      {{"--serial", "ЕД1"},
       "20:error=0012",
       kExitPrinterError,
       "message: Ошибка установки времени!"},
      {{}, nullptr, kExitPortOrUsage, "init needs --serial"},
      {{"--serial", "ЕД1", "--continue-after", "soon"},
       nullptr,
       kExitPortOrUsage,
       "--continue-after needs whole seconds"},
      {{"--serial", "ЕД1", "--continue-after", "-1"},
       nullptr,
       kExitPortOrUsage,
       "--continue-after needs whole seconds"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args{"init", "--port", "sim", "--serial-not-in-book"};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    sim::PrinterState printer;
    const CliRun r = cli(args, c.fault, false, &printer);
    EXPECT_EQ(r.code, c.code) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("Инициализация выполнена!"), std::string::npos) << r.err;
    EXPECT_EQ(printer.serialNumber, "");
  }
}

// A function that went on after a refused command still tells the script it failed; one
// that did everything says so in one line.
TEST(Cli, SingleFunctionsExitWithTheirFirstFailureAndSayWhatWasDone) {
  struct Case {
    std::vector<std::string> args;
    const char* fault;
    int code;
    const char* done;  // the line on standard output; nullptr: none
  };
  const Case cases[] = {
      {{"zreport", "--port", "sim"}, nullptr, kExitOk, "Готово: Z-отчет напечатан.\n"},
      // The FP-90T clears the tape after a refused Z-report; the tape clearing succeeds.
      {{"zreport", "--port", "sim"}, "A1#1:error=0006", kExitPrinterError, nullptr},
      {{"zreport", "--port", "sim"}, "A1#1:silence", kExitNoReply, nullptr},
      {{"zreport", "--port", "sim"}, "A1#2:error=0006", kExitPrinterError, nullptr},
      {{"reboot", "--port", "sim"}, nullptr, kExitOk, "Готово: регистратор перезагружен.\n"},
      {{"cash-drawer", "--port", "sim"}, nullptr, kExitOk, "Готово: денежный ящик открыт.\n"},
      {{"set-taxes", "--port", "sim"}, nullptr, kExitOk, "Готово: налоги установлены.\n"},
      {{"internal-test", "1", "--port", "sim"},
       nullptr,
       kExitOk,
       "Готово: внутренний тест выполнен.\n"},
      {{"xreport", "--port", "sim"}, "A1:error=0012", kExitPrinterError, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0] + (c.fault ? std::string(" with ") + c.fault : std::string()));
    const CliRun r = cli(c.args, c.fault);
    EXPECT_EQ(r.code, c.code) << r.err;
    EXPECT_EQ(r.out, c.done ? c.done : "");
    if (c.code != kExitOk) {
      EXPECT_EQ(r.err.find("успешно"), std::string::npos) << r.err;
    }
  }
}

TEST(Cli, AUsageErrorIsItsReasonAndAPointerToTheHelp) {
  for (const std::vector<std::string>& args : {std::vector<std::string>{},
                                               {"frobnicate"},
                                               {"xreport", "--port"},
                                               {"info"},
                                               {"init", "--port", "sim", "--bogus", "1"}}) {
    const CliRun r = cli(args);
    EXPECT_EQ(r.code, kExitPortOrUsage);
    EXPECT_LE(std::count(r.err.begin(), r.err.end(), '\n'), 2) << r.err;
    EXPECT_NE(r.err.find("tallowick-cli --help"), std::string::npos) << r.err;
  }
}

// Each usage error is its reason in one line, then the pointer to the help, and nothing
// reaches a printer: the first problem from the left is the one named.
TEST(Cli, UsageErrorsNameTheFirstProblemExactly) {
  struct Case {
    std::vector<std::string> args;
    const char* reason;
  };
  const Case cases[] = {
      {{}, "no command given"},
      {{"frobnicate", "--port", "sim"}, "unknown command: frobnicate"},
      {{"info"}, "info needs --port"},
      {{"info", "--port"}, "option --port needs a value"},
      {{"info", "--port", "sim", "extra"}, "unknown option: extra"},
      {{"info", "--colour", "red", "--port"}, "unknown option: --colour"},
      {{"info", "--port", "sim", "--no-fiscal"}, "unknown option: --no-fiscal"},
      {{"info", "--port", "sim", "-x"}, "unknown option: -x"},
      {{"info", "--port", "sim", "--baud", "4800"}, "unsupported baud rate: 4800"},
      {{"info", "--port", "sim", "--baud"}, "option --baud needs a value"},
      {{"testrun", "--port", "sim", "--no-fiscal", "--log"}, "option --log needs a value"},
      {{"testrun", "--port", "sim", "--serial-not-in-book"},
       "unknown option: --serial-not-in-book"},
      {{"testrun", "--pause", "0", "--port", "sim", "--help"}, "unknown option: --help"},
      {{"zreport", "--pause", "0"}, "unknown option: --pause"},
      {{"init", "--port", "sim"}, "init needs --serial"},
      {{"init", "--serial", "ЕД1"}, "init needs --port"},
      {{"init", "--port", "sim", "--serial", "ЕД1", "--continue-after", "1.5"},
       "--continue-after needs whole seconds from 0 to 3600, not '1.5'"},
      {{"internal-test"}, "internal-test needs the number of the test: 0, 1 or 2"},
      {{"internal-test", "1"}, "internal-test needs --port"},
      {{"internal-test", "1", "--port", "sim", "2"}, "unknown option: 2"},
  };
  for (const auto& c : cases) {
    const CliRun r = cli(c.args);
    EXPECT_EQ(r.code, kExitPortOrUsage) << c.reason;
    EXPECT_EQ(r.err, std::string("tallowick-cli: ") + c.reason +
                         "\nRun 'tallowick-cli --help' for the commands and their options.\n");
    EXPECT_EQ(r.out, "") << c.reason;
  }
}

// An option given twice counts as given last, and --help right after any command is the
// help.
TEST(Cli, ARepeatedOptionCountsAsGivenLastAndHelpFollowsAnyCommand) {
  const CliRun repeated = cli({"info", "--port", "/nonexistent/tty", "--port", "sim"});
  EXPECT_EQ(repeated.code, kExitOk) << repeated.err;
  const CliRun help = cli({"--help"});
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"-h"}, {"help"}, {"testrun", "--help"}, {"zreport", "-h"}}) {
    const CliRun r = cli(args);
    EXPECT_EQ(r.code, kExitOk) << args[0];
    EXPECT_EQ(r.out, help.out) << args[0];
    EXPECT_EQ(r.err, "") << args[0];
  }
}

TEST(Cli, HelpListsEveryExitCode) {
  const CliRun r = cli({"--help"});
  EXPECT_EQ(r.code, kExitOk);
  for (const auto& e : kExitCodes)
    EXPECT_NE(r.out.find(std::string(e.meaning)), std::string::npos);
}

}  // namespace
}  // namespace tallowick
