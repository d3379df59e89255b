// The whole test run against the line's physical limit. Two processes over a real
// pseudo-terminal, as on a production line: tallowick-sim in realistic mode (every byte
// takes ten bits' time at the line rate, no print time, no reboot silence) and
// tallowick-cli testrun --pause 0. The limit is the sum over every frame on the line, both
// directions and every attempt, of its bytes times ten bits over the rate it went at, read
// from the printer's wire trace. Also the client's peak memory (max RSS), and the system
// calls the client makes on its port per exchange, with its sleeps, counted in one more run
// under strace (when it is installed; strace slows that run down, so it is not timed).
//
// usage: bench_testrun_speed SIM CLI [RATE...]   (default rates 9600 115200)
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench_process.h"

namespace {

namespace fs = std::filesystem;
using Steady = std::chrono::steady_clock;

using tallowick::bench::spawnTo;

// The value of "name":"..." in one trace line, or empty.
std::string field(const std::string& line, const std::string& name) {
  const std::string key = "\"" + name + "\":\"";
  const auto at = line.find(key);
  if (at == std::string::npos) return {};
  const auto from = at + key.size();
  return line.substr(from, line.find('"', from) - from);
}

struct Limit {
  double seconds = 0;
  double hostSeconds = 0;  // the host's share
  int frames = 0;
};

// Follows the rate through the trace: a 27h request names a new rate, and the printer
// talks at it from the end of its accepting reply on.
Limit limitOf(const fs::path& trace, int startRate) {
  Limit limit;
  std::ifstream in(trace);
  std::string line;
  int rate = startRate;
  int asked = startRate;
  while (std::getline(in, line)) {
    const std::string bytes = field(line, "bytes");
    if (bytes.empty()) continue;
    const double n = static_cast<double>((bytes.size() + 1) / 3);
    const double t = n * 10.0 / rate;
    const bool host = field(line, "dir") == "host";
    limit.seconds += t;
    if (host) limit.hostSeconds += t;
    ++limit.frames;
    const std::string text = field(line, "text");
    if (field(line, "cmd") != "27" || text.empty()) continue;
    if (host) {
      const auto semi = text.find(';');
      if (semi != std::string::npos) asked = std::atoi(text.c_str() + semi + 1);
    } else if (text.starts_with("0000")) {
      rate = asked;
    }
  }
  return limit;
}

// tallowick-sim in realistic mode, without print time and reboot silence, at `link`, its wire
// trace in `trace`; once its link is there.
pid_t startPrinter(const std::string& sim, const fs::path& link, int rate, const fs::path& trace,
                   const fs::path& dir) {
  const pid_t pid =
      spawnTo({sim, "--link", link.string(), "--baud", std::to_string(rate), "--realistic",
               "--print-time-scale", "0", "--reboot-seconds", "0", "--trace", trace.string()},
              (dir / "sim.out").string());
  for (int i = 0; i < 500 && !fs::is_symlink(link); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return pid;
}

// strace as it is found on PATH; empty when it is not installed.
std::string straceProgram() {
  const char* path = std::getenv("PATH");
  std::istringstream dirs(path ? path : "");
  for (std::string dir; std::getline(dirs, dir, ':');) {
    const fs::path candidate = fs::path(dir) / "strace";
    if (!dir.empty() && ::access(candidate.c_str(), X_OK) == 0) return candidate.string();
  }
  return {};
}

// The first argument of a traced call, when it is a descriptor: "read(3, ..." gives 3, and
// so does "poll([{fd=3, ...".
int descriptorOf(const std::string& args) {
  const auto digits = args.find_first_of("0123456789");
  if (digits == std::string::npos || (args.front() != '[' && digits != 0)) return -1;
  if (args.front() == '[' && args.compare(0, 5, "[{fd=") != 0) return -1;
  return std::atoi(args.c_str() + digits);
}

// Counts, by call, what one strace output (-f, one call a line) shows done on the port
// `link`: the descriptors that opening it returned, until they are closed.
std::map<std::string, int> portCalls(const fs::path& output, const std::string& link) {
  std::map<std::string, int> calls;
  std::set<int> port;
  std::ifstream in(output);
  for (std::string line; std::getline(in, line);) {
    // "PID name(args) = result", or the first half of a call another thread interrupted.
    const auto blank = line.find(' ');
    const auto open = line.find('(');
    if (blank == std::string::npos || open == std::string::npos || open < blank) continue;
    const std::string pidAndCall = line.substr(blank, open - blank);
    const std::string call = pidAndCall.substr(pidAndCall.find_first_not_of(' '));
    const std::string args = line.substr(open + 1);
    const auto equals = line.rfind(" = ");
    if (call == "openat") {
      if (args.find("\"" + link + "\"") != std::string::npos && equals != std::string::npos) {
        const int fd = std::atoi(line.c_str() + equals + 3);
        if (fd >= 0) port.insert(fd);
      }
      continue;
    }
    // The line's sleeps for the bytes still coming name no descriptor: in a run without
    // pauses they are the only sleeps there are.
    if (call == "clock_nanosleep" || call == "nanosleep") {
      ++calls[call];
      continue;
    }
    const int fd = descriptorOf(args);
    if (fd < 0 || port.count(fd) == 0) continue;
    ++calls[call];
    if (call == "close") port.erase(fd);
  }
  return calls;
}

}  // namespace

int main(int argc, char** argv) {
  const auto setup = tallowick::bench::programBench(argc, argv, {9600, 115200});
  if (!setup) return 2;
  const std::vector<int>& rates = setup->rates;
  const fs::path& dir = setup->dir;
  int failures = 0;
  std::printf("whole test run, pause 0, realistic printer without print time, over a pty:\n");
  for (const int rate : rates) {
    const fs::path link = dir / "printer";
    const fs::path trace = dir / ("trace-" + std::to_string(rate) + ".jsonl");
    const pid_t sim = startPrinter(argv[1], link, rate, trace, dir);

    const auto start = Steady::now();
    const pid_t cli =
        spawnTo({argv[2], "testrun", "--port", link.string(), "--baud", std::to_string(rate),
                 "--pause", "0", "--history", (dir / "history.sqlite3").string()},
                (dir / "cli.out").string());
    int status = 0;
    rusage usage{};
    const bool waited = cli > 0 && wait4(cli, &status, 0, &usage) == cli;
    const double wall = std::chrono::duration<double>(Steady::now() - start).count();
    if (sim > 0) {
      ::kill(sim, SIGTERM);
      ::waitpid(sim, nullptr, 0);
    }
    const int code = waited && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const Limit limit = limitOf(trace, rate);
    std::printf(
        "  %6d baud: exit %d, %d frames, limit %.3f s (host %.3f s), wall %.3f s, "
        "ratio %.3f; tallowick-cli max RSS %ld KiB\n",
        rate, code, limit.frames, limit.seconds, limit.hostSeconds, wall,
        limit.seconds > 0 ? wall / limit.seconds : 0.0, usage.ru_maxrss);
    if (code != 0) ++failures;
  }

  // The system calls on the port: the same run once more, under strace.
  const std::string strace = straceProgram();
  if (strace.empty()) {
    std::printf("  system calls per exchange: strace is not installed, not counted\n");
  }
  for (const int rate : strace.empty() ? std::vector<int>{} : rates) {
    const fs::path link = dir / "printer";
    const fs::path trace = dir / ("counted-" + std::to_string(rate) + ".jsonl");
    const fs::path calls = dir / ("calls-" + std::to_string(rate) + ".txt");
    const pid_t sim = startPrinter(argv[1], link, rate, trace, dir);
    const pid_t cli =
        spawnTo({strace, "-f", "-qq", "-o", calls.string(), "-e",
                 "trace=openat,close,read,write,poll,ppoll,select,pselect6,ioctl,fcntl,nanosleep,"
                 "clock_nanosleep",
                 argv[2], "testrun", "--port", link.string(), "--baud", std::to_string(rate),
                 "--pause", "0", "--history", (dir / "history.sqlite3").string()},
                (dir / "cli.out").string());
    int status = 0;
    const bool waited = cli > 0 && ::waitpid(cli, &status, 0) == cli;
    if (sim > 0) {
      ::kill(sim, SIGTERM);
      ::waitpid(sim, nullptr, 0);
    }
    const int exchanges = limitOf(trace, rate).frames / 2;
    const auto counted = portCalls(calls, link.string());
    int all = 0;
    std::string each;
    for (const auto& [call, n] : counted) {
      all += n;
      char text[64];
      std::snprintf(text, sizeof text, "%s%s %.2f", each.empty() ? "" : ", ", call.c_str(),
                    exchanges > 0 ? static_cast<double>(n) / exchanges : 0.0);
      each += text;
    }
    std::printf(
        "  %6d baud: system calls on the port per exchange (strace, %d exchanges, exit %d): "
        "%.2f in all: %s\n",
        rate, exchanges, waited && WIFEXITED(status) ? WEXITSTATUS(status) : -1,
        exchanges > 0 ? static_cast<double>(all) / exchanges : 0.0, each.c_str());
  }
  fs::remove_all(dir);
  return failures == 0 ? 0 : 1;
}
