// The history on the line: the records every station forwards from its outbox, each held
// once by its identity (the uid it got when it was made), and read back as a station's own
// history is, with the line's own ids.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "history/history_store.h"
#include "line/connection.h"

namespace tallowick::line {

// Why the line cannot hold `record` as it is (no identity, a text that is not UTF-8 or holds
// a NUL character, which the server's texts cannot); nothing when it can.
std::optional<std::string> unforwardable(const history::Record& record);

// Adds the records with their logs and steps, each at most once: a record whose uid the line
// holds already is skipped. Sent in batches of one statement and one transaction each; a
// failure leaves the batches before it on the line, which forwarding again skips. Nothing is
// sent when a record cannot be held (see unforwardable). Gives back how many were new.
StoreResult<std::size_t> forward(Connection& connection,
                                 const std::vector<history::Record>& records);

// The records the filter selects, newest first, with the line's ids.
StoreResult<std::vector<history::Record>> list(Connection& connection,
                                               const history::Filter& filter,
                                               history::Detail detail = history::Detail::Summary);
// What the figures need of the records the filter selects, newest first, with the line's ids.
StoreResult<std::vector<history::RunFacts>> facts(Connection& connection,
                                                  const history::Filter& filter);
// One record with its log and steps; nothing when the line has none with that id.
StoreResult<std::optional<history::Record>> find(Connection& connection, std::int64_t id);

}  // namespace tallowick::line
