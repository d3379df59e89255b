// A fresh folder for one test, and whole files in and out of it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tallowick::test {

// A new, empty folder under the test's temporary folder, with `stem` and a random suffix
// as its name. It is removed with everything in it when the object goes; the owner's
// permissions on it are given back first, for the tests that take them away.
struct TempDir {
  explicit TempDir(std::string_view stem = "tallowick");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  std::filesystem::path operator/(std::string_view name) const { return path / name; }

  std::filesystem::path path;
};

// The whole content of a file (empty when it cannot be read).
std::string readFile(const std::filesystem::path& file);
// Replaces the file's content with `bytes`.
void writeFile(const std::filesystem::path& file, std::string_view bytes);

}  // namespace tallowick::test
