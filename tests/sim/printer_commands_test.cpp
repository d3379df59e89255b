// What the virtual printer does with each command: the documents it opens and closes,
// what it stores and reads back, what it prints, and what it refuses.
#include <gtest/gtest.h>

#include "sim/paper.h"
#include "sim/virtual_printer.h"
#include "sim_test_support.h"

namespace tallowick::sim {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using testing::Bytes;
using testing::Host;

// Fields are held by value: a Step is copied into tables that outlive its braces.
struct Step {
  std::uint8_t command;
  std::vector<std::string_view> fields;
  const char* code;
};

// Runs the steps on a fresh printer; every one must get its code.
void play(Host& host, std::initializer_list<Step> steps) {
  for (const auto& s : steps) {
    ASSERT_EQ(host.send(s.command, s.fields).code, s.code) << std::hex << int{s.command};
  }
}

TEST(PrinterDocuments, StatusByteTwoFollowsOpenCloseAndCancel) {
  struct Case {
    std::uint8_t command;
    std::vector<std::string_view> fields;
    std::uint8_t document;  // S2 low nibble in the reply
  };
  const Case cases[] = {
      {0x80, {}, 0},
      {0x60, {}, 5},  // service receipt
      {0x61, {"текст"}, 5},
      {0x84, {"0"}, 5},
      {0x65, {"0"}, 0},
      {0x63, {"1", "1", "0"}, 1},  // sale
      {0x64, {"11111", "1.000", "2.00"}, 1},
      {0x6D, {"1"}, 1},
      {0x67, {"0", "2.00"}, 1},
      {0x65, {"1"}, 0},
      {0x63, {"1", "1", "1"}, 2},  // return
      {0x64, {"11111", "1.000", "2.00"}, 2},
      {0x6B, {"0"}, 0},  // cancelled
      {0x63, {"1", "1", "0"}, 1},
      {0x6B, {"0"}, 0},
  };
  VirtualPrinter printer;
  Host host(printer);
  for (const auto& c : cases) {
    const auto a = host.send(c.command, c.fields);
    EXPECT_EQ(a.code, "0000") << std::hex << int{c.command};
    EXPECT_EQ(a.document(), c.document) << std::hex << int{c.command};
  }
}

TEST(PrinterDocuments, DocumentOpenAtStartAndStatusBitsOfTheSettings) {
  for (auto [kind, nibble] : {std::pair{DocumentKind::None, 0},
                              {DocumentKind::Service, 5},
                              {DocumentKind::Sale, 1},
                              {DocumentKind::Return, 2}}) {
    VirtualPrinter printer({.openDocument = kind});
    Host host(printer);
    EXPECT_EQ(host.send(0x80).document(), nibble);
  }

  VirtualPrinter plain;
  Host plainHost(plain);
  EXPECT_EQ(plainHost.send(0x82, {"1"}).status[0], 0);

  VirtualPrinter special({.serviceMode = true, .noRebootNeeded = true});
  Host host(special);
  EXPECT_EQ(host.send(0x80).status[0], 0x01) << "bit 2 only in the reply to 82h";
  EXPECT_EQ(host.send(0x82, {"1"}).status[0], 0x05);
  EXPECT_EQ(host.send(0x21).status[0], 0x01);
}

TEST(PrinterParams, RegistratorParamsAreSevenFieldsStoredBy27h) {
  VirtualPrinter printer({.registratorParams = {7, 0x1234, 0x0A, 0xFF, 0x00, 12}});
  Host host(printer);
  EXPECT_EQ(host.send(0x28).fields,
            (std::vector<std::string>{"9600", "7", "1234", "0A", "FF", "00", "12"}));

  // As the test run writes them back: the second value 2.
  EXPECT_EQ(host.send(0x27, {"9600", "2", "001F", "02", "AB", "00", "05"}).code, "0000");
  EXPECT_EQ(host.send(0x28).fields,
            (std::vector<std::string>{"9600", "2", "001F", "02", "AB", "00", "05"}));

  // Refused always: a rate it cannot run at, a field that is not a number, too few fields.
  EXPECT_EQ(host.send(0x27, {"4800", "0", "0", "0", "0", "0", "0"}).code, "0030");
  EXPECT_EQ(host.send(0x27, {"9600", "0", "XYZ", "0", "0", "0", "0"}).code, "0002");
  EXPECT_EQ(host.send(0x27, {"9600", "0", "0"}).code, "0002");
  EXPECT_EQ(host.send(0x28).fields[1], "2") << "a refused 27h changes nothing";
  EXPECT_EQ(printer.state().lineRate, 9600);
}

TEST(PrinterParams, NewRateAppliesOnceTheReplyIsOut) {
  VirtualPrinter printer({.realistic = true});
  const Bytes set =
      frame::buildRequest(0x21, 0x27, testing::bytesOf("582014;115200;2;001F;02;AB;00;05;"));
  printer.hostWrote(set, Micros{0}, 9600);
  const Micros replyEnd = [&] {
    Micros last{0};
    while (auto at = printer.nextOutputTime()) {
      last = *at;
      printer.takeOutput(last);
    }
    return last;
  }();
  EXPECT_GT(replyEnd, milliseconds(20)) << "the reply is paced at 9600";
  EXPECT_EQ(printer.lineRateAt(replyEnd - Micros{1}), 9600);
  EXPECT_EQ(printer.lineRateAt(replyEnd), 115200);

  const Bytes info = testing::request(0x22, 0x80);
  printer.hostWrote(info, replyEnd, 9600);
  EXPECT_FALSE(printer.nextOutputTime()) << "a host still at 9600 is not heard";
  printer.hostWrote(info, replyEnd, 115200);
  EXPECT_TRUE(printer.nextOutputTime());
}

TEST(PrinterClock, ReadsBackWhatWasSetAndRunsOn) {
  VirtualPrinter printer;
  Host host(printer);
  EXPECT_EQ(host.send(0x21).fields, (std::vector<std::string>{"010126", "000000"}));
  EXPECT_EQ(host.send(0x20, {"071226", "0905"}).code, "0000");
  host.now += seconds(90);
  EXPECT_EQ(host.send(0x21).fields, (std::vector<std::string>{"071226", "090630"}));
  EXPECT_EQ(host.send(0x20, {"311228", "2359"}).code, "0000");
  host.now += seconds(61);
  EXPECT_EQ(host.send(0x21).fields, (std::vector<std::string>{"010129", "000001"}));

  for (auto [date, time] : {std::pair{"300226", "1200"},
                            {"071226", "2400"},
                            {"071226", "0960"},
                            {"0712261", "0905"},
                            {"07122a", "0905"},
                            {"071226", "905"}}) {
    EXPECT_EQ(host.send(0x20, {date, time}).code, "0041") << date << " " << time;
  }
  EXPECT_EQ(host.send(0x21).fields[0], "010129") << "a refused 20h changes nothing";
}

TEST(PrinterCounters, DailyCounterIsASettingUntilTheFiscalMemoryIsErased) {
  VirtualPrinter printer({.dailyCounter = 7});
  Host host(printer);
  EXPECT_EQ(host.send(0xE2, {"6"}).fields, std::vector<std::string>{"7"});
  EXPECT_EQ(host.send(0xE2, {"1"}).fields, std::vector<std::string>{"0"});
  EXPECT_EQ(host.send(0xF0).code, "0000");
  EXPECT_EQ(host.send(0xE2, {"6"}).fields, std::vector<std::string>{"0"});
}

TEST(PrinterStore, ProgrammedValuesAreKeptAndShown) {
  VirtualPrinter printer({.taxNumber = "3344556677"});
  Host host(printer);
  play(host, {{0x22, {"0", "У К Р А Ї Н А", "0"}, "0000"},
              {0x24, {"11111", "Кулебяка", "0", "1", "00", ""}, "0000"},
              {0x2D, {"1", "03", "Чек"}, "0000"},
              {0x2F, {"1", "582014", "Оператор 1"}, "0000"},
              {0x35, {"582014", "010120", "0", "00"}, "0000"},
              {0x41, {"ПБ12345"}, "0000"},
              {0x47, {"0", "01", "20.00", "ПДВ_А", "-1"}, "0000"},
              {0x81, {"1", "0", "Конец теста!"}, "0000"},
              {0x81, {"2", "0", "ABCDEFGHIJKLMNOPQRST"}, "0000"},
              {0x6E, {"1", "10.00"}, "0000"},
              {0x6E, {"1", "-3.50"}, "0000"}});
  EXPECT_EQ(host.send(0x46).fields, std::vector<std::string>{"3344556677"});
  const PrinterState& s = printer.state();
  EXPECT_EQ(s.headerLines.at(0), "У К Р А Ї Н А");
  EXPECT_EQ(s.articles.at(11111).name, "Кулебяка");
  EXPECT_EQ(s.paymentTypes.at(1).name, "Чек");
  EXPECT_EQ(s.operators.at(1).name, "Оператор 1");
  EXPECT_EQ(s.maintenance.text2, "010120");
  EXPECT_EQ(s.taxRates.at(0).rate, "20.00");
  EXPECT_EQ(s.display, (std::array<std::string, 2>{"Конец теста!", "ABCDEFGHIJKLMNOPQRST"}));
  EXPECT_EQ(s.cash, 650);
  EXPECT_EQ(s.day.cashOut, 350);

  // The technical information prints what was programmed.
  host.send(0x84, {"0"});
  const auto& paper = s.paper;
  for (const char* shown : {"ПБ12345", "3344556677", "ПДВ_А", "Veltor FP-90T"}) {
    EXPECT_TRUE(std::any_of(paper.begin(), paper.end(), [&](const std::string& l) {
      return l.find(shown) != l.npos;
    })) << shown;
  }
  host.send(0x81, {"0", "0", ""});
  EXPECT_EQ(s.display, (std::array<std::string, 2>{}));
}

TEST(PrinterPaper, SmallReceiptAsPrinted) {
  VirtualPrinter printer;
  std::vector<std::string> hooked;
  printer.setPaperHook([&](const std::string& line) { hooked.push_back(line); });
  Host host(printer);
  play(host, {{0x20, {"071226", "0905"}, "0000"},
              {0x22, {"0", "МАГАЗИН", "0"}, "0000"},
              {0x22, {"1", "", "0"}, "0000"},
              {0x24, {"11111", "Кулебяка", "0", "1", "00", ""}, "0000"},
              {0x63, {"1", "1", "0"}, "0000"},
              {0x61, {"Фискальный  ТеКсТ"}, "0000"},
              {0x64, {"11111", "1.500", "4.00"}, "0000"},
              {0x68, {"-10.00"}, "0000"},
              {0x6D, {"1"}, "0000"},
              {0x67, {"0", "10.00"}, "0000"},
              {0x65, {"1"}, "0000"}});
  const std::vector<std::string> expected = {
      "            МАГАЗИН",
      "         ФИСКАЛЬНЫЙ ЧЕК",
      "Оператор 1               Касса 1",
      "Фискальный  ТеКсТ",
      "Кулебяка",
      "  1.500 x 4.00              6.00",
      "  Скидка 10.00%            -0.60",
      "ИТОГ                        5.40",
      "Наличные                   10.00",
      "СДАЧА                       4.60",
      "ЧЕК № 1               СУММА 5.40",
      "      07.12.2026 09:05:00",
      "         ФИСКАЛЬНЫЙ ЧЕК",
      "--------------------------------",
  };
  EXPECT_EQ(printer.state().paper, expected);
  EXPECT_EQ(hooked, expected);
  EXPECT_EQ(printer.state().cash, 540);
  EXPECT_EQ(printer.state().day.sold.at(11111).quantity, 1500);
}

TEST(PrinterPaper, BarcodeIsDrawnFromItsPixelLine) {
  VirtualPrinter printer;
  Host host(printer);
  host.send(0x60);
  const std::size_t before = printer.state().paper.size();
  // 0051 ACC9...: modules 0..8 white, then the start guard 1 0 1.
  EXPECT_EQ(host.send(0x6F, {"50", "0051ACC9BD3AE554A0F0AAAB00000000"}).code, "0000");
  const auto& paper = printer.state().paper;
  ASSERT_EQ(paper.size(), before + 2) << "height 50: two rows";
  EXPECT_EQ(paper.back(), paper[before]);
  EXPECT_EQ(paper::length(paper.back()), 128u);
  EXPECT_TRUE(paper.back().starts_with("         █ █   █"));

  EXPECT_EQ(host.send(0x6F, {"10", "F0"}).code, "0000");
  EXPECT_EQ(paper.back(), "████    ");
  EXPECT_EQ(host.send(0x6F, {"50", "0G"}).code, "0002");
  EXPECT_EQ(host.send(0x6F, {"0", "F0"}).code, "0002");
}

TEST(PrinterStrict, RefusesWhatAPrinterRefusesOnlyWhenStrict) {
  struct Case {
    const char* what;
    std::vector<Step> setup;
    Step step;  // its code when strict; a lenient printer answers 0000
  };
  const Step sale = {0x63, {"1", "1", "0"}, "0000"};
  const Step article = {0x24, {"11111", "Кулебяка", "0", "1", "00", ""}, "0000"};
  const Step service = {0x60, {}, "0000"};
  const std::vector<Case> cases = {
      {"unknown article", {sale}, {0x64, {"22222", "1.000", "1.00"}, "0020"}},
      {"sale with no receipt", {article}, {0x64, {"11111", "1.000", "1.00"}, "0010"}},
      {"sale in a service receipt", {article, service}, {0x64, {"11111", "1.000", "1.00"}, "0012"}},
      {"close with nothing open", {}, {0x65, {"1"}, "0010"}},
      {"cancel with nothing open", {}, {0x6B, {"0"}, "0010"}},
      {"text with nothing open", {}, {0x61, {"текст"}, "0010"}},
      {"unpaid close",
       {article, sale, {0x64, {"11111", "1.000", "5.00"}, "0000"}, {0x67, {"0", "4.99"}, "0000"}},
       {0x65, {"1"}, "0022"}},
      {"unknown payment type", {sale}, {0x67, {"7", "1.00"}, "0021"}},
      {"discount before a sale", {sale}, {0x68, {"-10.00"}, "0012"}},
      {"second document", {sale}, {0x60, {}, "0011"}},
      {"report with a receipt open", {service}, {0xA1, {"1"}, "0011"}},
      {"no such report", {}, {0xA1, {"7"}, "0005"}},
      {"no such test", {service}, {0x84, {"9"}, "0005"}},
      {"no such display function", {}, {0x81, {"7", "0", ""}, "0005"}},
      {"cash-out above the drawer",
       {{0x6E, {"1", "5.00"}, "0000"}},
       {0x6E, {"1", "-5.01"}, "0023"}},
      {"serial number twice", {{0x41, {"ПБ1"}, "0000"}}, {0x41, {"ПБ2"}, "0040"}},
      {"unknown command", {}, {0x99, {}, "0004"}},
  };
  for (const bool strict : {true, false}) {
    for (const auto& c : cases) {
      VirtualPrinter printer({.strict = strict});
      Host host(printer);
      for (const auto& s : c.setup)
        ASSERT_EQ(host.send(s.command, s.fields).code, s.code) << c.what;
      const std::uint8_t document = host.send(0x80).document();
      const auto a = host.send(c.step.command, c.step.fields);
      EXPECT_EQ(a.code, strict ? c.step.code : "0000") << c.what << (strict ? " strict" : "");
      if (strict) {
        EXPECT_EQ(a.document(), document) << c.what << ": refused, so nothing changed";
      }
    }
  }

  VirtualPrinter strict({.strict = true});
  Host host(strict);
  EXPECT_EQ(host.send(0x80, {}, "111111").code, "0003");
  EXPECT_EQ(host.send(0x80).code, "0000");
}

TEST(PrinterStrict, MalformedDataIsRefusedInEveryMode) {
  const Step cases[] = {
      {0x64, {"11111", "0.000", "1.00"}, "0002"},  // nothing sold
      {0x64, {"11111", "1.000", "-1.00"}, "0002"},
      {0x64, {"11111", "1.000"}, "0002"},  // a field short
      {0x64, {"11111", "1,000", "1.00"}, "0002"},
      {0x22, {"21", "text", "0"}, "0002"},
      {0x67, {"10", "1.00"}, "0002"},
      {0x47, {"0", "01", "abc", "ПДВ_А", "-1"}, "0002"},
      {0x80, {"extra"}, "0002"},
  };
  for (const auto& c : cases) {
    VirtualPrinter printer;
    Host host(printer);
    host.send(0x63, {"1", "1", "0"});
    EXPECT_EQ(host.send(c.command, c.fields).code, c.code) << std::hex << int{c.command};
  }
  VirtualPrinter printer;
  Host host(printer);
  EXPECT_EQ(host.sendData(0x80, "582014").code, "0002") << "the data must end in ';'";
}

TEST(PrinterFaults, AStagedErrorLeavesTheCommandUndone) {
  FaultPlan plan;
  std::string why;
  plan.add(*parseFaultRule("63#1:error=0099", why));
  plan.add(*parseFaultRule("A1:silence", why));
  VirtualPrinter printer({}, std::move(plan));
  Host host(printer);
  const auto refused = host.send(0x63, {"1", "1", "0"});
  EXPECT_EQ(refused.code, "0099");
  EXPECT_EQ(refused.document(), 0);
  EXPECT_EQ(host.send(0x63, {"1", "1", "0"}).document(), 1);
  host.send(0x65, {"1"});
  const std::size_t printed = printer.state().paper.size();
  EXPECT_EQ(host.send(0xA1, {"0"}).code, "");
  EXPECT_EQ(printer.state().zReports, 0);
  EXPECT_EQ(printer.state().paper.size(), printed);
}

TEST(PrinterReboot, SilentForItsRebootTimeThenAnswers) {
  struct Case {
    Micros rebootTime;
    Micros stillSilent;  // a request then goes unheard (0: none)
  };
  for (const auto& c : {Case{seconds(3), milliseconds(2999)},
                        Case{milliseconds(500), milliseconds(499)}, Case{Micros{0}, Micros{0}}}) {
    VirtualPrinter printer({.rebootTime = c.rebootTime});
    Host host(printer);
    EXPECT_EQ(host.send(0xF3).code, "0000") << "the reply comes before the silence";
    if (c.stillSilent.count() > 0) {
      host.now = c.stillSilent;
      EXPECT_EQ(host.send(0x80).code, "");
    }
    host.now = c.rebootTime;
    EXPECT_EQ(host.send(0x80).code, "0000") << c.rebootTime.count();
  }
}

TEST(PrinterTiming, ReplyBytesAreSpacedAtTheLineRate) {
  struct Case {
    std::int32_t baud;
    bool realistic;
    std::int64_t firstUs;  // the first byte's time; byte k is at k times it, rounded
  };
  for (const auto& c : {Case{9600, true, 1042}, Case{115200, true, 87}, Case{9600, false, 0}}) {
    VirtualPrinter printer({.baud = c.baud, .realistic = c.realistic});
    printer.hostWrote(testing::request(0x21, 0x80), milliseconds(10), c.baud);
    std::vector<Micros> times;
    while (auto at = printer.nextOutputTime()) {
      times.push_back(*at - milliseconds(10));
      printer.takeOutput(*at);
    }
    ASSERT_GT(times.size(), 20u);
    EXPECT_EQ(times[0].count(), c.firstUs) << c.baud;
    const std::int64_t n = static_cast<std::int64_t>(times.size());
    EXPECT_EQ(times.back().count(), (n * 10'000'000 + c.baud / 2) / c.baud * (c.realistic ? 1 : 0))
        << c.baud;
  }
}

TEST(PrinterTiming, BusyBytesKeepTheHostWaitingWhilePrinting) {
  struct Case {
    double scale;
    Micros replyFrom;  // the reply's first byte no earlier than this
  };
  for (const auto& c :
       {Case{1.0, seconds(3)}, Case{0.5, milliseconds(1500)}, Case{0.0, Micros{0}}}) {
    VirtualPrinter printer({.realistic = true, .printTimeScale = c.scale});
    printer.hostWrote(testing::request(0x21, 0xA1, "582014;1;"), Micros{0}, 9600);
    int busy = 0;
    Micros last{0};
    Micros longestGap{0};
    Micros replyAt{-1};
    while (auto at = printer.nextOutputTime()) {
      longestGap = std::max(longestGap, *at - last);
      last = *at;
      const auto b = *printer.takeOutput(*at);
      if (replyAt.count() < 0 && b == frame::kBusy) ++busy;
      if (replyAt.count() < 0 && b == frame::kStart) replyAt = *at;
    }
    EXPECT_GE(replyAt, c.replyFrom) << c.scale;
    EXPECT_LT(replyAt, c.replyFrom + milliseconds(5)) << c.scale;
    EXPECT_EQ(busy, c.scale > 0 ? static_cast<int>(c.replyFrom / milliseconds(80)) : 0) << c.scale;
    EXPECT_LT(longestGap, milliseconds(100)) << "the host's read period never passes empty";
  }
}

}  // namespace
}  // namespace tallowick::sim
