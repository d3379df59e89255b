#include "line/texts.h"

#include "initforms/serial_numbers.h"
#include "platform/own_text.h"
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

// The sentences are the program's own texts, in the windows' language when the windows speak
// another; what they name (numbers, stations, prefixes) is put in as it is.
std::string stateText(NumberState state, const std::string& holder) {
  switch (state) {
    case NumberState::Free:
      return Text::tr("свободен");
    case NumberState::Reserved:
      return withArgs(Text::tr("в резерве станции %1"), {quoted(holder)});
    case NumberState::Taken:
      return withArgs(Text::tr("взят станцией %1"), {quoted(holder)});
    case NumberState::Used:
      return withArgs(Text::tr("уже записан в регистратор станцией %1"), {quoted(holder)});
    case NumberState::Unknown:
      break;
  }
  return Text::tr("не найден в книге линии");
}

std::string notInBook(const std::string& number) {
  return withArgs(Text::tr("Номера %1 нет в книге линии."), {shown(number)});
}

std::string notTaken(const std::string& number, const std::string& station, NumberState state,
                     const std::string& holder) {
  return withArgs(Text::tr("Номер %1 не выдан станции %2: он %3."),
                  {shown(number), quoted(station), stateText(state, holder)});
}

std::string noneLeft(const std::string& prefix) {
  return withArgs(Text::tr("Нет свободных номеров %1… в книге линии."), {prefix});
}

std::string notMarkedUsed(const std::string& number, const std::string& station, NumberState state,
                          const std::string& holder) {
  return withArgs(Text::tr("Номер %1 не отмечен как записанный: станция %2 его не брала, он %3."),
                  {shown(number), quoted(station), stateText(state, holder)});
}

std::string notConfirmed(const std::string& number, const std::string& station, NumberState state,
                         const std::string& holder) {
  return withArgs(Text::tr("Ответ о номере %1 не сохранён: станция %2 его не брала, он %3."),
                  {shown(number), quoted(station), stateText(state, holder)});
}

std::string usedOfflineConflict(const std::string& number, const std::string& station,
                                NumberState state, const std::string& holder) {
  return withArgs(Text::tr("Номер %1, записанный станцией %2 без связи с сервером, на линии %3."),
                  {shown(number), quoted(station), stateText(state, holder)});
}

std::string importConflict(const std::string& number, bool toInitialise, NumberState state,
                           const std::string& holder) {
  return withArgs(toInitialise ? Text::tr("Номер %1 из списка «К инициализации» на линии %2; он "
                                          "оставлен как есть.")
                               : Text::tr("Номер %1 из списка «Инициализация уже выполнена» на "
                                          "линии %2; он оставлен как есть."),
                  {shown(number), stateText(state, holder)});
}

std::string alreadyFree(const std::string& number) {
  return withArgs(Text::tr("Номер %1 не освобождён: он и так свободен."), {shown(number)});
}

std::string releaseWithoutReason(const std::string& number) {
  return withArgs(Text::tr("Номер %1 не освобождён: нужно указать причину."), {shown(number)});
}

std::string badBlockSize(int size) {
  return withArgs(Text::tr("Резерв станции — от 0 до 1000 номеров, а не %1."),
                  {std::to_string(size)});
}

std::string unknownType(const std::string& printerType) {
  std::string known;
  for (const PrinterType& type : kPrinterTypes)
    known += (known.empty() ? "" : ", ") + std::string(type.prefix);
  return withArgs(Text::tr("Тип регистратора %1 не известен книге: её номера начинаются с %2."),
                  {quoted(printerType), known});
}

std::string blockEmpty(const std::string& prefix, const std::string& why) {
  return why.empty()
             ? withArgs(Text::tr("Номер не выдан: база линии недоступна, а в запасе станции нет "
                                 "номеров %1…."),
                        {prefix})
             : withArgs(Text::tr("Номер не выдан: база линии недоступна, а в запасе станции нет "
                                 "номеров %1… (%2)"),
                        {prefix, why});
}

std::string notInBlock(const std::string& number, const std::string& prefix, std::size_t left,
                       const std::string& why) {
  const std::string text =
      withArgs(Text::tr("Номер %1 не выдан: база линии недоступна, а его нет в запасе станции "
                        "(номеров %2… в запасе: %3)"),
               {shown(number), prefix, std::to_string(left)});
  return text + (why.empty() ? "." : ": " + why);
}

std::string takenFromBlock(const std::string& number, const std::string& prefix, std::size_t left) {
  return withArgs(Text::tr("База линии недоступна: номер %1 выдан из запаса станции; номеров "
                           "%2… в запасе осталось: %3."),
                  {shown(number), prefix, std::to_string(left)});
}

std::string recordKeptHere(std::int64_t id, const std::string& why) {
  return withArgs(Text::tr("Запись %1 истории станции не отправлена на линию: %2"),
                  {std::to_string(id), why});
}

std::optional<std::string> stationRefused(const std::string& station) {
  if (station.find_first_not_of(" \t\r\n") == std::string::npos) {
    return Text::tr("Имя станции не задано.");
  }
  bool control = false;
  std::size_t characters = 0;
  forEachCharacter(station, [&](char32_t c, std::string_view) {
    control = control || c < 0x20 || c == 0x7F || c == kNotUtf8;
    ++characters;
  });
  if (control || characters > 63) {
    return Text::tr(
        "Имя станции не годится: нужно до 63 знаков, без управляющих символов, в UTF-8.");
  }
  return std::nullopt;
}

}  // namespace tallowick::line::texts
