#include "mainform/init_page.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "initforms/serial_numbers.h"
#include "link/cp1251.h"
#include "mainform/number_keeper.h"
#include "mainform/serial_selector.h"
#include "mainform/step_outcome.h"
#include "mainform/tax_rates.h"
#include "platform/own_text.h"

namespace tallowick {
namespace {

constexpr const char* kPw = kDevicePassword;
constexpr const char* kTimeout = Text::own("Таймаут устройства! Ошибка!");

// Characters as the user typed them, not the bytes of their UTF-8 form.
std::size_t characters(const std::string& text) {
  std::size_t n = 0;
  for (const char c : text)
    n += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return n;
}

bool blank(const std::string& text) {
  return text.find_first_not_of(" \t") == std::string::npos;
}

// A text that can go into one data field as it is: ';' would split it into two fields, a
// control character could be taken for a frame byte, and a character outside
// Windows-1251 would make the command operation refuse it.
bool sendable(const std::string& text) {
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (c == ';' || b < 0x20 || b == 0x7F) return false;
  }
  return cp1251::encode(text).has_value();
}

// The value of two decimal digits at `at`, or -1 when they are not both digits.
int twoDigits(const std::string& text, std::size_t at) {
  if (at + 2 > text.size()) return -1;
  const char a = text[at];
  const char b = text[at + 1];
  if (a < '0' || a > '9' || b < '0' || b > '9') return -1;
  return (a - '0') * 10 + (b - '0');
}

int daysInMonth(int month, int year) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

// The lines of one tax step of Memo1.
struct TaxLines {
  const char* noReply;
  const char* error;
  const char* success;
  const char* done;
};

constexpr std::array<TaxLines, 5> kTaxLines = {{
    {Text::own("Шаг 3. Налог А не установлен!  Таймаут!!!"),
     Text::own("Шаг 3. Налог А не установлен!  Ошибка!!!"),
     Text::own("Шаг 3. Налог А установлен! "), Text::own("Шаг 3 завершен успешно! ")},
    {Text::own("Шаг 4. Налог Б не установлен!  Таймаут!!!"),
     Text::own("Шаг 4. Налог Б не установлен!  Ошибка!!!"),
     Text::own("Шаг 4. Налог Б установлен! "), Text::own("Шаг 4 завершен успешно! ")},
    {Text::own("Шаг 5. Налог В не установлен!  Таймаут!!!"),
     Text::own("Шаг 5. Налог В не установлен!  Ошибка!!!"),
     Text::own("Шаг 5. Налог В установлен! "), Text::own("Шаг 5 завершен успешно! ")},
    {Text::own("Шаг 6. Налог Г не установлен!  Таймаут!!!"),
     Text::own("Шаг 6. Налог Г не установлен!  Ошибка!!!"),
     Text::own("Шаг 6. Налог Г установлен! "), Text::own("Шаг 6 завершен успешно! ")},
    {Text::own("Шаг 7. Налоги  не установлены!  Таймаут!!!"),
     Text::own("Шаг 7. Налоги не установлены!  Ошибка!!!"),
     Text::own("Шаг 7. Налоги установлены! "), Text::own("Шаг 7 завершен успешно! ")},
}};

}  // namespace

bool isCalendarDate(const std::string& ddmmyy) {
  if (ddmmyy.size() != 6) return false;
  const int day = twoDigits(ddmmyy, 0);
  const int month = twoDigits(ddmmyy, 2);
  const int year = twoDigits(ddmmyy, 4);
  if (day < 1 || month < 1 || month > 12 || year < 0) return false;
  return day <= daysInMonth(month, 2000 + year);
}

bool isTimeOfDay(const std::string& hhmm) {
  if (hhmm.size() != 4) return false;
  const int hour = twoDigits(hhmm, 0);
  const int minute = twoDigits(hhmm, 2);
  return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59;
}

bool isBookSerialForm(const std::string& serial) {
  for (const PrinterType& type : kPrinterTypes) {
    if (!serial.starts_with(type.prefix)) continue;
    const std::string_view digits = std::string_view(serial).substr(type.prefix.size());
    if (digits.size() == 5 && digits.find_first_not_of("0123456789") == std::string_view::npos) {
      return true;
    }
  }
  return false;
}

std::string serialNotInBookQuestion(const std::string& serial) {
  return withArgs(
      Text::tr("Заводской номер %1 не из списка «К инициализации». Записать его в регистратор?"),
      {serial});
}

std::string eraseQuestion(const std::string& deviceModel) {
  if (deviceModel.empty()) {
    return Text::tr(
        "Стереть фискальную память регистратора? Все данные фискальной памяти будут потеряны, "
        "отменить это нельзя.");
  }
  return withArgs(Text::tr("Стереть фискальную память регистратора %1? Все данные фискальной "
                           "памяти будут потеряны, отменить это нельзя."),
                  {deviceModel});
}

