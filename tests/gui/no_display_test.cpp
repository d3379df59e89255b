// The desktop tool started where there is no display to open its windows on: one line
// that says so and points to the command line tool, and exit code 4, not Qt's abort.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

struct Ended {
  int code = -1;
  std::string output;
};

Ended run(const std::string& environment) {
  const std::string command = environment + " " + TALLOWICK_GUI_EXE + " 2>&1";
  Ended ended;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return ended;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe))
    ended.output += buffer;
  const int status = pclose(pipe);
  ended.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return ended;
}

TEST(NoDisplay, OneLineAndExitCode4) {
  for (const char* environment : {"env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM",
                                  "env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:93217"}) {
    SCOPED_TRACE(environment);
    const Ended e = run(environment);
    EXPECT_EQ(e.code, 4);
    EXPECT_EQ(std::count(e.output.begin(), e.output.end(), '\n'), 1) << e.output;
    EXPECT_NE(e.output.find("tallowick-cli"), std::string::npos) << e.output;
    EXPECT_EQ(e.output.find("qt.qpa"), std::string::npos) << e.output;
  }
}

}  // namespace
