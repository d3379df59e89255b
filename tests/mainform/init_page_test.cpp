#include "mainform/init_page.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "initforms/memory_serial_store.h"
#include "mainform/number_keeper.h"
#include "mainform/page_fixture.h"
#include "mainform/step_outcome.h"

namespace tallowick {
namespace {

using test::PageFixture;
using test::printer;
using Codes = std::vector<std::int32_t>;
using Texts = std::vector<std::string>;

constexpr const char* kSerial = "ЕД80001234";

// A connected window with date, time and a listed serial number filled in; at TForm2 the
// user waits half a minute for the printer to come back before going on.
struct InitFixture : PageFixture {
  explicit InitFixture(sim::PrinterSettings settings = {}) : PageFixture(std::move(settings)) {
    connect();
    ui.date = "230212";
    ui.time = "0945";
    ui.serial.list = {kSerial, "ЕД80001235"};
    ui.serial.selected = 0;
    ui.onForm2 = [this] { clock.advance(std::chrono::seconds(30)); };
  }
  InitEnd run() { return InitPage(session).Button9Click(); }
};

const Texts kAllLines = {
    "Начало инициализации регистратора.",
    "Шаг 1. Дата и время установлены успешно.  Перезагрузка РРО...",
    "Шаг 2. Заводской номер установлен! ",
    "Шаг 2 завершен успешно! ",
    "Шаг 3. Налог А установлен! ",
    "Шаг 3 завершен успешно! ",
    "Шаг 4. Налог Б установлен! ",
    "Шаг 4 завершен успешно! ",
    "Шаг 5. Налог В установлен! ",
    "Шаг 5 завершен успешно! ",
    "Шаг 6. Налог Г установлен! ",
    "Шаг 6 завершен успешно! ",
    "Шаг 7. Налоги установлены! ",
    "Шаг 7 завершен успешно! ",
    "Конец инициализации регистратора.",
};

TEST(InitPage, InitialisationRunsEveryStepInOrder) {
  InitFixture f;
  EXPECT_EQ(f.run(), InitEnd::Finished);
  EXPECT_EQ(f.codes(),
            (Codes{0x82, 0x20, 0xF3, 0x41, 0x80, 0x47, 0x47, 0x47, 0x47, 0x47, 0x60, 0x84, 0x65}));
  EXPECT_EQ(f.dataOf(0x82), Texts{"582014;1;"});
  EXPECT_EQ(f.dataOf(0x20), Texts{"582014;230212;0945;"});
  EXPECT_EQ(f.dataOf(0xF3), Texts{"582014;"});
  EXPECT_EQ(f.dataOf(0x41), Texts{std::string("582014;") + kSerial + ";"});
  EXPECT_EQ(f.dataOf(0x84), Texts{"582014;0;"});
  EXPECT_EQ(f.dataOf(0x65), Texts{"582014;0;"});
  EXPECT_EQ(f.dataOf(0x47), (Texts{"582014;0;01;20.00;ПДВ_А;-1;", "582014;1;01;0.00;ПДВ_Б;-1;",
                                   "582014;2;01;0.00;ПДВ_В;-1;", "582014;3;01;0.00;ПДВ_Г;-1;",
                                   "582014;4;01;0.00;;-1;"}));
  EXPECT_EQ(f.ui.initLog, kAllLines);
  EXPECT_TRUE(f.ui.testLog.empty());
  EXPECT_EQ(f.state.TaxFirmwarePrefix, "3.01");
  EXPECT_EQ(f.ui.indicator.text, kServiceModeOff);
  // The pause of the reboot comes before TForm2; TForm4 comes after the last box.
  const auto& e = f.ui.events;
  ASSERT_GE(e.size(), 3u);
  const auto at = [&](const std::string& what) {
    return std::find(e.begin(), e.end(), what) - e.begin();
  };
  EXPECT_LT(at("pause: 1000"), at("dialog: TForm2"));
  EXPECT_LT(at("dialog: TForm2"), at("log: Шаг 2. Заводской номер установлен! "));
  EXPECT_EQ(e[e.size() - 3], "box: Инициализация выполнена!");
  EXPECT_EQ(e[e.size() - 2], "log: Конец инициализации регистратора.");
  EXPECT_EQ(e.back(), "dialog: TForm4");
  EXPECT_EQ(f.ui.form2Shown, 1);
  EXPECT_EQ(f.ui.terminations, 0);
  // The technical-information receipt pumps events twice.
  EXPECT_EQ(f.ui.pumps, 2);
}

TEST(InitPage, InputsAreCheckedBeforeAnythingIsSent) {
  struct Case {
    const char* date;
    const char* time;
    std::string serial;  // typed; nothing selected
    const char* box;     // nullptr: accepted
  };
  // clang-format off
  const Case cases[] = {
      {"2302120", "0945", kSerial, kFieldsMissing},
      {"23021", "0945", kSerial, kFieldsMissing},
      {"230212", "094", kSerial, kFieldsMissing},
      {"230212", "09450", kSerial, kFieldsMissing},
      {"", "", kSerial, kFieldsMissing},
      // A number is needed as much as the date and the time.
      {"230212", "0945", "", kFieldsMissing},
      {"230212", "0945", "   ", kFieldsMissing},
      // ';' would split a text into two fields of the command.
      {"23;212", "0945", kSerial, kFieldsUnusable},
      {"230212", "09;5", kSerial, kFieldsUnusable},
      {"230212", "0945", "ВЛ4000;1234", kFieldsUnusable},
      {"230212", "0945", "ВЛ4000\x03" "1234", kFieldsUnusable},
      {"23\t212", "0945", kSerial, kFieldsUnusable},
      {"230212", "0945", "ВЛ4000€1234", nullptr},
      {"230212", "0945", "ВЛ4000\xE2\x9C\x93" "1234", kFieldsUnusable},
      // Six characters, twelve bytes: the length is counted in characters, and then the
      // date must be one of the calendar.
      {"ДДММГГ", "ЧЧММ", kSerial, kBadDate},
      {"991399", "0945", kSerial, kBadDate},
      {"aabbcc", "0945", kSerial, kBadDate},
      {"001226", "0945", kSerial, kBadDate},
      {"310426", "0945", kSerial, kBadDate},
      {"290226", "0945", kSerial, kBadDate},
      {"290228", "0945", kSerial, nullptr},
      {"311226", "2359", kSerial, nullptr},
      {"230212", "2599", kSerial, kBadTime},
      {"230212", "2360", kSerial, kBadTime},
      {"230212", "-945", kSerial, kBadTime},
      // One frame carries 211 characters of a serial number.
      {"230212", "0945", std::string(211, '7'), nullptr},
      {"230212", "0945", std::string(212, '7'), kSerialTooLong},
      {"230212", "0945", [] {
         std::string cyrillic;
         for (int i = 0; i < 212; ++i)
           cyrillic += "Д";
         return cyrillic;
       }(), kSerialTooLong},
  };
  // clang-format on
  for (const auto& c : cases) {
    InitFixture f;
    f.ui.date = c.date;
    f.ui.time = c.time;
    f.ui.serial.selected = -1;
    f.ui.serial.typed = c.serial;
    const InitEnd end = f.run();
    const std::string name = std::string(c.date) + "|" + c.time + "|" + c.serial;
    if (c.box) {
      EXPECT_EQ(end, InitEnd::InputRefused) << name;
      EXPECT_EQ(f.ui.boxes, Texts{c.box}) << name;
      EXPECT_TRUE(f.sent.empty()) << name;
      EXPECT_TRUE(f.ui.initLog.empty()) << name;
    } else {
      EXPECT_NE(end, InitEnd::InputRefused) << name;
      ASSERT_FALSE(f.sent.empty()) << name;
      EXPECT_EQ(f.sent[0].code, 0x82) << name;
    }
  }
}

TEST(InitPage, ProbeWithStatusBit2SkipsTheRebootCommand) {
  InitFixture f;
  f.stageStatus(0x82, 0, 0x04);
  EXPECT_EQ(f.run(), InitEnd::Finished);
  EXPECT_EQ(f.count(0xF3), 0);
  EXPECT_TRUE(f.ui.pauses.empty());
  EXPECT_EQ(f.ui.form2Shown, 1);
  EXPECT_EQ(f.ui.initLog, kAllLines);
}

TEST(InitPage, EndingTheProgramInTForm2WritesNoSerialNumber) {
  for (const bool noReboot : {false, true}) {
    InitFixture f;
    if (noReboot) f.stageStatus(0x82, 0, 0x04);
    // A lost reboot reply is not even reported: the program ends first.
    if (!noReboot) f.fault("F3:silence");
    f.ui.form2Answer = -1;
    EXPECT_EQ(f.run(), InitEnd::ProgramEnded) << noReboot;
    EXPECT_EQ(f.ui.terminations, 1) << noReboot;
    EXPECT_EQ(f.count(0x41), 0) << noReboot;
    EXPECT_EQ(f.ui.initLog.back(), "Шаг 1. Дата и время установлены успешно.  Перезагрузка РРО...");
    EXPECT_TRUE(f.ui.boxes.empty()) << noReboot;
    EXPECT_EQ(f.ui.events.back(), "terminate") << noReboot;
  }
}

TEST(InitPage, EveryFailingStepEndsWithItsBoxAndLine) {
  struct Case {
    const char* fault;
    const char* box;
    const char* line;  // the last line of Memo1; nullptr: Memo1 holds no line at all
    std::int32_t lastCode;
  };
  // clang-format off
  const Case cases[] = {
      {"82:silence", "Таймаут устройства! Ошибка!",
         "Шаг 1. Дата и время не установлены!  Таймаут!!!", 0x82},
      {"82:error=0012", "Ошибка установки времени!",
         "Шаг 1. Дата и время не установлены!  Ошибка!!!", 0x82},
      {"20:error=0012", "Ошибка установки времени!",
         "Шаг 1. Дата и время не установлены!  Ошибка!!!", 0x20},
      {"F3:silence", "Таймаут устройства! Ошибка инициализации!",
         "Шаг 1. Перезагрузка регистратора не выыполнена!  Таймаут!!!", 0xF3},
      {"F3:error=0012", "Ошибка перезагрузки регистратора!",
         "Шаг 1. Перезагрузка регистратора не выполнена!  Ошибка!!!", 0xF3},
      {"41:silence", "Таймаут устройства! Ошибка!",
         "Шаг 2. Заводской номер не установлен!  Таймаут!!!", 0x41},
      {"41:error=0012", "Ошибка установки заводского номера!",
         "Шаг 2. Заводской номер не установлен!  Ошибка!!!", 0x41},
      {"80:silence", "Таймаут устройства! Ошибка GetDeviceInfo!", "Шаг 2 завершен успешно! ", 0x80},
      {"80:error=0012", "Ошибка GetDeviceInfo", "Шаг 2 завершен успешно! ", 0x80},
      {"47#1:error=0012", "Ошибка установки налогов!",
         "Шаг 3. Налог А не установлен!  Ошибка!!!", 0x47},
      {"47#4:silence", "Таймаут устройства! Ошибка!",
         "Шаг 6. Налог Г не установлен!  Таймаут!!!", 0x47},
      {"47#5:silence", "Таймаут устройства! Ошибка!",
         "Шаг 7. Налоги  не установлены!  Таймаут!!!", 0x47},
      {"47#5:error=0012", "Ошибка установки налогов!",
         "Шаг 7. Налоги не установлены!  Ошибка!!!", 0x47},
      {"84:silence", "Ошибка инициализации! Ошибка!", "Шаг 7 завершен успешно! ", 0x84},
      {"65:error=0012", "Ошибка инициализации!", "Шаг 7 завершен успешно! ", 0x65},
  };
  // clang-format on
  for (const auto& c : cases) {
    InitFixture f;
    f.fault(c.fault);
    EXPECT_EQ(f.run(), InitEnd::Failed) << c.fault;
    EXPECT_EQ(f.ui.boxes, Texts{c.box}) << c.fault;
    ASSERT_FALSE(f.ui.initLog.empty()) << c.fault;
    EXPECT_EQ(f.ui.initLog.back(), c.line) << c.fault;
    ASSERT_FALSE(f.sent.empty()) << c.fault;
    EXPECT_EQ(f.codes().back(), c.lastCode) << c.fault;
    EXPECT_EQ(f.ui.form4Shown, 0) << c.fault;
  }
}

// The reboot's verdict comes after TForm2, whatever the user waited for.
TEST(InitPage, ALostRebootReplyIsReportedAfterTForm2) {
  InitFixture f;
  f.fault("F3:silence");
  f.run();
  const auto& e = f.ui.events;
  const auto dialog = std::find(e.begin(), e.end(), "dialog: TForm2");
  ASSERT_NE(dialog, e.end());
  EXPECT_EQ(*(dialog + 1), "box: Таймаут устройства! Ошибка инициализации!");
}

TEST(InitPage, ContinuingBeforeThePrinterIsBackLosesTheSerialNumberStep) {
  InitFixture f;
  f.fault("F3:reboot=20000");
  f.ui.onForm2 = nullptr;
  EXPECT_EQ(f.run(), InitEnd::Failed);
  EXPECT_EQ(f.ui.initLog.back(), "Шаг 2. Заводской номер не установлен!  Таймаут!!!");

  InitFixture patient;
  patient.fault("F3:reboot=20000");
  EXPECT_EQ(patient.run(), InitEnd::Finished);
}

// A number that the book did not hand out (not on its list, or not of its form) is written
// only when the user answers "Да"; "Нет" sends nothing.
TEST(InitPage, ANumberTheBookDidNotHandOutIsAQuestion) {
  struct Case {
    std::string serial;
    bool selected;  // chosen from the list rather than typed
    bool asked;
  };
  const Case cases[] = {
      {kSerial, true, false},
      {"ЕД80012345", false, true},  // of the form, not on the list
      {"XYZ", false, true},
      {"ЕД8001234", false, true},  // four digits
  };
  for (const auto& c : cases) {
    for (const bool yes : {false, true}) {
      InitFixture f;
      if (c.selected) {
        f.ui.serial.list = {c.serial};
        f.ui.serial.selected = 0;
      } else {
        f.ui.serial.selected = -1;
        f.ui.serial.typed = c.serial;
      }
      f.ui.questionAnswer = yes;
      const InitEnd end = f.run();
      const std::string name = c.serial + (yes ? " yes" : " no");
      EXPECT_EQ(f.ui.questions.size(), c.asked ? 1u : 0u) << name;
      if (c.asked) {
        EXPECT_EQ(f.ui.questions[0], "Заводской номер " + c.serial +
                                         " не из списка «К инициализации». Записать его в "
                                         "регистратор?")
            << name;
      }
      if (c.asked && !yes) {
        EXPECT_EQ(end, InitEnd::InputRefused) << name;
        EXPECT_TRUE(f.sent.empty()) << name;
        EXPECT_TRUE(f.ui.boxes.empty()) << name;
      } else {
        EXPECT_EQ(end, InitEnd::Finished) << name;
        EXPECT_EQ(f.dataOf(0x41), Texts{"582014;" + c.serial + ";"}) << name;
      }
    }
  }
}

// Erasing the fiscal memory cannot be undone: it asks first, naming the printer, and "Нет"
// sends nothing.
TEST(InitPage, EraseAsksFirstNamingThePrinter) {
  for (const bool yes : {false, true}) {
    InitFixture f;
    f.ui.questionAnswer = yes;
    InitPage(f.session).Button8Click();
    EXPECT_EQ(f.ui.questions,
              Texts{"Стереть фискальную память регистратора Veltor FP-90T? Все данные "
                    "фискальной памяти будут потеряны, отменить это нельзя."});
    EXPECT_EQ(f.codes(), (yes ? Codes{0xF0, 0xF3} : Codes{})) << yes;
  }
  EXPECT_EQ(eraseQuestion(""),
            "Стереть фискальную память регистратора? Все данные фискальной памяти будут "
            "потеряны, отменить это нельзя.");
}

// The other countries and firmware take the same rows as on the auxiliary page; here tax 4
// has mask 01.
TEST(InitPage, MoldovanPrinterWithFirmware202GetsRealRatesForTaxes2And3) {
  InitFixture f(printer("Veltor FP-90T", "2.02", "Moldova"));
  EXPECT_EQ(f.run(), InitEnd::Finished);
  EXPECT_EQ(f.dataOf(0x47), (Texts{"582014;0;01;20.00;TVA_A;-1;", "582014;1;01;0.00;TVA_B;-1;",
                                   "582014;2;04;5.00;TVA_C;0;", "582014;3;04;3.00;TVA_D;1;",
                                   "582014;4;01;0.00;TVA_E;-1;"}));
}

TEST(InitPage, EraseAndRebootButtons) {
  struct Case {
    const char* name;
    void (InitPage::*handler)();
    const char* fault;
    Codes codes;
    Texts boxes;
  };
  // clang-format off
  const Case cases[] = {
      {"erase", &InitPage::Button8Click, nullptr, {0xF0, 0xF3}, {"Успешно. ФП обнулена!"}},
      {"erase refused", &InitPage::Button8Click, "F0:error=0012", {0xF0}, {"Ошибка обнуления ФП!"}},
      {"erase lost", &InitPage::Button8Click, "F0:silence", {0xF0}, {"Таймаут устройства! Ошибка!"}},
      {"erase, reboot refused", &InitPage::Button8Click, "F3:error=0012", {0xF0, 0xF3},
         {"Ошибка перезагрузки регистратора!"}},
      {"reboot", &InitPage::Button10Click, nullptr, {0xF3}, {"Успешно. Регистратор перезагружен!"}},
      {"reboot lost", &InitPage::Button10Click, "F3:silence", {0xF3},
         {"Таймаут устройства! Ошибка!"}},
      {"reboot refused", &InitPage::Button10Click, "F3:error=0012", {0xF3},
         {"Ошибка перезагрузки регистратора!"}},
  };
  // clang-format on
  for (const auto& c : cases) {
    InitFixture f;
    if (c.fault) f.fault(c.fault);
    InitPage page(f.session);
    (page.*c.handler)();
    EXPECT_EQ(f.codes(), c.codes) << c.name;
    for (const auto& s : f.sent)
      EXPECT_EQ(s.data, "582014;") << c.name;
    EXPECT_EQ(f.ui.boxes, c.boxes) << c.name;
    EXPECT_TRUE(f.ui.initLog.empty()) << c.name;
    EXPECT_EQ(f.ui.form2Shown + f.ui.form4Shown, 0) << c.name;
  }
}

TEST(InitPage, DateAndTimeAreRefreshedByButton7AndBySelectingThePage) {
  struct Case {
    const char* name;
    std::function<void(InitPage&)> act;
    bool refreshed;
  };
  // clang-format off
  const Case cases[] = {
      {"Button7", [](InitPage& p) {p.Button7Click();}, true},
      {"TabSheet5", [](InitPage& p) {p.PageControl1Change(Page::TabSheet5);}, true},
      {"TabSheet1", [](InitPage& p) {p.PageControl1Change(Page::TabSheet1);}, false},
      {"TabSheet2", [](InitPage& p) {p.PageControl1Change(Page::TabSheet2);}, false},
  };
  // clang-format on
  for (const auto& c : cases) {
    InitFixture f;
    InitPage page(f.session);
    c.act(page);
    EXPECT_EQ(f.ui.date, c.refreshed ? "071226" : "230212") << c.name;
    EXPECT_EQ(f.ui.time, c.refreshed ? "0905" : "0945") << c.name;
    EXPECT_TRUE(f.sent.empty()) << c.name;
  }
}

// A keeper that answers as it is told and remembers what it heard.
struct ScriptedKeeper final : NumberKeeper {
  StoreResult<std::string> answer = std::string();
  std::vector<std::string> asked, sentNumbers;
  StoreResult<TakenNumber> take(const std::string& wanted, const RunState&) override {
    asked.push_back(wanted);
    if (!answer) return answer.error();
    if (answer.value().empty()) return TakenNumber{wanted, {}};
    return TakenNumber{answer.value(), {}};
  }
  void sent(const std::string& number) override { sentNumbers.push_back(number); }
  StoreStatus answered(const std::string&, bool) override { return {}; }
};

// The number is taken right before the printer hears it; a refusal keeps it from the
// printer, and a number that went out is told whatever the printer answered.
TEST(InitPage, TheKeeperTakesTheNumberBeforeThePrinterHearsIt) {
  const struct {
    const char* what;
    bool next;
    StoreResult<std::string> answer;
    const char* fault;
    const char* written;  // nothing: no number went out
    InitEnd end;
  } cases[] = {
      {"as chosen", false, std::string(), "", kSerial, InitEnd::Finished},
      {"the book's next", true, std::string("ЕД80001299"), "", "ЕД80001299", InitEnd::Finished},
      {"refused", false,
       StoreError{StoreErrorKind::Conflict, "Номер ЕД80001234 уже занят станцией bench-2."}, "",
       nullptr, InitEnd::Failed},
      {"the printer refuses it", false, std::string(), "41:error=0012", kSerial, InitEnd::Failed},
      {"the printer is silent", false, std::string(), "41:silence", kSerial, InitEnd::Failed},
  };
  for (const auto& c : cases) {
    InitFixture f;
    ScriptedKeeper keeper;
    keeper.answer = c.answer;
    f.session.numbers = &keeper;
    if (*c.fault) f.fault(c.fault);
    InitPage page(f.session);
    page.setNextFromBook(c.next);
    EXPECT_EQ(page.Button9Click(), c.end) << c.what;
    EXPECT_EQ(keeper.asked, Texts{c.next ? "" : kSerial}) << c.what;
    if (c.written) {
      EXPECT_EQ(f.dataOf(0x41), Texts{std::string("582014;") + c.written + ";"}) << c.what;
      EXPECT_EQ(keeper.sentNumbers, Texts{c.written}) << c.what;
      EXPECT_EQ(f.ui.serial.text(), c.written) << c.what;
    } else {
      EXPECT_EQ(f.count(0x41), 0) << c.what;
      EXPECT_TRUE(keeper.sentNumbers.empty()) << c.what;
      EXPECT_EQ(f.ui.boxes.back(), c.answer.error().message) << c.what;
      EXPECT_EQ(f.ui.initLog.back(), "Шаг 2. Заводской номер не установлен!  Ошибка!!!");
    }
    const bool logged =
        std::find(f.ui.initLog.begin(), f.ui.initLog.end(),
                  "Шаг 2. Заводской номер из книги: ЕД80001299") != f.ui.initLog.end();
    EXPECT_EQ(logged, c.next) << c.what;
  }
}

TEST(BookKeeper, TheNextNumberIsTheFirstOfThePrintersTypeAndARightOneIsConfirmed) {
  MemorySerialStore store;
  ASSERT_TRUE(store.writeLists(
      {.shouldInit = {"DH21000007", "ЕД80000003", "ЕД80000004"}, .alreadyInit = {}}));
  SerialBook book(store);
  ASSERT_FALSE(book.start("Tallowick.exe").lists);
  BookKeeper keeper(book);
  const struct {
    const char* model;
    const char* country;
    std::optional<std::string> next;
  } cases[] = {
      {"Veltor FP-510T", "Україна", "ЕД80000003"},   {"Veltor FP-T320", "Moldova", "DH21000007"},
      {"Veltor KM-15", "Україна", std::nullopt},      // a type with no number left
      {"Veltor FP-510T", "Казахстан", std::nullopt},  // no type of the book
      {"Veltor FP-90T", "Україна", std::nullopt},
  };
  for (const auto& c : cases) {
    RunState printer;
    printer.DeviceModel = c.model;
    printer.DeviceCountry = c.country;
    const auto taken = keeper.take("", printer);
    EXPECT_EQ(taken.ok(), c.next.has_value()) << c.model << " " << c.country;
    if (c.next) {
      EXPECT_EQ(taken.value().number, *c.next);
    } else {
      EXPECT_EQ(taken.error().kind, StoreErrorKind::Conflict);
    }
  }
  RunState printer;
  printer.DeviceModel = "Veltor FP-510T";
  printer.DeviceCountry = "Україна";
  EXPECT_EQ(keeper.take("ЕД80009999", printer).value().number, "ЕД80009999");
  ASSERT_TRUE(keeper.answered("ЕД80000003", false));
  EXPECT_EQ(book.shouldInit().size(), 3u);
  ASSERT_TRUE(keeper.answered("ЕД80000003", true));
  EXPECT_EQ(keeper.take("", printer).value().number, "ЕД80000004");
  EXPECT_EQ(store.readLists().value().alreadyInit, Texts{"ЕД80000003"});
}

}  // namespace
}  // namespace tallowick
