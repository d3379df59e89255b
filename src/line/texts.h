// The sentences of the line's book: what a number is on the line and why an operation on
// it was not done, each a whole sentence for a message box.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "line/book.h"

namespace tallowick::line::texts {

// "свободен", "в резерве станции «st2»", "взят станцией «st2»", "уже записан в регистратор
// станцией «st2»".
std::string stateText(NumberState state, const std::string& holder);

std::string notInBook(const std::string& number);
std::string notTaken(const std::string& number, const std::string& station, NumberState state,
                     const std::string& holder);
std::string noneLeft(const std::string& prefix);
std::string notMarkedUsed(const std::string& number, const std::string& station, NumberState state,
                          const std::string& holder);
std::string notConfirmed(const std::string& number, const std::string& station, NumberState state,
                         const std::string& holder);
std::string usedOfflineConflict(const std::string& number, const std::string& station,
                                NumberState state, const std::string& holder);
std::string importConflict(const std::string& number, bool toInitialise, NumberState state,
                           const std::string& holder);
std::string alreadyFree(const std::string& number);
std::string releaseWithoutReason(const std::string& number);
std::string badBlockSize(int size);
std::string unknownType(const std::string& printerType);
// Why a station's name cannot be used; nothing when it can.
std::optional<std::string> stationRefused(const std::string& station);

}  // namespace tallowick::line::texts
