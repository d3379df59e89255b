// The test report of a printer, as a PDF a customer or an inspector can read: for one record,
// or for every record of one serial number (its test runs and its initialisation). A header
// with the workshop's name and what the printer is, the outcome in large letters, the titled
// steps with their results, the errors with their messages, the whole log as an appendix,
// and page numbers. In Russian, in the Liberation fonts installed with Tallowick, which go
// inside the file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "history/pdf.h"
#include "history/query.h"
#include "history/record.h"
#include "platform/failure.h"

namespace tallowick::history {

// The fonts a report is drawn in.
struct ReportFonts {
  pdf::Font regular;
  pdf::Font bold;
  pdf::Font mono;
};

// Where Tallowick's fonts are installed, in the order they are looked for: "fonts" beside the
// program (Windows, and a build), then on Linux the system's Liberation fonts, which the
// package depends on.
std::vector<std::filesystem::path> reportFontFolders();
// The fonts read from the first of `folders` that holds each; why not, naming the file.
std::variant<ReportFonts, Failure> loadReportFonts(
    const std::vector<std::filesystem::path>& folders);

struct ReportHeading {
  // The workshop's name, at the top of each page; none when it is empty.
  std::string workshop;
  // When the report was made, on the workshop's clock.
  std::int64_t madeAtMs = 0;
  std::int32_t utcOffsetMinutes = 0;
};

// The heading of a report made now, under the workshop's name.
ReportHeading headingNow(std::string workshop);

// The report's file: the records in the order given (a printer's oldest first). Every record
// of a printer's report has the same serial number.
std::string testReport(const std::vector<Record>& records, const ReportHeading& heading,
                       const ReportFonts& fonts);

// Every record of a serial number, whole (with its steps and log), oldest first: what a
// printer's report holds.
StoreResult<std::vector<Record>> printerRecords(Query& query, const std::string& serialNumber);

// The report saved whole or not at all; the sentence that says why not.
std::optional<Failure> saveTestReport(const std::string& path, const std::vector<Record>& records,
                                      const ReportHeading& heading, const ReportFonts& fonts);

// The name a report is offered under: "REPORT_SERIAL_YYYY-MM-DD.pdf" (the model for a record
// with no serial number), with no character a file name cannot hold.
std::string reportFileName(const Record& newest);

}  // namespace tallowick::history
