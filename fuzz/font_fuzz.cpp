// Damaged font files for the test report. Reading one must give the font or a reason, never
// a crash; a font that reads must measure and draw any text, and the subset a report carries
// of it must read again with the same widths.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <set>
#include <string>

#include "history/pdf.h"

namespace {

using tallowick::pdf::Document;
using tallowick::pdf::Font;

// A broken rule is a finding: say which one, then stop as a crash would.
void check(bool condition, int line = __builtin_LINE()) {
  if (condition) return;
  std::fprintf(stderr, "broken rule at line %d\n", line);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto read = Font::read(std::string(reinterpret_cast<const char*>(data), size), "fuzz");
  const Font* font = std::get_if<Font>(&read);
  if (font == nullptr) return 0;
  const char* text = "Тест ț A?\x01\xFF 😀";
  check(font->width(text, 10) >= 0);
  const std::uint16_t chosen[] = {font->glyph(U'A'), font->glyph(U'Ж'),
                                  static_cast<std::uint16_t>(size % 4096)};
  const std::set<std::uint16_t> glyphs(std::begin(chosen), std::end(chosen));
  const auto again = Font::read(font->subset(glyphs), "subset");
  const Font* subset = std::get_if<Font>(&again);
  check(subset != nullptr);
  for (const std::uint16_t g : glyphs)
    check(subset->advance(g) == font->advance(g));
  Document document({font});
  document.text(10, 10, 0, 10, text);
  check(document.bytes({}).ends_with("%%EOF\n"));
  return 0;
}
