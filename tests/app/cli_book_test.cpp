// tallowick-cli init against the book of serial numbers in a file: the number must be on
// the list "К инициализации", and the book is only read, unless the book's next number is
// asked for; and tallowick-cli book, which keeps the book as its window does.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/cli_harness.h"
#include "app/cli_testrun.h"
#include "app/exit_codes.h"
#include "initforms/serial_numbers.h"
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

SerialLists listsOf(const std::string& path) {
  auto lists = SqliteSerialStore(path).readLists();
  EXPECT_TRUE(lists) << lists.error().message;
  return lists ? lists.value() : SerialLists{};
}

// The book's next number for the printer's type goes out and leaves "К инициализации" at
// once, used for good, whatever the printer answers; a type with none left is refused
// before the printer hears a number.
TEST(CliBook, InitTakesTheBooksNextNumberOfThePrintersType) {
  const BookFile book({"DH21000001", "ЕД80012340", "ЕД80012341"});
  const struct {
    std::vector<std::string> extra;
    const char* fault;
    int code;
    const char* written;  // nothing: no number went out
  } cases[] = {
      {{"--port", "sim:FP-510T"}, nullptr, kExitOk, "ЕД80012340"},
      {{"--port", "sim:FP-510T"}, "41:error=0012", kExitPrinterError, "ЕД80012341"},
      {{"--port", "sim:FP-510T"}, nullptr, kExitInputRefused, nullptr},  // none left
      {{"--port", "sim:FP-510T", "--type", "DH210"}, nullptr, kExitOk, "DH21000001"},
      {{"--port", "sim:FP-90T"}, nullptr, kExitInputRefused, nullptr},  // no type of the book
  };
  std::vector<std::string> used;
  for (const auto& c : cases) {
    sim::PrinterState printer;
    std::vector<std::string> args = {"init", "--serial", "next", "--registry", book.path};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    const CliRun r = cli(args, c.fault, false, &printer);
    EXPECT_EQ(r.code, c.code) << r.err;
    if (c.written) {
      used.push_back(c.written);
      EXPECT_NE(r.out.find(std::string("Шаг 2. Заводской номер из книги: ") + c.written),
                std::string::npos)
          << r.out;
      if (c.code == kExitOk) {
        EXPECT_EQ(printer.serialNumber, c.written);
      }
    } else {
      EXPECT_NE(r.err.find("message: В "), std::string::npos) << r.err;
    }
    sortSerials(used);
    EXPECT_EQ(listsOf(book.path).alreadyInit, used) << r.err;
  }
  EXPECT_TRUE(listsOf(book.path).shouldInit.empty());
  const CliRun wrongType = cli({"init", "--port", "sim", "--serial", "next", "--type", "XX100"});
  EXPECT_EQ(wrongType.code, kExitPortOrUsage) << wrongType.err;
}

TEST(CliBook, TheBookIsKeptFromTheCommandLine) {
  const BookFile book({"ЕД80012340"});
  const struct {
    std::vector<std::string> args;
    int code;
    const char* says;
  } steps[] = {
      {{"book", "add", "--type", "ЕД800", "--from", "12339", "--to", "12341"},
       kExitOk,
       "добавлено номеров: 2."},
      {{"book", "add", "--type", "Veltor KM-15 Украина", "--from", "00007", "--to", "7"},
       kExitOk,
       "добавлено номеров: 1."},
      {{"book", "add", "--type", "XX", "--from", "1", "--to", "2"}, kExitPortOrUsage, "--type"},
      {{"book", "add", "--type", "ЕД800", "--from", "5", "--to", "4"}, kExitPortOrUsage, "--from"},
      {{"book", "add", "--type", "ЕД800", "--from", "5"}, kExitPortOrUsage, "--to"},
      {{"book", "confirm", "ЕД80012339"}, kExitOk, "«Инициализация уже выполнена»"},
      {{"book", "release", "ЕД80012341", "--reason", "брак"}, kExitBookRefused, "not on the list"},
      {{"book", "release", "ЕД80012339"}, kExitPortOrUsage, "--reason"},
      {{"book", "release", "ЕД80012339", "--reason", " "}, kExitPortOrUsage, "--reason"},
      {{"book", "release", "ЕД80012339", "--reason", "номер не записан"},
       kExitOk,
       "снова в списке «К инициализации»"},
      {{"book", "confirm", "ЕД80012341"}, kExitOk, ""},
      {{"book", "list"}, kExitOk, "К инициализации (3):\n  ЕД80012339\n  ЕД80012340\n"},
      {{"book"}, kExitOk, "Инициализация уже выполнена (1):\n  ЕД80012341\n"},
      {{"book", "sell"}, kExitPortOrUsage, "book needs"},
  };
  for (const auto& step : steps) {
    std::vector<std::string> args = step.args;
    args.insert(args.end(), {"--registry", book.path});
    const CliRun r = cli(args);
    EXPECT_EQ(r.code, step.code) << r.out << r.err;
    EXPECT_NE((r.out + r.err).find(step.says), std::string::npos) << r.out << r.err;
  }
  EXPECT_EQ(listsOf(book.path).shouldInit,
            (std::vector<std::string>{"ЕД80012339", "ЕД80012340", "ЛД10400007"}));
  // A book that cannot be read is reported and left as it is.
  const test::TempDir dir("tallowick-cli-book");
  const auto damaged = dir / "book.sqlite3";
  test::writeFile(damaged, "not a book");
  const CliRun r = cli({"book", "list", "--registry", damaged.string()});
  EXPECT_EQ(r.code, kExitBookRefused);
  EXPECT_NE(r.err.find("повреждён"), std::string::npos) << r.err;
  EXPECT_EQ(test::readFile(damaged), "not a book");
}

TEST(CliBook, ATestedUnitTheBookHasNotInitialisedIsTestedWithANote) {
  const test::TempDir dir("tallowick-cli-unit");
  const std::string book = (dir / "book.sqlite3").string();
  {
    SqliteSerialStore store(book);
    ASSERT_TRUE(store.createMissingLists());
    ASSERT_TRUE(store.writeLists({{"ЕД80012346"}, {"ЕД80012345"}}));
  }
  const std::string file = (dir / "history.sqlite3").string();
  for (const char* unit : {"ЕД80012345", "ЕД80012346"}) {
    const CliRun r = test::testrun({"--port", "sim", "--pause", "0", "--no-fiscal", "--history",
                                    file, "--unit", unit, "--registry", book});
    EXPECT_EQ(r.code, kExitOk) << r.err;
    const bool noted =
        r.err.find(std::string(unit) + " is not on the book's list") != std::string::npos;
    EXPECT_EQ(noted, std::string(unit) == "ЕД80012346") << r.err;
  }
  // A book that cannot be read is said, and the run goes on.
  const CliRun r = test::testrun({"--port", "sim", "--pause", "0", "--no-fiscal", "--history", file,
                                  "--unit", "ЕД80012345", "--registry", book + ".missing"});
  EXPECT_EQ(r.code, kExitOk) << r.err;
  EXPECT_NE(r.err.find("the book could not be read to look the units up"), std::string::npos)
      << r.err;
}

}  // namespace
}  // namespace tallowick
