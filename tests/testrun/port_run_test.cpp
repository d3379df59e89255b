// Where a run stands against the plan its rehearsal made: never ahead of the plan, never at
// its end before the run has ended, whatever the printer makes the run do on the way.
#include "testrun/port_run.h"

#include <gtest/gtest.h>

namespace tallowick {
namespace {

// A plan of 3 commands before the first title, then "A" with 4, "B" with 2 and "A" again
// (a second pass) with 4: 13 in all.
RunPlan plan() {
  RunPlan p;
  p.beginStep("A", 3);
  p.beginStep("B", 7);
  p.beginStep("A", 9);
  p.end(13);
  return p;
}

TEST(RunPlan, PositionFollowsTheStepsOfTheRehearsal) {
  struct Event {
    const char* title;  // nullptr: only commands
    int commands;       // the commands sent so far
    int position;       // where the run stands then
  };
  struct Case {
    const char* name;
    std::vector<Event> events;
  } cases[] = {
      {"as rehearsed",
       {{nullptr, 2, 2},
        {"A", 3, 3},
        {nullptr, 5, 5},
        {"B", 7, 7},
        {"A", 9, 9},
        {nullptr, 13, 12}}},
      // A printer slow to come back is asked more often: the step is counted up to its length.
      {"a step with more commands",
       {{"A", 3, 3}, {nullptr, 20, 7}, {"B", 20, 7}, {nullptr, 21, 8}}},
      // A step the rehearsal did not see keeps the run in the step it was in.
      {"a step not in the plan", {{"A", 3, 3}, {"C", 4, 4}, {nullptr, 6, 6}, {"B", 6, 7}}},
      // The second "A" is found after "B", not the first one again.
      {"a title that comes again", {{"A", 3, 3}, {"B", 7, 7}, {"A", 8, 9}, {nullptr, 10, 11}}},
      {"before any title", {{nullptr, 0, 0}, {nullptr, 9, 3}}},
  };
  const RunPlan p = plan();
  ASSERT_EQ(p.total(), 13);
  for (const Case& c : cases) {
    RunPlan::Position at(p);
    for (const Event& e : c.events) {
      if (e.title) at.beginStep(e.title, e.commands);
      EXPECT_EQ(at.at(e.commands), e.position) << c.name << " after " << e.commands;
    }
  }
}

TEST(StepTitles, ATitleIsTheLineAfterALineOfStars) {
  const std::string stars(30, '*');
  const std::vector<std::string> log{
      "Подключение", stars, "X-отчет", "X-отчет - успешно", stars, stars, "Z-отчет", "", stars};
  StepTitles titles;
  std::vector<std::string> found;
  for (const std::string& line : log) {
    if (const std::string* title = titles.title(line)) found.push_back(*title);
  }
  // Two lines of stars in a row: the second is read as a title, and so is the line after it.
  EXPECT_EQ(found, (std::vector<std::string>{"X-отчет", stars, "Z-отчет"}));
}

TEST(RunPlan, NoPlanStandsAtNothing) {
  const RunPlan none;
  RunPlan::Position at(none);
  at.beginStep("A", 5);
  EXPECT_EQ(at.at(10), 0);
}

}  // namespace
}  // namespace tallowick
