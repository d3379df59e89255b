#include "mainform/auxiliary_page.h"

#include <gtest/gtest.h>

#include "mainform/page_fixture.h"

namespace tallowick {
namespace {

using test::PageFixture;
using test::printer;
using Codes = std::vector<std::int32_t>;
using Texts = std::vector<std::string>;

// The single functions: what each sends and shows on a printer that accepts everything,
// and where each stops when one of its commands fails.
TEST(AuxiliaryPage, SingleFunctionsSendTheirCommandsAndReportInBoxes) {
  struct Case {
    const char* name;
    void (AuxiliaryPage::*handler)();
    int internalTest;
    const char* fault;  // nullptr: none
    Codes codes;
    Texts data;  // of every command sent, in order
    Texts boxes;
  };
  // clang-format off
  const Case cases[] = {
      {"X-report", &AuxiliaryPage::Button12Click, 0, nullptr, {0xA1}, {"582014;1;"},
         {"X-отчет - успешно"}},
      {"X-report no reply", &AuxiliaryPage::Button12Click, 0, "A1:silence", {0xA1}, {"582014;1;"},
         {"Таймаут устройства! Ошибка X-отчета!"}},
      {"X-report error", &AuxiliaryPage::Button12Click, 0, "A1:error=0012", {0xA1}, {"582014;1;"},
         {"Ошибка X-отчета"}},
      {"reboot", &AuxiliaryPage::Button14Click, 0, nullptr, {0xF3}, {"582014;"}, {}},
      {"reboot no reply", &AuxiliaryPage::Button14Click, 0, "F3:silence", {0xF3}, {"582014;"},
         {"Таймаут устройства! Ошибка!"}},
      {"reboot error", &AuxiliaryPage::Button14Click, 0, "F3:error=0012", {0xF3}, {"582014;"},
         {"Ошибка перезагрузки регистратора!"}},
      {"drawer", &AuxiliaryPage::Button16Click, 0, nullptr, {0x83}, {"582014;"},
         {"Открытие денежного ящика -- успешно!"}},
      {"drawer no reply", &AuxiliaryPage::Button16Click, 0, "83:silence", {0x83}, {"582014;"},
         {"Таймаут устройства! Ошибка открытия денежного ящика!"}},
      {"drawer error", &AuxiliaryPage::Button16Click, 0, "83:error=0012", {0x83}, {"582014;"},
         {"Ошибка открытия денежного ящика!"}},
      {"internal test 2", &AuxiliaryPage::Button15Click, 2, nullptr, {0x60, 0x84, 0x65},
         {"582014;", "582014;2;", "582014;0;"}, {"Внутренний тест - успешно"}},
      {"internal test none selected", &AuxiliaryPage::Button15Click, -1, nullptr, {}, {}, {}},
      {"internal test past the list", &AuxiliaryPage::Button15Click, 3, nullptr, {}, {}, {}},
      {"internal test, open refused", &AuxiliaryPage::Button15Click, 1, "60:error=0012", {0x60},
         {"582014;"}, {"Ошибка внутреннего теста"}},
      {"internal test, test lost", &AuxiliaryPage::Button15Click, 1, "84:silence", {0x60, 0x84},
         {"582014;", "582014;1;"}, {"Таймаут устройства! Ошибка внутреннего теста!"}},
      {"internal test, close refused", &AuxiliaryPage::Button15Click, 1, "65:error=0012",
         {0x60, 0x84, 0x65}, {"582014;", "582014;1;", "582014;0;"},
         {"Внутренний тест - успешно", "Ошибка закрытия служебного чека"}},
      {"internal test, close lost", &AuxiliaryPage::Button15Click, 1, "65:silence",
         {0x60, 0x84, 0x65}, {"582014;", "582014;1;", "582014;0;"},
         {"Внутренний тест - успешно", "Таймаут устройства! Ошибка закрытия служебного чека!"}},
  };
  // clang-format on
  for (const auto& c : cases) {
    PageFixture f;
    f.connect();
    if (c.fault) f.fault(c.fault);
    f.ui.internalTest = c.internalTest;
    AuxiliaryPage page(f.session);
    (page.*c.handler)();
    EXPECT_EQ(f.codes(), c.codes) << c.name;
    Texts data;
    for (const auto& s : f.sent) {
      if (s.attempt == 1) data.push_back(s.data);
    }
    EXPECT_EQ(data, c.data) << c.name;
    EXPECT_EQ(f.ui.boxes, c.boxes) << c.name;
    EXPECT_TRUE(f.ui.testLog.empty()) << c.name;
    EXPECT_EQ(f.ui.pumps, 0) << c.name;
    if (!c.codes.empty()) {
      EXPECT_EQ(f.state.LastResult, f.commands.LastCommandResult()) << c.name;
    }
  }
}

// Only the low four bits of the third status byte name the open document.
TEST(AuxiliaryPage, CancelReceiptActsOnTheOpenDocumentKind) {
  for (int s2 = 0; s2 < 0x80; s2 += (s2 < 16 ? 1 : 0x10)) {
    PageFixture f;
    f.connect();
    f.stageStatus(0x81, 2, static_cast<std::uint8_t>(s2));
    // Only the page's choice is under test, not whether that document is really open.
    f.stageAccepted(0x65);
    f.stageAccepted(0x6B);
    AuxiliaryPage(f.session).Button13Click();
    const int kind = s2 & 0x0F;
    ASSERT_FALSE(f.sent.empty());
    EXPECT_EQ(f.sent[0].data, "582014;3;0;;") << s2;
    if (kind == 0) {
      EXPECT_EQ(f.codes(), (Codes{0x81})) << s2;
      EXPECT_EQ(f.ui.boxes, Texts{"Нет открытых чеков!"}) << s2;
    } else if (kind == 5) {
      EXPECT_EQ(f.codes(), (Codes{0x81, 0x65})) << s2;
      EXPECT_EQ(f.dataOf(0x65), Texts{"582014;0;"}) << s2;
      EXPECT_EQ(f.ui.boxes, Texts{"Служебный чек закрыт"}) << s2;
    } else {
      EXPECT_EQ(f.codes(), (Codes{0x81, 0x6B})) << s2;
      EXPECT_EQ(f.dataOf(0x6B), Texts{"582014;0;"}) << s2;
      EXPECT_EQ(f.ui.boxes, Texts{"Чек закрыт"}) << s2;
    }
  }
}

TEST(AuxiliaryPage, CancelReceiptAsksTheKm15ForItsStatusWithGetDeviceInfo) {
  PageFixture f(printer("Veltor KM-15"));
  f.connect();
  f.stageStatus(0x80, 2, 2);
  f.stageAccepted(0x6B);
  AuxiliaryPage(f.session).Button13Click();
  EXPECT_EQ(f.codes(), (Codes{0x80, 0x6B}));
  EXPECT_EQ(f.ui.boxes, Texts{"Чек закрыт"});
}

TEST(AuxiliaryPage, CancelReceiptFailuresEndIt) {
  struct Case {
    const char* fault;
    std::uint8_t document;
    Codes codes;
    const char* box;
  };
  // clang-format off
  const Case cases[] = {
      {"81:silence", 5, {0x81}, "Таймаут устройства! Ошибка работы  с  индикаторами клиента!"},
      {"81:error=0012", 5, {0x81}, "Ошибка индикаторов клиента"},
      {"65:silence", 5, {0x81, 0x65}, "Таймаут устройства! Ошибка закрытия служебного чека!"},
      {"65:error=0012", 5, {0x81, 0x65}, "Ошибка закрытия служебного чека"},
      {"6B:silence", 1, {0x81, 0x6B}, "Таймаут устройства! Ошибка аннулирования чека!"},
      {"6B:error=0012", 1, {0x81, 0x6B}, "Ошибка аннулирования чека"},
  };
  // clang-format on
  for (const auto& c : cases) {
    PageFixture f;
    f.connect();
    f.fault(c.fault);
    f.stageStatus(0x81, 2, c.document);
    AuxiliaryPage(f.session).Button13Click();
    EXPECT_EQ(f.codes(), c.codes) << c.fault;
    EXPECT_EQ(f.ui.boxes, Texts{c.box}) << c.fault;
  }
}

// Against the printer's own bookkeeping, where it reports the documents it has open.
TEST(AuxiliaryPage, CancelReceiptClosesAServiceReceiptThePrinterHasOpen) {
  PageFixture f;
  f.connect();
  std::int32_t err = 0;
  f.commands.OpenServiceReceipt(kDevicePassword, &err);
  ASSERT_EQ(f.commands.DisplayText(kDevicePassword, "", 3, 0, &err)->openDocument(),
            OpenDocument::ServiceReceipt);
  f.sent.clear();
  AuxiliaryPage(f.session).Button13Click();
  EXPECT_EQ(f.codes(), (Codes{0x81, 0x65}));
  EXPECT_EQ(f.ui.boxes, Texts{"Служебный чек закрыт"});
  f.ui.boxes.clear();
  AuxiliaryPage(f.session).Button13Click();
  EXPECT_EQ(f.ui.boxes, Texts{"Нет открытых чеков!"});
}

TEST(AuxiliaryPage, TaxRatesFollowCountryAndFirmware) {
  struct Case {
    const char* country;
    const char* firmware;
    const char* prefix;
    Texts data;
  };
  // clang-format off
  const Case cases[] = {
      {"Україна", "3.01", "3.01",
         {"582014;0;01;20.00;ПДВ_А;-1;", "582014;1;01;0.00;ПДВ_Б;-1;", "582014;2;01;0.00;ПДВ_В;-1;", "582014;3;01;0.00;ПДВ_Г;-1;", "582014;4;03;0.00;;-1;"}},
      {"Moldova", "3.00", "3.00",
         {"582014;0;01;20.00;TVA_A;-1;", "582014;1;01;0.00;TVA_B;-1;", "582014;2;04;5.00;TVA_C;0;", "582014;3;04;3.00;TVA_D;1;", "582014;4;03;0.00;TVA_E;-1;"}},
      // Only the first four characters count.
      {"Україна", "2.02.7", "2.02",
         {"582014;0;01;20.00;ПДВ_А;-1;", "582014;1;01;0.00;ПДВ_Б;-1;", "582014;2;04;5.00;ПДВ_В;0;", "582014;3;04;3.00;ПДВ_Г;1;", "582014;4;03;0.00;;-1;"}},
      {"Казахстан", "3.0", "3.0",
         {"582014;0;01;20.00;;-1;", "582014;1;01;0.00;;-1;", "582014;2;01;0.00;;-1;", "582014;3;01;0.00;;-1;", "582014;4;03;0.00;;-1;"}},
      // A country is compared as a whole text.
      {"Ukraine", "3.00", "3.00",
         {"582014;0;01;20.00;;-1;", "582014;1;01;0.00;;-1;", "582014;2;04;5.00;;0;", "582014;3;04;3.00;;1;", "582014;4;03;0.00;;-1;"}},
  };
  // clang-format on
  for (const auto& c : cases) {
    PageFixture f(printer("Veltor FP-90T", c.firmware, c.country));
    f.connect();
    AuxiliaryPage(f.session).Button17Click();
    EXPECT_EQ(f.codes(), (Codes{0x80, 0x47, 0x47, 0x47, 0x47, 0x47})) << c.country << c.firmware;
    EXPECT_EQ(f.dataOf(0x47), c.data) << c.country << c.firmware;
    EXPECT_EQ(f.state.TaxFirmwarePrefix, c.prefix);
    EXPECT_EQ(f.ui.boxes, Texts{"Успешно!"}) << c.country << c.firmware;
  }
}

TEST(AuxiliaryPage, TaxRatesStopAtTheFirstFailure) {
  struct Case {
    const char* fault;
    int taxesSent;
    const char* box;
  };
  // clang-format off
  const Case cases[] = {
      {"80:silence", 0, "Таймаут устройства! Ошибка GetDeviceInfo!"},
      {"80:error=0012", 0, "Ошибка GetDeviceInfo"},
      {"47#1:silence", 1, "Таймаут устройства! Ошибка!"},
      {"47#3:error=0012", 3, "Ошибка установки налогов!"},
      {"47#5:error=0012", 5, "Ошибка установки налогов!"},
  };
  // clang-format on
  for (const auto& c : cases) {
    PageFixture f;
    f.connect();
    f.fault(c.fault);
    AuxiliaryPage(f.session).Button17Click();
    EXPECT_EQ(f.count(0x47), c.taxesSent) << c.fault;
    EXPECT_EQ(f.ui.boxes, Texts{c.box}) << c.fault;
  }
}

TEST(AuxiliaryPage, ZReportPathsByModelAndFirmware) {
  struct Case {
    const char* model;
    const char* firmware;
    const char* counter;  // the KM-15's daily counter 6; nullptr: as the printer answers
    Codes codes;
    Texts boxes;
    int tapeReceipts;
    Texts reports;  // the data of every A1h
  };
  const Texts zOnly = {"582014;0;"};
  const Texts zAndTape = {"582014;0;", "582014;2;"};
  const Codes km15Receipt = {0x60, 0x61, 0x84, 0x65};
  const auto join = [](std::initializer_list<Codes> parts) {
    Codes out;
    for (const auto& p : parts)
      out.insert(out.end(), p.begin(), p.end());
    return out;
  };
  // clang-format off
  const Case cases[] = {
      {"Veltor FP-90T", "3.01", nullptr, {0xA1, 0xA1}, {"Z-отчет - успешно!"}, 0, zAndTape},
      {"Veltor FP-510T", "3.01", nullptr, {0xA1, 0xA1}, {"Z-отчет - успешно"}, 0, zAndTape},
      {"Veltor FP-510T", "3.00", nullptr, {0xA1}, {"Z-отчет - успешно"}, 0, zOnly},
      {"Veltor KM-15", "3.00", "0", join({km15Receipt, {0xE2, 0xA1}}), {"Z-отчет - успешно"}, 1,
         zOnly},
      {"Veltor KM-15", "3.00", "x1", join({km15Receipt, {0xE2, 0xA1}}), {"Z-отчет - успешно"}, 1,
         zOnly},
      {"Veltor KM-15", "3.01", " 12abc",
         join({km15Receipt, {0xE2, 0x60, 0x61, 0xA6, 0x65, 0xA1, 0xA1}}), {"Z-отчет - успешно"}, 2,
         zAndTape},
  };
  // clang-format on
  for (const auto& c : cases) {
    PageFixture f(printer(c.model, c.firmware));
    f.connect();
    if (c.counter) f.stageData(0xE2, std::string(c.counter) + ";");
    AuxiliaryPage(f.session).Button11Click();
    const std::string name = std::string(c.model) + " " + c.firmware;
    EXPECT_EQ(f.codes(), c.codes) << name;
    EXPECT_EQ(f.ui.boxes, c.boxes) << name;
    Texts log;
    for (int i = 0; i < c.tapeReceipts; ++i) {
      log.push_back("");
      log.push_back("Печать текста - успешно");
    }
    EXPECT_EQ(f.ui.testLog, log) << name;
    EXPECT_EQ(f.dataOf(0xA1), c.reports) << name;
    if (c.tapeReceipts > 0) {
      EXPECT_EQ(f.dataOf(0x61)[0], "582014;%MHJc*** Контрольная лента ***;");
      EXPECT_EQ(f.dataOf(0x84), Texts{"582014;3;"});
      EXPECT_EQ(f.dataOf(0xE2), Texts{"582014;6;"});
    }
    if (c.tapeReceipts > 1) {
      EXPECT_EQ(f.dataOf(0xA6), Texts{"582014;2;;;"});
    }
  }
}

TEST(AuxiliaryPage, ZReportOfTheFp90tClearsTheTapeAfterAFailedReportButDoesNotCallItASuccess) {
  struct Case {
    const char* fault;
    Texts boxes;
  };
  // clang-format off
  const Case cases[] = {
      {"A1#1:error=0012", {"Ошибка Z-отчета"}},
      // A lost reply leaves the previous reply's accepting code in the record: one box.
      {"A1#1:silence", {"Таймаут устройства! Ошибка Z-отчета!"}},
      {"A1#2:error=0012", {"Ошибка обнуления контрольной ленты"}},
      {"A1#2:silence", {"Таймаут устройства! Ошибка обнуления контрольной ленты!"}},
  };
  // clang-format on
  for (const auto& c : cases) {
    PageFixture f;
    f.connect();
    f.fault(c.fault);
    AuxiliaryPage(f.session).Button11Click();
    EXPECT_EQ(f.dataOf(0xA1), (Texts{"582014;0;", "582014;2;"})) << c.fault;
    EXPECT_EQ(f.ui.boxes, c.boxes) << c.fault;
  }
}

TEST(AuxiliaryPage, ZReportFailuresEndTheSequence) {
  struct Case {
    const char* model;
    const char* fault;
    Codes codes;
    const char* box;
  };
  // clang-format off
  const Case cases[] = {
      {"Veltor FP-510T", "A1#1:error=0012", {0xA1}, "Ошибка Z-отчета"},
      {"Veltor FP-510T", "A1#2:silence", {0xA1, 0xA1},
         "Таймаут устройства! Ошибка обнуления контрольной ленты!"},
      {"Veltor KM-15", "60:error=0012", {0x60}, "Ошибка инициализации!"},
      {"Veltor KM-15", "61:silence", {0x60, 0x61}, "Таймаут устройства! Ошибка печати текста!"},
      {"Veltor KM-15", "84:silence", {0x60, 0x61, 0x84}, "Ошибка закрытия служебного чека! Ошибка!"},
      {"Veltor KM-15", "65:error=0012", {0x60, 0x61, 0x84, 0x65},
         "Ошибка закрытия служебного чека!"},
      {"Veltor KM-15", "E2:error=0012", {0x60, 0x61, 0x84, 0x65, 0xE2},
         "Ошибка чтения счетчиков дневных!"},
  };
  // clang-format on
  for (const auto& c : cases) {
    PageFixture f(printer(c.model));
    f.connect();
    f.fault(c.fault);
    AuxiliaryPage(f.session).Button11Click();
    EXPECT_EQ(f.codes(), c.codes) << c.fault;
    EXPECT_EQ(f.ui.boxes, Texts{c.box}) << c.fault;
  }
}

// Disconnecting while the KM-15's control tape pumps events stops at the stop check
// after the heading, with the stop line in the test log.
TEST(AuxiliaryPage, ZReportOfTheKm15StopsAtItsStopCheck) {
  PageFixture f(printer("Veltor KM-15"));
  f.connect();
  f.ui.atPump[2] = [&] { f.state.StopRequested = true; };
  AuxiliaryPage(f.session).Button11Click();
  EXPECT_EQ(f.codes(), (Codes{0x60, 0x61}));
  EXPECT_EQ(f.ui.testLog, (Texts{"", "Печать текста - успешно", "Тест остановлен"}));
  EXPECT_FALSE(f.state.StopRequested);
  EXPECT_TRUE(f.ui.boxes.empty());
}

}  // namespace
}  // namespace tallowick
