#include "line/texts.h"

#include "initforms/serial_numbers.h"
#include "platform/utf8.h"

namespace tallowick::line::texts {

namespace {

// A text of the caller's in a sentence: as it is when it is UTF-8.
std::string quoted(const std::string& text) {
  return "«" + (isUtf8(text) ? text : std::string("?")) + "»";
}

std::string shown(const std::string& number) {
  return isUtf8(number) ? number : std::string("?");
}

}  // namespace

std::string stateText(NumberState state, const std::string& holder) {
  switch (state) {
    case NumberState::Free:
      return "свободен";
    case NumberState::Reserved:
      return "в резерве станции " + quoted(holder);
    case NumberState::Taken:
      return "взят станцией " + quoted(holder);
    case NumberState::Used:
      return "уже записан в регистратор станцией " + quoted(holder);
    case NumberState::Unknown:
      break;
  }
  return "не найден в книге линии";
}

std::string notInBook(const std::string& number) {
  return "Номера " + shown(number) + " нет в книге линии.";
}

std::string notTaken(const std::string& number, const std::string& station, NumberState state,
                     const std::string& holder) {
  return "Номер " + shown(number) + " не выдан станции " + quoted(station) + ": он " +
         stateText(state, holder) + ".";
}

std::string noneLeft(const std::string& prefix) {
  return "Нет свободных номеров " + prefix + "… в книге линии.";
}

std::string notMarkedUsed(const std::string& number, const std::string& station, NumberState state,
                          const std::string& holder) {
  return "Номер " + shown(number) + " не отмечен как записанный: станция " + quoted(station) +
         " его не брала, он " + stateText(state, holder) + ".";
}

std::string notConfirmed(const std::string& number, const std::string& station, NumberState state,
                         const std::string& holder) {
  return "Ответ о номере " + shown(number) + " не сохранён: станция " + quoted(station) +
         " его не брала, он " + stateText(state, holder) + ".";
}

std::string usedOfflineConflict(const std::string& number, const std::string& station,
                                NumberState state, const std::string& holder) {
  return "Номер " + shown(number) + ", записанный станцией " + quoted(station) +
         " без связи с сервером, на линии " + stateText(state, holder) + ".";
}

std::string importConflict(const std::string& number, bool toInitialise, NumberState state,
                           const std::string& holder) {
  return "Номер " + shown(number) + " из списка «" +
         (toInitialise ? "К инициализации" : "Инициализация уже выполнена") + "» на линии " +
         stateText(state, holder) + "; он оставлен как есть.";
}

std::string alreadyFree(const std::string& number) {
  return "Номер " + shown(number) + " не освобождён: он и так свободен.";
}

std::string releaseWithoutReason(const std::string& number) {
  return "Номер " + shown(number) + " не освобождён: нужно указать причину.";
}

std::string badBlockSize(int size) {
  return "Резерв станции — от 0 до 1000 номеров, а не " + std::to_string(size) + ".";
}

std::string unknownType(const std::string& printerType) {
  std::string known;
  for (const PrinterType& type : kPrinterTypes)
    known += (known.empty() ? "" : ", ") + std::string(type.prefix);
  return "Тип регистратора " + quoted(printerType) + " не известен книге: её номера начинаются с " +
         known + ".";
}

std::string blockEmpty(const std::string& prefix, const std::string& why) {
  return "Номер не выдан: база линии недоступна, а в запасе станции нет номеров " + prefix + "…" +
         (why.empty() ? "." : " (" + why + ")");
}

std::string notInBlock(const std::string& number, const std::string& prefix, std::size_t left,
                       const std::string& why) {
  return "Номер " + shown(number) +
         " не выдан: база линии недоступна, а его нет в запасе станции (номеров " + prefix +
         "… в запасе: " + std::to_string(left) + ")" + (why.empty() ? "." : ": " + why);
}

std::string takenFromBlock(const std::string& number, const std::string& prefix, std::size_t left) {
  return "База линии недоступна: номер " + shown(number) + " выдан из запаса станции; номеров " +
         prefix + "… в запасе осталось: " + std::to_string(left) + ".";
}

std::string recordKeptHere(std::int64_t id, const std::string& why) {
  return "Запись " + std::to_string(id) + " истории станции не отправлена на линию: " + why;
}

std::optional<std::string> stationRefused(const std::string& station) {
  if (station.find_first_not_of(" \t\r\n") == std::string::npos) {
    return "Имя станции не задано.";
  }
  bool control = false;
  std::size_t characters = 0;
  forEachCharacter(station, [&](char32_t c, std::string_view) {
    control = control || c < 0x20 || c == 0x7F || c == kNotUtf8;
    ++characters;
  });
  if (control || characters > 63) {
    return "Имя станции не годится: нужно до 63 знаков, без управляющих символов, в UTF-8.";
  }
  return std::nullopt;
}

}  // namespace tallowick::line::texts
