#include "app/station.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <thread>

#include "app/escaping_stream.h"
#include "link/help_text.h"

namespace tallowick {

std::string stateText(const RunProgress& progress) {
  switch (progress.state) {
    case RunProgress::State::Running:
      return "running";
    case RunProgress::State::Finished:
      return "finished";
    case RunProgress::State::WithErrors:
      return "with errors";
    case RunProgress::State::Aborted:
      return "aborted: " + progress.message;
    case RunProgress::State::Stopped:
      return "stopped";
  }
  return {};
}

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

std::string fileNamePart(std::string_view text) {
  std::string part;
  for (const char c : text) {
    const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '-' || c == '_' || c == '.';
    if (safe) {
      part += c;
    } else if (part.empty() || part.back() != '_') {
      part += '_';
    }
  }
  // Windows drops a dot at the end of a name, and a leading one hides the file elsewhere.
  const auto first = part.find_first_not_of('.');
  const auto last = part.find_last_not_of('.');
  return first == std::string::npos ? std::string() : part.substr(first, last - first + 1);
}

std::vector<std::string> portFileNames(const std::vector<std::string>& ports) {
  std::vector<std::string> names;
  std::map<std::string, int> seen;
  for (const std::string& port : ports) {
    const auto slash = port.find_last_of("/\\");
    std::string name = fileNamePart(slash == std::string::npos ? port : port.substr(slash + 1));
    if (name.empty() || name == "_") name = "port";
    const int n = ++seen[name];
    names.push_back(n == 1 ? name : name + "-" + std::to_string(n));
  }
  return names;
}

std::string runFileStem(const std::string& portPart, const std::string& model,
                        const LocalDateTime& t) {
  char when[32];
  std::snprintf(when, sizeof when, "%04d-%02d-%02d_%02d-%02d-%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  const std::string modelPart = fileNamePart(model);
  return portPart + "_" + (modelPart.empty() || modelPart == "_" ? "" : modelPart + "_") + when;
}

namespace {

// A stream buffer that hands on whole lines, each with a prefix, under a lock shared by
// every run: lines of several runs never mix within a line.
class PrefixedLines final : public std::streambuf {
 public:
  PrefixedLines(std::ostream& target, std::string prefix, std::mutex& lock)
      : target_(target), prefix_(std::move(prefix)), lock_(lock) {}
  ~PrefixedLines() override {
    if (!line_.empty()) emit();
  }

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    line_ += traits_type::to_char_type(c);
    if (line_.back() == '\n') emit();
    return c;
  }

 private:
  void emit() {
    if (line_.back() != '\n') line_ += '\n';
    const std::lock_guard hold(lock_);
    target_ << prefix_ << line_ << std::flush;
    line_.clear();
  }

  std::ostream& target_;
  std::string prefix_;
  std::mutex& lock_;
  std::string line_;
};

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
      PrefixedLines outLines(out, prefix, outputLock);
      PrefixedLines errLines(terminal ? static_cast<std::ostream&>(held[i]) : err, prefix,
                             outputLock);
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
