// The figures of a selection of the history, for whoever runs a workshop or a line: how many
// printers were tested and how many passed (on the first try, and in the end), where the runs
// that failed failed, how long a run takes, how many initialisations were done. The window
// and the command line count them here alike, from what Query::facts reads.
//
// The words, in terms of a record:
// - a test run is a record of kind `testrun` whose entries were accepted, i.e. whose outcome
//   is not `input_refused`: a run that refused its entries sent nothing to the printer, and
//   is counted apart (`runsRefused`) and nowhere else;
// - a test run finished with no error when its outcome is `finished` and its error count is
//   0 (the outcome says it reached its end with no error counted);
// - a test run failed when its outcome is `finished_with_errors` (it reached its end with
//   errors counted) or `aborted` (a failure ended it). A run the user stopped (`stopped`)
//   neither passed nor failed: it counts as a run, and as a printer's run that did not finish
//   with no error, but it is no failure of the printer;
// - a printer is a serial number: its test runs are those with that number; the runs with
//   no number belong to no printer and are counted apart (`runsWithoutSerial`);
// - the step where a failed run failed is its first titled step whose result is not success;
//   a failed run with no such step (it failed before its first title, or where no step was
//   titled) is counted under no step;
// - a finished run (for the durations) is a test run that reached its end: `finished` or
//   `finished_with_errors`;
// - an initialisation is done when its outcome is `finished`, failed when it is `aborted`
//   (a command failed or the printer did not answer); one the program's end interrupted
//   (`stopped`) or whose entries were refused counts in `total` only.
// A printer's first and last runs are those that started first and last in the selection
// (records that started at the same millisecond in the order of their ids). A group is a
// selection of its own: a printer tested on two days counts on each.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "history/history_store.h"

namespace tallowick::history {

// How the selection is divided, besides the whole of it.
enum class Grouping : std::uint8_t {
  None,
  Day,      // the day the record started on the clock of the computer that made it
  Model,    // the printer's model
  Station,  // the line's station that made it
};

// "day", "model", "station"; nothing for any other name.
std::optional<Grouping> groupingFromName(std::string_view name);
std::string_view groupingName(Grouping grouping);

// The failed runs that failed in one step, as a Pareto row.
struct StepFailures {
  std::optional<std::string> step;  // nothing: the runs that failed in no titled step
  std::size_t runs = 0;
  double share = 0;       // of the failed runs
  double cumulative = 0;  // this row's share and every share above it
  bool operator==(const StepFailures&) const = default;
};

struct Initialisations {
  std::size_t total = 0;
  std::size_t done = 0;
  std::size_t failed = 0;
  bool operator==(const Initialisations&) const = default;
};

struct ModelInitialisations {
  std::string model;
  Initialisations counts;
  bool operator==(const ModelInitialisations&) const = default;
};

// The figures of one selection; a ratio over nothing is nothing.
struct Figures {
  // The group's key: the day as "2026-12-07", the model or the station; empty for the whole
  // selection.
  std::string group;
  std::size_t printers = 0;  // distinct serial numbers among the test runs
  std::size_t runs = 0;      // test runs, with or without a serial number
  std::size_t runsWithoutSerial = 0;
  std::size_t runsRefused = 0;
  // The runs with a serial number over the printers.
  std::optional<double> runsPerPrinter;
  // Printers whose first (last) test run finished with no error, and their share of the
  // printers.
  std::size_t firstPassPrinters = 0;
  std::optional<double> firstPassYield;
  std::size_t finalPassPrinters = 0;
  std::optional<double> finalYield;
  std::size_t failedRuns = 0;
  // Most failures first; steps with as many in the order of their titles, the runs that
  // failed in no titled step last among their equals.
  std::vector<StepFailures> failuresByStep;
  // The durations of the finished runs: how many, the median and the 90th percentile, both
  // by the nearest rank: the value at rank ceil(p/100 × n) of the n durations in ascending
  // order (for an even n the median is the lower of the middle two).
  std::size_t finishedRuns = 0;
  std::optional<std::int64_t> medianDurationMs;
  std::optional<std::int64_t> p90DurationMs;
  Initialisations initialisations;
  std::vector<ModelInitialisations> initialisationsByModel;  // by model name
  bool operator==(const Figures&) const = default;
};

struct FiguresReport {
  Grouping by = Grouping::None;
  Figures whole;
  // In the order of their keys (days in time order); none without a grouping.
  std::vector<Figures> groups;
};

// The figures of the facts, in any order, of the whole and grouped `by`.
FiguresReport countFigures(const std::vector<RunFacts>& facts, Grouping by);

enum class FiguresFormat : std::uint8_t { Csv, Json };

// For other programs, with keys that never change with the language. CSV has a row per
// figure ("group_by,group,figure,item,value"): a Pareto row and an initialisation count per
// model name their step or model as the item; nothing is an empty value. JSON is one object.
void writeFigures(FiguresFormat format, const FiguresReport& report, std::ostream& out);

}  // namespace tallowick::history
