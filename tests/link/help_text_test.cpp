#include "link/help_text.h"

#include <gtest/gtest.h>

namespace tallowick::help {
namespace {

TEST(HelpText, EntriesKeepTheirColumnAndTheWidth) {
  const struct {
    std::string_view head;
    std::string_view text;
    std::size_t width;
    std::string expected;
  } cases[] = {
      {"--port PORT", "the port", 80, "  --port PORT     the port\n"},
      // One blank is enough before the column; a head that reaches it gets a line alone.
      {"--open-docs DOC", "none", 80, "  --open-docs DOC none\n"},
      {"--open-document D", "none", 80, "  --open-document D\n                  none\n"},
      {"--flag", "", 80, "  --flag\n"},
      {"--log FILE", "one two three", 28, "  --log FILE      one two\n                  three\n"},
      // A word longer than the room left stands alone rather than being cut.
      {"-x", "a verylongword b", 24,
       "  -x              a\n                  verylongword\n                  b\n"},
      // Characters count, not bytes: Cyrillic fills the line as Latin does.
      {"-k", "Готово да нет", 31, "  -k              Готово да нет\n"},
      {"-k", "Готово да нет", 30, "  -k              Готово да\n                  нет\n"},
      // A line break of the text starts a line at the column.
      {"-n", "first\nsecond", 80, "  -n              first\n                  second\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(entry(c.head, c.text, 2, 18, c.width), c.expected) << c.head << " " << c.text;
  }
}

TEST(HelpText, ParagraphsWrapAtTheWidthAndListsEndWithOr) {
  const std::string text = paragraph(
      "The record of every test run and initialisation, newest first, chosen by the "
      "options below.\nA second line.",
      6, 40);
  EXPECT_EQ(text,
            "      The record of every test run and\n"
            "      initialisation, newest first,\n"
            "      chosen by the options below.\n"
            "      A second line.\n");
  EXPECT_EQ(flowed({"head", "[--a A]", "[--b B | --c C]"}, 2, 7, 24),
            "head [--a A]\n       [--b B | --c C]");
  EXPECT_EQ(listed({"list"}), "list");
  EXPECT_EQ(listed({"csv", "json", "junit"}), "csv, json or junit");
  EXPECT_EQ(listed({}), "");
}

}  // namespace
}  // namespace tallowick::help
