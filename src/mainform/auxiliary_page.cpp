#include "mainform/auxiliary_page.h"

#include <cctype>
#include <string_view>

#include "commands/printer_traits.h"
#include "mainform/step_outcome.h"
#include "mainform/tax_rates.h"
#include "platform/own_text.h"

namespace tallowick {
namespace {

constexpr const char* kPw = kDevicePassword;
constexpr const char* kStopped = Text::own("Тест остановлен");

// The leading decimal integer of a reply field, after blanks and an optional sign; 0 when
// there are no digits.
long long leadingInteger(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    if (value < 100000000000000000LL) value = value * 10 + (text[i] - '0');
  }
  return negative ? -value : value;
}

// A control-tape step of the logged form that writes no lines.
LoggedStep quietStep(const char* T, const char* E) {
  LoggedStep step{.T = T, .E = E};
  step.lines = ResultLines::None;
  step.onArgError = OnArgError::Ignore;
  return step;
}

}  // namespace

void AuxiliaryPage::Button12Click() {
  std::int32_t err = 0;
  s_.keep(s_.commands.PrintReport(kPw, 1, &err));
  if (messageOutcome(s_, Text::own("Таймаут устройства! Ошибка X-отчета!"),
                     Text::own("Ошибка X-отчета"))) {
    s_.ui.messageBox(Text::own("X-отчет - успешно"));
  }
}

void AuxiliaryPage::Button14Click() {
  s_.keep(s_.commands.SendFixed(kRebootDevice));
  messageOutcome(s_, Text::own("Таймаут устройства! Ошибка!"),
                 Text::own("Ошибка перезагрузки регистратора!"));
}

void AuxiliaryPage::Button16Click() {
  std::int32_t err = 0;
  s_.keep(s_.commands.OpenCashDrawer(kPw, &err));
  if (messageOutcome(s_, Text::own("Таймаут устройства! Ошибка открытия денежного ящика!"),
                     Text::own("Ошибка открытия денежного ящика!"))) {
    s_.ui.messageBox(Text::own("Открытие денежного ящика -- успешно!"));
  }
}

void AuxiliaryPage::Button15Click() {
  const int test = s_.ui.internalTestIndex();
  // ComboBox4 offers tests 0 to 2; anything else is no selection.
  if (test < 0 || test > 2) return;
  const char* T = Text::own("Таймаут устройства! Ошибка внутреннего теста!");
  const char* E = Text::own("Ошибка внутреннего теста");
  std::int32_t err = 0;
  s_.keep(s_.commands.OpenServiceReceipt(kPw, &err));
  if (!messageOutcome(s_, T, E)) return;
  s_.keep(s_.commands.RunInternalTest(kPw, test, &err));
  if (!messageOutcome(s_, T, E)) return;
  s_.ui.messageBox(Text::own("Внутренний тест - успешно"));
  s_.keep(s_.commands.CloseServiceReceipt(kPw, &err));
  messageOutcome(s_, Text::own("Таймаут устройства! Ошибка закрытия служебного чека!"),
                 Text::own("Ошибка закрытия служебного чека"));
}

void AuxiliaryPage::Button13Click() {
  std::int32_t err = 0;
  // Any reply carries the status bytes; a model without a customer display is asked for
  // its device information instead.
  if (modelTraits(s_.state.DeviceModel).customerDisplay) {
    s_.keep(s_.commands.DisplayText(kPw, "", 3, 0, &err));
  } else {
    s_.keep(s_.commands.GetDeviceInfo(kPw, &err));
  }
  if (!messageOutcome(s_, Text::own("Таймаут устройства! Ошибка работы  с  индикаторами клиента!"),
                      Text::own("Ошибка индикаторов клиента"))) {
    return;
  }
  const OpenDocument document = s_.state.LastResult->openDocument();
  if (document == OpenDocument::None) {
    s_.ui.messageBox(Text::own("Нет открытых чеков!"));
    return;
  }
  if (document == OpenDocument::ServiceReceipt) {
    s_.keep(s_.commands.CloseServiceReceipt(kPw, &err));
    if (messageOutcome(s_, Text::own("Таймаут устройства! Ошибка закрытия служебного чека!"),
                       Text::own("Ошибка закрытия служебного чека"))) {
      s_.ui.messageBox(Text::own("Служебный чек закрыт"));
    }
    return;
  }
  s_.keep(s_.commands.CancelReceipt(kPw, 0, &err));
  if (messageOutcome(s_, Text::own("Таймаут устройства! Ошибка аннулирования чека!"),
                     Text::own("Ошибка аннулирования чека"))) {
    s_.ui.messageBox(Text::own("Чек закрыт"));
  }
}

