#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace tallowick::test {

namespace fs = std::filesystem;

TempDir::TempDir(std::string_view stem) {
  std::random_device random;
  const fs::path base = testing::TempDir();
  for (int tries = 0; tries < 100; ++tries) {
    const fs::path candidate = base / (std::string(stem) + "-" + std::to_string(random()));
    std::error_code ec;
    if (fs::create_directory(candidate, ec)) {
      path = candidate;
      return;
    }
  }
  throw std::runtime_error("no temporary folder could be made in " + base.string());
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path, ec);
}

std::string readFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path& file, std::string_view bytes) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace tallowick::test
