// tallowick-cli where the system around it matters: files that fail on the way, the
// signals that ask it to stop, a standard output that closes, a terminal that would act on
// control characters. Real processes where the behaviour lives in the process.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "app/cli_testrun.h"
#include "app/exit_codes.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace tallowick {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::CliRun;
using test::exitCodeWithin;
using test::readFile;
using test::temp;
using test::testrun;

// A failure while the run goes on ends it as usual, then with the files' own exit code; the
// run's code is named, the failure said once.
TEST(CliFiles, AFileThatFailsOnTheWayStillLetsTheRunEnd) {
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> faults;
    const char* runCode;
  };
  const Case cases[] = {
      {{"--trace", "/dev/full"}, {}, "the run itself ended with exit code 0 ("},
      {{"--log", "/dev/full"}, {"46:error=0005"}, "the run itself ended with exit code 2 ("},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0]);
    std::vector<std::string> args = {"--port", "sim", "--pause", "0", "--no-fiscal"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const CliRun r = testrun(args, c.faults);
    EXPECT_EQ(r.code, kExitFileNotSaved) << r.err;
    const std::string said = "Невозможно записать файл /dev/full: на диске нет места";
    const auto first = r.err.find(said);
    EXPECT_NE(first, std::string::npos) << r.err;
    EXPECT_EQ(r.err.find(said, first + 1), std::string::npos) << "said once: " << r.err;
    EXPECT_NE(r.err.find(c.runCode), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("\nТест Veltor FP-90T\n"), std::string::npos) << "the run took place";
  }
}

TEST(CliFiles, ALogOnACharacterDeviceIsWrittenThere) {
  // A null device of our own where we may make one: a fault must not replace the system's.
  std::string device = temp("-null");
  if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) device = "/dev/null";
  const CliRun r = testrun({"--port", "sim", "--pause", "0", "--no-fiscal", "--log", device});
  EXPECT_EQ(r.code, kExitOk) << r.err;
  EXPECT_TRUE(fs::is_character_file(device));
  if (device != "/dev/null") fs::remove(device);
}

// tallowick-cli as a process of its own, its standard output and error on the descriptors
// given (opened close-on-exec, so that the child holds no other end of a pipe), with the
// signals as a shell leaves them.
pid_t spawnCli(std::vector<std::string> args, int out, int err) {
  args.insert(args.begin(), TALLOWICK_CLI_EXE);
  return test::spawnProgram(args, {.out = out, .err = err, .defaultSignals = true});
}

// Reads from `fd` until `text` has come or the writer is gone.
std::string readUntil(int fd, const std::string& text) {
  std::string got;
  char buf[4096];
  while (got.find(text) == std::string::npos) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 30000) <= 0) break;
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n <= 0) break;
    got.append(buf, static_cast<std::size_t>(n));
  }
  return got;
}

// "Тест остановлен" and "Общее количество ошибок: 0" as the saved log, in Windows-1251, has them.
constexpr const char* kStoppedCp1251 = "\xD2\xE5\xF1\xF2 \xEE\xF1\xF2\xE0\xED\xEE\xE2\xEB\xE5\xED";
constexpr const char* kErrorTotalCp1251 =
    "\xCE\xE1\xF9\xE5\xE5 \xEA\xEE\xEB\xE8\xF7\xE5\xF1\xF2\xE2\xEE \xEE\xF8\xE8\xE1\xEE\xEA: 0";

TEST(CliProcess, StopSignalsEndTheRunAsStoppedAndSaveTheLog) {
  for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
    SCOPED_TRACE(::strsignal(signal));
    const std::string log = temp(("-signal-" + std::to_string(signal) + ".log").c_str());
    int out[2];
    ASSERT_EQ(::pipe2(out, O_CLOEXEC), 0);
    const int err = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    const pid_t pid =
        spawnCli({"testrun", "--port", "sim", "--pause", "200", "--log", log}, out[1], err);
    ::close(out[1]);
    ::close(err);
    ASSERT_GT(pid, 0);
    // Well into the run: the service receipt is printed after the run header.
    readUntil(out[0], "Служебный чек");
    ::kill(pid, signal);
    const std::string rest = readUntil(out[0], "Тест остановлен\n");
    EXPECT_EQ(exitCodeWithin(pid, 60s), kExitStopped);
    ::close(out[0]);
    EXPECT_NE(rest.find("Тест остановлен\n"), std::string::npos) << rest;
    EXPECT_NE(readFile(log).find(std::string(kStoppedCp1251) + "\r\n"), std::string::npos);
    fs::remove(log);
  }
}

// Whether the process holds the terminal behind every link open (it has opened its ports).
bool holdsPorts(pid_t pid, const std::vector<fs::path>& links) {
  std::size_t held = 0;
  std::error_code ec;
  for (const fs::path& link : links) {
    const fs::path device = fs::read_symlink(link, ec);
    for (const auto& fd : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ec)) {
      if (fs::read_symlink(fd.path(), ec) == device) {
        ++held;
        break;
      }
    }
  }
  return held == links.size();
}

