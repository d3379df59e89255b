// The printer's protocol as the program knows it, in one list: every command code with its
// name, the touch-up the link gives its reply text and its description; and the status
// bits the program reads. The link, the command set and the virtual printer all name a
// command from here, so a code is written down once.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "link/frame.h"

namespace tallowick {

// How the link rewrites a reply's data text before splitting it into fields, so that the
// callers read two parts of one value as one field.
enum class TouchUp : std::uint8_t {
  None,
  CommaAfterFirst,  // a ',' goes between the first and the second character
  CommaAtNinth,     // the ninth character (the blank between a date and a time) becomes ','
  CommasInFirst20,  // every blank among the first 20 characters becomes ','
};

// X(name, code, touch-up, description). A command without a description is shown as
// "Неверная команда". The Unnamed ones are never sent; only their replies are touched up.
#define TALLOWICK_COMMANDS(X)                                                                   \
  X(SetDateTime, 0x20, None, "Команда 20h: Установка даты и времени")                           \
  X(GetDateTime, 0x21, None, "Команда 21h: Чтение даты и времени")                              \
  X(SetHeaderLine, 0x22, None, "Команда 22h: Программирование заголовка и окончания документа") \
  X(GetHeaderLine, 0x23, None, "Команда 23h: Чтение заголовка и окончания документа")           \
  X(AddArticle, 0x24, None, "Команда 24h: Добавление товара")                                   \
  X(FindArticle, 0x25, None, "Команда 25h: Поиск индекса товара")                               \
  X(GetArticle, 0x26, None, "Команда 26h: Чтение параметров товара по индексу")                 \
  X(SetRegistratorParams, 0x27, None, "Команда 27h: Программирование параметров регистратора")  \
  X(GetRegistratorParams, 0x28, None, "Команда 28h: Получение параметров регистратора")         \
  X(SetLogo, 0x29, None, "Команда 29h: Установка логотипа пользователя")                        \
  X(SetModePasswords, 0x2B, None, "Команда 2Bh: Установить пароли Режимов")                     \
  X(ResetOperatorPassword, 0x2C, None, "Команда 2Ch: Сбросить пароль Оператора")                \
  X(SetPaymentType, 0x2D, None, "Команда 2Dh: Установка параметров оплаты")                     \
  X(GetPaymentType, 0x2E, None, "Команда 2Eh: Чтение параметров оплаты")                        \
  X(SetOperator, 0x2F, None, "Команда 2Fh: Установка параметров оператора")                     \
  X(GetOperator, 0x30, None, "Команда 30h: Чтение параметров оператора")                        \
  X(Unnamed32, 0x32, CommaAfterFirst, "")                                                       \
  X(SetMaintenanceParams, 0x35, CommaAfterFirst, "")                                            \
  X(Unnamed3E, 0x3E, CommaAtNinth, "")                                                          \
  X(Fiscalise, 0x40, None, "Команда 40h: Фискализация")                                         \
  X(SetSerialNumber, 0x41, None, "Команда 41h: Программирование заводского номера")             \
  X(GetSerialNumber, 0x42, None, "Команда 42h: Чтение заводского номера")                       \
  X(SetFiscalNumber, 0x43, None, "Команда 43h: Программирование фискального номера")            \
  X(GetFiscalNumber, 0x44, None, "Команда 44h: Чтение фискального номера")                      \
  X(SetTaxNumber, 0x45, None,                                                                   \
    "Команда 45h: Программирование налогового/идентификационного номера")                       \
  X(GetTaxNumber, 0x46, None, "Команда 46h: Чтение налогового/идентификационного номера")       \
  X(SetTaxRates, 0x47, None, "Команда 47h: Установка налоговых ставок")                         \
  X(GetTaxRates, 0x48, None, "Команда 48h: Чтение налоговых ставок")                            \
  X(Unnamed5A, 0x5A, CommasInFirst20, "")                                                       \
  X(OpenServiceReceipt, 0x60, None, "Команда 60h: Открытие нефискального чека")                 \
  X(PrintText, 0x61, None, "Команда 61h: Печать текста")                                        \
  X(CloseNonfiscalReceipt, 0x62, None, "Команда 62h: Закрытие нефискального чека")              \
  X(OpenFiscalReceipt, 0x63, None, "Команда 63h: Открытие фискального чека")                    \
  X(SellArticle, 0x64, None, "Команда 64h: Продажа запрограммированного товара")                \
  X(CloseReceipt, 0x65, None, "Команда 65h: Закрытие  фискального чека")                        \
  X(ReceiptCopy, 0x66, None, "Команда 66h: Копия чека")                                         \
  X(Payment, 0x67, None, "Команда 67h: Оплата")                                                 \
  X(PercentDiscount, 0x68, None, "Команда 68h: Скидка/наценка на товар процентная")             \
  X(AbsoluteDiscount, 0x69, None, "Команда 69h: Скидка/наценка на товар абсолютная")            \
  X(AdditionalTax, 0x6A, None, "Команда 6Ah: Дополнительный налог")                             \
  X(CancelReceipt, 0x6B, None, "Команда 6Bh: Аннулирования")                                    \
  X(PercentSubtotalDiscount, 0x6C, None, "Команда 6Ch: Скидка/наценка на сумму процентная")     \
  X(PrintTotal, 0x6D, None, "Команда 6Dh: Напечатать итог")                                     \
  X(CashInOut, 0x6E, None, "Команда 6Eh: Внесение/выдача сумм")                                 \
  X(PrintBarcode, 0x6F, None, "Команда 6Fh: Печать штрих кода")                                 \
  X(AbsoluteSurchargeDiscount, 0x74, None, "")                                                  \
  X(GetDeviceInfo, 0x80, None, "Команда 80h: Диагностическая информация")                       \
  X(DisplayText, 0x81, None, "Команда 81h: Вывод информации на дисплей")                        \
  X(Beep, 0x82, None, "Команда 82h: Звук")                                                      \
  X(OpenCashDrawer, 0x83, None, "Команда 83h: Открытие денежного ящика")                        \
  X(RunInternalTest, 0x84, None, "")                                                            \
  X(GetResources, 0xA0, None, "Команда A0h: Информация о свободных ресурсах и статусе")         \
  X(PrintReport, 0xA1, None, "Команда A1h: Печать отчетов")                                     \
  X(FindReportByDate, 0xA2, None, "Команда A2h: Поиск отчета по дате")                          \
  X(PeriodicReport, 0xA3, None, "Команда A3h: Печать периодического отчета")                    \
  X(SoldArticlesReport, 0xA4, None, "")                                                         \
  X(CommandA6, 0xA6, None, "")                                                                  \
  X(ReadDailyCounters, 0xE2, None, "")                                                          \
  X(EraseFiscalMemory, 0xF0, None, "")                                                          \
  X(RebootRegistrator, 0xF3, None, "")

// The command codes by name: command::kSetDateTime and so on.
namespace command {
#define TALLOWICK_COMMAND_CODE(name, code, touchUp, description) \
  inline constexpr std::uint8_t k##name = code;
TALLOWICK_COMMANDS(TALLOWICK_COMMAND_CODE)
#undef TALLOWICK_COMMAND_CODE
}  // namespace command

struct CommandInfo {
  std::uint8_t code;
  TouchUp touchUp;
  std::string_view description;  // empty when the command has none
};

inline constexpr CommandInfo kCommands[] = {
#define TALLOWICK_COMMAND_INFO(name, code, touchUp, description) \
  {code, TouchUp::touchUp, description},
    TALLOWICK_COMMANDS(TALLOWICK_COMMAND_INFO)
#undef TALLOWICK_COMMAND_INFO
};

namespace protocol_detail {

// The place of each code in kCommands; -1 for codes the list does not have.
inline constexpr auto kCommandIndex = [] {
  std::array<std::int16_t, 256> index{};
  index.fill(-1);
  for (std::size_t i = 0; i < std::size(kCommands); ++i)
    index[kCommands[i].code] = static_cast<std::int16_t>(i);
  return index;
}();

constexpr bool codesUnique() {
  std::size_t listed = 0;
  for (const auto i : kCommandIndex)
    listed += i >= 0 ? 1 : 0;
  return listed == std::size(kCommands);
}

// A description lies in the printer's description table, 20h..A3h, and names its own
// code: "Команда 6Fh: ..." for 6Fh.
constexpr bool descriptionFits(const CommandInfo& c) {
  if (c.description.empty()) return true;
  constexpr std::string_view kWord = "Команда ";
  constexpr std::string_view kDigits = "0123456789ABCDEF";
  const std::string_view d = c.description;
  const std::size_t at = kWord.size();
  return c.code >= 0x20 && c.code <= 0xA3 && d.starts_with(kWord) && d.size() > at + 4 &&
         d[at] == kDigits[c.code >> 4] && d[at + 1] == kDigits[c.code & 0x0F] &&
         d.substr(at + 2, 2) == "h:";
}

constexpr bool descriptionsFit() {
  for (const auto& c : kCommands) {
    if (!descriptionFits(c)) return false;
  }
  return true;
}

static_assert(codesUnique(), "a command code is listed twice");
static_assert(descriptionsFit(), "a description outside 20h..A3h, or naming another code");

}  // namespace protocol_detail

// The entry of a command code; nullptr for a code the list does not have.
constexpr const CommandInfo* commandInfo(std::int32_t code) {
  if (code < 0 || code > 0xFF) return nullptr;
  const auto i = protocol_detail::kCommandIndex[static_cast<std::size_t>(code)];
  return i < 0 ? nullptr : &kCommands[static_cast<std::size_t>(i)];
}

// The six status bytes of a reply, in the order received.
using StatusBytes = std::array<std::uint8_t, frame::kStatusBytes>;

// A bit, or a field of bits, of one status byte.
struct StatusBit {
  std::size_t byte;   // S0..S5
  std::uint8_t mask;  // the bits within that byte
};

namespace status {
// S0 bit 0: the printer is in service mode.
inline constexpr StatusBit kServiceMode{0, 0x01};
// S0 bit 2 in the reply to the beep (82h): the printer needs no reboot after its clock is set.
inline constexpr StatusBit kNoRebootNeeded{0, 0x04};
// S2, low four bits: the document the printer has open. Every value other than these two
// is a fiscal receipt.
inline constexpr StatusBit kOpenDocument{2, 0x0F};
inline constexpr std::uint8_t kNoDocument = 0;
inline constexpr std::uint8_t kServiceReceipt = 5;
}  // namespace status

constexpr bool isSet(const StatusBytes& s, StatusBit bit) {
  return (s[bit.byte] & bit.mask) != 0;
}

constexpr std::uint8_t fieldOf(const StatusBytes& s, StatusBit bits) {
  return static_cast<std::uint8_t>(s[bits.byte] & bits.mask);
}

// What the host makes of the open-document field.
enum class OpenDocument : std::uint8_t { None, ServiceReceipt, FiscalReceipt };

constexpr OpenDocument openDocument(const StatusBytes& s) {
  switch (fieldOf(s, status::kOpenDocument)) {
    case status::kNoDocument:
      return OpenDocument::None;
    case status::kServiceReceipt:
      return OpenDocument::ServiceReceipt;
    default:
      return OpenDocument::FiscalReceipt;
  }
}

}  // namespace tallowick
