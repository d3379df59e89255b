#include "commands/commands.h"

#include <gtest/gtest.h>

#include <clocale>
#include <functional>
#include <limits>
#include <locale>

#include "link/cp1251.h"
#include "link/reply_bytes.h"
#include "link/scripted_line.h"

namespace tallowick {
namespace {

constexpr const char* kPw = kDevicePassword;

struct Bench : test::ScriptedLink {
  CommandSet commands{link};

  // The data text of the last frame written, decoded.
  std::string lastData() const {
    const auto& w = stats.writes.back();
    return cp1251::decode(std::string(w.begin() + 4, w.end() - 6));
  }
  int lastCode() const { return stats.writes.back()[3]; }
};

struct Case {
  const char* name;
  std::function<CommandResult*(CommandSet&, std::int32_t*)> call;
  int code;          // expected command code; 0: nothing may be sent
  const char* data;  // expected data text
  std::int32_t err;
};

std::vector<Case> cases() {
  using C = CommandSet&;
  using E = std::int32_t*;
  constexpr double nan = std::numeric_limits<double>::quiet_NaN();
  return {
      {"SetDateTime", [](C c, E e) { return c.SetDateTime(kPw, "230212", "0945", e); }, 0x20,
       "582014;230212;0945;", 0},
      {"SetHeaderLine 20", [](C c, E e) { return c.SetHeaderLine(kPw, 20, "Шапка", 0, e); }, 0x22,
       "582014;20;Шапка;0;", 0},
      {"SetHeaderLine 21", [](C c, E e) { return c.SetHeaderLine(kPw, 21, "x", 0, e); }, 0, "",
       -121},
      {"SetHeaderLine -1", [](C c, E e) { return c.SetHeaderLine(kPw, -1, "x", 0, e); }, 0, "",
       -121},
      {"AddArticle",
       [](C c, E e) { return c.AddArticle(kPw, 11111, "Товар", 1, 2, 0x0A, "шт", e); }, 0x24,
       "582014;11111;Товар;1;2;0A;шт;", 0},
      {"SetRegistratorParams",
       [](C c, E e) {
         return c.SetRegistratorParams(kPw, {9600, 1, 0x1F, 2, 0xAB, 0, 5}, e);
       },
       0x27, "582014;9600;1;001F;02;AB;00;05;", 0},
      {"GetRegistratorParams", [](C c, E e) { return c.GetRegistratorParams(kPw, e); }, 0x28,
       "582014;", 0},
      {"SetPaymentType", [](C c, E e) { return c.SetPaymentType(kPw, 2, 0x3, "Картка", e); }, 0x2D,
       "582014;2;03;Картка;", 0},
      {"SetOperator", [](C c, E e) { return c.SetOperator(kPw, 1, "582014", "Оператор 1", e); },
       0x2F, "582014;1;582014;Оператор 1;", 0},
      {"SetMaintenanceParams X=0 Y=5",
       [](C c, E e) { return c.SetMaintenanceParams(kPw, "a", "b", 0, 5, e); }, 0x35,
       "582014;a;b;5;00;", 0},
      {"SetSerialNumber", [](C c, E e) { return c.SetSerialNumber(kPw, "ПБ4101234", e); }, 0x41,
       "582014;ПБ4101234;", 0},
      {"GetTaxNumber", [](C c, E e) { return c.GetTaxNumber(kPw, e); }, 0x46, "582014;", 0},
      {"SetTaxRates first form",
       [](C c, E e) { return c.SetTaxRates(kPw, 1, 0x1, "20.00", "ПДВ", e); }, 0x47,
       "582014;1;01;20.00;ПДВ;-1;", 0},
      {"SetTaxRates second form",
       [](C c, E e) { return c.SetTaxRates(kPw, 2, 0x12, "7.00", "Б", 3, e); }, 0x47,
       "582014;2;12;7.00;Б;3;", 0},
      {"OpenServiceReceipt", [](C c, E e) { return c.OpenServiceReceipt(kPw, e); }, 0x60, "582014;",
       0},
      {"PrintText", [](C c, E e) { return c.PrintText(kPw, "Тест печати", e); }, 0x61,
       "582014;Тест печати;", 0},
      {"OpenFiscalReceipt", [](C c, E e) { return c.OpenFiscalReceipt(kPw, 1, 1, 1, e); }, 0x63,
       "582014;1;1;1;", 0},
      {"SellArticle field order", [](C c, E e) { return c.SellArticle(kPw, 11111, 4, 1.5, e); },
       0x64, "582014;11111;1.500;4.00;", 0},
      {"SellArticle 0.15", [](C c, E e) { return c.SellArticle(kPw, 1, 0.15, 1, e); }, 0x64,
       "582014;1;1.000;0.15;", 0},
      {"SellArticle quantity 0, negative amount",
       [](C c, E e) { return c.SellArticle(kPw, 1, -5, 0, e); }, 0, "", -151},
      {"SellArticle negative amount", [](C c, E e) { return c.SellArticle(kPw, 1, -0.01, 1, e); },
       0, "", -152},
      {"SellArticle amount 0", [](C c, E e) { return c.SellArticle(kPw, 1, 0, 1, e); }, 0x64,
       "582014;1;1.000;0.00;", 0},
      {"SellArticle not a number", [](C c, E e) { return c.SellArticle(kPw, 1, nan, 1, e); }, 0, "",
       kArgNotFinite},
      {"CloseServiceReceipt", [](C c, E e) { return c.CloseServiceReceipt(kPw, e); }, 0x65,
       "582014;0;", 0},
      {"CloseFiscalReceipt", [](C c, E e) { return c.CloseFiscalReceipt(kPw, 1, e); }, 0x65,
       "582014;1;", 0},
      {"Payment 9", [](C c, E e) { return c.Payment(kPw, 9, 12.5, e); }, 0x67, "582014;9;12.50;",
       0},
      {"Payment 10", [](C c, E e) { return c.Payment(kPw, 10, 1, e); }, 0, "", -151},
      {"Payment -1", [](C c, E e) { return c.Payment(kPw, -1, 1, e); }, 0, "", -151},
      {"PercentDiscount", [](C c, E e) { return c.PercentDiscount(kPw, -5, e); }, 0x68,
       "582014;-5.00;", 0},
      {"AbsoluteDiscount", [](C c, E e) { return c.AbsoluteDiscount(kPw, 1.005, e); }, 0x69,
       "582014;1.00;", 0},  // 1.005 is 1.00499999... as a double
      {"CancelReceipt", [](C c, E e) { return c.CancelReceipt(kPw, 2, e); }, 0x6B, "582014;2;", 0},
      {"PrintTotal 1", [](C c, E e) { return c.PrintTotal(kPw, 7, e); }, 0x6D, "582014;1;", 0},
      {"PrintTotal 0", [](C c, E e) { return c.PrintTotal(kPw, 0, e); }, 0x6D, "582014;0;", 0},
      {"CashInOut -10", [](C c, E e) { return c.CashInOut(kPw, 1, -10, e); }, 0x6E,
       "582014;1;-10.00;", 0},
      {"CashInOut 0.15", [](C c, E e) { return c.CashInOut(kPw, 1, 0.15, e); }, 0x6E,
       "582014;1;0.15;", 0},
      {"PrintBarcode", [](C c, E e) { return c.PrintBarcode(kPw, 50, "401234567890", e); }, 0x6F,
       "582014;50;0051ACC9BD3AE5542248E9CB35000000;", 0},
      {"PrintBarcode 11 digits", [](C c, E e) { return c.PrintBarcode(kPw, 50, "40123456789", e); },
       0, "", -100},
      {"PrintBarcode 13 digits",
       [](C c, E e) { return c.PrintBarcode(kPw, 50, "4012345678901", e); }, 0, "", -100},
      {"PrintBarcode letters", [](C c, E e) { return c.PrintBarcode(kPw, 50, "40123456789A", e); },
       0, "", -100},
      {"AbsoluteSurchargeDiscount", [](C c, E e) { return c.AbsoluteSurchargeDiscount(kPw, 2, e); },
       0x74, "582014;2.00;", 0},
      {"GetDeviceInfo", [](C c, E e) { return c.GetDeviceInfo(kPw, e); }, 0x80, "582014;", 0},
      {"DisplayText field order",
       [](C c, E e) { return c.DisplayText(kPw, "Конец теста!", 1, 0, e); }, 0x81,
       "582014;1;0;Конец теста!;", 0},
      {"OpenCashDrawer", [](C c, E e) { return c.OpenCashDrawer(kPw, e); }, 0x83, "582014;", 0},
      {"RunInternalTest", [](C c, E e) { return c.RunInternalTest(kPw, 2, e); }, 0x84, "582014;2;",
       0},
      {"RunInternalTest3", [](C c, E e) { return c.RunInternalTest3(kPw, e); }, 0x84, "582014;3;",
       0},
      {"PrintReport", [](C c, E e) { return c.PrintReport(kPw, 1, e); }, 0xA1, "582014;1;", 0},
      {"SoldArticlesReport 64-bit",
       [](C c, E e) { return c.SoldArticlesReport(kPw, 0, 99999999999999, e); }, 0xA4,
       "582014;0;99999999999999;", 0},
      {"SendCommandA6", [](C c, E e) { return c.SendCommandA6(kPw, 2, 0, 0, e); }, 0xA6,
       "582014;2;;;", 0},
      {"ReadDailyCounters", [](C c, E e) { return c.ReadDailyCounters(kPw, 6, e); }, 0xE2,
       "582014;6;", 0},
      {"RebootRegistrator", [](C c, E e) { return c.RebootRegistrator(kPw, e); }, 0xF3, "582014;",
       0},
      {"text outside Windows-1251", [](C c, E e) { return c.PrintText(kPw, "日本", e); }, 0, "",
       kArgNotEncodable},
      {"data longer than a frame",
       [](C c, E e) { return c.PrintText(kPw, std::string(212, 'x'), e); }, 0, "", kArgTooLong},
      {"data of exactly a frame",
       [](C c, E e) { return c.PrintText(kPw, std::string(211, 'x'), e); }, 0x61, nullptr, 0},
  };
}

void checkEveryOperation() {
  for (const auto& c : cases()) {
    Bench b;
    b.line->script(test::bytes(test::replyFrame("0000", "")));
    b.commands.GetDeviceInfo(kPw, nullptr);  // an earlier outcome to keep or overwrite
    b.line->script(test::bytes(test::replyFrame("0000", "")));
    const std::size_t writesBefore = b.stats.writes.size();
    std::int32_t err = 12345;
    CommandResult* r = c.call(b.commands, &err);
    EXPECT_EQ(r, b.link.result()) << c.name;
    EXPECT_EQ(err, c.err) << c.name;
    if (c.code == 0) {
      EXPECT_EQ(b.stats.writes.size(), writesBefore) << c.name << ": sent although refused";
      EXPECT_EQ(r->Command, 0x80) << c.name << ": the record must keep the earlier outcome";
      continue;
    }
    ASSERT_EQ(b.stats.writes.size(), writesBefore + 1) << c.name;
    EXPECT_EQ(b.lastCode(), c.code) << c.name;
    if (c.data) {
      EXPECT_EQ(b.lastData(), c.data) << c.name;
    }
    EXPECT_EQ(b.commands.LastCommandResult(), r) << c.name;
  }
}

TEST(CommandSet, EveryOperationSendsItsExactData) {
  checkEveryOperation();
}

// A comma as decimal separator, in both the C and the C++ locale of the process.
struct CommaDecimals : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
};

TEST(CommandSet, NumbersKeepTheirFullStopUnderACommaLocale) {
  const char* cLocale = std::setlocale(LC_ALL, "ru_RU.UTF-8");
  if (!cLocale) cLocale = std::setlocale(LC_ALL, "de_DE.UTF-8");
  if (!cLocale)
    GTEST_SKIP() << "no locale with a decimal comma is installed (scripts/bootstrap makes one)";
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  const std::locale before =
      std::locale::global(std::locale(std::locale::classic(), new CommaDecimals));
  checkEveryOperation();
  std::locale::global(before);
  std::setlocale(LC_ALL, "C");
}

TEST(CommandSet, GetDateTimeLeavesErrAsTheCallerSetIt) {
  Bench b;
  b.line->script(test::bytes(test::replyFrame("0000", "230212;0945;")));
  std::int32_t err = 0;
  b.commands.GetDateTime(kPw, &err);
  EXPECT_EQ(b.lastCode(), 0x21);
  EXPECT_EQ(err, 0);
  err = -7;
  b.commands.GetDateTime(kPw, &err);
  EXPECT_EQ(err, -7);
}

TEST(CommandSet, FixedCommandsGoOutAsTheyStand) {
  struct Fixed {
    FixedCommand command;
    int code;
    const char* data;
  };
  for (const auto& c : {Fixed{kBeep, 0x82, "582014;1;"}, Fixed{kEraseFiscalMemory, 0xF0, "582014;"},
                        Fixed{kRebootDevice, 0xF3, "582014;"}}) {
    Bench b;
    b.commands.SendFixed(c.command);
    EXPECT_EQ(b.lastCode(), c.code);
    EXPECT_EQ(b.lastData(), c.data);
  }
}

TEST(CommandSet, EveryArgumentErrorHasAMeaning) {
  for (const auto& e : kArgErrors)
    EXPECT_FALSE(argErrorText(e.code).empty()) << e.code;
  EXPECT_TRUE(argErrorText(0).empty());
}

}  // namespace
}  // namespace tallowick
