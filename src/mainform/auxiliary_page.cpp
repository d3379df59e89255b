#include "mainform/auxiliary_page.h"

#include <cctype>
#include <string_view>

#include "commands/printer_traits.h"
#include "mainform/step_outcome.h"
#include "mainform/tax_rates.h"

namespace tallowick {
namespace {

constexpr const char* kPw = kDevicePassword;
constexpr const char* kStopped = "Тест остановлен";

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
  if (messageOutcome(s_, "Таймаут устройства! Ошибка X-отчета!", "Ошибка X-отчета")) {
    s_.ui.messageBox("X-отчет - успешно");
  }
}

void AuxiliaryPage::Button14Click() {
  s_.keep(s_.commands.SendFixed(kRebootDevice));
  messageOutcome(s_, "Таймаут устройства! Ошибка!", "Ошибка перезагрузки регистратора!");
}

void AuxiliaryPage::Button16Click() {
  std::int32_t err = 0;
  s_.keep(s_.commands.OpenCashDrawer(kPw, &err));
  if (messageOutcome(s_, "Таймаут устройства! Ошибка открытия денежного ящика!",
                     "Ошибка открытия денежного ящика!")) {
    s_.ui.messageBox("Открытие денежного ящика -- успешно!");
  }
}

void AuxiliaryPage::Button15Click() {
  const int test = s_.ui.internalTestIndex();
  // ComboBox4 offers tests 0 to 2; anything else is no selection.
  if (test < 0 || test > 2) return;
  const char* T = "Таймаут устройства! Ошибка внутреннего теста!";
  const char* E = "Ошибка внутреннего теста";
  std::int32_t err = 0;
  s_.keep(s_.commands.OpenServiceReceipt(kPw, &err));
  if (!messageOutcome(s_, T, E)) return;
  s_.keep(s_.commands.RunInternalTest(kPw, test, &err));
  if (!messageOutcome(s_, T, E)) return;
  s_.ui.messageBox("Внутренний тест - успешно");
  s_.keep(s_.commands.CloseServiceReceipt(kPw, &err));
  messageOutcome(s_, "Таймаут устройства! Ошибка закрытия служебного чека!",
                 "Ошибка закрытия служебного чека");
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
  if (!messageOutcome(s_, "Таймаут устройства! Ошибка работы  с  индикаторами клиента!",
                      "Ошибка индикаторов клиента")) {
    return;
  }
  const OpenDocument document = s_.state.LastResult->openDocument();
  if (document == OpenDocument::None) {
    s_.ui.messageBox("Нет открытых чеков!");
    return;
  }
  if (document == OpenDocument::ServiceReceipt) {
    s_.keep(s_.commands.CloseServiceReceipt(kPw, &err));
    if (messageOutcome(s_, "Таймаут устройства! Ошибка закрытия служебного чека!",
                       "Ошибка закрытия служебного чека")) {
      s_.ui.messageBox("Служебный чек закрыт");
    }
    return;
  }
  s_.keep(s_.commands.CancelReceipt(kPw, 0, &err));
  if (messageOutcome(s_, "Таймаут устройства! Ошибка аннулирования чека!",
                     "Ошибка аннулирования чека")) {
    s_.ui.messageBox("Чек закрыт");
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
    if (!messageOutcome(s_, "Таймаут устройства! Ошибка!", "Ошибка установки налогов!")) return;
  }
  s_.ui.messageBox("Успешно!");
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
  if (!messageOutcome(s_, "Таймаут устройства! Ошибка Z-отчета!", "Ошибка Z-отчета")) return;
  if (firmwareTraits(s_.state.FirmwareVersion).zReportClearsTape) {
    s_.keep(s_.commands.PrintReport(kPw, 2, &err));
    if (!messageOutcome(s_, "Таймаут устройства! Ошибка обнуления контрольной ленты!",
                        "Ошибка обнуления контрольной ленты")) {
      return;
    }
  }
  s_.ui.messageBox("Z-отчет - успешно");
}

void AuxiliaryPage::zReportWithTapeClearing() {
  s_.pumpEvents();
  std::int32_t err = 0;
  const CommandResult* r = s_.keep(s_.commands.PrintReport(kPw, 0, &err));
  // The tape is cleared whatever the report answered, but a report that failed is never
  // announced as a successful one.
  bool reported = true;
  if (r->noReply()) {
    s_.ui.messageBox("Таймаут устройства! Ошибка Z-отчета!");
    reported = false;
  }
  if (!r->accepted()) {
    s_.ui.messageBox("Ошибка Z-отчета");
    reported = false;
  }
  s_.keep(s_.commands.PrintReport(kPw, 2, &err));
  if (messageOutcome(s_, "Таймаут устройства! Ошибка обнуления контрольной ленты!",
                     "Ошибка обнуления контрольной ленты") &&
      reported) {
    s_.ui.messageBox("Z-отчет - успешно!");
  }
}

bool AuxiliaryPage::controlTapeBeforeZ() {
  s_.pumpEvents();
  if (!controlTapeReceipt(false)) return false;
  std::int32_t err = 0;
  s_.keep(s_.commands.ReadDailyCounters(kPw, 6, &err));
  if (!loggedOutcome(s_,
                     quietStep("Таймаут устройства! Ошибка чтения счетчиков дневных!",
                               "Ошибка чтения счетчиков дневных!"),
                     0)) {
    return false;
  }
  if (leadingInteger(s_.state.LastResult->Fields[0]) == 0) return true;
  return controlTapeReceipt(true);
}

bool AuxiliaryPage::controlTapeReceipt(bool secondForm) {
  std::int32_t err = 0;
  s_.keep(s_.commands.OpenServiceReceipt(kPw, &err));
  if (!loggedOutcome(
          s_, quietStep("Таймаут устройства! Ошибка инициализации!", "Ошибка инициализации!"), 0)) {
    return false;
  }

  err = 0;
  s_.keep(s_.commands.PrintText(kPw, "%MHJc*** Контрольная лента ***", &err));
  const LoggedStep text{.T = "Таймаут устройства! Ошибка печати текста!",
                        .E = "Ошибка печати текста",
                        .S = "Печать текста - успешно"};
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
  if (!loggedOutcome(
          s_,
          quietStep("Ошибка закрытия служебного чека! Ошибка!", "Ошибка закрытия служебного чека!"),
          0)) {
    return false;
  }

  s_.pumpEvents();
  s_.keep(s_.commands.CloseServiceReceipt(kPw, &err));
  return loggedOutcome(s_,
                       quietStep("Таймаут устройства! Ошибка закрытия служебного чека!",
                                 "Ошибка закрытия служебного чека!"),
                       0);
}

}  // namespace tallowick
