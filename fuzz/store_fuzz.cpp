// Damaged database files for the serial-number book: opening and reading one must give
// a clear error or the lists, never a crash, and must never change the file.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "initforms/sqlite_serial_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace fs = std::filesystem;
  static const std::string path =
      (fs::temp_directory_path() / ("tallowick-fuzz-" + std::to_string(::getpid()) + ".db")).string();
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  {
    tallowick::SqliteSerialStore store(path);
    (void)store.isRegistered();
    (void)store.readLists();
  }
  std::ifstream f(path, std::ios::binary);
  const std::string after{std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
  if (!bytes.empty() && after != bytes) std::abort();  // a damaged store is never overwritten
  for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
    std::error_code ec;
    fs::remove(path + suffix, ec);
  }
  return 0;
}
