// tallowick-sim as its own process: the program's serial code talks to it over the
// pseudo-terminal, and what it prints comes out in its paper file.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "link/device_link.h"

namespace tallowick::sim {
namespace {

namespace fs = std::filesystem;

#ifdef TALLOWICK_SIM_EXE
TEST(SimExecutable, WritesWhatItPrintsToThePaperFile) {
  std::string pattern = (fs::temp_directory_path() / "tallowick-sim-XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  const fs::path dir = pattern;
  const std::string link = (dir / "printer").string();
  const std::string paper = (dir / "paper.txt").string();

  std::vector<std::string> args = {TALLOWICK_SIM_EXE, "--link",      link, "--paper", paper,
                                   "--model",         "Veltor KM-15"};
  std::vector<char*> argv;
  for (auto& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t quiet;
  posix_spawn_file_actions_init(&quiet);
  posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  ASSERT_EQ(::posix_spawn(&pid, argv[0], &quiet, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&quiet);
  for (int i = 0; i < 500 && !fs::is_symlink(link); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }

  DeviceLink host;
  ASSERT_GE(host.OpenDeviceLink(link, 9600), 0);
  EXPECT_EQ(host.SendCommand(0x80, "582014;")->Fields[0], "Veltor KM-15");
  EXPECT_EQ(host.SendCommand(0x60, "582014;")->ErrorCode, "0000");
  EXPECT_EQ(host.SendCommand(0x61, "582014;Привіт, папір;")->ErrorCode, "0000");
  EXPECT_EQ(host.SendCommand(0x65, "582014;0;")->ErrorCode, "0000");
  host.CloseDeviceLink();
  ::kill(pid, SIGTERM);
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  std::ifstream in(paper);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0], "         СЛУЖЕБНЫЙ ЧЕК");
  EXPECT_EQ(lines[1], "Привіт, папір");
  EXPECT_EQ(lines.back(), std::string(32, '-'));
  fs::remove_all(dir);
}
#endif

}  // namespace
}  // namespace tallowick::sim
