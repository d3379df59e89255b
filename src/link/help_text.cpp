#include "link/help_text.h"

#include <algorithm>

namespace tallowick::help {
namespace {

std::vector<std::string_view> words(std::string_view line) {
  std::vector<std::string_view> found;
  std::size_t start = 0;
  while (start < line.size()) {
    const std::size_t end = std::min(line.find(' ', start), line.size());
    if (end > start) found.push_back(line.substr(start, end - start));
    start = end + 1;
  }
  return found;
}

// The text from `column` on, each of its lines wrapped, the next ones starting there too.
std::string block(std::string_view text, std::size_t column, std::size_t width) {
  std::string out;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    if (start > 0) out += "\n" + std::string(column, ' ');
    out += flowed(words(text.substr(start, end - start)), column, column, width);
    if (end >= text.size()) return out;
    start = end + 1;
  }
}

}  // namespace

std::size_t columns(std::string_view text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

std::string flowed(const std::vector<std::string_view>& pieces, std::size_t column,
                   std::size_t indent, std::size_t width) {
  std::string out;
  std::size_t at = column;
  bool lineStarted = false;
  for (const std::string_view piece : pieces) {
    const std::size_t size = columns(piece);
    if (lineStarted && at + 1 + size > width) {
      out += "\n" + std::string(indent, ' ');
      at = indent;
      lineStarted = false;
    }
    if (lineStarted) {
      out += ' ';
      ++at;
    }
    out += piece;
    at += size;
    lineStarted = true;
  }
  return out;
}

std::string paragraph(std::string_view text, std::size_t indent, std::size_t width) {
  return std::string(indent, ' ') + block(text, indent, width) + "\n";
}

std::string head(std::string_view name, std::string_view value) {
  return value.empty() ? std::string(name) : std::string(name) + " " + std::string(value);
}

std::string entry(std::string_view head, std::string_view text, std::size_t indent,
                  std::size_t column, std::size_t width) {
  std::string out = std::string(indent, ' ') + std::string(head);
  if (text.empty()) return out + "\n";
  const std::size_t at = indent + columns(head);
  out += at < column ? std::string(column - at, ' ') : "\n" + std::string(column, ' ');
  return out + block(text, column, width) + "\n";
}

std::string listed(const std::vector<std::string_view>& items) {
  std::string out;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out += i + 1 == items.size() ? " or " : ", ";
    out += items[i];
  }
  return out;
}

}  // namespace tallowick::help
