// The desktop tool started where there is no display to open its windows on: one line
// that says so and points to the command line tool, and exit code 4, not Qt's abort. A line
// database or a station that cannot be used is said as plainly, before any window.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

struct Ended {
  int code = -1;
  std::string output;
};

Ended run(const std::string& environment, bool addProgram = true) {
  const std::string command =
      environment + (addProgram ? std::string(" ") + TALLOWICK_GUI_EXE : "") + " 2>&1";
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

TEST(NoDisplay, ALineThatCannotBeUsedIsSaidBeforeAnyWindow) {
  const std::string damaged = testing::TempDir() + "tallowick-damaged-settings.json";
  std::ofstream(damaged) << "[1, 2]\n";
  const std::string alone =
      "env -u TALLOWICK_DATABASE -u TALLOWICK_STATION TALLOWICK_SETTINGS=" + testing::TempDir() +
      "tallowick-no-settings.json ";
  const struct {
    std::string environment;
    std::string args;
    const char* said;
  } cases[] = {
      {alone, "--database 'postgresql://st:secret@h/db'", "Подключение к базе линии не принято"},
      {alone, "--database 'host=h password=secret'", "Подключение к базе линии не принято"},
      {alone + "TALLOWICK_DATABASE='dbname=x' TALLOWICK_STATION=\"$(printf 'a\tb')\"", "",
       "Имя станции не годится"},
      {alone, "--station ''", "Имя станции не задано"},
      {"env -u TALLOWICK_DATABASE TALLOWICK_SETTINGS=" + damaged, "", "Файл настроек повреждён"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.environment + c.args);
    const Ended e = run(c.environment + " " + TALLOWICK_GUI_EXE + " " + c.args, false);
    EXPECT_EQ(e.code, 4);
    EXPECT_EQ(e.output.rfind("tallowick: ", 0), 0u) << e.output;
    EXPECT_NE(e.output.find(c.said), std::string::npos) << e.output;
    EXPECT_EQ(e.output.find("secret"), std::string::npos) << e.output;
  }
}

}  // namespace