TEST(CliProcess, StopSignalsEndAConnectThatWaitsForEverWithinASecond) {
  // Printers that answer the connect's GetDeviceInfo with busy bytes for ever: a signal ends
  // the wait of one port and of two, the runs end as stopped, and every log is saved.
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    for (const std::size_t ports : {1u, 2u}) {
      SCOPED_TRACE(std::string(::strsignal(signal)) + ", ports: " + std::to_string(ports));
      const test::TempDir dir("tallowick-connect-signal");
      std::vector<std::unique_ptr<test::SimProcess>> printers;
      std::vector<fs::path> links;
      std::vector<std::string> args{"testrun", "--log-dir", dir.path.string()};
      for (std::size_t i = 0; i < ports; ++i) {
        links.push_back(dir.path / ("printer" + std::to_string(i)));
        printers.push_back(std::make_unique<test::SimProcess>(
            TALLOWICK_SIM_EXE, links.back(),
            std::vector<std::string>{"--fault", "80:endless-busy"}));
        ASSERT_TRUE(printers.back()->ready());
        args.insert(args.end(), {"--port", links.back().string()});
      }
      const int out = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
      const pid_t pid = spawnCli(args, out, out);
      ::close(out);
      ASSERT_GT(pid, 0);
      for (int i = 0; i < 500 && !holdsPorts(pid, links); ++i)
        std::this_thread::sleep_for(10ms);
      std::this_thread::sleep_for(300ms);  // the requests are out, the busy bytes coming
      const auto sent = std::chrono::steady_clock::now();
      ::kill(pid, signal);
      EXPECT_EQ(exitCodeWithin(pid, 60s), kExitStopped);
      EXPECT_LT(std::chrono::steady_clock::now() - sent, 1s);
      std::size_t logs = 0;
      for (const auto& entry : fs::directory_iterator(dir.path)) {
        if (entry.path().extension() != ".log") continue;
        ++logs;
        EXPECT_EQ(readFile(entry.path()), std::string(kStoppedCp1251) + "\r\n");
      }
      EXPECT_EQ(logs, ports);
    }
  }
}

TEST(CliProcess, AClosedStandardOutputDoesNotEndTheRun) {
  const std::string log = temp("-closed-out.log");
  int out[2];
  ASSERT_EQ(::pipe2(out, O_CLOEXEC), 0);
  const int err = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  // As `tallowick-cli testrun ... | head -1`: the reader goes after the first line.
  const pid_t pid = spawnCli(
      {"testrun", "--port", "sim", "--pause", "100", "--no-fiscal", "--log", log}, out[1], err);
  ::close(out[1]);
  ::close(err);
  ASSERT_GT(pid, 0);
  EXPECT_NE(readUntil(out[0], "\n"), "");
  ::close(out[0]);
  EXPECT_EQ(exitCodeWithin(pid, 120s), kExitOk);
  EXPECT_NE(readFile(log).find(std::string(kErrorTotalCp1251) + "\r\n"), std::string::npos)
      << "the whole run is in the log";
  fs::remove(log);
}

// Control characters from the printer (here in its model name) and in a port name are
// shown escaped on a terminal; a pipe gets every byte as it was.
TEST(CliProcess, ATerminalShowsControlCharactersEscaped) {
  struct Case {
    std::vector<std::string> args;
    std::string raw;      // as a pipe gets it
    std::string escaped;  // as a terminal shows it
  };
  const Case cases[] = {
      {{"info", "--port", "sim:KM\x1b[2J\x07"},
       "Модель: Veltor KM\x1b[2J\x07\n",
       "Модель: Veltor KM\\x1B[2J\\x07\n"},
      {{"info", "--port", "/dev/tty\x1b]0;title\x07\r"},
       "Порт /dev/tty\x1b]0;title\x07\r не найден",
       "Порт /dev/tty\\x1B]0;title\\x07\\x0D не найден"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.escaped);
    int master = -1;
    int slave = -1;
    ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave, F_SETFD, FD_CLOEXEC);
    termios raw{};
    ::tcgetattr(slave, &raw);
    ::cfmakeraw(&raw);  // no CR added to line feeds: the bytes as the program wrote them
    ::tcsetattr(slave, TCSANOW, &raw);
    const pid_t onTerminal = spawnCli(c.args, slave, slave);
    ::close(slave);
    const std::string shown = readUntil(master, c.escaped);
    exitCodeWithin(onTerminal, 60s);
    ::close(master);
    EXPECT_NE(shown.find(c.escaped), std::string::npos) << shown;

    int pipe[2];
    ASSERT_EQ(::pipe2(pipe, O_CLOEXEC), 0);
    const pid_t onPipe = spawnCli(c.args, pipe[1], pipe[1]);
    ::close(pipe[1]);
    const std::string piped = readUntil(pipe[0], c.raw);
    exitCodeWithin(onPipe, 60s);
    ::close(pipe[0]);
    EXPECT_NE(piped.find(c.raw), std::string::npos) << piped;
  }
}

}  // namespace
}  // namespace tallowick
