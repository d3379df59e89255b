// Where the history lives on Windows: the folder of all users' application data, unless
// TALLOWICK_HISTORY names another file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "history/history_store.h"
#include "platform/system.h"

namespace tallowick::history {
namespace {

namespace fs = std::filesystem;

TEST(HistoryStoreWin32, LivesInTheProgramDataFolderUnlessTheEnvironmentNamesAnother) {
  const wchar_t* programData = _wgetenv(L"ProgramData");
  ASSERT_NE(programData, nullptr);
  const fs::path shared = fs::path(programData) / L"Tallowick" / L"history.sqlite3";
  const struct {
    std::map<std::string, std::string> env;
    fs::path file;
  } cases[] = {
      {{{"TALLOWICK_HISTORY", "D:\\line\\history.db"}}, fs::path("D:\\line\\history.db")},
      {{{"TALLOWICK_HISTORY", ""}}, shared},
      // Neither the book's variable nor a Unix folder moves it.
      {{{"TALLOWICK_REGISTRY", "D:\\book.sqlite3"}, {"XDG_DATA_HOME", "D:\\data"}}, shared},
      {{}, shared},
  };
  for (const auto& c : cases) {
    const auto env = [&](const char* name) -> std::optional<std::string> {
      const auto it = c.env.find(name);
      if (it == c.env.end()) return std::nullopt;
      return it->second;
    };
    auto file = platform::dataFile(platform::DataFile::History, env);
    ASSERT_TRUE(file) << file.error().message;
    EXPECT_EQ(file.value(), c.file);
  }
}

}  // namespace
}  // namespace tallowick::history
