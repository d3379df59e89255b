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

#include "testrun/run_fixture.h"

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
  while (std::fgets(buf, sizeof buf, pipe))
    o.text += buf;
  const int status = ::pclose(pipe);
  o.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return o;
}

// tallowick-sim serving on a pty of its own, for as long as the object lives.
class SimProcess {
 public:
  explicit SimProcess(std::vector<std::string> options)
      : link_((fs::temp_directory_path() /
               ("tallowick-proc-" + std::to_string(::getpid()) + "-" + std::to_string(++count_)))
                  .string()) {
    std::vector<std::string> args = {TALLOWICK_SIM_EXE, "--link", link_};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (auto& a : args)
      argv.push_back(a.data());
    argv.push_back(nullptr);
    started_ = ::posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) == 0;
    for (int i = 0; i < 200 && started_ && !fs::exists(link_); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  ~SimProcess() { stop(); }

  bool ready() const { return started_ && fs::exists(link_); }
  const std::string& link() const { return link_; }
  // SIGTERM, then the exit status.
  int stop() {
    if (!started_) return -1;
    started_ = false;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    return status;
  }

 private:
  static inline int count_ = 0;
  std::string link_;
  pid_t pid_ = 0;
  bool started_ = false;
};

std::string cli(const std::string& args) {
  return "'" TALLOWICK_CLI_EXE "' " + args;
}

TEST(SimAndCliProcesses, CliIdentifiesThePrinterServedByTheSim) {
  SimProcess sim({"--model", "Veltor KM-15"});
  ASSERT_TRUE(sim.ready());
  const Output info = runAndCapture(cli("info --port '" + sim.link() + "'"));
  EXPECT_EQ(info.code, 0) << info.text;
  EXPECT_NE(info.text.find("Модель: Veltor KM-15"), std::string::npos) << info.text;
  const int status = sim.stop();
  EXPECT_TRUE(WIFEXITED(status)) << status;
  EXPECT_FALSE(fs::is_symlink(sim.link()));  // the sim cleans up after itself
}

TEST(SimAndCliProcesses, WholeTestRunOverAPtyIncludingTheRateChange) {
  SimProcess sim({"--reboot-seconds", "1"});
  ASSERT_TRUE(sim.ready());
  const Output run = runAndCapture(cli("testrun --port '" + sim.link() + "' --pause 0"));
  EXPECT_EQ(run.code, 0) << run.text.substr(run.text.size() > 2000 ? run.text.size() - 2000 : 0);
  EXPECT_NE(run.text.find("Изменение скорости ПК/РРО - успешно"), std::string::npos);
  EXPECT_NE(run.text.find("message: Успешно!"), std::string::npos);
  EXPECT_NE(run.text.find("Общее количество ошибок: 0"), std::string::npos);
}

}  // namespace
