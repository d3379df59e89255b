#include <gtest/gtest.h>

#include <vector>

#include "fake_windows.h"

namespace tallowick {
namespace {

using test::FakeForm2Ui;

TEST(Form2, AnswerIsToEndUnlessTheUserContinues) {
  enum Step { Shown, Continue, End };
  struct Case {
    const char* what;
    std::vector<Step> steps;
    std::int32_t answer;
    int closed;
  } cases[] = {
      {"Продолжить инициализацию", {Shown, Continue}, TForm2::kContinue, 1},
      {"Завершить программу", {Shown, End}, TForm2::kEndProgram, 1},
      {"closed with the close box", {Shown}, TForm2::kEndProgram, 0},
      {"shown again after continuing", {Shown, Continue, Shown}, TForm2::kEndProgram, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeForm2Ui ui;
    TForm2 form(ui);
    for (const Step step : c.steps) {
      if (step == Shown) form.FormActivate();
      if (step == Continue) form.Button2Click();
      if (step == End) form.Button1Click();
    }
    EXPECT_EQ(form.answer(), c.answer);
    EXPECT_EQ(ui.closed, c.closed);
  }
}

}  // namespace
}  // namespace tallowick
