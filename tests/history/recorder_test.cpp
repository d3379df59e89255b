// The record of a run as the recorder builds it from a run on the virtual printer: the
// printer the connect found, the steps, the message of an unfinished run, the duration on
// the run's own clock.
#include <gtest/gtest.h>

#include "history/recorder.h"
#include "support/run_fixture.h"

namespace tallowick::history {
namespace {

using test::RunFixture;

constexpr WallTime kStart{1796627130000, 120};

struct Recorded {
  Record record;
  std::vector<std::string> boxes;
};

// One run on a connected virtual printer, with `rule` staged as its fault; each box is noted
// as the window notes it, before it is shown, and then waits `userWait` for its answer.
Recorded recordRun(const std::string& rule, const std::string& passes = "1",
                   std::chrono::milliseconds userWait = {}) {
  RunFixture f;
  f.connect();
  if (!rule.empty()) f.fault(rule);
  Recorder recorder(Kind::TestRun, "sim", f.clock, [] { return kStart; });
  recorder.identify(f.state);
  f.ui.onBox = [&](const std::string& text) {
    recorder.noteMessage(text);
    f.clock.advance(userWait);
  };
  TestRun run(f.session);
  run.setStepObserver(recorder.stepObserver());
  const RunOutcome outcome = run.Button3Click(passes, "0");
  return {recorder.finishTestRun(outcome, passes, "0", f.ui.testLog), f.ui.boxes};
}

TEST(Recorder, AHealthyRunIsFinishedWithThePrinterItsStepsAndItsWholeLog) {
  RunFixture reference;
  reference.connect();
  const Recorded r = recordRun("");
  EXPECT_EQ(r.record.outcome, Outcome::Finished);
  EXPECT_EQ(r.record.kind, Kind::TestRun);
  EXPECT_EQ(r.record.model, reference.state.DeviceModel);
  EXPECT_EQ(r.record.firmware, reference.state.FirmwareVersion);
  EXPECT_FALSE(r.record.country.empty());
  EXPECT_EQ(r.record.port, "sim");
  EXPECT_EQ(r.record.startedAtMs, kStart.ms);
  EXPECT_EQ(r.record.utcOffsetMinutes, kStart.utcOffsetMinutes);
  // The run's pauses and the printer's time on the virtual clock: the duration is the
  // run's, and the end follows from it.
  EXPECT_GT(r.record.durationMs, 0);
  EXPECT_EQ(r.record.endedAtMs, r.record.startedAtMs + r.record.durationMs);
  EXPECT_FALSE(r.record.steps.empty());
  EXPECT_FALSE(r.record.log.empty());
  EXPECT_EQ(r.record.message, "");
  EXPECT_EQ(r.record.passes, "1");
}

TEST(Recorder, ARunThatDidNotReachItsEndKeepsTheLastBoxAsItsMessage) {
  // A printer that has gone silent: the run is aborted by a time-out box.
  const Recorded r = recordRun("any:silence");
  ASSERT_FALSE(r.boxes.empty());
  EXPECT_EQ(r.record.outcome, Outcome::Aborted);
  EXPECT_EQ(r.record.message, r.boxes.back());
}

// However long the user takes to answer the boxes of a run (the one that ends it, or one it
// goes on after), its record is the run's: the same duration and steps as when every box is
// answered at once.
TEST(Recorder, TheTimeItsBoxesWaitedForTheUserIsNotTheRuns) {
  for (const char* rule : {"any:silence", "A1#4:error=0103", "", "24#1:error=0012"}) {
    SCOPED_TRACE(rule);
    const Recorded quick = recordRun(rule);
    const Recorded slow = recordRun(rule, "1", std::chrono::seconds(20));
    EXPECT_FALSE(slow.boxes.empty());
    EXPECT_EQ(slow.boxes, quick.boxes);
    EXPECT_EQ(slow.record.durationMs, quick.record.durationMs);
    EXPECT_EQ(slow.record.endedAtMs, slow.record.startedAtMs + slow.record.durationMs);
    EXPECT_EQ(slow.record.steps, quick.record.steps);
  }
}

TEST(Recorder, AnInitialisationEndsAsTheHistoryNamesIt) {
  const struct {
    InitEnd end;
    Outcome outcome;
  } cases[] = {
      {InitEnd::InputRefused, Outcome::InputRefused},
      {InitEnd::Failed, Outcome::Aborted},
      {InitEnd::ProgramEnded, Outcome::Stopped},
      {InitEnd::Finished, Outcome::Finished},
  };
  for (const auto& c : cases) {
    VirtualClock clock;
    Recorder recorder(Kind::Initialisation, "COM3", clock, [] { return kStart; });
    clock.advance(std::chrono::seconds(2));
    recorder.noteMessage("Ошибка установки времени!");
    // The user answers the box (and confirms the number) three seconds later: the
    // initialisation ended with its box. The program's end comes at a dialog, not a box.
    clock.advance(std::chrono::seconds(3));
    const Record r = recorder.finishInitialisation(c.end, "ЕД80012345", {"line"});
    EXPECT_EQ(r.outcome, c.outcome) << static_cast<int>(c.end);
    EXPECT_EQ(r.serialNumber, "ЕД80012345");
    EXPECT_EQ(r.durationMs, c.end == InitEnd::ProgramEnded ? 5000 : 2000);
    EXPECT_EQ(r.message, c.end == InitEnd::Finished ? "" : "Ошибка установки времени!");
    EXPECT_TRUE(r.passes.empty());
  }
}

}  // namespace
}  // namespace tallowick::history
