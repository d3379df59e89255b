// The closing stages: the clock check, the technical-information receipt, the control
// tape and the Z-report, operator 1 once more, the line-rate change with its service
// receipt, the display's farewell and the end lines.
#include "commands/printer_traits.h"
#include "mainform/connection.h"
#include "platform/own_text.h"
#include "testrun/numbers.h"
#include "testrun/step_texts.h"
#include "testrun/test_run.h"

namespace tallowick {
namespace {

using namespace steps;

const CommandCall kOpenService = [](CommandSet& c, std::int32_t* e) {
  return c.OpenServiceReceipt(kPw, e);
};
const CommandCall kCloseService = [](CommandSet& c, std::int32_t* e) {
  return c.CloseServiceReceipt(kPw, e);
};
const CommandCall kReadRegistratorParams = [](CommandSet& c, std::int32_t* e) {
  return c.GetRegistratorParams(kPw, e);
};

LoggedStep ending(std::string T, std::string E, OnArgError onArgError) {
  LoggedStep o = quiet(std::move(T), std::move(E));
  o.onArgError = onArgError;
  return o;
}

// The control tape's service receipt: open, the heading, `closing`, close.
std::vector<Step> controlTapeReceipt(Step closing) {
  return {
      {.call = kOpenService,
       .outcome = ending(Text::own("Таймаут устройства! Ошибка инициализации!"),
                         Text::own("Ошибка инициализации!"), OnArgError::LogAndEnd)},
      {.call =
           [](CommandSet& c, std::int32_t* e) {
             return c.PrintText(kPw, "%MHJc*** Контрольная лента ***", e);
           },
       .outcome = texts(Text::own("Таймаут устройства! Ошибка печати текста!"),
                        Text::own("Ошибка печати текста"), Text::own("Печать текста - успешно")),
       .tail = {Tail::Stop}},
      std::move(closing),
      {.call = kCloseService,
       .outcome = ending(Text::own("Таймаут устройства! Ошибка закрытия служебного чека!"),
                         Text::own("Ошибка закрытия служебного чека!"), OnArgError::BoxAndEnd)},
  };
}

}  // namespace

bool TestRun::clockCheck() {
  s_.pumpEvents();
  for (int i = 0; i < 3; ++i)
    blank();
  if (!stopCheck()) return false;
  blank();
  if (!tail({Tail::Pause, Tail::Stop, Tail::Pump})) return false;

  LoggedStep reading = texts(Text::own("Таймаут устройства! Ошибка теста таймера!"),
                             Text::own("Ошибка теста таймера"), "");
  reading.lines = ResultLines::EmptyOnly;
  const CommandCall getDateTime = [](CommandSet& c, std::int32_t* e) {
    return c.GetDateTime(kPw, e);
  };
  if (!run({.call = getDateTime, .outcome = reading, .tail = {Tail::Pause, Tail::Stop}}))
    return false;
  s_.pumpEvents();
  return run({.call = getDateTime, .outcome = reading, .tail = {Tail::Pump}});
}

bool TestRun::technicalInformation() {
  if (!runAll({
          {.call = kOpenService,
           .outcome = ending(Text::own("Таймаут устройства! Ошибка инициализации!"),
                             Text::own("Ошибка инициализации!"), OnArgError::LogAndEnd)},
          {.call = [](CommandSet& c, std::int32_t* e) { return c.RunInternalTest(kPw, 0, e); },
           .outcome = quiet(Text::own("Ошибка инициализации! Ошибка!"),
                            Text::own("Ошибка инициализации!")),
           .tail = {Tail::Pump}},
      })) {
    return false;
  }
  return run({.call = kCloseService,
              .outcome = ending(Text::own("Таймаут устройства! Ошибка CloseServiceReceipt!"),
                                Text::own("Ошибка CloseServiceReceipt!"), OnArgError::BoxAndEnd)});
}

bool TestRun::controlTape() {
  if (!modelTraits(s_.state.DeviceModel).controlTapeBeforeZ) return true;
  s_.pumpEvents();
  for (const Step& step : controlTapeReceipt(
           {.call = [](CommandSet&c, std::int32_t*e) { return c.RunInternalTest3(kPw, e); },
          .outcome = quiet(Text::own("Ошибка закрытия служебного чека! Ошибка!"),
                           Text::own("Ошибка закрытия служебного чека!"))})) {
    if (!run(step)) return false;
  }
  if (!run({.call = [](CommandSet& c, std::int32_t* e) { return c.ReadDailyCounters(kPw, 6, e); },
            .outcome =
                ending(Text::own("Таймаут устройства! Ошибка чтения счетчиков дневных!"),
                       Text::own("Ошибка чтения счетчиков дневных!"), OnArgError::LogAndCount)})) {
    return false;
  }
  if (leadingInteger(s_.state.LastResult->Fields[0]) == 0) return true;
  s_.pumpEvents();
  for (const Step& step : controlTapeReceipt(
           {.call = [](CommandSet&c, std::int32_t*e) { return c.SendCommandA6(kPw, 2, 0, 0, e); },
          .outcome = quiet(Text::own("Ошибка закрытия служебного чека! Ошибка!"),
                           Text::own("Ошибка закрытия служебного чека!"))})) {
    if (!run(step)) return false;
  }
  return true;
}

bool TestRun::closingZReport() {
  title(Text::own("Z-отчет"));
  const Step zReport{
      .call = [](CommandSet& c, std::int32_t* e) { return c.PrintReport(kPw, 0, e); },
      .outcome = ending(Text::own("Таймаут устройства! Ошибка Z-отчета!"),
                        Text::own("Ошибка Z-отчета"), OnArgError::LogAndCount)};
  LoggedStep clear =
      ending(Text::own("Таймаут устройства! Ошибка обнуления контрольной ленты!"),
             Text::own("Ошибка обнуления контрольной ленты"), OnArgError::LogAndCount);
  const CommandCall clearTape = [](CommandSet& c, std::int32_t* e) {
    return c.PrintReport(kPw, 2, e);
  };
  if (!run(zReport)) return false;
  if (modelTraits(s_.state.DeviceModel).zReportClearsTape &&
      !run({.call = clearTape, .outcome = clear})) {
    return false;
  }
  clear.onArgError = OnArgError::BoxAndEnd;
  if (firmwareTraits(s_.state.FirmwareVersion).zReportClearsTape &&
      !run({.call = clearTape, .outcome = clear})) {
    return false;
  }
  log(Text::own("Z-отчет - успешно"));
  return true;
}

bool TestRun::operatorAgain() {
  if (!firmwareTraits(s_.state.FirmwareVersion).operatorAgainAtEnd) return true;
  Step step = operatorStep();
  step.tail = {Tail::Stop, Tail::Pause, Tail::Space};
  return run(step);
}

bool TestRun::lineRateChange() {
  const std::int32_t connected = s_.state.ConnectedBaudRate;
  if (!run(
          {.call = kReadRegistratorParams,
           .outcome = texts(Text::own("Таймаут устройства! Ошибка чтения параметров регистратора!"),
                            Text::own("Ошибка чтения параметров регистратора"),
                            Text::own("Чтение параментров регистратора - успешно")),
           .tail = {Tail::Stop}})) {
    return false;
  }
  // Kept before the next command overwrites the record; the rate's place is not kept.
  const CommandResult& r = *s_.state.LastResult;
  const auto p1 = parseDecimal(r.Fields[1]);
  const auto p6 = parseDecimal(r.Fields[6]);
  if (!p1 || !p6) {
    constexpr const char* kWhat = Text::own("Ошибка чтения параметров регистратора");
    s_.messageBox(p1 ? notANumber(kWhat, 6, r.Fields[6]) : notANumber(kWhat, 1, r.Fields[1]));
    return abort();
  }
  kept_ = {*p1,
           static_cast<std::int32_t>(leadingHex(r.Fields[2])),
           static_cast<std::int32_t>(leadingHex(r.Fields[3])),
           static_cast<std::int32_t>(leadingHex(r.Fields[4])),
           static_cast<std::int32_t>(leadingHex(r.Fields[5])),
           *p6};

  const std::optional<std::int32_t> changed = changedLineRate(s_.state.DeviceModel, connected);
  if (!changed) {
    // No second rate for this model at this rate: the receipt is printed at the rate the
    // run was started with, and printer and port stay where they are.
    const std::string why =
        withArgs(Text::tr("Смена скорости не выполнена: для %1 нет второй скорости при %2 бод"),
                 {s_.state.DeviceModel, std::to_string(connected)});
    s_.messageBox(why);
    log(why);
  }
  const std::int32_t rate = changed.value_or(connected);

  if (changed && (!setRate(rate, Text::own("Ошибка установки параметров!")) || !reopenAt(rate) ||
                  !run({.call = kReadRegistratorParams,
                        .outcome = texts(
                            Text::own("Таймаут устройства! Ошибка чтения параметров регистратора!"),
                            Text::own("Ошибка чтения параметров регистратора!"),
                            Text::own("Чтение параментров регистратора - успешно")),
                        .tail = {Tail::Stop}}))) {
    return false;
  }

  title(Text::own("Служебный чек - изменения скорости работы с РРО"));
  const LoggedStep text = texts(Text::own("Таймаут устройства! Ошибка печати текста! (скорость)"),
                                Text::own("Ошибка печати текста (скорость)"),
                                Text::own("Печать текста - успешно (скорость)"));
  // Printed on the receipt: the printer's data, never translated.
  const std::string started = "Скорость запуска теста=" + std::to_string(connected);
  const std::string printed = "Скорость при печати чека=" + std::to_string(rate);
  if (!runAll({
          {.call = kOpenService,
           .outcome =
               texts(Text::own("Таймаут устройства! Ошибка окрытия служебного чека (скорость)!"),
                     Text::own("Ошибка окрытия служебного чека (скорость)"),
                     Text::own("Чек открыт - успешно (скорость)"))},
          {.call = [started](CommandSet& c,
                             std::int32_t* e) { return c.PrintText(kPw, started, e); },
           .outcome = text,
           .tail = {Tail::Stop}},
          {.call = [printed](CommandSet& c,
                             std::int32_t* e) { return c.PrintText(kPw, printed, e); },
           .outcome = text,
           .tail = {Tail::StopSpaced}},
          {.call = kCloseService,
           .outcome =
               texts(Text::own("Таймаут устройства! Ошибка закрытия служебного чека! (скорость)"),
                     Text::own("Ошибка закрытия служебного чека (скорость)"),
                     Text::own("Изменение скорости ПК/РРО - успешно")),
           .tail = {Tail::Pause, Tail::Space}},
      })) {
    return false;
  }
  if (!changed) return true;
  if (!setRate(connected, Text::own("Ошибка установки параметров")) || !reopenAt(connected))
    return false;
  s_.messageBox(Text::own("Успешно!"));
  return true;
}

bool TestRun::setRate(std::int32_t rate, const char* E) {
  const std::array<std::int32_t, 7> values = {rate,     kept_[0], kept_[1], kept_[2],
                                              kept_[3], kept_[4], kept_[5]};
  return run({.call = [values](CommandSet& c,
                               std::int32_t* e) { return c.SetRegistratorParams(kPw, values, e); },
              .outcome = texts(Text::own("Таймаут устройства! Ошибка установки параметров!"), E,
                               Text::own("Установка параментров регистратора - успешно")),
              .tail = {Tail::Stop}});
}

bool TestRun::reopenAt(std::int32_t rate) {
  s_.link().CloseDeviceLink();
  if (s_.link().OpenDeviceLink(s_.ui.portName(), rate) != -1) return true;
  s_.messageBox(portNotOpenedText(Text::own("Невозможно подключить порт на другой скорости"),
                                  s_.link().openFailure()));
  log(Text::own("Ошибка изменения скорости порта"));
  ++s_.state.ErrorCount;
  return abort();
}

bool TestRun::endDisplay() {
  if (!modelTraits(s_.state.DeviceModel).customerDisplay) return true;
  const char* T = Text::own("Таймаут устройства! Ошибка работы  с  индикаторами клиента!");
  const char* E = Text::own("Ошибка индикаторов клиента");
  return runAll({
      {.call = [](CommandSet& c, std::int32_t* e) { return c.DisplayText(kPw, "", 0, 0, e); },
       .outcome = quiet(Text::own("Таймаут устройства!"), Text::own("Ошибка!"))},
      {.call =
           [](CommandSet& c, std::int32_t* e) {
             return c.DisplayText(kPw, Text::own("Конец теста!"), 1, 0, e);
           },
       .outcome = quiet(T, E)},
      {.call = [](CommandSet& c, std::int32_t* e) { return c.DisplayText(kPw, "", 3, 0, e); },
       .outcome = quiet(T, E)},
  });
}

}  // namespace tallowick
