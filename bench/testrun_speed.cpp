// The whole test run against the line's physical limit. Two processes over a real
// pseudo-terminal, as on a production line: tallowick-sim in realistic mode (every byte
// takes ten bits' time at the line rate, no print time, no reboot silence) and
// tallowick-cli testrun --pause 0. The limit is the sum over every frame on the line, both
// directions and every attempt, of its bytes times ten bits over the rate it went at, read
// from the printer's wire trace. Also the client's peak memory (max RSS).
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
#include <filesystem>
#include <fstream>
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
    const pid_t sim =
        spawnTo({argv[1], "--link", link.string(), "--baud", std::to_string(rate), "--realistic",
                 "--print-time-scale", "0", "--reboot-seconds", "0", "--trace", trace.string()},
                (dir / "sim.out").string());
    for (int i = 0; i < 500 && !fs::is_symlink(link); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));

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
  fs::remove_all(dir);
  return failures == 0 ? 0 : 1;
}
