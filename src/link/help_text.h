// Text laid out for a program's --help: words wrapped to the width of a terminal, and
// options in two columns, the name and its value on the left and what it does on the right.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tallowick::help {

// The width the help is laid out for.
inline constexpr std::size_t kWidth = 80;

// The columns `text` takes on a terminal: one per character of its UTF-8.
std::size_t columns(std::string_view text);

// `pieces` (words, or groups that must stay on one line) one after the other with a blank
// between them, starting at `column` of a line; a line is broken before a piece that would
// pass `width`, and the next starts with `indent` blanks. Without a line break at the end.
std::string flowed(const std::vector<std::string_view>& pieces, std::size_t column,
                   std::size_t indent, std::size_t width = kWidth);

// `text` wrapped at its blanks, every line starting with `indent` blanks; a '\n' in it
// breaks the line there. Ends with a line break.
std::string paragraph(std::string_view text, std::size_t indent, std::size_t width = kWidth);

// An option as the help names it: "--name VALUE", or "--name" for a flag.
std::string head(std::string_view name, std::string_view value);

// One entry of a list of options: `indent` blanks, `head` ("--name VALUE"), and `text`
// from `column` on, wrapped there; a head that reaches the column gets a line of its own.
// Ends with a line break.
std::string entry(std::string_view head, std::string_view text, std::size_t indent,
                  std::size_t column, std::size_t width = kWidth);

// "a, b or c".
std::string listed(const std::vector<std::string_view>& items);

}  // namespace tallowick::help