void AuxiliaryPage::Button17Click() {
  std::int32_t err = 0;
  const CommandResult* info = s_.keep(s_.commands.GetDeviceInfo(kPw, &err));
  if (!messageOutcome(s_, kGetDeviceInfoTimeout, kGetDeviceInfoError)) {
    return;
  }
  s_.state.TaxFirmwarePrefix = taxFirmwarePrefix(info->Fields[1]);
  const auto taxes = taxRates(info->Fields[2], s_.state.TaxFirmwarePrefix, 0x03);
  for (const TaxRate& tax : taxes) {
    s_.keep(sendTaxRate(s_.commands, tax, &err));
    if (!messageOutcome(s_, Text::own("Таймаут устройства! Ошибка!"),
                        Text::own("Ошибка установки налогов!")))
      return;
  }
  s_.ui.messageBox(Text::own("Успешно!"));
}

void AuxiliaryPage::Button11Click() {
  const ModelTraits model = modelTraits(s_.state.DeviceModel);
  if (model.zReportClearsTape) {
    zReportWithTapeClearing();
    return;
  }
  if (model.controlTapeBeforeZ && !controlTapeBeforeZ()) return;

  std::int32_t err = 0;
  s_.keep(s_.commands.PrintReport(kPw, 0, &err));
  if (!messageOutcome(s_, Text::own("Таймаут устройства! Ошибка Z-отчета!"),
                      Text::own("Ошибка Z-отчета")))
    return;
  if (firmwareTraits(s_.state.FirmwareVersion).zReportClearsTape) {
    s_.keep(s_.commands.PrintReport(kPw, 2, &err));
    if (!messageOutcome(s_, Text::own("Таймаут устройства! Ошибка обнуления контрольной ленты!"),
                        Text::own("Ошибка обнуления контрольной ленты"))) {
      return;
    }
  }
  s_.ui.messageBox(Text::own("Z-отчет - успешно"));
}

void AuxiliaryPage::zReportWithTapeClearing() {
  s_.pumpEvents();
  std::int32_t err = 0;
  const CommandResult* r = s_.keep(s_.commands.PrintReport(kPw, 0, &err));
  // The tape is cleared whatever the report answered, but a report that failed is never
  // announced as a successful one.
  bool reported = true;
  if (r->noReply()) {
    s_.ui.messageBox(Text::own("Таймаут устройства! Ошибка Z-отчета!"));
    reported = false;
  }
  if (!r->accepted()) {
    s_.ui.messageBox(Text::own("Ошибка Z-отчета"));
    reported = false;
  }
  s_.keep(s_.commands.PrintReport(kPw, 2, &err));
  if (messageOutcome(s_, Text::own("Таймаут устройства! Ошибка обнуления контрольной ленты!"),
                     Text::own("Ошибка обнуления контрольной ленты")) &&
      reported) {
    s_.ui.messageBox(Text::own("Z-отчет - успешно!"));
  }
}

bool AuxiliaryPage::controlTapeBeforeZ() {
  s_.pumpEvents();
  if (!controlTapeReceipt(false)) return false;
  std::int32_t err = 0;
  s_.keep(s_.commands.ReadDailyCounters(kPw, 6, &err));
  if (!loggedOutcome(s_,
                     quietStep(Text::own("Таймаут устройства! Ошибка чтения счетчиков дневных!"),
                               Text::own("Ошибка чтения счетчиков дневных!")),
                     0)) {
    return false;
  }
  if (leadingInteger(s_.state.LastResult->Fields[0]) == 0) return true;
  return controlTapeReceipt(true);
}

bool AuxiliaryPage::controlTapeReceipt(bool secondForm) {
  std::int32_t err = 0;
  s_.keep(s_.commands.OpenServiceReceipt(kPw, &err));
  if (!loggedOutcome(s_,
                     quietStep(Text::own("Таймаут устройства! Ошибка инициализации!"),
                               Text::own("Ошибка инициализации!")),
                     0)) {
    return false;
  }

  err = 0;
  s_.keep(s_.commands.PrintText(kPw, "%MHJc*** Контрольная лента ***", &err));
  const LoggedStep text{.T = Text::own("Таймаут устройства! Ошибка печати текста!"),
                        .E = Text::own("Ошибка печати текста"),
                        .S = Text::own("Печать текста - успешно")};
  if (!loggedOutcome(s_, text, err)) return false;
  s_.pumpEvents();
  if (s_.state.StopRequested) {
    s_.ui.appendLog(LogId::Test, kStopped);
    s_.state.StopRequested = false;
    return false;
  }

  if (secondForm) {
    s_.keep(s_.commands.SendCommandA6(kPw, 2, 0, 0, &err));
  } else {
    s_.keep(s_.commands.RunInternalTest3(kPw, &err));
  }
  if (!loggedOutcome(s_,
                     quietStep(Text::own("Ошибка закрытия служебного чека! Ошибка!"),
                               Text::own("Ошибка закрытия служебного чека!")),
                     0)) {
    return false;
  }

  s_.pumpEvents();
  s_.keep(s_.commands.CloseServiceReceipt(kPw, &err));
  return loggedOutcome(s_,
                       quietStep(Text::own("Таймаут устройства! Ошибка закрытия служебного чека!"),
                                 Text::own("Ошибка закрытия служебного чека!")),
                       0);
}

}  // namespace tallowick