void InitPage::refreshDateTime() {
  const LocalDateTime now = s_.wallClock();
  s_.ui.setDateTimeTexts(ddmmyy(now), hhmm(now));
}

void InitPage::Button7Click() {
  refreshDateTime();
}

void InitPage::PageControl1Change(Page page) {
  if (page == Page::TabSheet5) refreshDateTime();
}

void InitPage::Button10Click() {
  s_.keep(s_.commands.SendFixed(kRebootDevice));
  if (messageOutcome(s_, kTimeout, Text::own("Ошибка перезагрузки регистратора!"))) {
    s_.ui.messageBox(Text::own("Успешно. Регистратор перезагружен!"));
  }
}

void InitPage::Button8Click() {
  if (!s_.ui.question(eraseQuestion(s_.state.DeviceModel))) return;
  s_.keep(s_.commands.SendFixed(kEraseFiscalMemory));
  if (!messageOutcome(s_, kTimeout, Text::own("Ошибка обнуления ФП!"))) return;
  s_.keep(s_.commands.SendFixed(kRebootDevice));
  if (messageOutcome(s_, kTimeout, Text::own("Ошибка перезагрузки регистратора!"))) {
    s_.ui.messageBox(Text::own("Успешно. ФП обнулена!"));
  }
}

const char* InitPage::refusedInput(const std::string& date, const std::string& time,
                                   const std::string& serial) const {
  if (characters(date) != 6 || characters(time) != 4 || blank(serial)) return kFieldsMissing;
  if (!sendable(date) || !sendable(time) || !sendable(serial)) return kFieldsUnusable;
  if (!isCalendarDate(date)) return kBadDate;
  if (!isTimeOfDay(time)) return kBadTime;
  // Windows-1251 holds every character that passed in one byte.
  if (characters(serial) > kMaxSerialLength) return kSerialTooLong;
  return nullptr;
}

bool InitPage::serialConfirmed(const std::string& serial) {
  const std::vector<std::string> listed = s_.ui.serialSelector().items();
  const bool inBook = std::find(listed.begin(), listed.end(), serial) != listed.end();
  if (inBook && isBookSerialForm(serial)) return true;
  return s_.ui.question(serialNotInBookQuestion(serial));
}

bool InitPage::inputsAccepted() {
  const std::string date = s_.ui.dateText();
  const std::string time = s_.ui.timeText();
  // The book's next number is one the book made, checked when it is taken.
  const std::string serial = nextFromBook_ ? std::string("-") : s_.ui.serialSelector().text();
  if (const char* refused = refusedInput(date, time, serial)) {
    s_.ui.messageBox(refused);
    return false;
  }
  return nextFromBook_ || serialConfirmed(serial);
}

InitEnd InitPage::Button9Click() {
  if (!inputsAccepted()) return InitEnd::InputRefused;
  return initialise();
}

InitEnd InitPage::initialise() {
  const std::string date = s_.ui.dateText();
  const std::string time = s_.ui.timeText();
  const char* dateNoReply = Text::own("Шаг 1. Дата и время не установлены!  Таймаут!!!");
  const char* dateError = Text::own("Шаг 1. Дата и время не установлены!  Ошибка!!!");
  const CommandResult* probe = s_.keep(s_.commands.SendFixed(kBeep));
  if (!initOutcome(s_, kTimeout, dateNoReply, Text::own("Ошибка установки времени!"), dateError,
                   {})) {
    return InitEnd::Failed;
  }
  const bool noReboot = probe->noRebootNeeded();
  log(Text::own("Начало инициализации регистратора."));

  std::int32_t err = 0;
  s_.keep(s_.commands.SetDateTime(kPw, date, time, &err));
  // A refused argument sends nothing and leaves the probe's record in place, which would
  // read as success.
  if (err != 0) {
    s_.ui.messageBox(Text::own("Ошибка установки времени!"));
    log(dateError);
    return InitEnd::Failed;
  }
  if (!initOutcome(s_, kTimeout, dateNoReply, Text::own("Ошибка установки времени!"), dateError,
                   {Text::own("Шаг 1. Дата и время установлены успешно.  Перезагрузка РРО...")})) {
    return InitEnd::Failed;
  }

  if (const auto ended = rebootAndWait(noReboot)) return *ended;
  if (!writeSerialNumber()) return InitEnd::Failed;
  if (!identificationAndTaxes() || !technicalInformation()) return InitEnd::Failed;

  s_.ui.messageBox(Text::own("Инициализация выполнена!"));
  log(Text::own("Конец инициализации регистратора."));
  s_.ui.showForm4();
  return InitEnd::Finished;
}

