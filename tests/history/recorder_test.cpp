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

// One run on a connected virtual printer, with `rule` staged as its fault.
Recorded recordRun(const std::string& rule, const std::string& passes = "1") {
  RunFixture f;
  f.connect();
  if (!rule.empty()) f.fault(rule);
  Recorder recorder(Kind::TestRun, "sim", f.clock, [] { return kStart; });
  recorder.identify(f.state);
  TestRun run(f.session);
  run.setStepObserver(recorder.stepObserver());
  const RunOutcome outcome = run.Button3Click(passes, "0");
  for (const std::string& box : f.ui.boxes)
    recorder.noteMessage(box);
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
    recorder.noteMessage("Ошибка установки времени!");
    clock.advance(std::chrono::seconds(3));
    const Record r = recorder.finishInitialisation(c.end, "ЕД80012345", {"line"});
    EXPECT_EQ(r.outcome, c.outcome) << static_cast<int>(c.end);
    EXPECT_EQ(r.serialNumber, "ЕД80012345");
    EXPECT_EQ(r.durationMs, 3000);
    EXPECT_EQ(r.message, c.end == InitEnd::Finished ? "" : "Ошибка установки времени!");
    EXPECT_TRUE(r.passes.empty());
  }
}

}  // namespace
}  // namespace tallowick::history
