// The program's whole automatic test against the virtual printer in its harder settings:
// strict (it refuses what a real printer refuses), realistic (paced bytes, print times and
// busy bytes), and with the states a printer may be found in.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/run_fixture.h"
#include "testrun/test_run.h"

namespace tallowick {
namespace {

using test::RunFixture;

bool printed(const sim::VirtualPrinter& p, const std::string& line) {
  const auto& paper = p.state().paper;
  return std::find(paper.begin(), paper.end(), line) != paper.end();
}

bool printedSomething(const sim::VirtualPrinter& p, const std::string& part) {
  const auto& paper = p.state().paper;
  return std::any_of(paper.begin(), paper.end(),
                     [&](const std::string& l) { return l.find(part) != std::string::npos; });
}

TEST(ScriptOnTheVirtualPrinter, RunsCleanlyInEverySetting) {
  struct Case {
    const char* what;
    sim::PrinterSettings settings;
  };
  const Case cases[] = {
      {"strict", {.strict = true}},
      {"strict and realistic", {.strict = true, .realistic = true}},
      {"a sale left open", {.openDocument = sim::DocumentKind::Sale, .strict = true}},
      {"a service receipt left open", {.openDocument = sim::DocumentKind::Service, .strict = true}},
      {"KM-15 with a control tape due",
       {.model = "Veltor KM-15", .dailyCounter = 1, .strict = true}},
      {"FP-820T, firmware 2.01", {.model = "Veltor FP-820T", .firmware = "2.01", .strict = true}},
  };
  for (const auto& c : cases) {
    RunFixture f(c.settings);
    f.connect();
    TestRun run(f.session);
    const RunOutcome o = run.Button3Click("1", "0");
    EXPECT_EQ(o.end, RunEnd::Finished) << c.what << (f.ui.boxes.empty() ? "" : f.ui.boxes.back());
    EXPECT_EQ(o.errorsCounted, 0) << c.what;
    EXPECT_EQ(f.ui.boxes, std::vector<std::string>{"Успешно!"}) << c.what;
    const auto& p = f.port.printer();
    EXPECT_EQ(p.state().document, sim::DocumentKind::None) << c.what;
    EXPECT_EQ(p.state().lineRate, 9600) << c.what;
  }
}

TEST(ScriptOnTheVirtualPrinter, ThePaperShowsWhatTheRunPrinted) {
  RunFixture f;
  f.connect();
  TestRun run(f.session);
  ASSERT_EQ(run.Button3Click("1", "0").end, RunEnd::Finished);
  const auto& p = f.port.printer();
  EXPECT_EQ(p.state().zReports, 2);
  EXPECT_EQ(p.state().day.sales, 0) << "the closing Z-report starts a new day";
  for (const char* line :
       {"   НеФиСкАлЬнЫй  Текст", "   ФиСкАлЬнЫй  Текст", "Скорость при печати чека=115200",
        "[дисплей 1] Конец теста!", "[дисплей 2] ABCDEFGHIJKLMNOPQRST", "[перезагрузка]"}) {
    EXPECT_TRUE(printed(p, line)) << line;
  }
  for (const char* part : {"Z-ОТЧЕТ № 1", "Z-ОТЧЕТ № 2", "X-ОТЧЕТ", "ЧЕК АННУЛИРОВАН",
                           "ЧЕК ВОЗВРАТА", "Кулебяка", "Млинці з м'ясом", "ТЕХНИЧЕСКАЯ ИНФОРМАЦИЯ",
                           "ПОЛНЫЙ ТЕСТ", "ОТЧЕТ ПО ТОВАРАМ", "СЛУЖЕБНОЕ ВНЕСЕНИЕ", "█ █"}) {
    EXPECT_TRUE(printedSomething(p, part)) << part;
  }
}

}  // namespace
}  // namespace tallowick
