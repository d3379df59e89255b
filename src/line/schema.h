// The line database's schema `tallowick`, its versions, and the group roles whose grants
// decide what a station and an administrator of the book may do.
#pragma once

#include "line/connection.h"

namespace tallowick::line {

// The newest schema this program knows and makes. 1: the book, its events and releases,
// the history of runs; 2: the language of a record's texts.
inline constexpr int kSchemaVersion = 2;

// The group roles (NOLOGIN) the administrator grants the line's login users.
inline constexpr const char* kStationRole = "tallowick_station";
inline constexpr const char* kAdminRole = "tallowick_admin";

// Creates or upgrades the schema to kSchemaVersion in one transaction, with the group
// roles (when missing) and their grants; run by the database's owner (who needs the right
// to create roles the first time), on a connection of Connection::openForInitialise. Gives
// back the version now there. A schema newer than this program knows, or a schema named
// `tallowick` that is not this program's, is refused and left exactly as it was.
StoreResult<int> initialise(Connection& owner);

}  // namespace tallowick::line
