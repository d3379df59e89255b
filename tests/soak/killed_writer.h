// A writer in a child process that is killed with SIGKILL at a chosen moment: what the
// durability tests of the stores are made of. The writer tells the parent through a pipe
// after each operation that ended well, so the parent knows how far it got.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "support/temp_dir.h"

namespace tallowick::test {

inline unsigned envNumber(const char* name, unsigned fallback) {
  const char* text = std::getenv(name);
  if (text == nullptr || *text == '\0') return fallback;
  return static_cast<unsigned>(std::strtoul(text, nullptr, 10));
}

// The writer's body: it calls `done` after each operation that ended well and returns the
// exit status of the child (0 when everything went well).
using Writer = std::function<int(const std::function<bool()>& done)>;

struct KillOutcome {
  int completed = 0;    // operations the writer reported done
  bool exited = false;  // it ended on its own before the kill
};

// Starts the writer and kills it after `delay`; without a delay lets it finish.
inline KillOutcome killWriterAfter(const Writer& writer,
                                   std::optional<std::chrono::microseconds> delay) {
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) return {};
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipeEnds[0]);
    const int out = pipeEnds[1];
    _exit(writer([out] {
      const char done = 'k';
      return ::write(out, &done, 1) == 1;
    }));
  }
  ::close(pipeEnds[1]);
  if (delay) {
    std::this_thread::sleep_for(*delay);
    ::kill(child, SIGKILL);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  KillOutcome outcome;
  outcome.exited = WIFEXITED(status);
  char buf[64];
  for (ssize_t n; (n = ::read(pipeEnds[0], buf, sizeof buf)) > 0;)
    outcome.completed += static_cast<int>(n);
  ::close(pipeEnds[0]);
  if (outcome.exited) {
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the writer failed on its own";
  }
  return outcome;
}

}  // namespace tallowick::test
