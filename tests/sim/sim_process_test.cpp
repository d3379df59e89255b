// tallowick-sim as its own process: the program's serial code talks to it over the
// pseudo-terminal, and what it prints comes out in its paper file.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <fstream>

#include "link/device_link.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace tallowick::sim {
namespace {

#ifdef TALLOWICK_SIM_EXE
TEST(SimExecutable, WritesWhatItPrintsToThePaperFile) {
  const test::TempDir dir("tallowick-sim");
  const std::string paper = (dir / "paper.txt").string();
  test::SimProcess sim(TALLOWICK_SIM_EXE, dir / "printer",
                       {"--paper", paper, "--model", "Veltor KM-15"});
  ASSERT_TRUE(sim.ready());

  DeviceLink host;
  ASSERT_GE(host.OpenDeviceLink(sim.link(), 9600), 0);
  EXPECT_EQ(host.SendCommand(0x80, "582014;")->Fields[0], "Veltor KM-15");
  EXPECT_EQ(host.SendCommand(0x60, "582014;")->ErrorCode, "0000");
  EXPECT_EQ(host.SendCommand(0x61, "582014;Привіт, папір;")->ErrorCode, "0000");
  EXPECT_EQ(host.SendCommand(0x65, "582014;0;")->ErrorCode, "0000");
  host.CloseDeviceLink();
  const int status = sim.stop();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  std::ifstream in(paper);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0], "         СЛУЖЕБНЫЙ ЧЕК");
  EXPECT_EQ(lines[1], "Привіт, папір");
  EXPECT_EQ(lines.back(), std::string(32, '-'));
}
#endif

}  // namespace
}  // namespace tallowick::sim
