// A station of four virtual printers on pseudo-terminals, each failing its own way, run by
// tallowick-cli as a separate process: every run ends on its own, and the healthy one runs
// exactly as it would alone.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <nlohmann/json.hpp>
#include <sstream>

#include "history/history_store.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace tallowick {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::readFile;
using test::SimProcess;
using test::TempDir;

// The lines of a saved log (Windows-1251, CR LF), the computer's date and time masked:
// two runs at different moments log the same otherwise.
std::vector<std::string> logLines(const fs::path& file) {
  // "09.12.2026 9:05:30": digits where the pattern has 9, the hour one or two digits.
  const auto isDateTime = [](const std::string& line) {
    const std::string_view pattern =
        line.size() == 18 ? "99.99.9999 9:99:99" : "99.99.9999 99:99:99";
    if (line.size() != pattern.size()) return false;
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (pattern[i] == '9' ? !std::isdigit(static_cast<unsigned char>(line[i]))
                            : line[i] != pattern[i])
        return false;
    }
    return true;
  };
  std::vector<std::string> lines;
  const std::string bytes = readFile(file);
  for (std::size_t at = 0, end; (end = bytes.find("\r\n", at)) != std::string::npos; at = end + 2) {
    const std::string line = bytes.substr(at, end - at);
    lines.push_back(isDateTime(line) ? "DATE TIME" : line);
  }
  return lines;
}

// Each command sent, with its attempt and data, from a trace; the clock setting carries the
// computer's time and is masked.
std::vector<std::string> sentCommands(const fs::path& trace) {
  std::vector<std::string> commands;
  std::istringstream lines(readFile(trace));
  for (std::string line; std::getline(lines, line);) {
    const auto attempt = nlohmann::json::parse(line, nullptr, false);
    if (attempt.is_discarded() || !attempt.contains("command")) continue;
    const std::string command = attempt["command"];
    commands.push_back(command + "#" + std::to_string(attempt["attempt"].get<int>()) + " " +
                       (command == "20" ? "TIME" : attempt["request"].get<std::string>()));
  }
  return commands;
}

// The one file in `dir` whose name starts with `stem` and ends with `extension`.
fs::path fileOf(const fs::path& dir, const std::string& stem, const std::string& extension) {
  fs::path found;
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with(stem + "_") && name.ends_with(extension)) {
      EXPECT_TRUE(found.empty()) << "two files for " << stem;
      found = entry.path();
    }
  }
  return found;
}

// tallowick-cli with its streams in files; the exit code.
int runCli(const std::vector<std::string>& options, const fs::path& out, const fs::path& err) {
  std::vector<std::string> args{TALLOWICK_CLI_EXE};
  args.insert(args.end(), options.begin(), options.end());
  const int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  const int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  const pid_t pid = test::spawnProgram(args, {.out = outFd, .err = errFd});
  ::close(outFd);
  ::close(errFd);
  return pid > 0 ? test::exitCodeWithin(pid, 300s) : -1;
}

TEST(StationProcesses, EachPrinterEndsItsOwnRunAndTheHealthyOneRunsAsAlone) {
  const TempDir dir("tallowick-station");
  const fs::path logs = dir / "logs";
  fs::create_directories(logs);
  struct Printer {
    const char* name;
    const char* fault;  // nullptr: healthy
    const char* outcome;
    int code;
  };
  const Printer printers[] = {
      {"silent", "any#50+:silence", "aborted: Таймаут устройства!", 2},
      // The closing Z-report: A1 with 0 for the fourth time.
      {"zreport", "A1#4:error=0006", "aborted: Ошибка Z-отчета", 2},
      {"unplugged", "any#150:hangup", "aborted: Таймаут устройства!", 2},
      {"healthy", nullptr, "finished", 0},
  };
  std::vector<std::unique_ptr<SimProcess>> sims;
  std::vector<std::string> args{"testrun",     "--pause",     "0",
                                "--log-dir",   logs.string(), "--trace-dir",
                                logs.string(), "--history",   (dir / "history.sqlite3").string()};
  for (const Printer& p : printers) {
    std::vector<std::string> options{"--reboot-seconds", "1"};
    if (p.fault) options.insert(options.end(), {"--fault", p.fault});
    sims.push_back(std::make_unique<SimProcess>(TALLOWICK_SIM_EXE, dir / p.name, options));
    ASSERT_TRUE(sims.back()->ready()) << p.name;
    args.insert(args.end(), {"--port", sims.back()->link()});
  }

  const int code = runCli(args, dir / "out.txt", dir / "err.txt");
  const std::string out = readFile(dir / "out.txt");
  const std::string err = readFile(dir / "err.txt");
  EXPECT_EQ(code, 2) << "the highest of the runs' codes\n" << err;

  const std::string summary = out.substr(out.rfind("\nPORT") + 1);
  std::istringstream rows(summary);
  std::string row;
  std::getline(rows, row);  // the header
  for (const Printer& p : printers) {
    SCOPED_TRACE(p.name);
    ASSERT_TRUE(std::getline(rows, row)) << summary;
    EXPECT_TRUE(row.starts_with((dir / p.name).string() + " ")) << row;
    EXPECT_NE(row.find(p.outcome), std::string::npos) << row;
    EXPECT_TRUE(row.ends_with("  " + std::to_string(p.code))) << row;
    EXPECT_FALSE(fileOf(logs, p.name, ".log").empty()) << "its own log";
    EXPECT_NE(err.find("[" + (dir / p.name).string() + "] message: "), std::string::npos) << err;
  }
  EXPECT_NE(err.find("message: Ошибка Z-отчета"), std::string::npos) << err;

  history::Store store(dir / "history.sqlite3");
  const auto records = store.list({});
  ASSERT_TRUE(records) << records.error().message;
  ASSERT_EQ(records.value().size(), 4u);
  for (const history::Record& r : records.value()) {
    const bool healthy = r.port == (dir / "healthy").string();
    EXPECT_EQ(r.outcome, healthy ? history::Outcome::Finished : history::Outcome::Aborted)
        << r.port;
  }

  // The same printer alone, after the station: the same log and the same commands.
  SimProcess alone(TALLOWICK_SIM_EXE, dir / "alone", {"--reboot-seconds", "1"});
  ASSERT_TRUE(alone.ready());
  const int aloneCode = runCli(
      {"testrun", "--port", alone.link(), "--pause", "0", "--log", (dir / "alone.log").string(),
       "--trace", (dir / "alone.trace").string(), "--history", (dir / "alone.sqlite3").string()},
      dir / "alone-out.txt", dir / "alone-err.txt");
  EXPECT_EQ(aloneCode, 0);
  const auto aloneLog = logLines(dir / "alone.log");
  EXPECT_GT(aloneLog.size(), 100u);
  EXPECT_EQ(logLines(fileOf(logs, "healthy", ".log")), aloneLog);
  const auto aloneCommands = sentCommands(dir / "alone.trace");
  EXPECT_GT(aloneCommands.size(), 300u);
  EXPECT_EQ(sentCommands(fileOf(logs, "healthy", ".trace.jsonl")), aloneCommands);
}

}  // namespace
}  // namespace tallowick
