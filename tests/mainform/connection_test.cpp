// The connect of the main window ("Подключить"), on the virtual printer and a virtual clock:
// however long the printer keeps its first answer back, the user can end the wait.
#include "mainform/connection.h"

#include <gtest/gtest.h>

#include <functional>

#include "support/run_fixture.h"

namespace tallowick {
namespace {

using test::RunFixture;

TEST(Connect, AStopOrDisconnectEndsTheWaitForTheFirstAnswerWithinASecond) {
  struct Case {
    const char* fault;
    const char* how;
    std::function<void(RunFixture&)> stop;
  };
  const auto pressStop = [](RunFixture& f) { f.state.StopRequested = true; };
  const auto disconnect = [](RunFixture& f) { disconnectPrinter(f.session); };
  const Case cases[] = {
      {"80#1:endless-busy", "Stop", pressStop},
      {"80#1:endless-busy", "Disconnect", disconnect},
      {"80#1:silence", "Stop", pressStop},
      {"80#1:silence", "Disconnect", disconnect},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.fault) + ", " + c.how);
    RunFixture f;
    f.fault(c.fault);
    // The user acts once the connect has waited half a second.
    Micros pressed{-1};
    f.ui.onWait = [&] {
      if (pressed.count() >= 0 || f.clock.now() < std::chrono::milliseconds(500)) return;
      pressed = f.clock.now();
      c.stop(f);
    };
    connectPrinter(f.session, 0);
    ASSERT_GE(pressed.count(), 0);
    EXPECT_LE(f.clock.now() - pressed, std::chrono::milliseconds(100));
    ASSERT_NE(f.state.LastResult, nullptr);
    EXPECT_TRUE(f.state.LastResult->stopped());
    EXPECT_TRUE(f.ui.boxes.empty()) << "no time-out box for a wait the user ended";
    EXPECT_FALSE(f.state.Connected);
    EXPECT_FALSE(f.ui.shownConnected);
    EXPECT_FALSE(f.link.isOpen());
    EXPECT_EQ(f.sent.size(), 1u) << "the first command, not asked again";
    EXPECT_EQ(f.state.DeviceModel, "");

    // Nothing of the stop is left for the next connect, which the printer now answers.
    f.ui.onWait = nullptr;
    connectPrinter(f.session, 0);
    EXPECT_TRUE(f.state.Connected);
    EXPECT_EQ(f.state.DeviceModel, "Veltor FP-90T");
    EXPECT_TRUE(f.ui.boxes.empty());
  }
}

TEST(Connect, AStopRequestedBeforeTheConnectDoesNotEndIt) {
  // A Stop left over from a run that ended is not the user's wish to stop this connect.
  RunFixture f;
  f.state.StopRequested = true;
  connectPrinter(f.session, 0);
  EXPECT_TRUE(f.state.Connected);
  EXPECT_EQ(f.state.DeviceModel, "Veltor FP-90T");
}

}  // namespace
}  // namespace tallowick
