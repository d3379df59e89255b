// The saved log's bytes in each language the windows write it in: Russian and Ukrainian in
// Windows-1251 as ever, Romanian in UTF-8 after its byte-order mark, nothing lost.
#include <gtest/gtest.h>

#include "platform/own_text.h"
#include "testrun/log_file.h"

namespace tallowick {
namespace {

TEST(LogFile, EachLanguageKeepsEveryLetter) {
  struct Case {
    const char* what;
    std::vector<std::string> lines;
    std::string bytes;
  };
  const Case cases[] = {
      {"Russian", {"Тест", ""}, "\xD2\xE5\xF1\xF2\r\n\r\n"},
      {"Ukrainian", {"Їжак є"}, "\xAF\xE6\xE0\xEA \xBA\r\n"},
      {"Romanian", {"Test", "Eroare țară"}, "\xEF\xBB\xBFTest\r\nEroare țară\r\n"},
      // A printer's reply that is not UTF-8: the old file, its odd byte one '?'.
      {"not UTF-8", {"ă", "x\xFF"}, "?\r\nx?\r\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(logFileBytes(c.lines), c.bytes) << c.what;
  }
}

// A log written in another language than Russian says which in its name.
TEST(LogFile, TheNameOfALogInAnotherLanguageSaysWhich) {
  const LocalDateTime at{2026, 12, 10, 9, 5, 7};
  EXPECT_EQ(runFileStem("COM3", "Veltor FP-90T", at), "COM3_Veltor_FP-90T_2026-12-10_09-05-07");
  installTranslation("uk", nullptr);
  EXPECT_EQ(runFileStem("COM3", "", at), "COM3_2026-12-10_09-05-07_uk");
  // A log of the history is named by its own language, whatever the windows speak.
  EXPECT_EQ(runFileStem("COM3", "", at, "ro"), "COM3_2026-12-10_09-05-07_ro");
  EXPECT_EQ(runFileStem("COM3", "", at, "ru"), "COM3_2026-12-10_09-05-07");
  installTranslation("ru", nullptr);
}

}  // namespace
}  // namespace tallowick
