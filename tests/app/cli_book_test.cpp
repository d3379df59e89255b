// tallowick-cli init against the book of serial numbers in a file: the number must be on
// the list "К инициализации", and the book is only read.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/cli_harness.h"
#include "app/exit_codes.h"
#include "initforms/sqlite_serial_store.h"
#include "mainform/init_page.h"
#include "support/temp_dir.h"

namespace tallowick {
namespace {

// A book on disk whose list "К инициализации" holds `toInit`.
struct BookFile {
  explicit BookFile(std::vector<std::string> toInit) {
    SqliteSerialStore store(path);
    EXPECT_TRUE(store.createMissingLists());
    EXPECT_TRUE(store.writeLists({std::move(toInit), {}}));
  }
  test::TempDir dir{"tallowick-cli-book"};
  std::string path = (dir / "book.sqlite3").string();
};

TEST(CliBook, InitWritesANumberOfTheBook) {
  const BookFile book({"ЕД80012339", "ЕД80012340"});
  sim::PrinterState printer;
  const CliRun r = cli({"init", "--port", "sim", "--serial", "ЕД80012340", "--registry", book.path},
                       nullptr, false, &printer);
  EXPECT_EQ(r.code, kExitOk) << r.err;
  EXPECT_EQ(printer.serialNumber, "ЕД80012340");
  EXPECT_EQ(r.err.find("question:"), std::string::npos) << r.err;
}

// Every check of the inputs comes before the first command, connecting included: a
// refused input never reaches the printer.
TEST(CliBook, InitChecksEveryInputBeforeThePrinterHearsAnything) {
  const BookFile book({"ЕД80012340"});
  const std::string longSerial(300, '7');
  struct Case {
    std::vector<std::string> extra;
    const char* message;  // nullptr: accepted, and the printer was initialised
  };
  const Case cases[] = {
      {{"--date", "991399"}, kBadDate},
      {{"--date", "aabbcc"}, kBadDate},
      {{"--date", "310426"}, kBadDate},
      {{"--date", "290226"}, kBadDate},
      {{"--date", "290228"}, nullptr},
      {{"--date", "000126"}, kBadDate},
      {{"--time", "2599"}, kBadTime},
      {{"--time", "2360"}, kBadTime},
      {{"--time", "2359"}, nullptr},
      {{"--serial", longSerial, "--serial-not-in-book"}, kSerialTooLong},
      {{"--serial", "ЕД80012341"}, "question: Заводской номер ЕД80012341 не из списка"},
      {{"--serial", "XYZ"}, "question: Заводской номер XYZ не из списка «К инициализации»"},
      {{"--serial", "XYZ"}, "give --serial-not-in-book"},
      {{"--serial", "XYZ", "--serial-not-in-book"}, nullptr},
      {{"--registry", book.path + ".missing"}, "the book of serial numbers cannot be read"},
      {{"--registry", "/dev/null"}, "the book of serial numbers cannot be read"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args{"init",       "--port",     "sim",    "--serial",
                                  "ЕД80012340", "--registry", book.path};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    SCOPED_TRACE(c.extra[0] + " " + c.extra[1]);
    int requests = 0;
    sim::PrinterState printer;
    const CliRun r = cli(args, nullptr, false, &printer, {}, &requests);
    if (c.message) {
      EXPECT_EQ(r.code, kExitInputRefused) << r.err;
      EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
      EXPECT_EQ(requests, 0);
      EXPECT_EQ(printer.serialNumber, "");
    } else {
      EXPECT_EQ(r.code, kExitOk) << r.err;
      EXPECT_NE(printer.serialNumber, "");
    }
  }
  // The book was only read.
  EXPECT_FALSE(std::filesystem::exists(book.path + ".missing"));
  EXPECT_EQ(SqliteSerialStore(book.path).readLists().value().shouldInit,
            std::vector<std::string>{"ЕД80012340"});
}

}  // namespace
}  // namespace tallowick
