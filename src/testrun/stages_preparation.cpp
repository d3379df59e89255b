// The first stages of the run: the registrator parameters, the maintenance command, the
// display, the recovery of a document left open, the opening Z-report, the receipt header,
// the payment types and operator 1.
#include <array>

#include "commands/printer_traits.h"
#include "platform/own_text.h"
#include "testrun/numbers.h"
#include "testrun/step_texts.h"
#include "testrun/test_run.h"

namespace tallowick {
namespace {

using namespace steps;

LoggedStep withLines(const char* T, const char* E, std::string S, bool indicator) {
  return {.T = T, .E = E, .S = std::move(S), .indicator = indicator};
}

constexpr std::array<const char*, 8> kHeaderLines = {
    "У К Р А Ї Н А", "м. К и ї в", "Торговий дiм \"Ворилта\"", "тел. 123-45-67", "", "", "", "",
};

}  // namespace

bool TestRun::registratorParams() {
  if (!run({.call = [](CommandSet& c, std::int32_t* e) { return c.GetRegistratorParams(kPw, e); },
            .outcome = quiet(Text::own("Таймаут устройства! Ошибка GetRegistratorParams!"),
                             Text::own("Ошибка GetRegistratorParams"), true)})) {
    return false;
  }
  // Copied out before the next command overwrites the record.
  const CommandResult& r = *s_.state.LastResult;
  const auto rate = parseDecimal(r.Fields[0]);
  const auto last = parseDecimal(r.Fields[6]);
  if (!rate || !last) {
    constexpr const char* kWhat = Text::own("Ошибка GetRegistratorParams");
    s_.messageBox(rate ? notANumber(kWhat, 6, r.Fields[6]) : notANumber(kWhat, 0, r.Fields[0]));
    return abort();
  }
  const std::array<std::int32_t, 7> values = {
      *rate,
      2,
      static_cast<std::int32_t>(leadingHex(r.Fields[2])),
      static_cast<std::int32_t>(leadingHex(r.Fields[3])),
      static_cast<std::int32_t>(leadingHex(r.Fields[4])),
      static_cast<std::int32_t>(leadingHex(r.Fields[5])),
      *last,
  };
  return run({.call = [values](CommandSet& c,
                               std::int32_t* e) { return c.SetRegistratorParams(kPw, values, e); },
              .outcome = quiet(Text::own("Таймаут устройства! Ошибка SetRegistratorParams!"),
                               Text::own("Ошибка SetRegistratorParams"), true)});
}

bool TestRun::preparation() {
  if (firmwareTraits(s_.state.FirmwareVersion).maintenanceCommand &&
      !run({.call =
                [](CommandSet& c, std::int32_t* e) {
                  return c.SetMaintenanceParams(kPw, kPw, "010120", 0, 0, e);
                },
            .outcome = quiet(Text::own("Таймаут устройства! Ошибка работы  с  ТО!"),
                             Text::own("Ошибка ТО"), false),
            .tail = {Tail::Stop}})) {
    return false;
  }
  const bool display = modelTraits(s_.state.DeviceModel).customerDisplay;
  for (const std::int32_t function : {0, 3}) {
    const CommandCall call =
        display
            ? CommandCall([function](CommandSet& c, std::int32_t* e) {
                return c.DisplayText(kPw, "", function, 0, e);
              })
            : CommandCall([](CommandSet& c, std::int32_t* e) { return c.GetDeviceInfo(kPw, e); });
    if (!run({.call = call,
              .outcome = quiet(Text::own("Таймаут устройства!"), Text::own("Ошибка!"), true),
              .tail = {Tail::Stop}})) {
      return false;
    }
  }
  // A document left open by an earlier run, as the last reply's status bytes tell.
  const OpenDocument document = s_.state.LastResult->openDocument();
  if (document == OpenDocument::ServiceReceipt) {
    return run(
        {.call = [](CommandSet& c, std::int32_t* e) { return c.CloseServiceReceipt(kPw, e); },
         .outcome = quiet(Text::own("Таймаут устройства! Ошибка закрытия служебного чека!"),
                          Text::own("Ошибка закрытия служебного чека"), true)});
  }
  if (document == OpenDocument::FiscalReceipt) {
    return run({.call = [](CommandSet& c, std::int32_t* e) { return c.CancelReceipt(kPw, 0, e); },
                .outcome = quiet(Text::own("Таймаут устройства! Ошибка аннулирования чека!"),
                                 Text::own("Ошибка аннулирования чека"), true)});
  }
  return true;
}

bool TestRun::openingZReport() {
  const ModelTraits model = modelTraits(s_.state.DeviceModel);
  const Step zReport{
      .call = [](CommandSet& c, std::int32_t* e) { return c.PrintReport(kPw, 0, e); },
      .outcome = quiet(
          Text::own("Таймаут устройства! Ошибка Z-отчета!"),
          model.silentOpeningZReport ? Text::own("Ошибка Z-отчета") : Text::own(" Ошибка Z-отчета"),
          false)};
  const Step clearTape{
      .call = [](CommandSet& c, std::int32_t* e) { return c.PrintReport(kPw, 2, e); },
      .outcome = quiet(Text::own("Таймаут устройства! Ошибка обнуления контрольной ленты!"),
                       Text::own("Ошибка обнуления контрольной ленты"), false)};

  if (model.silentOpeningZReport) {
    s_.pumpEvents();
    return runAll({zReport, clearTape});
  }
  if (model.controlTapeBeforeZ) {
    if (!run({.call = [](CommandSet& c, std::int32_t* e) { return c.ReadDailyCounters(kPw, 6, e); },
              .outcome = quiet(Text::own("Таймаут устройства! Ошибка чтения счетчиков дневных!"),
                               Text::own("Ошибка чтения счетчиков дневных!"), false)})) {
      return false;
    }
    if (leadingInteger(s_.state.LastResult->Fields[0]) != 0) {
      s_.pumpEvents();
      if (!runAll({
              {.call = [](CommandSet& c, std::int32_t* e) { return c.OpenServiceReceipt(kPw, e); },
               .outcome = quiet(Text::own("Таймаут устройства! Ошибка инициализации!"),
                                Text::own("Ошибка инициализации!"), false)},
              {.call =
                   [](CommandSet& c, std::int32_t* e) {
                     return c.PrintText(kPw, "%MHJc*** Контрольная лента ***", e);
                   },
               .outcome = withLines(Text::own("Таймаут устройства! Ошибка печати текста!"),
                                    Text::own("Ошибка печати текста"),
                                    Text::own("Печать текста - успешно"), false),
               .tail = {Tail::Stop}},
              {.call = [](CommandSet& c,
                          std::int32_t* e) { return c.SendCommandA6(kPw, 2, 0, 0, e); },
               .outcome = quiet(Text::own("Ошибка закрытия служебного чека! Ошибка!"),
                                Text::own("Ошибка закрытия служебного чека!"), false),
               .tail = {Tail::Pump}},
              {.call = [](CommandSet& c, std::int32_t* e) { return c.CloseServiceReceipt(kPw, e); },
               .outcome = quiet(Text::own("Таймаут устройства! Ошибка закрытия служебного чека!"),
                                Text::own("Ошибка закрытия служебного чека!"), false)},
          })) {
        return false;
      }
    }
  }
  if (!run(zReport)) return false;
  if (firmwareTraits(s_.state.FirmwareVersion).zReportClearsTape && !run(clearTape)) return false;
  log(Text::own("Z-отчет - успешно"));
  updateServiceIndicator(s_);
  return stopCheck();
}

bool TestRun::configuration() {
  for (std::size_t line = 0; line < kHeaderLines.size(); ++line) {
    const char* T = Text::own("Таймаут устройства! Ошибка установки заголовка чека!");
    LoggedStep outcome = withLines(
        T, Text::own("Ошибка установки заголовка чека"),
        withArgs(Text::tr("Заголовок чека %1 - успешно"), {std::to_string(line)}), line <= 2);
    if (line == 0) {
      outcome.logOnNoReply = T;
      outcome.logOnError = Text::own("Ошибка установки заголовка чека!");
    }
    const auto number = static_cast<std::int32_t>(line);
    const char* text = kHeaderLines[line];
    if (!run({.call = [number, text](
                          CommandSet& c,
                          std::int32_t* e) { return c.SetHeaderLine(kPw, number, text, 0, e); },
              .outcome = outcome,
              .tail = {Tail::Stop}})) {
      return false;
    }
  }
  s_.ui.repaint();

  if (!run({.call = [](CommandSet& c, std::int32_t* e) { return c.GetDeviceInfo(kPw, e); },
            .outcome = quiet(kGetDeviceInfoTimeout, kGetDeviceInfoError, true)})) {
    return false;
  }
  const std::string country = s_.state.LastResult->Fields[2];

  if (!s_.ui.withoutFiscal()) {
    const int types = modelTraits(s_.state.DeviceModel).paymentTypes;
    for (std::int32_t type = 1; type <= types; ++type) {
      const std::string name(
          countryTraits(country).paymentNames[static_cast<std::size_t>(type - 1)]);
      if (!run({.call = [type, name](
                            CommandSet& c,
                            std::int32_t* e) { return c.SetPaymentType(kPw, type, 3, name, e); },
                .outcome = withLines(Text::own("Таймаут устройства! Ошибка установки типа оплаты!"),
                                     Text::own("Ошибка установки типа оплаты"),
                                     withArgs(Text::tr("Установки типа оплаты %1 - успешно"),
                                              {std::to_string(type)}),
                                     false),
                .tail = {Tail::Stop, Tail::Repaint}})) {
        return false;
      }
    }
  }
  return run(operatorStep());
}

Step TestRun::operatorStep() {
  return {
      .call = [](CommandSet& c,
                 std::int32_t* e) { return c.SetOperator(kPw, 1, kPw, "Оператор 1", e); },
      .outcome = withLines(Text::own("Таймаут устройства! Ошибка установки параметров оператора!"),
                           Text::own("Ошибка установки параметров оператора"),
                           Text::own("Установка параметров оператора - успешно"), false),
      .tail = {Tail::Stop, Tail::Repaint}};
}

}  // namespace tallowick
