// The line database from the command line: which line and which station a command works
// for, a command's records forwarded while it runs, and the commands `db` and `sync`.
#pragma once

#include <memory>

#include "app/cli_command.h"
#include "platform/store_result.h"

namespace tallowick {

class Settings;
namespace history {
class Journal;
}
namespace line {
struct LineChoice;
class Station;
}  // namespace line

// The line and the station the options, the environment and the computer's settings name;
// the reason when they cannot be used.
StoreResult<line::LineChoice> lineChoice(const Given& given, const CliContext& context);
// The settings the command reads: the context's, else the computer's, kept in `own`.
Settings& settingsOf(const CliContext& context, std::unique_ptr<Settings>& own);

// A command's station on the line: with a line database chosen, the journal's records wait
// in the outbox and are forwarded in the background while the command runs, and once more
// as it ends if the line is there; without one, nothing.
class StationLine {
 public:
  StationLine(const line::LineChoice& choice, history::Journal& journal);
  ~StationLine();
  StationLine(const StationLine&) = delete;
  StationLine& operator=(const StationLine&) = delete;

  line::Station* station() { return station_.get(); }

 private:
  std::unique_ptr<line::Station> station_;
};

std::unique_ptr<Command> makeDbCommand();
std::unique_ptr<Command> makeSyncCommand();

}  // namespace tallowick
