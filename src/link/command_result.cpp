#include "link/command_result.h"

#include <array>

namespace tallowick {
namespace {

struct StatusBit {
  std::uint8_t byte;  // status byte S0..S5
  std::uint8_t bit;   // bit within that byte
  std::uint8_t flag;  // bit of ErrorFlags it raises
};

// The status bits that carry a meaning for the program. Every other bit (S3 entirely,
// bits 6 and 7 everywhere, S0 bit 3, S2 bits 1, 2 and 4, S4 bit 1) raises nothing.
constexpr std::array<StatusBit, 25> kStatusBits = {{
    {0, 0, 0},  {0, 1, 1},  {0, 2, 2},  {0, 4, 3},  {0, 5, 27}, {1, 0, 4},  {1, 1, 5},
    {1, 2, 6},  {1, 3, 7},  {1, 4, 8},  {1, 5, 12}, {2, 0, 9},  {2, 3, 10}, {2, 5, 11},
    {4, 0, 16}, {4, 2, 13}, {4, 3, 20}, {4, 4, 17}, {4, 5, 28}, {5, 0, 18}, {5, 1, 21},
    {5, 2, 19}, {5, 3, 22}, {5, 4, 23}, {5, 5, 14},
}};

struct Description {
  std::uint8_t code;
  std::string_view text;
};

constexpr std::array<Description, 49> kDescriptions = {{
    {0x20, "Команда 20h: Установка даты и времени"},
    {0x21, "Команда 21h: Чтение даты и времени"},
    {0x22, "Команда 22h: Программирование заголовка и окончания документа"},
    {0x23, "Команда 23h: Чтение заголовка и окончания документа"},
    {0x24, "Команда 24h: Добавление товара"},
    {0x25, "Команда 25h: Поиск индекса товара"},
    {0x26, "Команда 26h: Чтение параметров товара по индексу"},
    {0x27, "Команда 27h: Программирование параметров регистратора"},
    {0x28, "Команда 28h: Получение параметров регистратора"},
    {0x29, "Команда 29h: Установка логотипа пользователя"},
    {0x2B, "Команда 2Bh: Установить пароли Режимов"},
    {0x2C, "Команда 2Ch: Сбросить пароль Оператора"},
    {0x2D, "Команда 2Dh: Установка параметров оплаты"},
    {0x2E, "Команда 2Eh: Чтение параметров оплаты"},
    {0x2F, "Команда 2Fh: Установка параметров оператора"},
    {0x30, "Команда 30h: Чтение параметров оператора"},
    {0x40, "Команда 40h: Фискализация"},
    {0x41, "Команда 41h: Программирование заводского номера"},
    {0x42, "Команда 42h: Чтение заводского номера"},
    {0x43, "Команда 43h: Программирование фискального номера"},
    {0x44, "Команда 44h: Чтение фискального номера"},
    {0x45, "Команда 45h: Программирование налогового/идентификационного номера"},
    {0x46, "Команда 46h: Чтение налогового/идентификационного номера"},
    {0x47, "Команда 47h: Установка налоговых ставок"},
    {0x48, "Команда 48h: Чтение налоговых ставок"},
    {0x60, "Команда 60h: Открытие нефискального чека"},
    {0x61, "Команда 61h: Печать текста"},
    {0x62, "Команда 62h: Закрытие нефискального чека"},
    {0x63, "Команда 63h: Открытие фискального чека"},
    {0x64, "Команда 64h: Продажа запрограммированного товара"},
    {0x65, "Команда 65h: Закрытие  фискального чека"},
    {0x66, "Команда 66h: Копия чека"},
    {0x67, "Команда 67h: Оплата"},
    {0x68, "Команда 68h: Скидка/наценка на товар процентная"},
    {0x69, "Команда 69h: Скидка/наценка на товар абсолютная"},
    {0x6A, "Команда 6Ah: Дополнительный налог"},
    {0x6B, "Команда 6Bh: Аннулирования"},
    {0x6C, "Команда 6Ch: Скидка/наценка на сумму процентная"},
    {0x6D, "Команда 6Dh: Напечатать итог"},
    {0x6E, "Команда 6Eh: Внесение/выдача сумм"},
    {0x6F, "Команда 6Fh: Печать штрих кода"},
    {0x80, "Команда 80h: Диагностическая информация"},
    {0x81, "Команда 81h: Вывод информации на дисплей"},
    {0x82, "Команда 82h: Звук"},
    {0x83, "Команда 83h: Открытие денежного ящика"},
    {0xA0, "Команда A0h: Информация о свободных ресурсах и статусе"},
    {0xA1, "Команда A1h: Печать отчетов"},
    {0xA2, "Команда A2h: Поиск отчета по дате"},
    {0xA3, "Команда A3h: Печать периодического отчета"},
}};

// The table indexed by code 20h..A3h, built once from the list above.
struct DescriptionTable {
  std::array<std::string_view, 0xA4 - 0x20> byCode{};
  DescriptionTable() {
    for (const auto& d : kDescriptions)
      byCode[d.code - 0x20u] = d.text;
  }
};

}  // namespace

std::string_view refusalText(LinkRefusal refusal) {
  switch (refusal) {
    case LinkRefusal::None:
      return "";
    case LinkRefusal::NotReady:
      return "Порт не подключен: команда не отправлена";
    case LinkRefusal::DataTooLong:
      return "Данные команды длиннее 219 байт: команда не отправлена";
    case LinkRefusal::NotEncodable:
      return "Данные команды содержат символы вне Windows-1251: команда не отправлена";
    case LinkRefusal::Busy:
      return "Идет обмен с регистратором: команда не отправлена";
  }
  return "";
}

std::string_view waitEndName(WaitEnd end) {
  switch (end) {
    case WaitEnd::None:
      return "none";
    case WaitEnd::Frame:
      return "frame";
    case WaitEnd::Silence:
      return "silence";
    case WaitEnd::TimeLimit:
      return "time-limit";
    case WaitEnd::PortGone:
      return "port-gone";
    case WaitEnd::Stopped:
      return "stopped";
  }
  return "";
}

std::uint32_t statusFlags(const std::array<std::uint8_t, 6>& status) {
  std::uint32_t flags = 0;
  for (const auto& s : kStatusBits) {
    if ((status[s.byte] >> s.bit) & 1u) flags |= 1u << s.flag;
  }
  return flags;
}

std::string_view CommandDescription(std::int32_t code) {
  static const DescriptionTable table;
  static constexpr std::string_view kInvalid = "Неверная команда";
  if (code < 0x20 || code > 0xA3) return kInvalid;
  const auto text = table.byCode[static_cast<std::size_t>(code - 0x20)];
  return text.empty() ? kInvalid : text;
}

}  // namespace tallowick
