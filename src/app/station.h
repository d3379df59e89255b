// Several printers tested at once: one run per port, each in its own thread with its own
// link, run state, window seam, clock and error count. On a terminal a table with a row per
// port is redrawn in place; elsewhere every line is written as "[PORT] LINE". A summary
// of each port's outcome ends it.
#pragma once

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "mainform/wall_clock.h"

namespace tallowick {

// Where one port's run has got to, as its row of the table shows it.
struct RunProgress {
  enum class State { Running, Finished, WithErrors, Aborted, Stopped };
  std::string model;
  std::string firmware;
  std::string step;  // the title of the step under way
  int commands = 0;  // commands sent and answered (or refused)
  int errors = 0;    // errors counted so far
  State state = State::Running;
  std::string message;  // why it was aborted
  int code = 0;         // the exit code, once ended
};

// The row's last column: "running", "finished", "with errors", "aborted: MESSAGE", "stopped".
std::string stateText(const RunProgress& progress);

// At most `width` characters of UTF-8 text, cut between characters, "…" where it was cut.
std::string fitColumns(std::string text, std::size_t width);

// The table as lines: a header, then one row per port. `live` adds the step under way; the
// summary has the exit code instead. Every cell is fit for a terminal (controls escaped).
std::vector<std::string> stationTable(const std::vector<std::string>& ports,
                                      const std::vector<RunProgress>& rows, bool live);

// A text made safe as a part of a file name on Linux and on Windows: only ASCII letters,
// digits, '-', '_' and '.', every run of other characters one '_', no dot at either end.
std::string fileNamePart(std::string_view text);
// The port's part of its files' names: its device name without the folder (ttyUSB0, COM3),
// made safe, and unique among the station's ports ("-2", "-3" for repeats).
std::vector<std::string> portFileNames(const std::vector<std::string>& ports);
// PORT_MODEL_YYYY-MM-DD_HH-MM-SS, or PORT_YYYY-MM-DD_HH-MM-SS while the model is unknown.
std::string runFileStem(const std::string& portPart, const std::string& model,
                        const LocalDateTime& startedAt);

// Runs `runPort(index, out, err, progress)` for every port at once and waits for all of
// them; each gets streams of its own and reports its progress through `progress`, from
// its own thread. `terminal`, when not null, is standard output as a terminal: the live
// table is drawn there, each line cut to `columns` (when known) so that it can be drawn
// over in place, and the runs' messages follow the summary on `err`; otherwise the runs'
// lines go out prefixed as they come. Returns the highest exit code.
using PortRunner = std::function<int(std::size_t index, std::ostream& out, std::ostream& err,
                                     const std::function<void(const RunProgress&)>& progress)>;
int runStation(const std::vector<std::string>& ports, const PortRunner& runPort, std::ostream& out,
               std::ostream& err, std::ostream* terminal, int columns = 0);

}  // namespace tallowick
