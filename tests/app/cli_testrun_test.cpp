// tallowick-cli testrun in-process, on the virtual printer and a virtual clock.
#include <csignal>
#include <fstream>

#include "app/cli_testrun.h"
#include "app/exit_codes.h"
#include "link/clock.h"
#include "link/device_link.h"
#include "sim/fault_plan.h"
#include "sim/virtual_printer.h"
#include "support/run_fixture.h"

namespace tallowick {
namespace {

namespace fs = std::filesystem;

using test::CliRun;
using test::readFile;
using test::temp;
using test::testrun;

class CliTestRun : public ::testing::Test {};

// Sets the printer up to raise SIGINT, as Ctrl-C, when it hears `command` the first time,
// and to note the virtual time then in `raisedAt`.
std::function<void(sim::VirtualPrinter&)> interruptAt(std::uint8_t command, const Clock& clock,
                                                      Micros& raisedAt) {
  return [command, &clock, &raisedAt](sim::VirtualPrinter& p) {
    raisedAt = Micros{-1};
    p.setTraceHook([command, &clock, &raisedAt](const sim::TraceEvent& e) {
      if (raisedAt.count() < 0 && e.command == command) {
        raisedAt = clock.now();
        std::raise(SIGINT);
      }
    });
  };
}

TEST_F(CliTestRun, ExitCodesTellHowTheRunEnded) {
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> faults;
    int code;
    const char* message;  // expected on standard error, or empty
  };
  const Case cases[] = {
      {{"--port", "sim", "--pause", "0"}, {}, kExitOk, ""},
      {{"--port", "sim", "--pause", "0"},
       {"A1#3:silence"},
       kExitFinishedWithErrors,
       "message: Таймаут устройства! Ошибка X-отчета!\n"},
      {{"--port", "sim", "--pause", "0"},
       {"46:error=0005"},
       kExitAborted,
       "message: Ошибка получения налогового номера\n"},
      {{"--port", "sim", "--passes", "0"},
       {},
       kExitInputRefused,
       "message: Неверное количество циклов теста\n"},
      {{"--port", "sim", "--pause", "-5"},
       {},
       kExitInputRefused,
       "message: Неверная величина задержки \n   между командами\n"},
      {{"--port", "/nonexistent/tty"},
       {},
       kExitPortOrUsage,
       "message: Невозможно подключить порт\n"},
      {{"--port", "sim"},
       {"80#1:silence"},
       kExitNoReply,
       "message: Таймаут устройства! Ошибка GetDeviceInfo!\n"},
      {{"--port", "sim", "--bogus"}, {}, kExitPortOrUsage, "unknown option"},
      {{"--pause", "0"}, {}, kExitPortOrUsage, "needs --port"},
  };
  for (const auto& c : cases) {
    const CliRun r = testrun(c.args, c.faults);
    EXPECT_EQ(r.code, c.code) << r.err;
    if (*c.message) {
      EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
  }
}

TEST_F(CliTestRun, LogGoesToStandardOutputAndToTheLogFile) {
  const std::string log = temp("run.log");
  const CliRun r = testrun({"--port", "sim", "--pause", "0", "--no-fiscal", "--log", log});
  ASSERT_EQ(r.code, kExitOk) << r.err;
  EXPECT_NE(r.out.find("\nТест Veltor FP-90T\n"), std::string::npos);
  EXPECT_NE(r.out.find("Общее количество ошибок: 0\n"), std::string::npos);
  const std::string bytes = readFile(log);
  // Windows-1251 with CR LF: "Тест " is D2 E5 F1 F2 20.
  EXPECT_NE(bytes.find("\r\n\xD2\xE5\xF1\xF2 Veltor FP-90T\r\n"), std::string::npos);
  EXPECT_NE(bytes.find("\r\n"), std::string::npos);
  EXPECT_EQ(bytes.find("\n"), bytes.find("\r\n") + 1);
  EXPECT_EQ(bytes.substr(bytes.size() - 32), std::string(30, '*') + "\r\n");
  fs::remove(log);
}

TEST_F(CliTestRun, TraceHasOneJsonLinePerAttempt) {
  const std::string trace = temp("run.trace");
  const CliRun r =
      testrun({"--port", "sim", "--pause", "0", "--no-fiscal", "--trace", trace}, {"28#2:nak=1"});
  ASSERT_EQ(r.code, kExitOk) << r.err;
  std::istringstream lines(readFile(trace));
  std::string first;
  std::getline(lines, first);
  EXPECT_EQ(first.find("{\"t_ms\":"), 0u);
  EXPECT_NE(first.find("\"command\":\"80\",\"attempt\":1,\"request\":\"582014;\""),
            std::string::npos)
      << first;
  EXPECT_NE(first.find("\"fields\":[\"Veltor FP-90T\",\"3.01\",\"Україна\"]"), std::string::npos);
  const std::string all = readFile(trace);
  EXPECT_NE(all.find("\"command\":\"28\",\"attempt\":2"), std::string::npos);  // the repeat
  fs::remove(trace);
}

// A log or trace that cannot be written is refused before anything is sent, with its own
// exit code.
TEST_F(CliTestRun, FilesThatCannotBeSavedEndWithTheirOwnExitCode) {
  const std::string dir = temp("-dir");
  fs::create_directories(dir);
  const std::string readOnly = temp("-readonly.log");
  std::ofstream(readOnly) << "old";
  fs::permissions(readOnly, fs::perms::owner_read);
  struct Case {
    std::vector<std::string> files;
    const char* message;  // on standard error
  };
  const Case cases[] = {
      {{"--log", temp("-missing") + "/run.log"}, "не существует"},
      {{"--log", dir}, "это не обычный файл"},
      {{"--log", readOnly}, "файл доступен только для чтения"},
      {{"--trace", dir}, "это не обычный файл"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.files[0] + " " + c.files[1]);
    std::vector<std::string> args = {"--port", "sim", "--pause", "0", "--no-fiscal"};
    args.insert(args.end(), c.files.begin(), c.files.end());
    const CliRun r = testrun(args);
    EXPECT_EQ(r.code, kExitFileNotSaved) << r.err;
    EXPECT_NE(r.err.find("tallowick-cli: Невозможно записать файл " + c.files[1] + ": "),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
  EXPECT_TRUE(fs::is_empty(dir));
  EXPECT_EQ(readFile(readOnly), "old");
  fs::remove(dir);
  fs::permissions(readOnly, fs::perms::owner_all);
  fs::remove(readOnly);
}

TEST_F(CliTestRun, InterruptStopsTheRunAtItsNextStopCheck) {
  // Ctrl-C while the tax number is read.
  VirtualClock clock;
  Micros raisedAt;
  const CliRun r =
      testrun({"--port", "sim", "--pause", "0"}, {}, interruptAt(0x46, clock, raisedAt), &clock);
  EXPECT_EQ(r.code, kExitStopped) << r.err;
  EXPECT_NE(r.out.find("Получить налоговый номер - успешно\n \nТест остановлен\n"),
            std::string::npos);
}

TEST_F(CliTestRun, InterruptWhileACommandWaitsStopsTheRunWithinASecondAndSavesTheLog) {
  // The printer says nothing to the tax number; Ctrl-C comes while the run waits for it.
  const std::string log = temp("interrupted.log");
  VirtualClock clock;
  Micros raisedAt;
  const CliRun r = testrun({"--port", "sim", "--pause", "0", "--log", log}, {"46:silence"},
                           interruptAt(0x46, clock, raisedAt), &clock);
  EXPECT_EQ(r.code, kExitStopped) << r.err;
  ASSERT_GE(raisedAt.count(), 0);
  EXPECT_LT(clock.now() - raisedAt, std::chrono::seconds(1));
  EXPECT_NE(r.out.find("Получить налоговый номер\nТест остановлен\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.err.find("Таймаут"), std::string::npos) << r.err;
  // "Тест остановлен" in Windows-1251, as the last line of the saved log.
  const std::string saved = readFile(log);
  EXPECT_NE(saved.find("\xD2\xE5\xF1\xF2 \xEE\xF1\xF2\xE0\xED\xEE\xE2\xEB\xE5\xED\r\n"),
            std::string::npos);
  fs::remove(log);
}

TEST_F(CliTestRun, InterruptWhileTheConnectWaitsStopsWithinASecondAndSavesTheLog) {
  // The printer answers GetDeviceInfo, the connect's first command, with busy bytes for
  // ever, or not at all; Ctrl-C comes while the connect waits.
  for (const char* fault : {"80:endless-busy", "80:endless-busy=5", "80:silence"}) {
    SCOPED_TRACE(fault);
    const std::string log = temp("-connect-interrupted.log");
    const std::string trace = temp("-connect-interrupted.jsonl");
    VirtualClock clock;
    Micros raisedAt;
    const CliRun r = testrun({"--port", "sim", "--log", log, "--trace", trace}, {fault},
                             interruptAt(0x80, clock, raisedAt), &clock);
    EXPECT_EQ(r.code, kExitStopped) << r.err;
    ASSERT_GE(raisedAt.count(), 0);
    EXPECT_LT(clock.now() - raisedAt, std::chrono::seconds(1));
    EXPECT_EQ(r.out, "Тест остановлен\n");
    EXPECT_EQ(r.err, "") << "no time-out box for a wait the user ended";
    EXPECT_EQ(readFile(log), "\xD2\xE5\xF1\xF2 \xEE\xF1\xF2\xE0\xED\xEE\xE2\xEB\xE5\xED\r\n");
    const std::string traced = readFile(trace);
    EXPECT_NE(traced.find("\"command\":\"80\""), std::string::npos) << traced;
    EXPECT_NE(traced.find("\"wait\":\"stopped\""), std::string::npos) << traced;
    fs::remove(log);
    fs::remove(trace);
  }
}

TEST_F(CliTestRun, InterruptDuringAPauseIsNotHeldUpByIt) {
  VirtualClock clock;
  Micros raisedAt;
  const CliRun r = testrun({"--port", "sim", "--pause", "600000"}, {},
                           interruptAt(0x21, clock, raisedAt), &clock);
  EXPECT_EQ(r.code, kExitStopped) << r.err;
  EXPECT_LT(clock.now() - raisedAt, std::chrono::seconds(1)) << "not the ten-minute pause";
}

TEST_F(CliTestRun, DamagedForeignAndMissingRepliesNeverEndInSuccess) {
  struct Case {
    const char* fault;
    int code;
    const char* message;
  };
  const Case cases[] = {
      {"any:checksum", kExitNoReply, "message: Таймаут устройства! Ошибка GetDeviceInfo!\n"},
      {"28:checksum", kExitAborted, "message: Таймаут устройства! Ошибка GetRegistratorParams!\n"},
      {"any#2:lag", kExitAborted, "message: Таймаут устройства! Ошибка GetRegistratorParams!\n"},
      {"any#2:other-cmd", kExitAborted,
       "message: Таймаут устройства! Ошибка GetRegistratorParams!\n"},
      {"F3#1:hangup", kExitAborted, "message: Таймаут устройства! Ошибка!\n"},
      {"63#1:endless-busy", kExitAborted,
       "message: Таймаут устройства! Ошибка открытия фискального чека!\n"},
  };
  for (const auto& c : cases) {
    VirtualClock clock;
    const CliRun r = testrun({"--port", "sim", "--pause", "0"}, {c.fault}, {}, &clock);
    EXPECT_EQ(r.code, c.code) << c.fault << "\n" << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.fault << "\n" << r.err;
    EXPECT_EQ(r.err.find("Успешно!"), std::string::npos) << c.fault;
    EXPECT_LT(clock.now(), DeviceLink::kCommandTimeLimit + std::chrono::minutes(5)) << c.fault;
  }
}

TEST_F(CliTestRun, TraceNamesDroppedFramesAndHowAWaitEnded) {
  const std::string trace = temp("dropped.trace");
  const CliRun r = testrun({"--port", "sim", "--pause", "0", "--no-fiscal", "--trace", trace},
                           {"28#1:late-copy", "21#1:silence"});
  EXPECT_EQ(r.code, kExitAborted) << r.err;
  const std::string all = readFile(trace);
  EXPECT_NE(all.find("\"command\":\"28\",\"attempt\":1,"), std::string::npos);
  EXPECT_NE(all.find("\"dropped_frames\":1,\"dropped\":[{\"seq\":\"21\",\"command\":\"80\"}]}"),
            std::string::npos)
      << all;
  EXPECT_NE(all.find("\"wait\":\"silence\"}"), std::string::npos) << all;
  fs::remove(trace);
}

}  // namespace
}  // namespace tallowick
