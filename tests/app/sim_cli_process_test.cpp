// tallowick-sim and tallowick-cli as separate processes, talking over a pseudo-terminal
// as they would on a workbench.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
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

// Starts `args` (the program first) as a process of its own; its standard output goes to
// `output` when given. Nothing when it cannot be started.
std::optional<pid_t> spawn(std::vector<std::string> args, const std::string& output = "") {
  std::vector<char*> argv;
  for (auto& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  if (!output.empty()) {
    posix_spawn_file_actions_addopen(&files, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
  }
  pid_t pid = 0;
  const bool started = ::posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&files);
  if (!started) return std::nullopt;
  return pid;
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
    const auto pid = spawn(std::move(args));
    started_ = pid.has_value();
    pid_ = pid.value_or(0);
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

TEST(SimAndCliProcesses, DamagedOrLaggingRepliesNeverReadAsSuccess) {
  struct Case {
    const char* fault;
    const char* command;
    int code;
    const char* message;
  };
  const Case cases[] = {
      {"any:checksum", "info", 6, "message: Таймаут устройства! Ошибка GetDeviceInfo!\n"},
      {"any:checksum", "testrun --pause 0", 6,
       "message: Таймаут устройства! Ошибка GetDeviceInfo!\n"},
      // One reply behind from the run's first command on.
      {"any#2:lag", "testrun --pause 0", 2,
       "message: Таймаут устройства! Ошибка GetRegistratorParams!\n"},
  };
  for (const auto& c : cases) {
    SimProcess sim({"--fault", c.fault});
    ASSERT_TRUE(sim.ready());
    const Output out = runAndCapture(cli(std::string(c.command) + " --port '" + sim.link() + "'"));
    EXPECT_EQ(out.code, c.code) << c.fault << "\n" << out.text;
    EXPECT_NE(out.text.find(c.message), std::string::npos) << out.text;
    EXPECT_EQ(out.text.find("Модель"), std::string::npos) << out.text;
    EXPECT_EQ(out.text.find("успешно"), std::string::npos) << out.text;
    EXPECT_EQ(out.text.find("Успешно"), std::string::npos) << out.text;
  }
}

TEST(SimAndCliProcesses, PortClosedByThePrinterEndsTheRunAtOnce) {
  SimProcess sim({"--fault", "any#3:hangup"});
  ASSERT_TRUE(sim.ready());
  const auto start = std::chrono::steady_clock::now();
  const Output out = runAndCapture(cli("testrun --port '" + sim.link() + "' --pause 0"));
  EXPECT_EQ(out.code, 2) << out.text;
  EXPECT_NE(out.text.find("message: Таймаут устройства!"), std::string::npos) << out.text;
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4))
      << "no silence waited out on a port that is gone";
}

TEST(SimAndCliProcesses, CtrlCWhileACommandWaitsStopsTheRunAndSavesTheLog) {
  // The printer says nothing to the tax number; Ctrl-C comes while the run waits for it.
  SimProcess sim({"--fault", "46:silence"});
  ASSERT_TRUE(sim.ready());
  const fs::path dir = fs::path(sim.link()).string() + "-out";
  fs::create_directories(dir);
  const std::string out = (dir / "out.txt").string();
  const std::string log = (dir / "run.log").string();
  const auto started = spawn(
      {TALLOWICK_CLI_EXE, "testrun", "--port", sim.link(), "--pause", "0", "--log", log}, out);
  ASSERT_TRUE(started);
  const pid_t pid = *started;
  const auto readOut = [&] {
    std::ifstream in(out);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  for (int i = 0; i < 500 && readOut().find("Получить налоговый номер\n") == std::string::npos;
       ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  const auto interrupted = std::chrono::steady_clock::now();
  ::kill(pid, SIGINT);
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_LT(std::chrono::steady_clock::now() - interrupted, std::chrono::seconds(3));
  ASSERT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(WEXITSTATUS(status), 3);
  EXPECT_NE(readOut().find("Получить налоговый номер\nТест остановлен\n"), std::string::npos)
      << readOut();
  std::ifstream saved(log, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(saved)),
                          std::istreambuf_iterator<char>());
  EXPECT_NE(bytes.find("\xD2\xE5\xF1\xF2 \xEE\xF1\xF2\xE0\xED\xEE\xE2\xEB\xE5\xED\r\n"),
            std::string::npos);
  fs::remove_all(dir);
}

}  // namespace
