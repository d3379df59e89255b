// Golden transcripts: the exact commands sent, log lines, message boxes, pauses and event
// pumps of whole runs against the virtual printer on the virtual clock, one file per
// setting under tests/golden/. Run with TALLOWICK_UPDATE_GOLDEN=1 to write them anew; review every
// change line by line, since a transcript is a claim about what the system does.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>

#include "support/run_fixture.h"
#include "testrun/test_run.h"

namespace tallowick {
namespace {

using test::RunFixture;

struct Scenario {
  const char* file;
  std::function<void(sim::PrinterSettings&)> printer;
  int baudIndex = 0;
  const char* passes = "1";
  const char* pause = "1500";
  bool withoutFiscal = false;
  const char* fault = nullptr;  // staged after connecting
};

// Blanks at the ends of a text must show, and a box's line feed must not break the line.
std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text)
    out += c == '\n' ? std::string("\\n") : std::string(1, c);
  return out + "\"";
}

// One line per event in the order the window saw them: commands sent (repeats marked),
// log lines, message boxes, pauses, event pumps, repaints, scrolls and the indicator.
std::string transcript(const Scenario& sc) {
  sim::PrinterSettings settings;
  if (sc.printer) sc.printer(settings);
  RunFixture f(settings);
  f.connect(sc.baudIndex);
  f.ui.noFiscal = sc.withoutFiscal;
  if (sc.fault) f.fault(sc.fault);
  f.ui.recordRhythm = true;
  TestRun run(f.session);
  // Watching the steps must leave every line of the transcript as it is.
  std::vector<std::string> titles;
  run.setStepObserver([&](const StepReport& s) { titles.push_back(s.title); });
  const RunOutcome o = run.Button3Click(sc.passes, sc.pause);
  std::size_t seen = 0;
  for (std::size_t i = 0; i + 1 < f.ui.testLog.size() && seen < titles.size(); ++i) {
    if (f.ui.testLog[i] == kStars30 && f.ui.testLog[i + 1] == titles[seen]) ++seen;
  }
  EXPECT_EQ(seen, titles.size()) << sc.file << ": a step the log does not title";

  std::ostringstream out;
  static constexpr const char* kEnds[] = {"input refused", "finished", "stopped", "aborted"};
  out << "# end: " << kEnds[static_cast<int>(o.end)] << ", errors counted: " << o.errorsCounted
      << ", Start " << (f.ui.startEnabled ? "enabled" : "disabled") << ", Stop "
      << (f.ui.stopEnabled ? "enabled" : "disabled") << "\n";
  for (const auto& e : f.ui.events) {
    const bool text = e.rfind("log: ", 0) == 0 || e.rfind("box: ", 0) == 0;
    out << (text ? e.substr(0, 3) + " " + quoted(e.substr(5)) : e) << "\n";
  }
  return out.str();
}

std::string goldenPath(const char* file) {
  return std::string(TALLOWICK_GOLDEN_DIR) + "/" + file;
}

std::vector<Scenario> scenarios() {
  auto model = [](const char* m, const char* fw, const char* country = "Україна") {
    return [=](sim::PrinterSettings& s) {
      s.model = m;
      s.firmware = fw;
      s.country = country;
    };
  };
  return {
      {.file = "fp510t-3.00-ukraine.txt", .printer = model("Veltor FP-510T", "3.00")},
      {.file = "fp90t-3.01.txt", .printer = model("Veltor FP-90T", "3.01")},
      {.file = "km15-counter-0.txt",
       .printer =
           [](sim::PrinterSettings& s) {
             s.model = "Veltor KM-15";
             s.dailyCounter = 0;
           }},
      {.file = "km15-counter-7.txt",
       .printer =
           [](sim::PrinterSettings& s) {
             s.model = "Veltor KM-15";
             s.dailyCounter = 7;
           }},
      {.file = "fp820t-9600.txt", .printer = model("Veltor FP-820T", "3.02")},
      {.file = "fp820t-19200.txt",
       .printer =
           [](sim::PrinterSettings& s) {
             s.model = "Veltor FP-820T";
             s.firmware = "3.02";
             s.baud = 19200;
           },
       .baudIndex = 1},
      {.file = "fp510t-2.01.txt", .printer = model("Veltor FP-510T", "2.01")},
      {.file = "fp510t-3.02.txt", .printer = model("Veltor FP-510T", "3.02")},
      {.file = "fp510t-moldova.txt", .printer = model("Veltor FP-510T", "3.02", "Moldova")},
      {.file = "fp510t-kazakhstan.txt", .printer = model("Veltor FP-510T", "3.02", "Казахстан")},
      {.file = "fp90t-without-fiscal.txt", .withoutFiscal = true},
      {.file = "fp90t-3-passes.txt", .passes = "3"},
      {.file = "fp90t-open-sale.txt",
       .printer = [](sim::PrinterSettings& s) { s.openDocument = sim::DocumentKind::Sale; }},
      // The second display command is the one whose reply the recovery reads.
      {.file = "fp90t-open-document-3.txt", .fault = "81#2:s2=03"},
      {.file = "fp90t-open-service.txt",
       .printer = [](sim::PrinterSettings& s) { s.openDocument = sim::DocumentKind::Service; }},
  };
}

TEST(GoldenTranscript, WholeRunsMatchTheirTranscripts) {
  const bool update = std::getenv("TALLOWICK_UPDATE_GOLDEN") != nullptr;
  for (const auto& sc : scenarios()) {
    const std::string got = transcript(sc);
    const std::string path = goldenPath(sc.file);
    if (update) {
      std::ofstream(path, std::ios::binary) << got;
      continue;
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << "missing transcript " << sc.file << " (TALLOWICK_UPDATE_GOLDEN=1 writes it)";
    const std::string want{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (got == want) continue;
    // Point at the first line that differs.
    std::istringstream a(got), b(want);
    std::string la, lb;
    int line = 0;
    while (true) {
      ++line;
      const bool ea = !std::getline(a, la);
      const bool eb = !std::getline(b, lb);
      if (ea || eb || la != lb) break;
    }
    ADD_FAILURE() << sc.file << ": line " << line << " is\n  " << la
                  << "\nbut the transcript has\n  " << lb;
  }
}

}  // namespace
}  // namespace tallowick
