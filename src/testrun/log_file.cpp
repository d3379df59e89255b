#include "testrun/log_file.h"

#include "link/cp1251.h"
#include "platform/whole_file.h"

namespace tallowick {
namespace {

// Encodes a line, replacing what Windows-1251 cannot hold, one character at a time.
std::string encodeLine(const std::string& line) {
  if (auto whole = cp1251::encode(line)) return *whole;
  std::string out;
  std::size_t i = 0;
  while (i < line.size()) {
    std::size_t n = 1;
    const auto lead = static_cast<unsigned char>(line[i]);
    if (lead >= 0xF0)
      n = 4;
    else if (lead >= 0xE0)
      n = 3;
    else if (lead >= 0xC0)
      n = 2;
    const auto one = cp1251::encode(line.substr(i, n));
    out += one ? *one : "?";
    i += n;
  }
  return out;
}

}  // namespace

std::string logFileBytes(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& line : lines) {
    out += encodeLine(line);
    out += "\r\n";
  }
  return out;
}

std::optional<Failure> writeLogFile(const std::string& path,
                                    const std::vector<std::string>& lines) {
  return writeWholeFile(path, logFileBytes(lines));
}

}  // namespace tallowick
