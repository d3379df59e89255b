#include "app/station.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <thread>
#include <utility>

#include "app/escaping_stream.h"
#include "link/help_text.h"

namespace tallowick {

std::string fitColumns(std::string text, std::size_t width) {
  if (help::columns(text) <= width) return text;
  if (width == 0) return {};
  std::size_t kept = 0;
  std::size_t i = 0;
  for (; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
    if (kept == width - 1) break;
    ++kept;
  }
  return text.substr(0, i) + "…";
}

namespace {

// A cell of one line: line breaks as blanks, controls escaped, not wider than `width`.
std::string cell(std::string text, std::size_t width) {
  std::replace(text.begin(), text.end(), '\n', ' ');
  std::replace(text.begin(), text.end(), '\t', ' ');
  return fitColumns(escapeControls(text), width);
}

}  // namespace

std::vector<std::string> stationTable(const std::vector<std::string>& ports,
                                      const std::vector<RunProgress>& rows, bool live) {
  std::vector<std::vector<std::string>> table;
  table.push_back(live ? std::vector<std::string>{"PORT", "MODEL", "FIRMWARE", "STEP", "COMMANDS",
                                                  "ERRORS", "STATE"}
                       : std::vector<std::string>{"PORT", "MODEL", "FIRMWARE", "COMMANDS", "ERRORS",
                                                  "OUTCOME", "EXIT CODE"});
  for (std::size_t i = 0; i < rows.size() && i < ports.size(); ++i) {
    const RunProgress& r = rows[i];
    // The live table must fit a line of the terminal; the summary is written once, whole.
    const auto width = [live](std::size_t w) { return live ? w : std::string::npos; };
    std::vector<std::string> row{cell(ports[i], width(20)), cell(r.model, width(18)),
                                 cell(r.firmware, width(8))};
    if (live) row.push_back(cell(r.step, 30));
    row.push_back(std::to_string(r.commands));
    row.push_back(std::to_string(r.errors));
    row.push_back(cell(stateText(r), width(60)));
    if (!live) row.push_back(r.state == RunProgress::State::Running ? "" : std::to_string(r.code));
    table.push_back(std::move(row));
  }
  std::vector<std::size_t> widths(table.front().size(), 0);
  for (const auto& row : table) {
    for (std::size_t c = 0; c < row.size(); ++c)
      widths[c] = std::max(widths[c], help::columns(row[c]));
  }
  std::vector<std::string> lines;
  for (const auto& row : table) {
    std::string line;
    for (std::size_t c = 0; c < row.size(); ++c) {
      line += row[c];
      if (c + 1 < row.size()) line += std::string(widths[c] - help::columns(row[c]) + 2, ' ');
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

EachLine::~EachLine() {
  if (!line_.empty()) take_(line_);
}

EachLine::int_type EachLine::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  if (traits_type::to_char_type(c) == '\n') {
    take_(std::exchange(line_, {}));
  } else {
    line_ += traits_type::to_char_type(c);
  }
  return c;
}

namespace {

// The rows and whether they changed since the table was last drawn.
struct Board {
  std::mutex lock;
  std::condition_variable changed;
  std::vector<RunProgress> rows;
  std::size_t running = 0;
  bool dirty = true;
};

// Draws the table over the one drawn before: back up to its first line, then each line
// cleared to its end.
void draw(std::ostream& terminal, const std::vector<std::string>& lines, int columns,
          std::size_t& drawn) {
  if (drawn > 0) terminal << "\r\x1B[" << drawn << "A";
  for (const std::string& line : lines) {
    // A line that wrapped would take two rows, and the next drawing would miss one.
    terminal << "\r"
             << (columns > 1 ? fitColumns(line, static_cast<std::size_t>(columns - 1)) : line)
             << "\x1B[K\n";
  }
  terminal << std::flush;
  drawn = lines.size();
}

}  // namespace

int runStation(const std::vector<std::string>& ports, const PortRunner& runPort, std::ostream& out,
               std::ostream& err, std::ostream* terminal, int columns) {
  Board board;
  board.rows.resize(ports.size());
  board.running = ports.size();
  std::mutex outputLock;
  std::vector<std::ostringstream> held(ports.size());  // each run's standard error, on a terminal
  std::vector<int> codes(ports.size(), 0);
  std::vector<std::thread> runs;
  for (std::size_t i = 0; i < ports.size(); ++i) {
    runs.emplace_back([&, i] {
      const std::string prefix = "[" + ports[i] + "] ";
      // On a terminal the table shows the lines' gist; what standard error would have
      // said waits until the table is done.
      // Lines of several runs never mix within a line.
      const auto prefixed = [&](std::ostream& target) {
        return [&target, &prefix, &outputLock](const std::string& line) {
          const std::lock_guard hold(outputLock);
          target << prefix << line << '\n' << std::flush;
        };
      };
      EachLine outLines(prefixed(out));
      EachLine errLines(prefixed(terminal ? static_cast<std::ostream&>(held[i]) : err));
      std::ostream runOut(terminal ? nullptr : &outLines);
      std::ostream runErr(&errLines);
      const auto progress = [&board, i](const RunProgress& p) {
        const std::lock_guard hold(board.lock);
        board.rows[i] = p;
        board.dirty = true;
      };
      codes[i] = runPort(i, runOut, runErr, progress);
      runOut.flush();
      runErr.flush();
      const std::lock_guard hold(board.lock);
      --board.running;
      board.changed.notify_all();
    });
  }
  if (terminal) {
    std::size_t drawn = 0;
    std::unique_lock hold(board.lock);
    for (;;) {
      // Redrawn at most five times a second, however fast the rows change; at once when the
      // last run ends.
      board.changed.wait_for(hold, std::chrono::milliseconds(200),
                             [&board] { return board.running == 0; });
      if (board.dirty) {
        board.dirty = false;
        const auto rows = board.rows;
        hold.unlock();
        draw(*terminal, stationTable(ports, rows, true), columns, drawn);
        hold.lock();
      }
      if (board.running == 0 && !board.dirty) break;
    }
  }
  for (auto& run : runs)
    run.join();

  std::ostream& summary = terminal ? *terminal : out;
  summary << "\n";
  for (const std::string& line : stationTable(ports, board.rows, false))
    summary << line << "\n";
  summary << std::flush;
  for (const auto& text : held)
    err << text.str();
  return *std::max_element(codes.begin(), codes.end());
}

}  // namespace tallowick
