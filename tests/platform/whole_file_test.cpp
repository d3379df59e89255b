// Saving a file for the user on a real file system: what is replaced, what is written in
// place, what is refused, and that a failure on the way leaves the old file.
#include "platform/whole_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <functional>
#include <vector>

namespace tallowick {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

struct Dir {
  Dir() {
    std::string pattern = (fs::path(testing::TempDir()) / "tallowick-save-XXXXXX").string();
    path = ::mkdtemp(pattern.data());
  }
  ~Dir() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  fs::path at(const char* name) const { return path / name; }
  void write(const char* name, const std::string& text, fs::perms perms = fs::perms(0644)) const {
    std::ofstream(at(name), std::ios::binary) << text;
    fs::permissions(at(name), perms);
  }
  std::string read(const char* name) const {
    std::ifstream f(at(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
  }
  Names entries() const {
    Names names;
    for (const auto& e : fs::directory_iterator(path))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  fs::path path;
};

// A device that swallows what it is given, of our own where we may make one, so that a
// fault here can never replace the system's /dev/null.
fs::path nullDevice(const Dir& d) {
  const fs::path own = d.at("null");
  if (::mknod(own.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) return own;
  return "/dev/null";
}

// The sentence of a save that failed; nothing when the file was saved.
std::optional<std::string> save(const fs::path& path, const std::string& text) {
  WholeFile file;
  if (auto refused = file.open(path.string())) return refused->message;
  file.write(text);
  if (auto failed = file.commit()) return failed->message;
  return std::nullopt;
}

TEST(WholeFile, ReplacesFollowsWritesInPlaceOrRefuses) {
  struct Case {
    const char* what;
    std::function<fs::path(const Dir&)> prepare;  // the path to save to
    const char* reason;                           // nullptr: saved
    std::function<void(const Dir&)> check;
  };
  const Case cases[] = {
      {"a new file", [](const Dir& d) { return d.at("run.log"); }, nullptr,
       [](const Dir& d) {
         EXPECT_EQ(d.read("run.log"), "new");
         EXPECT_EQ(d.entries(), Names{"run.log"});
       }},
      {"an existing file keeps its permissions",
       [](const Dir& d) {
         d.write("run.log", "old", fs::perms(0640));
         return d.at("run.log");
       },
       nullptr,
       [](const Dir& d) {
         EXPECT_EQ(d.read("run.log"), "new");
         EXPECT_EQ(fs::status(d.at("run.log")).permissions(), fs::perms(0640));
         EXPECT_EQ(d.entries(), Names{"run.log"});
       }},
      {"the user's own FILE.part is not touched",
       [](const Dir& d) {
         d.write("run.log", "old");
         d.write("run.log.part", "mine");
         return d.at("run.log");
       },
       nullptr,
       [](const Dir& d) {
         EXPECT_EQ(d.read("run.log"), "new");
         EXPECT_EQ(d.read("run.log.part"), "mine");
       }},
      {"a link leads to the file that is written",
       [](const Dir& d) {
         d.write("real.log", "old");
         fs::create_symlink("real.log", d.at("link.log"));
         return d.at("link.log");
       },
       nullptr,
       [](const Dir& d) {
         EXPECT_TRUE(fs::is_symlink(fs::symlink_status(d.at("link.log"))));
         EXPECT_EQ(d.read("real.log"), "new");
         EXPECT_EQ(d.entries(), (Names{"link.log", "real.log"}));
       }},
      {"a link to a file not there yet",
       [](const Dir& d) {
         fs::create_symlink("later.log", d.at("link.log"));
         return d.at("link.log");
       },
       nullptr,
       [](const Dir& d) {
         EXPECT_TRUE(fs::is_symlink(fs::symlink_status(d.at("link.log"))));
         EXPECT_EQ(d.read("later.log"), "new");
       }},
      {"a character device is written in place", [](const Dir& d) { return nullDevice(d); },
       nullptr,
       [](const Dir& d) {
         const bool own = fs::exists(fs::symlink_status(d.at("null")));
         EXPECT_TRUE(fs::is_character_file(own ? d.at("null") : fs::path("/dev/null")));
       }},
      {"a folder",
       [](const Dir& d) {
         fs::create_directory(d.at("sub"));
         return d.at("sub");
       },
       "это не обычный файл",
       [](const Dir& d) {
         EXPECT_TRUE(fs::is_directory(d.at("sub")));
         EXPECT_TRUE(fs::is_empty(d.at("sub")));
       }},
      {"a FIFO, which would hang a writer without a reader",
       [](const Dir& d) {
         ::mkfifo(d.at("fifo").c_str(), 0644);
         return d.at("fifo");
       },
       "это не обычный файл", [](const Dir& d) { EXPECT_TRUE(fs::is_fifo(d.at("fifo"))); }},
      {"a read-only file",
       [](const Dir& d) {
         d.write("run.log", "old", fs::perms(0444));
         return d.at("run.log");
       },
       "файл доступен только для чтения",
       [](const Dir& d) {
         EXPECT_EQ(d.read("run.log"), "old");
         EXPECT_EQ(fs::status(d.at("run.log")).permissions(), fs::perms(0444));
       }},
      {"a folder that does not exist", [](const Dir& d) { return d.at("missing") / "run.log"; },
       "не существует", [](const Dir& d) { EXPECT_EQ(d.entries(), Names{}); }},
      {"a full disk", [](const Dir&) { return fs::path("/dev/full"); }, "на диске нет места",
       [](const Dir&) {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Dir d;
    const fs::path path = c.prepare(d);
    const Names before = d.entries();
    const auto error = save(path, "new");
    if (c.reason) {
      ASSERT_TRUE(error);
      EXPECT_EQ(error->find("Невозможно записать файл " + path.string() + ": "), 0u) << *error;
      EXPECT_NE(error->find(c.reason), std::string::npos) << *error;
      EXPECT_EQ(d.entries(), before) << "nothing is left beside it";
    } else {
      EXPECT_FALSE(error) << *error;
    }
    c.check(d);
  }
}

// The first failure of a write sticks: the old file stays and nothing is left beside it.
// The file size limit stands in for a disk that fills up in the middle of the run.
TEST(WholeFile, AWriteThatFailsOnTheWayLeavesTheOldFile) {
  Dir d;
  d.write("trace.jsonl", "old");
  const pid_t child = ::fork();
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    WholeFile file;
    if (file.open(d.at("trace.jsonl").string())) ::_exit(10);
    for (int i = 0; i < 100; ++i)
      file.write(std::string(100, 'x'));
    const auto error = file.commit();
    ::_exit(error && error->message.find("файл слишком велик") != std::string::npos ? 0 : 11);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(d.read("trace.jsonl"), "old");
  EXPECT_EQ(d.entries(), Names{"trace.jsonl"});
}

TEST(WholeFile, AFileGivenUpLeavesTheOldOne) {
  Dir d;
  d.write("run.log", "old");
  {
    WholeFile file;
    ASSERT_FALSE(file.open(d.at("run.log").string()));
    file.write("half");
    EXPECT_EQ(d.entries().size(), 2u);  // the new one is made beside it
  }
  EXPECT_EQ(d.read("run.log"), "old");
  EXPECT_EQ(d.entries(), Names{"run.log"});
}

}  // namespace
}  // namespace tallowick
