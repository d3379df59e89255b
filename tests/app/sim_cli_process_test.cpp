// tallowick-sim and tallowick-cli as separate processes, talking over a pseudo-terminal
// as they would on a workbench.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "support/process.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using tallowick::test::TempDir;

// tallowick-sim on a pty link in a folder of its own.
struct Sim {
  explicit Sim(const std::vector<std::string>& options)
      : process(TALLOWICK_SIM_EXE, dir / "printer", options) {}
  bool ready() const { return process.ready(); }
  std::string link() const { return process.link(); }
  int stop() { return process.stop(); }

  TempDir dir{"tallowick-proc"};
  tallowick::test::SimProcess process;
};

struct Output {
  int code = -1;
  std::string text;
};

Output runAndCapture(const std::string& command) {
  Output o;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return o;
  char buf[256];
  while (std::fgets(buf, sizeof buf, pipe))
    o.text += buf;
  const int status = ::pclose(pipe);
  o.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return o;
}

std::string cli(const std::string& args) {
  return "'" TALLOWICK_CLI_EXE "' " + args;
}

TEST(SimAndCliProcesses, CliIdentifiesThePrinterServedByTheSim) {
  Sim sim({"--model", "Veltor KM-15"});
  ASSERT_TRUE(sim.ready());
  const Output info = runAndCapture(cli("info --port '" + sim.link() + "'"));
  EXPECT_EQ(info.code, 0) << info.text;
  EXPECT_NE(info.text.find("Модель: Veltor KM-15"), std::string::npos) << info.text;
  const int status = sim.stop();
  EXPECT_TRUE(WIFEXITED(status)) << status;
  EXPECT_FALSE(fs::is_symlink(sim.link()));  // the sim cleans up after itself
}

TEST(SimAndCliProcesses, WholeTestRunOverAPtyIncludingTheRateChange) {
  Sim sim({"--reboot-seconds", "1"});
  ASSERT_TRUE(sim.ready());
  const Output run = runAndCapture(cli("testrun --port '" + sim.link() + "' --pause 0"));
  EXPECT_EQ(run.code, 0) << run.text.substr(run.text.size() > 2000 ? run.text.size() - 2000 : 0);
  EXPECT_NE(run.text.find("Изменение скорости ПК/РРО - успешно"), std::string::npos);
  EXPECT_NE(run.text.find("message: Успешно!"), std::string::npos);
  EXPECT_NE(run.text.find("Общее количество ошибок: 0"), std::string::npos);
}

}  // namespace