bool InitPage::writeSerialNumber() {
  const char* serialError = Text::own("Шаг 2. Заводской номер не установлен!  Ошибка!!!");
  std::string serial = nextFromBook_ ? std::string() : s_.ui.serialSelector().text();
  if (s_.numbers != nullptr) {
    auto taken = s_.numbers->take(serial, s_.state);
    if (!taken) {
      s_.ui.messageBox(taken.error().message);
      log(serialError);
      return false;
    }
    if (!taken.value().note.empty()) log(taken.value().note);
    if (serial.empty()) {
      serial = taken.value().number;
      s_.ui.serialSelector().setText(serial);
      log(withArgs(Text::tr("Шаг 2. Заводской номер из книги: %1"), {serial}));
    }
  }
  std::int32_t err = 0;
  s_.keep(s_.commands.SetSerialNumber(kPw, serial, &err));
  if (err != 0) {
    s_.ui.messageBox(Text::own("Ошибка установки заводского номера!"));
    log(serialError);
    return false;
  }
  // Whatever the printer answers, it may have heard the number.
  if (s_.numbers != nullptr) s_.numbers->sent(serial);
  return initOutcome(
      s_, kTimeout, Text::own("Шаг 2. Заводской номер не установлен!  Таймаут!!!"),
      Text::own("Ошибка установки заводского номера!"), serialError,
      {Text::own("Шаг 2. Заводской номер установлен! "), Text::own("Шаг 2 завершен успешно! ")});
}

std::optional<InitEnd> InitPage::rebootAndWait(bool noReboot) {
  if (noReboot) {
    if (s_.ui.showForm2() < 0) {
      s_.ui.terminateApplication();
      return InitEnd::ProgramEnded;
    }
    return std::nullopt;
  }

  std::int32_t err = 0;
  const CommandResult* r = s_.keep(s_.commands.RebootRegistrator(kPw, &err));
  // The reply is judged after the dialog; what it said is kept now.
  const bool noReply = r->noReply();
  const bool accepted = r->accepted();
  s_.ui.pause(1000);
  if (s_.ui.showForm2() < 0) {
    s_.ui.terminateApplication();
    return InitEnd::ProgramEnded;
  }
  if (noReply) {
    s_.ui.messageBox(Text::own("Таймаут устройства! Ошибка инициализации!"));
    log(Text::own("Шаг 1. Перезагрузка регистратора не выыполнена!  Таймаут!!!"));
    return InitEnd::Failed;
  }
  if (!accepted) {
    s_.ui.messageBox(Text::own("Ошибка перезагрузки регистратора!"));
    log(Text::own("Шаг 1. Перезагрузка регистратора не выполнена!  Ошибка!!!"));
    return InitEnd::Failed;
  }
  return std::nullopt;
}

bool InitPage::identificationAndTaxes() {
  std::int32_t err = 0;
  const CommandResult* info = s_.keep(s_.commands.GetDeviceInfo(kPw, &err));
  if (!messageOutcome(s_, kGetDeviceInfoTimeout, kGetDeviceInfoError)) {
    return false;
  }
  updateServiceIndicator(s_);
  s_.state.TaxFirmwarePrefix = taxFirmwarePrefix(info->Fields[1]);
  const auto taxes = taxRates(info->Fields[2], s_.state.TaxFirmwarePrefix, 0x01);

  for (std::size_t i = 0; i < taxes.size(); ++i) {
    const TaxLines& lines = kTaxLines[i];
    s_.keep(sendTaxRate(s_.commands, taxes[i], &err));
    if (!initOutcome(s_, kTimeout, lines.noReply, Text::own("Ошибка установки налогов!"),
                     lines.error, {lines.success, lines.done})) {
      return false;
    }
  }
  return true;
}

bool InitPage::technicalInformation() {
  const char* E = Text::own("Ошибка инициализации!");
  std::int32_t err = 0;
  s_.pumpEvents();
  s_.keep(s_.commands.OpenServiceReceipt(kPw, &err));
  if (!messageOutcome(s_, Text::own("Таймаут устройства! Ошибка инициализации!"), E)) return false;
  s_.keep(s_.commands.RunInternalTest(kPw, 0, &err));
  if (!messageOutcome(s_, Text::own("Ошибка инициализации! Ошибка!"), E)) return false;
  s_.pumpEvents();
  s_.keep(s_.commands.CloseServiceReceipt(kPw, &err));
  return messageOutcome(s_, Text::own("Таймаут устройства! Ошибка инициализации!"), E);
}

}  // namespace tallowick
