// Several printers tested at once: one run per port, each in its own thread with its own
// link, run state, window seam, clock and error count. On a terminal a table with a row per
// port is redrawn in place; elsewhere every line is written as "[PORT] LINE". A summary
// of each port's outcome ends it.
#pragma once

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <streambuf>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "testrun/log_file.h"
#include "testrun/port_run.h"

namespace tallowick {

// A stream buffer that hands on each whole line, without its end, and a last line that has
// none when it goes.
class EachLine final : public std::streambuf {
 public:
  explicit EachLine(std::function<void(const std::string&)> take) : take_(std::move(take)) {}
  ~EachLine() override;

 protected:
  int_type overflow(int_type c) override;

 private:
  std::function<void(const std::string&)> take_;
  std::string line_;
};

// At most `width` characters of UTF-8 text, cut between characters, "…" where it was cut.
std::string fitColumns(std::string text, std::size_t width);

// The table as lines: a header, then one row per port. `live` adds the step under way; the
// summary has the exit code instead. Every cell is fit for a terminal (controls escaped).
std::vector<std::string> stationTable(const std::vector<std::string>& ports,
                                      const std::vector<RunProgress>& rows, bool live);

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
