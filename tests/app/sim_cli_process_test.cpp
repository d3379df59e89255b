// tallowick-sim and tallowick-cli as separate processes, talking over a pseudo-terminal
// as they would on a workbench.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

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
    Sim sim({"--fault", c.fault});
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
  Sim sim({"--fault", "any#3:hangup"});
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
  Sim sim({"--fault", "46:silence"});
  ASSERT_TRUE(sim.ready());
  const fs::path dir = fs::path(sim.link()).string() + "-out";
  fs::create_directories(dir);
  const std::string out = (dir / "out.txt").string();
  const std::string log = (dir / "run.log").string();
  const int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  const int nullFd = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  ASSERT_GE(outFd, 0);
  const pid_t pid = tallowick::test::spawnProgram(
      {TALLOWICK_CLI_EXE, "testrun", "--port", sim.link(), "--pause", "0", "--log", log},
      {.out = outFd, .err = nullFd});
  ::close(outFd);
  ::close(nullFd);
  ASSERT_GT(pid, 0);
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
