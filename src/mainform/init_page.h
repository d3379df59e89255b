// The page "Инициализация регистратора" (TabSheet5): prepares a new printer (date and time,
// reboot, factory serial number, tax rates, the technical-information receipt, the
// confirmation of the number), and offers erasing the fiscal memory and rebooting.
// Progress goes to Memo1; failures to message boxes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "mainform/session.h"
#include "platform/own_text.h"

namespace tallowick {

// The pages of PageControl1, in their order.
enum class Page : std::uint8_t { TabSheet5, TabSheet1, TabSheet2 };

// How an initialisation click ended.
enum class InitEnd : std::uint8_t {
  InputRefused,  // the date, time or serial number was refused; nothing was sent
  Failed,        // a step failed; its box (and line) were shown
  ProgramEnded,  // the user ended the program in TForm2
  Finished,      // "Инициализация выполнена!" and TForm4 were shown
};

inline constexpr const char* kFieldsMissing = Text::own("Не заполнены все необходимые поля!!!");
inline constexpr const char* kFieldsUnusable = Text::own(
    "Дата, время и заводской номер не должны содержать символ ';', управляющие символы и "
    "символы вне кодировки Windows-1251!");
inline constexpr const char* kBadDate =
    Text::own("Неверная дата! Укажите существующую дату в виде DDMMYY (день 01-31, месяц 01-12).");
inline constexpr const char* kBadTime =
    Text::own("Неверное время! Укажите время в виде HHMM (часы 00-23, минуты 00-59).");
inline constexpr const char* kSerialTooLong =
    Text::own("Заводской номер слишком длинный: в команду помещается не более 211 символов!");

// The longest serial number that one SetSerialNumber frame carries after the password.
inline constexpr std::size_t kMaxSerialLength = 211;

// The question before a serial number that the book did not hand out.
std::string serialNotInBookQuestion(const std::string& serial);
// The question before the fiscal memory is erased, naming the printer when it is known.
std::string eraseQuestion(const std::string& deviceModel);

// Whether DDMMYY names a day of the calendar (years 2000 to 2099) and HHMM a time of day.
bool isCalendarDate(const std::string& ddmmyy);
bool isTimeOfDay(const std::string& hhmm);
// Whether the book could have made `serial`: a printer type's prefix and five digits.
bool isBookSerialForm(const std::string& serial);

class InitPage {
 public:
  explicit InitPage(Session& session) : s_(session) {}

  void Button7Click();     // "Обновить дату/время"
  void Button8Click();     // "Стереть фискальную память"
  InitEnd Button9Click();  // "Начать инициализацию": the checks, then the steps
  // The checks of the inputs, before anything is sent: a box (or a question answered
  // "Нет") and false when one fails.
  bool inputsAccepted();
  // The steps after the checks, from the probe to TForm4.
  InitEnd initialise();
  void Button10Click();  // "Перезагрузить устройство"
  // PageControl1's page changed to `page`.
  void PageControl1Change(Page page);
  // The number is the book's next one for the printer, taken when it is about to be
  // written; the selector then names none.
  void setNextFromBook(bool next) { nextFromBook_ = next; }

 private:
  void refreshDateTime();
  // Step 1: the box for refused inputs, or nothing when all three can be sent.
  const char* refusedInput(const std::string& date, const std::string& time,
                           const std::string& serial) const;
  // A number the book did not hand out is written only when the user says so.
  bool serialConfirmed(const std::string& serial);
  // Step 6: the number from its keeper, taken right before the printer hears it, and sent;
  // false when it failed.
  bool writeSerialNumber();
  // Step 5, the reboot and the pause for the user: how the click ended, nothing when it
  // goes on.
  std::optional<InitEnd> rebootAndWait(bool noReboot);
  // Steps 7 and 8; false when a step failed.
  bool identificationAndTaxes();
  // Step 9; false when a step failed.
  bool technicalInformation();
  void log(const std::string& line) { s_.ui.appendLog(LogId::Init, line); }

  Session& s_;
  bool nextFromBook_ = false;
};

}  // namespace tallowick
