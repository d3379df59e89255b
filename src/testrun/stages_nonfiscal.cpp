// The run header, the pass loop and the non-fiscal stages: clock setting, date/time and
// tax number reads per pass, X-report, a service receipt, the customer display test and
// the service cash-in and cash-out.
#include "commands/printer_traits.h"
#include "link/cp1251.h"
#include "platform/own_text.h"
#include "testrun/step_texts.h"
#include "testrun/test_run.h"

namespace tallowick {
namespace {

using namespace steps;

// The display test pattern, written twice; window i is the 20 characters from i.
constexpr const char* kDisplayPattern =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyzАБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩьЫЪЭЮЯЄЇабвгдежз"
    "ийклмнопрстуфхцчшщьыъэюяєї";
constexpr std::size_t kDisplayWindows = 120;
constexpr std::size_t kDisplayWidth = 20;

std::string displayWindow(std::size_t i) {
  // One byte a character in the printer's code page, so the window is cut there.
  static const std::string twice = [] {
    const std::string once = *cp1251::encode(kDisplayPattern);
    return once + once;
  }();
  return cp1251::decode(twice.substr(i, kDisplayWidth));
}

}  // namespace

bool TestRun::runHeaderAndPasses() {
  s_.state.ErrorCount = 0;
  log(withArgs(Text::tr("Тест %1"), {s_.state.DeviceModel}));
  log(Text::own("Дата тестирования:"));
  const LocalDateTime now = s_.wallClock();
  log(shortDateLongTime(now));
  log(kStars30);
  const std::string time = hhmm(now);
  const std::string date = ddmmyy(now);
  if (!stopCheck()) return false;

  LoggedStep setTime =
      texts(Text::own("Таймаут устройства! Ошибка установки времени!"),
            Text::own("Ошибка установки времени"), Text::own("Установка времени - успешно"));
  setTime.indicator = true;
  setTime.lines = ResultLines::SuccessOnly;
  if (!run({.title = Text::own("Установка времени"),
            .call = [date, time](CommandSet& c,
                                 std::int32_t* e) { return c.SetDateTime(kPw, date, time, e); },
            .outcome = setTime,
            .tail = {Tail::Pause, Tail::Repaint, Tail::Scroll, Tail::Repaint, Tail::Stop}})) {
    return false;
  }
  log(kStars30);

  LoggedStep readClock =
      texts(Text::own("Таймаут устройства! Ошибка получения даты-времени!"),
            Text::own("Ошибка получения даты-времени"), Text::own("Получить дату/время - успешно"));
  readClock.A = Text::own("Ошибка получения даты/времени");
  for (std::int32_t pass = 1; pass <= passes_; ++pass) {
    log(" ");
    log(kStars35);
    log(kStars35);
    log(withArgs(Text::tr("Номер прохода теста - %1"), {std::to_string(pass)}));
    log(kStars35);
    if (!runAll({
            {.title = Text::own("Получить дату/время"),
             .call = [](CommandSet& c, std::int32_t* e) { return c.GetDateTime(kPw, e); },
             .outcome = readClock,
             .tail = {Tail::Stop, Tail::Pause, Tail::Blank, Tail::Stop}},
            {.title = Text::own("Получить налоговый номер"),
             .call = [](CommandSet& c, std::int32_t* e) { return c.GetTaxNumber(kPw, e); },
             .outcome = texts(Text::own("Таймаут устройства! Ошибка получения налогового номера!"),
                              Text::own("Ошибка получения налогового номера"),
                              Text::own("Получить налоговый номер - успешно")),
             .tail = {Tail::Pause, Tail::Blank, Tail::Stop}},
        })) {
      return false;
    }
  }
  return true;
}

bool TestRun::nonFiscalStages() {
  // A missing X-report is counted, and the printer-error test decides.
  LoggedStep xReport = texts(Text::own("Таймаут устройства! Ошибка X-отчета!"),
                             Text::own("Ошибка X-отчета"), Text::own("X-отчет - успешно"));
  xReport.onNoReply = OnFailure::CountAndContinue;

  const LoggedStep printText =
      texts(Text::own("Таймаут устройства! Ошибка печати текста!"),
            Text::own("Ошибка печати текста"), Text::own("Печать текста - успешно"));
  auto serviceText = [&](const char* text) {
    return Step{
        .call = [text](CommandSet& c, std::int32_t* e) { return c.PrintText(kPw, text, e); },
        .outcome = printText,
        .tail = {Tail::Stop, Tail::Pump}};
  };
  if (!runAll({
          {.title = Text::own("X-отчет"),
           .call = [](CommandSet& c, std::int32_t* e) { return c.PrintReport(kPw, 1, e); },
           .outcome = xReport,
           .tail = {Tail::Pause, Tail::Blank, Tail::Stop}},
          {.title = Text::own("Служебный чек"),
           .call = [](CommandSet& c, std::int32_t* e) { return c.OpenServiceReceipt(kPw, e); },
           .outcome = texts(Text::own("Таймаут устройства! Ошибка окрытия служебного чека!"),
                            Text::own("Ошибка окрытия служебного чека"),
                            Text::own("Чек открыт - успешно"))},
          serviceText("   НеФиСкАлЬнЫй  Текст"),
          serviceText("     НеФиСкАлЬнЫй  Текст"),
          serviceText("        НеФиСкАлЬнЫй  Текст"),
          {.call = [](CommandSet& c, std::int32_t* e) { return c.CloseServiceReceipt(kPw, e); },
           .outcome = texts(Text::own("Таймаут устройства! Ошибка закрытия служебного чека!"),
                            Text::own("Ошибка закрытия служебного чека"),
                            Text::own("Служебный чек - успешно")),
           .tail = {Tail::Pause, Tail::Blank}},
      })) {
    return false;
  }

  if (modelTraits(s_.state.DeviceModel).customerDisplay) {
    if (!stopCheck()) return false;
    LoggedStep window = texts(Text::own("Таймаут устройства! Ошибка теста индикаторов клиента!"),
                              Text::own("Ошибка теста индикаторов клиента"), "");
    window.indicator = true;
    window.lines = ResultLines::None;
    struct DisplayLine {
      const char* title;
      std::int32_t function;
      const char* success;
      Tail after;
    };
    for (const DisplayLine& line :
         {DisplayLine{Text::own("Тест индикаторов клиента - строка 2"), 2,
                      Text::own("Тест индикаторов клиента - успешно (1)"), Tail::Stop},
          DisplayLine{Text::own("Тест индикаторов клиента - строка 1"), 1,
                      Text::own("Тест индикаторов клиента - успешно (2)"), Tail::Pause}}) {
      title(line.title);
      for (std::size_t i = 0; i < kDisplayWindows; ++i) {
        const std::string text = displayWindow(i);
        const std::int32_t function = line.function;
        if (!run({.call = [text, function](
                              CommandSet& c,
                              std::int32_t* e) { return c.DisplayText(kPw, text, function, 0, e); },
                  .outcome = window,
                  .tail = {Tail::Stop}})) {
          return false;
        }
      }
      log(line.success);
      if (!tail({line.after})) return false;
    }
  }
  if (!tail({Tail::Blank, Tail::Stop, Tail::Pause, Tail::Stop})) return false;

  return runAll({
      {.title = Text::own("Служебное внесение"),
       .call = [](CommandSet& c, std::int32_t* e) { return c.CashInOut(kPw, 1, 10.0, e); },
       .outcome = texts(Text::own("Таймаут устройства! Ошибка служебного внесения!"),
                        Text::own("Ошибка служебного внесения"),
                        Text::own("Тест служебного внесения - успешно")),
       .tail = {Tail::Scroll, Tail::Pause, Tail::Stop}},
      {.title = Text::own("Служебная выдача"),
       .call = [](CommandSet& c, std::int32_t* e) { return c.CashInOut(kPw, 1, -10.0, e); },
       .outcome = texts(Text::own("Таймаут устройства! Ошибка служебной выдачи!"),
                        Text::own("Ошибка служебной выдачи"),
                        Text::own("Тест служебной выдачи - успешно")),
       .tail = {Tail::Pause, Tail::Blank, Tail::Stop}},
  });
}

}  // namespace tallowick
