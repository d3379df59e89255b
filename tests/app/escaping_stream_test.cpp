#include "app/escaping_stream.h"

#include <gtest/gtest.h>

namespace tallowick {
namespace {

TEST(EscapingStream, ControlCharactersAreShownNotActedOn) {
  struct Case {
    std::string text;
    std::string shown;
  };
  const Case cases[] = {
      {"Модель: Veltor FP-90T\n", "Модель: Veltor FP-90T\n"},  // letters and line feeds stay
      {"a\tb", "a\tb"},
      {"\x1b[2J", "\\x1B[2J"},
      {"over\rwrite", "over\\x0Dwrite"},
      {std::string("nul\0!", 5), "nul\\x00!"},
      {"\x07\x08\x7f", "\\x07\\x08\\x7F"},
      // C1 controls as UTF-8 (C2 80..C2 9F); 98h is how the printer's byte 98h decodes.
      {"\xc2\x9b"
       "31m",
       "\\u009B31m"},
      {"\xc2\x98", "\\u0098"},
      {"\xc2\xa0\xc2\xbb", "\xc2\xa0\xc2\xbb"},  // no-break space and », not controls
      {"\xc2\xc2\x85", "\xc2\\u0085"},
      {"end\xc2", "end\xc2"},  // a lead byte at the end is written as it came
  };
  for (const auto& c : cases) {
    EXPECT_EQ(escapeControls(c.text), c.shown);
  }
}

}  // namespace
}  // namespace tallowick
