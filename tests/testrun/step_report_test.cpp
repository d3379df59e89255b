// The titled steps of a run as data: what the observer of a run is shown, against what
// the log and the printer say.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "support/run_fixture.h"
#include "testrun/test_run.h"

namespace tallowick {

void PrintTo(const StepReport& s, std::ostream* out) {
  *out << "{" << s.title << ", " << std::hex << s.command << std::dec << ", "
       << static_cast<int>(s.result) << ", \"" << s.code << "\", \"" << s.message << "\"}";
}

namespace {

using test::RunFixture;

struct Watched {
  RunOutcome outcome;
  std::vector<StepReport> steps;
  std::vector<std::string> log;
};

Watched watch(const std::function<void(RunFixture&, TestRun&)>& stage = nullptr,
              const char* passes = "1") {
  RunFixture f;
  f.connect();
  TestRun run(f.session);
  Watched w;
  run.setStepObserver([&](const StepReport& s) { w.steps.push_back(s); });
  if (stage) stage(f, run);
  w.outcome = run.Button3Click(passes, "0");
  w.log = f.ui.testLog;
  return w;
}

// The titles as the log shows them: each line under a line of 30 asterisks, except the
// blank that follows the clock setting and the asterisks that close the run header.
std::vector<std::string> titlesInLog(const std::vector<std::string>& log) {
  std::vector<std::string> titles;
  for (std::size_t i = 0; i + 1 < log.size(); ++i) {
    if (log[i] == kStars30 && log[i + 1] != " " && log[i + 1] != kStars30) {
      titles.push_back(log[i + 1]);
    }
  }
  return titles;
}

TEST(StepReports, AHealthyRunShowsEveryTitleOfItsLogAsASuccess) {
  const Watched w = watch(nullptr, "2");
  ASSERT_EQ(w.outcome.end, RunEnd::Finished);
  std::vector<std::string> titles;
  for (const StepReport& s : w.steps) {
    titles.push_back(s.title);
    EXPECT_EQ(s.result, StepResult::Success) << s.title;
    EXPECT_NE(s.command, 0) << s.title;
    EXPECT_TRUE(s.code.empty() && s.message.empty()) << s.title;
  }
  EXPECT_EQ(titles, titlesInLog(w.log));
  ASSERT_GE(w.steps.size(), 3u);
  EXPECT_EQ(w.steps[0].title, "Установка времени");
  EXPECT_EQ(w.steps[0].command, 0x20);
  // The two passes each read the clock under a title of their own.
  EXPECT_EQ(std::count(titles.begin(), titles.end(), "Получить дату/время"), 2);
  // The run's last title covers the rate change and the display up to the end lines.
  EXPECT_EQ(w.steps.back().title, "Служебный чек - изменения скорости работы с РРО");
  EXPECT_EQ(w.steps.back().command, 0x60);
}

TEST(StepReports, TheStepWhereARunFailsOrIsStoppedTellsHow) {
  struct Case {
    const char* what;
    std::function<void(RunFixture&, TestRun&)> stage;
    RunEnd end;
    StepReport last;  // elapsedMs is not compared
    // The reboot's abort logs its message under a line of asterisks, like a title.
    std::size_t untitledStars = 0;
  };
  const Case cases[] = {
      {"printer error at the closing Z-report",
       [](RunFixture& f, TestRun&) { f.fault("A1#4:error=0103"); },
       RunEnd::Aborted,
       {.title = "Z-отчет",
        .command = 0xA1,
        .result = StepResult::PrinterError,
        .code = "0103",
        .message = "Ошибка Z-отчета"}},
      {"no reply to the service cash-in",
       [](RunFixture& f, TestRun&) { f.fault("6E#1:silence"); },
       RunEnd::Aborted,
       {.title = "Служебное внесение",
        .command = 0x6E,
        .result = StepResult::NoReply,
        .message = "Таймаут устройства! Ошибка служебного внесения!"}},
      {"a printer that does not come back from its reboot",
       [](RunFixture& f, TestRun&) { f.fault("F3:reboot=200000"); },
       RunEnd::Aborted,
       {.title = "Перезагрузка устройства", .command = 0xF3, .result = StepResult::Aborted},
       1},
      {"Stop while the clock is read",
       [](RunFixture& f, TestRun& run) {
         f.ui.onEveryPump = [&f, &run] {
           if (f.logged("Получить дату/время - успешно")) {
             run.Button4Click();
             f.ui.onEveryPump = nullptr;
           }
         };
       },
       RunEnd::Stopped,
       {.title = "Получить дату/время",
        .command = 0x21,
        .result = StepResult::Stopped,
        .message = kStopped}},
  };
  for (const Case& c : cases) {
    Watched w = watch(c.stage);
    EXPECT_EQ(w.outcome.end, c.end) << c.what;
    ASSERT_FALSE(w.steps.empty()) << c.what;
    StepReport last = w.steps.back();
    last.elapsedMs = 0;
    EXPECT_EQ(last, c.last) << c.what << ": " << last.title;
    for (std::size_t i = 0; i + 1 < w.steps.size(); ++i) {
      EXPECT_EQ(w.steps[i].result, StepResult::Success) << c.what << ": " << w.steps[i].title;
    }
    EXPECT_EQ(titlesInLog(w.log).size(), w.steps.size() + c.untitledStars) << c.what;
  }
}

TEST(StepReports, ARefusedArticleIsAPrinterErrorWhileTheRunGoesOn) {
  const Watched w = watch([](RunFixture& f, TestRun&) { f.fault("24#1:error=0012"); });
  EXPECT_EQ(w.outcome.end, RunEnd::Finished);
  std::vector<StepReport> articles;
  for (const StepReport& s : w.steps) {
    if (s.title == "Программирование артикулов") articles.push_back(s);
  }
  ASSERT_GE(articles.size(), 2u);
  EXPECT_EQ(articles[0].result, StepResult::PrinterError);
  EXPECT_EQ(articles[0].code, "0012");
  EXPECT_EQ(articles[0].command, 0x24);
  EXPECT_EQ(articles[1].result, StepResult::Success);
}

TEST(StepReports, AStepLastsFromItsTitleToTheNextOnTheRunsClock) {
  RunFixture f;
  f.connect();
  TestRun run(f.session);
  std::vector<StepReport> steps;
  run.setStepObserver([&](const StepReport& s) { steps.push_back(s); });
  ASSERT_EQ(run.Button3Click("1", "1500").end, RunEnd::Finished);
  std::int64_t sum = 0;
  for (const StepReport& s : steps) {
    sum += s.elapsedMs;
    EXPECT_GE(s.elapsedMs, 0) << s.title;
  }
  // Every titled step pauses at least once: 1.5 s each on the virtual clock.
  EXPECT_GE(steps.front().elapsedMs, 1500);
  EXPECT_GE(sum, static_cast<std::int64_t>(steps.size()) * 1500);
}

}  // namespace
}  // namespace tallowick
