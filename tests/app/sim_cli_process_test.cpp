// tallowick-sim and tallowick-cli as separate processes, talking over a pseudo-terminal
// as they would on a workbench.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Output {
  int code = -1;
  std::string text;
};

Output runAndCapture(const std::string& command) {
  Output o;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return o;
  char buf[256];
  while (std::fgets(buf, sizeof buf, pipe)) o.text += buf;
  const int status = ::pclose(pipe);
  o.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return o;
}

TEST(SimAndCliProcesses, CliIdentifiesThePrinterServedByTheSim) {
  const std::string sim = TALLOWICK_SIM_EXE;
  const std::string cli = TALLOWICK_CLI_EXE;
  const std::string link =
      (fs::temp_directory_path() / ("tallowick-proc-" + std::to_string(::getpid()))).string();

  std::vector<std::string> args = {sim, "--link", link, "--model", "Veltor KM-15"};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  ASSERT_EQ(::posix_spawn(&pid, sim.c_str(), nullptr, nullptr, argv.data(), environ), 0);

  for (int i = 0; i < 100 && !fs::exists(link); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_TRUE(fs::exists(link));

  const Output info = runAndCapture("'" + cli + "' info --port '" + link + "'");
  EXPECT_EQ(info.code, 0) << info.text;
  EXPECT_NE(info.text.find("Модель: Veltor KM-15"), std::string::npos) << info.text;

  ::kill(pid, SIGTERM);
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status)) << status;
  EXPECT_FALSE(fs::is_symlink(link));  // the sim cleans up after itself
}

}  // namespace
