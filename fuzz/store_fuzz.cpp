// Damaged database files for the serial-number book. Reading one must give either the
// lists or an error with a message, never a crash, and must leave the file as it was.
// A file that reads as a book must then take a rewrite and give back exactly what was
// written, or refuse it with a message.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "initforms/sqlite_serial_store.h"

namespace {

namespace fs = std::filesystem;
using namespace tallowick;

// A broken rule is a finding: say which one, then stop as a crash would.
void check(bool condition, int line = __builtin_LINE()) {
  if (condition) return;
  std::fprintf(stderr, "broken rule at line %d\n", line);
  std::abort();
}

std::string contents(const fs::path& path) {
  std::ifstream f(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

template <typename Result>
bool settled(const Result& r) {
  return r.ok() || !r.error().message.empty();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Each fuzzing process works on a file of its own.
  static const fs::path path =
      fs::temp_directory_path() / ("tallowick-fuzz-" + std::to_string(::getpid()) + ".sqlite3");
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  bool loaded = false;
  {
    SqliteSerialStore store(path, SqliteStoreOptions{.busyTimeoutMs = 0});
    const auto registered = store.isRegistered();
    const auto listed = store.hasList(SerialList::ShouldInit);
    const auto lists = store.readLists();
    check(settled(registered) && settled(listed) && settled(lists));
    loaded = lists.ok();
  }
  // Reading never writes; an empty file is not ours either and stays empty.
  check(contents(path) == bytes);

  if (loaded) {
    SqliteSerialStore store(path, SqliteStoreOptions{.busyTimeoutMs = 0});
    const SerialLists written{{"1000001", "1000002"}, {"0999999"}};
    const auto stored = store.writeLists(written);
    check(settled(stored));
    if (stored) {
      const auto back = store.readLists();
      check(settled(back));
      check(!back || back.value() == written);
    }
  }
  for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
    std::error_code ec;
    fs::remove(fs::path(path.string() + suffix), ec);
  }
  return 0;
}
