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
// The station while the line is away: its block has no number of the type; a number asked
// for is not in its block; a number taken from its block, with how many remain.
std::string blockEmpty(const std::string& prefix, const std::string& why);
std::string notInBlock(const std::string& number, const std::string& prefix, std::size_t left,
                       const std::string& why);
std::string takenFromBlock(const std::string& number, const std::string& prefix, std::size_t left);
// A record of the station's that the line cannot hold: kept in the station's history alone.
std::string recordKeptHere(std::int64_t id, const std::string& why);
// Why a station's name cannot be used; nothing when it can.
std::optional<std::string> stationRefused(const std::string& station);

}  // namespace tallowick::line::texts
