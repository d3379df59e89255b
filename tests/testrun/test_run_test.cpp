#include "testrun/test_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>

#include "support/run_fixture.h"

namespace tallowick {
namespace {

using test::RunFixture;

// Whole runs of the script against the virtual printer.
class TestRunScript : public ::testing::Test {};

RunOutcome start(RunFixture& f, const std::string& passes = "1", const std::string& pause = "0") {
  TestRun run(f.session);
  return run.Button3Click(passes, pause);
}

sim::PrinterSettings model(const std::string& name, const std::string& firmware = "3.01") {
  sim::PrinterSettings s;
  s.model = name;
  s.firmware = firmware;
  return s;
}

std::size_t indexOf(const std::vector<std::string>& lines, const std::string& line,
                    std::size_t from = 0) {
  const auto it = std::find(lines.begin() + static_cast<std::ptrdiff_t>(from), lines.end(), line);
  return static_cast<std::size_t>(it - lines.begin());
}

TEST_F(TestRunScript, DefaultPrinterRunsToTheEndWithoutErrors) {
  RunFixture f;
  f.connect();
  const RunOutcome o = start(f);
  EXPECT_EQ(o.end, RunEnd::Finished) << (f.ui.boxes.empty() ? "" : f.ui.boxes.back());
  EXPECT_EQ(o.errorsCounted, 0);
  EXPECT_EQ(f.ui.boxes, std::vector<std::string>{"Успешно!"});
  const auto& log = f.ui.testLog;
  ASSERT_GE(log.size(), 6u);
  EXPECT_EQ(log[log.size() - 5], "Конец теста Veltor FP-90T");
  EXPECT_EQ(log[log.size() - 4], "Дата тестирования:");
  EXPECT_EQ(log[log.size() - 3], "07.12.2026 9:05:30");
  EXPECT_EQ(log[log.size() - 2], "Общее количество ошибок: 0");
  EXPECT_EQ(log.back(), kStars30);
  EXPECT_TRUE(f.ui.startEnabled);
  EXPECT_FALSE(f.ui.stopEnabled);
  EXPECT_EQ(f.state.ErrorCount, 0);
}

TEST_F(TestRunScript, BadInputsAreRefusedAfterTheRegistratorParameters) {
  struct Case {
    const char* passes;
    const char* pause;
    const char* box;
  };
  const Case cases[] = {
      {"0", "0", "Неверное количество циклов теста"},
      {"-3", "0", "Неверное количество циклов теста"},
      {"abc", "0", "Неверное количество циклов теста"},
      {"", "0", "Неверное количество циклов теста"},
      {"99999999999", "0", "Неверное количество циклов теста"},
      {"1", "-1", "Неверная величина задержки \n   между командами"},
      {"1", "x", "Неверная величина задержки \n   между командами"},
      {"1", "1.5", "Неверная величина задержки \n   между командами"},
  };
  for (const auto& c : cases) {
    RunFixture f;
    f.connect();
    const RunOutcome o = start(f, c.passes, c.pause);
    EXPECT_EQ(o.end, RunEnd::InputRefused) << c.passes << " " << c.pause;
    EXPECT_EQ(f.ui.boxes, std::vector<std::string>{c.box});
    EXPECT_EQ(f.codes(), (std::vector<std::int32_t>{0x28, 0x27}));
    EXPECT_TRUE(f.ui.testLog.empty());
    EXPECT_TRUE(f.ui.startEnabled);
  }
}

TEST_F(TestRunScript, SendsBackTheRegistratorParametersWithTheSecondValueTwo) {
  RunFixture f;
  f.connect();
  start(f, "0");
  ASSERT_GE(f.sent.size(), 2u);
  EXPECT_EQ(f.sent[1].code, 0x27);
  // The printer's own fields, with field 1 replaced by 2.
  EXPECT_EQ(f.sent[1].data.substr(0, 12), "582014;9600;");
  EXPECT_EQ(f.sent[1].data.substr(12, 2), "2;");
}

TEST_F(TestRunScript, PassesRepeatOnlyTheDateAndTaxReads) {
  RunFixture f;
  f.connect();
  ASSERT_EQ(start(f, "3").end, RunEnd::Finished);
  for (int pass = 1; pass <= 3; ++pass) {
    EXPECT_EQ(f.loggedCount("Номер прохода теста - " + std::to_string(pass)), 1) << pass;
  }
  EXPECT_EQ(f.loggedCount("Получить дату/время"), 3);
  EXPECT_EQ(f.loggedCount("Получить налоговый номер"), 3);
  EXPECT_EQ(f.count(0x46), 3);
  EXPECT_EQ(f.loggedCount("X-отчет"), 1);
}

TEST_F(TestRunScript, PauseZeroPausesNeverButStillLogsTheBlankLines) {
  RunFixture f;
  f.connect();
  start(f);
  EXPECT_TRUE(f.ui.pauses.empty());
  EXPECT_GT(f.loggedCount(" "), 10);
}

TEST_F(TestRunScript, PausesComeAtTheirPlaces) {
  RunFixture f;
  f.connect();
  start(f, "1", "1500");
  EXPECT_FALSE(f.ui.pauses.empty());
  for (auto p : f.ui.pauses)
    EXPECT_EQ(p, 1500);
  // Articles 1 to 3 pause twice in a row.
  const auto& e = f.ui.events;
  int doubles = 0;
  for (std::size_t i = 1; i < e.size(); ++i) {
    doubles += e[i] == "pause: 1500" && e[i - 1] == "pause: 1500" ? 1 : 0;
  }
  EXPECT_GE(doubles, 3);
}

TEST_F(TestRunScript, StopDuringAStepLetsItFinishAndLogsStopped) {
  RunFixture f;
  f.connect();
  TestRun run(f.session);
  // Stop pressed while "Получить дату/время" is sent: at the pump right after it.
  f.ui.onEveryPump = [&] {
    if (!f.ui.testLog.empty() && f.ui.testLog.back() == "Получить дату/время - успешно") {
      run.Button4Click();
      f.ui.onEveryPump = nullptr;
    }
  };
  const RunOutcome o = run.Button3Click("1", "0");
  EXPECT_EQ(o.end, RunEnd::Stopped);
  EXPECT_EQ(f.ui.testLog.back(), kStopped);
  EXPECT_EQ(f.ui.testLog[f.ui.testLog.size() - 2], "Получить дату/время - успешно");
  EXPECT_EQ(f.count(0x46), 0);  // the tax number is not asked for
  EXPECT_FALSE(f.state.StopRequested);
  EXPECT_TRUE(f.ui.startEnabled);
}

TEST_F(TestRunScript, DisconnectDuringARunStopsItAtTheNextStopCheck) {
  RunFixture f;
  f.connect();
  f.ui.atPump[5] = [&] { disconnectPrinter(f.session); };
  const RunOutcome o = start(f);
  EXPECT_EQ(o.end, RunEnd::Stopped);
  EXPECT_EQ(f.ui.testLog.back(), kStopped);
  EXPECT_FALSE(f.ui.startEnabled);  // as the running state left them
  EXPECT_TRUE(f.ui.stopEnabled);
}

TEST_F(TestRunScript, StopOrDisconnectWhileACommandWaitsEndsTheRunWithinAReadPeriod) {
  // The printer stays silent on the tax number, and the user does not wait the 5 s.
  for (const bool disconnect : {false, true}) {
    RunFixture f;
    f.connect();
    f.fault("46:silence");
    TestRun run(f.session);
    Micros pressed{-1};
    f.ui.onWait = [&] {
      if (pressed.count() >= 0 || !f.logged("Получить налоговый номер")) return;
      pressed = f.clock.now();
      if (disconnect) {
        disconnectPrinter(f.session);
      } else {
        run.Button4Click();
      }
    };
    const RunOutcome o = run.Button3Click("1", "0");
    EXPECT_EQ(o.end, RunEnd::Stopped) << disconnect;
    EXPECT_EQ(f.ui.testLog.back(), kStopped) << disconnect;
    EXPECT_EQ(f.ui.testLog[f.ui.testLog.size() - 2], "Получить налоговый номер") << disconnect;
    EXPECT_TRUE(f.ui.boxes.empty()) << "no time-out box for a wait the user ended";
    ASSERT_GE(pressed.count(), 0) << disconnect;
    EXPECT_LE(f.clock.now() - pressed, std::chrono::milliseconds(100)) << disconnect;
    EXPECT_EQ(f.sent.back().code, 0x46) << disconnect << ": sent once, not repeated";
    EXPECT_FALSE(f.state.StopRequested) << disconnect;
  }
}

TEST_F(TestRunScript, APrinterThatFallsBehindMidRunGivesNoFalseSuccess) {
  // A printer that falls one reply behind in the middle of the run: the run ends at the
  // first command that gets no reply of its own, and no step after it reads as done.
  RunFixture clean;
  clean.connect();
  start(clean);
  RunFixture f;
  f.connect();
  f.fault("any#60:lag");
  const RunOutcome o = start(f);
  EXPECT_EQ(o.end, RunEnd::Aborted);
  ASSERT_EQ(f.ui.boxes.size(), 1u);
  EXPECT_EQ(f.ui.boxes[0].rfind("Таймаут устройства!", 0), 0u) << f.ui.boxes[0];
  const auto successes = [](const std::vector<std::string>& log) {
    return std::count_if(log.begin(), log.end(),
                         [](const std::string& l) { return l.ends_with(" - успешно"); });
  };
  EXPECT_LT(successes(f.ui.testLog), successes(clean.ui.testLog));
  // Every line logged is the clean run's line at the same place.
  ASSERT_LE(f.ui.testLog.size(), clean.ui.testLog.size());
  EXPECT_TRUE(std::equal(f.ui.testLog.begin(), f.ui.testLog.end(), clean.ui.testLog.begin()));
}

TEST_F(TestRunScript, WaitsWithoutEndEndTheRunInBoundedTime) {
  struct Case {
    const char* fault;
    const char* box;
    Micros most;  // virtual time the run took at most
  };
  const Case cases[] = {
      {"63#1:endless-busy", "Таймаут устройства! Ошибка открытия фискального чека!",
       DeviceLink::kCommandTimeLimit + std::chrono::minutes(2)},
      {"63#1:hangup", "Таймаут устройства! Ошибка открытия фискального чека!",
       std::chrono::minutes(2)},
  };
  for (const auto& c : cases) {
    RunFixture f;
    f.connect();
    f.fault(c.fault);
    const Micros started = f.clock.now();
    const RunOutcome o = start(f);
    EXPECT_EQ(o.end, RunEnd::Aborted) << c.fault;
    EXPECT_EQ(f.ui.boxes, std::vector<std::string>{c.box}) << c.fault;
    EXPECT_LE(f.clock.now() - started, c.most) << c.fault;
  }
}

// The end of a run whose reboot wait gave up: one box, two log lines.
void expectRebootGivenUp(const RunFixture& f, const RunOutcome& o) {
  EXPECT_EQ(o.end, RunEnd::Aborted);
  EXPECT_EQ(f.ui.boxes, std::vector<std::string>{"Ошибка перезагрузки регистратора!"});
  const auto& log = f.ui.testLog;
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[log.size() - 2], kStars30);
  EXPECT_EQ(log.back(), "Ошибка перезагрузки регистратора! Аварийный останов!");
}

TEST_F(TestRunScript, RebootWaitGivesUpAtOnceWhenThePortIsGone) {
  RunFixture f;
  f.connect();
  bool staged = false;
  Micros gone{0};
  f.ui.onEveryPump = [&] {
    if (!staged && f.logged("Перезагрузка устройства")) {
      f.fault("any:hangup");  // heard once the printer listens again
      staged = true;
    }
  };
  f.link.setAttemptObserver([&](const AttemptRecord& a) {
    f.sent.push_back({a.result.Command, a.result.RequestData, a.attempt});
    if (a.result.WaitEnded == WaitEnd::PortGone && gone.count() == 0) gone = f.clock.now();
  });
  expectRebootGivenUp(f, start(f));
  ASSERT_GT(gone.count(), 0);
  EXPECT_EQ(f.clock.now(), gone) << "no poll after the port was found gone";
  EXPECT_LT(f.clock.now(), std::chrono::seconds(60)) << "not the two minutes of the watchdog";
}

TEST_F(TestRunScript, FatalFailuresAbortWithOneBox) {
  struct Case {
    const char* fault;
    const char* box;
    bool startEnabled;   // false: the run had begun
    int setParams = -1;  // SetRegistratorParams sent in all, where it matters
  };
  const Case cases[] = {
      {"28#1:silence", "Таймаут устройства! Ошибка GetRegistratorParams!", true},
      {"27#1:error=0001", "Ошибка SetRegistratorParams", true},
      {"21#1:silence", "Таймаут устройства! Ошибка получения даты-времени!", false},
      {"20:error=0005", "Ошибка установки времени", false},
      {"46:error=0005", "Ошибка получения налогового номера", false},
      {"2F#1:silence", "Таймаут устройства! Ошибка установки параметров оператора!", false},
      {"6E#1:error=0001", "Ошибка служебного внесения", false},
      {"A1#3:error=0009", "Ошибка X-отчета", false},  // after the Z-report and its tape
      // Registrator parameters that are not numbers: nothing is written back from them.
      {"28#1:fields=x;0;001F;02;AB;00;05;",
       "Ошибка GetRegistratorParams: поле 0 ответа не является числом (\"x\")", true, 0},
      {"28#1:fields=9600;0;001F;02;AB;00;;",
       "Ошибка GetRegistratorParams: поле 6 ответа не является числом (\"\")", true, 0},
      {"28#2:fields=9600;1.5;001F;02;AB;00;05;",
       "Ошибка чтения параметров регистратора: поле 1 ответа не является числом (\"1.5\")", false,
       1},
      // Replies that are damaged, or not this request's: never taken for an answer.
      {"any:checksum", "Таймаут устройства! Ошибка GetRegistratorParams!", true},
      {"any:garbage=03@12", "Таймаут устройства! Ошибка GetRegistratorParams!", true},
      {"any:lag", "Таймаут устройства! Ошибка GetRegistratorParams!", true},
      {"any:other-seq", "Таймаут устройства! Ошибка GetRegistratorParams!", true},
  };
  for (const auto& c : cases) {
    RunFixture f;
    f.connect();
    f.fault(c.fault);
    const RunOutcome o = start(f);
    EXPECT_EQ(o.end, RunEnd::Aborted) << c.fault;
    EXPECT_EQ(f.ui.boxes, std::vector<std::string>{c.box}) << c.fault;
    EXPECT_FALSE(f.logged(kStopped));
    EXPECT_EQ(indexOf(f.ui.testLog, "Конец теста Veltor FP-90T"), f.ui.testLog.size());
    EXPECT_EQ(f.ui.startEnabled, c.startEnabled) << c.fault;
    EXPECT_EQ(f.ui.stopEnabled, !c.startEnabled) << c.fault;
    if (c.setParams >= 0) {
      EXPECT_EQ(f.count(0x27), c.setParams) << c.fault;
    }
  }
  // After an abort only Stop brings Start back.
  RunFixture f;
  f.connect();
  f.fault("21#1:silence");
  TestRun run(f.session);
  run.Button3Click("1", "0");
  run.Button4Click();
  EXPECT_TRUE(f.ui.startEnabled);
  EXPECT_FALSE(f.ui.stopEnabled);
  // The Stop left over does not cut the next page's commands short: only a run asks it.
  EXPECT_TRUE(f.state.StopRequested);
  EXPECT_FALSE(f.link.stopCheck());
  EXPECT_EQ(f.commands.GetDeviceInfo(kDevicePassword, nullptr)->ErrorCode, "0000");
}

TEST_F(TestRunScript, XReportWithoutReplyIsCountedAndTheRunGoesOn) {
  RunFixture f;
  f.connect();
  f.fault("A1#3:silence");  // the opening Z-report and its tape clearing come first
  const RunOutcome o = start(f);
  EXPECT_EQ(o.end, RunEnd::Finished);
  EXPECT_EQ(o.errorsCounted, 1);
  EXPECT_EQ(f.ui.boxes.front(), "Таймаут устройства! Ошибка X-отчета!");
  EXPECT_TRUE(f.logged("X-отчет - успешно"));
}

TEST_F(TestRunScript, StopIsNoticedInsideTheDisplayTestAndAfterTheSecondRateLine) {
  struct Case {
    const char* where;
    std::function<bool(const RunFixture&)> pressStopNow;  // asked at every pump
    const char* lastLine;
  };
  const auto lastSent = [](const RunFixture& f) {
    return f.sent.empty() ? std::string() : f.sent.back().data;
  };
  const Case cases[] = {
      // Two display commands of the preparation, then eight iterations of the pattern.
      {"display test", [](const RunFixture& f) { return f.count(0x81) == 10; }, kStopped},
      {"second rate line",
       [&](const RunFixture& f) {
         return lastSent(f).rfind("582014;Скорость при печати чека=", 0) == 0;
       },
       "Тест остановлен "},
  };
  for (const auto& c : cases) {
    RunFixture f;
    f.connect();
    TestRun run(f.session);
    f.ui.onEveryPump = [&] {
      if (c.pressStopNow(f)) {
        run.Button4Click();
        f.ui.onEveryPump = nullptr;
      }
    };
    const RunOutcome o = run.Button3Click("1", "0");
    EXPECT_EQ(o.end, RunEnd::Stopped) << c.where;
    EXPECT_EQ(f.ui.testLog.back(), c.lastLine) << c.where;
    EXPECT_TRUE(f.ui.startEnabled) << c.where;
    EXPECT_FALSE(f.state.StopRequested) << c.where;
  }
  // The stop came right after the tenth display command: no further iteration was sent.
  RunFixture f;
  f.connect();
  TestRun run(f.session);
  f.ui.onEveryPump = [&] {
    if (f.count(0x81) == 10) run.Button4Click();
  };
  run.Button3Click("1", "0");
  EXPECT_EQ(f.count(0x81), 10);
}

TEST_F(TestRunScript, RebootWaitEndsAfterTwoMinutesOfSilence) {
  RunFixture f;
  f.connect();
  f.fault("F3:reboot=200000");  // silent far longer than the watchdog waits
  const auto started = f.clock.now();
  expectRebootGivenUp(f, start(f));
  EXPECT_FALSE(f.ui.startEnabled);
  EXPECT_TRUE(f.ui.stopEnabled);
  // Polled all along, and given up on at the first poll after the two minutes.
  EXPECT_GT(f.count(0x80), 10);
  const auto waited = std::chrono::duration_cast<std::chrono::seconds>(f.clock.now() - started);
  EXPECT_GE(waited.count(), 120);
  EXPECT_LT(waited.count(), 140);
}

TEST_F(TestRunScript, APrinterAnsweringTheRebootPollWithAnErrorIsBack) {
  RunFixture f;
  f.connect();
  bool staged = false;
  f.ui.onEveryPump = [&] {
    if (!staged && f.logged("Перезагрузка устройства")) {
      f.fault("80:error=0001");
      staged = true;
    }
  };
  const RunOutcome o = start(f);
  EXPECT_EQ(o.end, RunEnd::Finished);
  EXPECT_EQ(o.errorsCounted, 0);
  EXPECT_EQ(f.ui.boxes, std::vector<std::string>{"Успешно!"});
}

TEST_F(TestRunScript, OpenDocumentRecoveryReadsOnlyTheLowFourBitsOfStatusByte2) {
  struct Case {
    const char* fault;  // on the reply to the second display command
    int closes;         // CloseServiceReceipt before the opening Z-report
    int cancels;        // CancelReceipt type 0 before it
  };
  const Case cases[] = {
      {"81#2:s2=05", 1, 0},
      {"81#2:s2=03", 0, 1},
      {"81#2:s2=70", 0, 0},  // upper bits only
      {"81#2:s2=75", 1, 0},
  };
  for (const auto& c : cases) {
    RunFixture f;
    f.connect();
    f.fault(c.fault);
    f.ui.noFiscal = true;  // nothing else sends 65h or 6Bh before the header lines
    TestRun run(f.session);
    f.ui.onEveryPump = [&] {
      if (f.count(0x22) > 0) run.Button4Click();
    };
    run.Button3Click("1", "0");
    EXPECT_EQ(f.count(0x65), c.closes) << c.fault;
    EXPECT_EQ(f.count(0x6B), c.cancels) << c.fault;
  }
}

TEST_F(TestRunScript, RefusedArticlesAreCountedFromTheSecondOn) {
  struct Case {
    const char* fault;
    int counted;
  };
  for (const auto& c : {Case{"24#1:error=0011", 0}, Case{"24#3:error=0011", 1}}) {
    RunFixture f;
    f.connect();
    f.fault(c.fault);
    const RunOutcome o = start(f);
    EXPECT_EQ(o.end, RunEnd::Finished) << c.fault;
    EXPECT_EQ(o.errorsCounted, c.counted) << c.fault;
    EXPECT_EQ(f.ui.boxes.front(), "Ошибка программирования артикулов");
    EXPECT_EQ(f.loggedCount("Программирование артикулов - успешно"), 5);
    EXPECT_EQ(f.count(0x24), 5);
  }
}

TEST_F(TestRunScript, RefusedReceiptStepsAreCountedAndTheReceiptGoesOn) {
  RunFixture f;
  f.connect();
  f.fault("68#1:error=0031");
  const RunOutcome o = start(f);
  EXPECT_EQ(o.end, RunEnd::Finished);
  EXPECT_EQ(o.errorsCounted, 1);
  EXPECT_EQ(f.ui.boxes.front(), "Ошибка процентной скидки");
  const auto at = indexOf(f.ui.testLog, "Процентная скидка - успешно");
  ASSERT_LT(at, f.ui.testLog.size());
  EXPECT_EQ(f.ui.testLog[at - 1], "");
}

TEST_F(TestRunScript, ServiceReceiptCloseRefusedAbortsWithoutCounting) {
  RunFixture f;
  f.connect();
  // 65h: S5 of the non-fiscal stage, the sale's and the return's closes, then the service
  // receipt's close.
  f.fault("65#4:error=0040");
  const RunOutcome o = start(f);
  EXPECT_EQ(o.end, RunEnd::Aborted);
  EXPECT_EQ(o.errorsCounted, 0);
  EXPECT_EQ(f.ui.boxes.back(), "Ошибка закрытия служебного чека");
}

TEST_F(TestRunScript, WithoutFiscalReceiptsSkipsTheirStages) {
  RunFixture f;
  f.connect();
  f.ui.noFiscal = true;
  const RunOutcome o = start(f);
  EXPECT_EQ(o.end, RunEnd::Finished);
  for (const char* absent : {"Установки типа оплаты 1 - успешно", "Программирование артикулов",
                             "Перезагрузка устройства", "Фискальный чек", "Чек возврата", "Z-отчет",
                             "Z-отчет - успешно"}) {
    EXPECT_FALSE(f.logged(absent)) << absent;
  }
  EXPECT_EQ(f.count(0x63), 0);
  EXPECT_EQ(f.count(0xF3), 0);
  EXPECT_EQ(f.count(0xA1), 1);  // the X-report only
  EXPECT_EQ(f.loggedCount("Служебный чек"), 2);
  EXPECT_TRUE(f.logged("Заголовок чека 7 - успешно"));
  EXPECT_TRUE(f.logged("Установка параметров оператора - успешно"));
}

TEST_F(TestRunScript, CheckBoxIsReadAtEachDecision) {
  RunFixture f;
  f.connect();
  // Ticked after the payment types have been programmed.
  f.ui.onEveryPump = [&] {
    if (f.logged("Установка параметров оператора - успешно")) f.ui.noFiscal = true;
  };
  start(f);
  EXPECT_TRUE(f.logged("Установки типа оплаты 5 - успешно"));
  EXPECT_FALSE(f.logged("Программирование артикулов"));
}

TEST_F(TestRunScript, ModelsAndFirmwareTakeTheirBranches) {
  struct Case {
    const char* model;
    const char* firmware;
    int paymentTypes;
    int displayCommands;
    int reboots;
    int typeTwoReports;
    bool maintenance;
    bool operatorAgain;
  };
  const Case cases[] = {
      // Display: 2 clears + 240 test windows + 3 at the end.
      {"Veltor FP-90T", "3.01", 5, 245, 1, 3, true, false},
      {"Veltor FP-90T", "3.02", 5, 245, 1, 2, false, true},
      {"Veltor FP-510T", "3.01", 5, 245, 1, 2, true, false},
      {"Veltor FP-510T", "3.00", 5, 245, 1, 0, true, false},
      {"Veltor FP-510T", "2.01", 5, 245, 1, 0, false, true},
      {"Veltor KM-15", "3.01", 4, 0, 0, 2, true, false},
  };
  for (const auto& c : cases) {
    RunFixture f(model(c.model, c.firmware));
    f.connect();
    const RunOutcome o = start(f);
    const std::string what = std::string(c.model) + " " + c.firmware;
    EXPECT_EQ(o.end, RunEnd::Finished) << what << (f.ui.boxes.empty() ? "" : f.ui.boxes.back());
    EXPECT_EQ(f.count(0x2D), c.paymentTypes) << what;
    EXPECT_EQ(f.count(0x81), c.displayCommands) << what;
    EXPECT_EQ(f.count(0xF3), c.reboots) << what;
    int typeTwo = 0;
    for (const auto& s : f.sent)
      typeTwo += s.code == 0xA1 && s.data == "582014;2;" ? 1 : 0;
    EXPECT_EQ(typeTwo, c.typeTwoReports) << what;
    EXPECT_EQ(f.count(0x35), c.maintenance ? 1 : 0) << what;
    EXPECT_EQ(f.count(0x2F), c.operatorAgain ? 2 : 1) << what;
  }
}

TEST_F(TestRunScript, SoldArticlesReportRangeFollowsTheExactFirmwareText) {
  struct Case {
    const char* firmware;
    const char* data;
  };
  for (const auto& c :
       {Case{"2.01", "582014;0;999999999;"}, Case{"2.01 ", "582014;0;99999999999999;"},
        Case{"3.01", "582014;0;99999999999999;"}}) {
    RunFixture f(model("Veltor FP-510T", c.firmware));
    f.connect();
    start(f);
    bool found = false;
    for (const auto& s : f.sent)
      found = found || (s.code == 0xA4 && s.data == c.data);
    EXPECT_TRUE(found) << c.firmware;
  }
}

TEST_F(TestRunScript, LineRateChangeGoesToTheSecondRateAndBack) {
  struct Case {
    const char* model;
    int baudIndex;
    std::int32_t connected;
    std::int32_t changed;
  };
  const Case cases[] = {
      {"Veltor FP-820T", 0, 9600, 19200},
      {"Veltor FP-820T", 1, 19200, 9600},
      {"Veltor FP-90T", 2, 57600, 115200},
      {"Veltor FP-90T", 3, 115200, 9600},
  };
  for (const auto& c : cases) {
    sim::PrinterSettings s = model(c.model);
    s.baud = c.connected;
    RunFixture f(s);
    f.connect(c.baudIndex);
    const RunOutcome o = start(f);
    EXPECT_EQ(o.end, RunEnd::Finished)
        << c.model << c.connected << (f.ui.boxes.empty() ? "" : f.ui.boxes.back());
    bool printed = false;
    for (const auto& sc : f.sent) {
      printed = printed ||
                sc.data == "582014;Скорость при печати чека=" + std::to_string(c.changed) + ";";
    }
    EXPECT_TRUE(printed) << c.model << c.connected;
    EXPECT_EQ(f.port.printer().state().lineRate, c.connected);
  }
}

TEST_F(TestRunScript, FP820TWithoutASecondRateSkipsTheChangeWithAMessage) {
  sim::PrinterSettings s = model("Veltor FP-820T");
  s.baud = 57600;
  RunFixture f(s);
  f.connect(2);
  const RunOutcome o = start(f);
  EXPECT_EQ(o.end, RunEnd::Finished);
  ASSERT_FALSE(f.ui.boxes.empty());
  EXPECT_NE(f.ui.boxes.front().find("Смена скорости не выполнена"), std::string::npos);
  EXPECT_EQ(f.count(0x27), 1);  // only the preparation's
  EXPECT_TRUE(f.logged("Изменение скорости ПК/РРО - успешно"));
  EXPECT_EQ(f.port.printer().state().lineRate, 57600);
}

TEST_F(TestRunScript, PortThatCannotBeReopenedEndsTheRunCounted) {
  RunFixture f;
  f.connect();
  f.ui.onEveryPump = [&] {
    if (f.logged("Установка параментров регистратора - успешно")) f.ui.port = "/nonexistent/tty";
  };
  const RunOutcome o = start(f);
  EXPECT_EQ(o.end, RunEnd::Aborted);
  EXPECT_EQ(o.errorsCounted, 1);
  // The first line as ever, then why the port did not open.
  EXPECT_EQ(f.ui.boxes.back().find(
                "Невозможно подключить порт на другой скорости\nПорт /nonexistent/tty не найден"),
            0u)
      << f.ui.boxes.back();
  EXPECT_EQ(f.ui.testLog.back(), "Ошибка изменения скорости порта");
}

}  // namespace
}  // namespace tallowick
