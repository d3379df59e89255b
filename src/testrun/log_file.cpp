#include "testrun/log_file.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "link/cp1251.h"
#include "platform/own_text.h"
#include "platform/utf8.h"
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
  const auto fits = [](const std::string& line) { return cp1251::encode(line).has_value(); };
  if (!std::all_of(lines.begin(), lines.end(), fits) &&
      std::all_of(lines.begin(), lines.end(), [](const std::string& l) { return isUtf8(l); })) {
    out = "\xEF\xBB\xBF";
    for (const auto& line : lines)
      out += line + "\r\n";
    return out;
  }
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

std::string fileNamePart(std::string_view text) {
  std::string part;
  for (const char c : text) {
    const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '-' || c == '_' || c == '.';
    if (safe) {
      part += c;
    } else if (part.empty() || part.back() != '_') {
      part += '_';
    }
  }
  // Windows drops a dot at the end of a name, and a leading one hides the file elsewhere.
  const auto first = part.find_first_not_of('.');
  const auto last = part.find_last_not_of('.');
  return first == std::string::npos ? std::string() : part.substr(first, last - first + 1);
}

std::vector<std::string> portFileNames(const std::vector<std::string>& ports) {
  std::vector<std::string> names;
  std::map<std::string, int> seen;
  for (const std::string& port : ports) {
    const auto slash = port.find_last_of("/\\");
    std::string name = fileNamePart(slash == std::string::npos ? port : port.substr(slash + 1));
    if (name.empty() || name == "_") name = "port";
    const int n = ++seen[name];
    names.push_back(n == 1 ? name : name + "-" + std::to_string(n));
  }
  return names;
}

std::string runFileStem(const std::string& portPart, const std::string& model,
                        const LocalDateTime& t) {
  return runFileStem(portPart, model, t, textLanguage());
}

std::string runFileStem(const std::string& portPart, const std::string& model,
                        const LocalDateTime& t, std::string_view language) {
  char when[32];
  std::snprintf(when, sizeof when, "%04d-%02d-%02d_%02d-%02d-%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  const std::string modelPart = fileNamePart(model);
  // A log in another language than Russian says which in its name.
  const std::string mark = language == "ru" ? "" : "_" + std::string(language);
  return portPart + "_" + (modelPart.empty() || modelPart == "_" ? "" : modelPart + "_") + when +
         mark;
}

}  // namespace tallowick
