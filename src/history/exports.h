// A selection of the history written for other programs: CSV for a spreadsheet (one row
// per record), JSON, and JUnit XML for the dashboards that read test reports (one test
// suite per record, one test case per titled step).
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "history/record.h"

namespace tallowick::history {

enum class Format : std::uint8_t { Csv, Json, Junit };

// "csv", "json" or "junit".
std::optional<Format> formatFromName(std::string_view name);

// Writes the records in the order given. The output is well-formed whatever the texts
// hold: quotes, separators, line breaks, control characters.
void exportRecords(Format format, const std::vector<Record>& records, std::ostream& out);

// The local time of the start as the computer that made the record showed it,
// "2026-12-07 09:05:30"; its day, "2026-12-07".
std::string localTimeText(std::int64_t atMs, std::int32_t utcOffsetMinutes);
std::string localDateText(std::int64_t atMs, std::int32_t utcOffsetMinutes);

// A command's code as the exports and reports show it: "A1".
std::string commandText(std::int32_t command);

// What a CSV file starts with: the byte order mark makes spreadsheets read it as UTF-8
// rather than in the computer's legacy code page, which would garble every Cyrillic text.
inline constexpr const char* kCsvStart = "\xEF\xBB\xBF";
// A field of a CSV row, quoted when it must be. `guarded`: a text a spreadsheet would take
// for a formula gets a leading apostrophe; a program's own texts need no guard.
std::string csvField(std::string_view text, bool guarded = true);

}  // namespace tallowick::history
