#include "app/cli_line.h"

#include <ostream>

#include "app/cli_history.h"
#include "app/exit_codes.h"
#include "history/journal.h"
#include "initforms/serial_numbers.h"
#include "initforms/serial_store.h"
#include "line/line.h"
#include "line/station.h"
#include "link/help_text.h"
#include "platform/settings.h"

namespace tallowick {
namespace {

int lineError(std::ostream& err, const StoreError& e) {
  err << "tallowick-cli: " << e.message << "\n";
  return kExitBookRefused;
}

// The choice of a command that cannot work without a line database.
StoreResult<line::LineChoice> lineNeeded(const Given& o, const CliContext& context,
                                         std::string_view who) {
  auto choice = lineChoice(o, context);
  if (choice && choice.value().database.empty()) {
    return StoreError{StoreErrorKind::Failed,
                      std::string(who) +
                          " needs a line database: --database, TALLOWICK_DATABASE or the "
                          "computer's setting"};
  }
  return choice;
}

// db init: the line's schema and roles, made or brought up to date by its owner.
class InitVerb final : public Command {
 public:
  InitVerb() : Command({"db init"}, "", {}) {}
  int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
          const CliContext& context) const override {
    Given o;
    if (auto refused = read(args, 2, "db init", o)) return usageError(err, refused->message);
    auto choice = lineNeeded(o, context, "db init");
    if (!choice) return usageError(err, choice.error().message);
    auto owner = line::Connection::openForInitialise(choice.value().database);
    if (!owner) return lineError(err, owner.error());
    auto version = line::initialise(*owner.value());
    if (!version) return lineError(err, version.error());
    out << "Готово: схема базы линии " << owner.value()->server() << ", версия " << version.value()
        << "; группы " << line::kStationRole << " и " << line::kAdminRole << ".\n";
    return kExitOk;
  }
};

// The station's own history: --history, else the context's, else the default place.
StoreResult<std::filesystem::path> ownHistory(const Given& o, const CliContext& context) {
  return historyPlace(o.has(kHistoryOption) ? o.optional(kHistoryOption) : context.historyFile);
}

void printConflicts(const std::vector<line::NumberConflict>& conflicts, std::ostream& err) {
  for (const line::NumberConflict& c : conflicts)
    err << "  " << c.message << "\n";
}

// db import: a station that worked alone joins the line with its book and its history.
class ImportVerb final : public Command {
 public:
  ImportVerb() : Command({"db import"}, "", {}) {
    option(kRegistryOption);
    option(kHistoryOption);
  }
  int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
          const CliContext& context) const override {
    Given o;
    if (auto refused = read(args, 2, "db import", o)) return usageError(err, refused->message);
    auto choice = lineNeeded(o, context, "db import");
    if (!choice) return usageError(err, choice.error().message);
    auto lists =
        makePlatformSerialStore(StoreAccess::ReadOnly, o.optional(kRegistryOption))->readLists();
    if (!lists) return lineError(err, lists.error());
    history::Journal journal(ownHistory(o, context));
    if (!journal.store())
      return lineError(err, {StoreErrorKind::Unavailable, journal.unavailable()});

    line::Station station(choice.value(), *journal.store());
    StoreResult<line::ImportReport> report = StoreError{};
    const StoreStatus imported = station.withConnection([&](line::Connection& c) -> StoreStatus {
      report = line::importBook(c, lists.value(), choice.value().station);
      if (!report) return report.error();
      return {};
    });
    if (!imported) return lineError(err, imported.error());
    const line::ImportReport& r = report.value();
    out << "Книга станции на линии: номеров добавлено к инициализации " << r.added
        << ", добавлено использованными " << r.addedUsed << ", отмечено использованными "
        << r.markedUsed << ", без изменений " << r.unchanged << ".\n";
    const std::size_t conflicts = r.toInitialiseConflicts.size() + r.initialisedConflicts.size();
    if (conflicts > 0) {
      err << "tallowick-cli: номера, которые на линии уже у другой станции или использованы, "
             "оставлены как есть ("
          << conflicts << "):\n";
      printConflicts(r.toInitialiseConflicts, err);
      printConflicts(r.initialisedConflicts, err);
    }
    if (!r.refused.empty()) {
      err << "tallowick-cli: не номера книги, не перенесены (" << r.refused.size() << "):\n";
      for (const std::string& text : r.refused)
        err << "  " << text << "\n";
    }

    // Every record of the station's history waits for the line, then goes.
    auto queued = journal.store()->queueAll();
    if (!queued) return lineError(err, queued.error());
    auto forwarded = station.sync();
    if (!forwarded) return lineError(err, forwarded.error());
    out << "История станции на линии: записей отправлено " << forwarded.value() << ".\n";
    return conflicts > 0 || !r.refused.empty() ? kExitBookRefused : kExitOk;
  }
};

class DbCommand final : public Command {
 public:
  DbCommand()
      : Command({"db"}, "",
                "The line database: 'db init' makes its schema and the groups "
                "tallowick_station and tallowick_admin, or brings them up to date (run once "
                "by the database's owner); 'db import' adds this station's own book and "
                "history to the line (the book by an administrator), numbers another station "
                "holds or has used reported and left as they are.") {}

  std::vector<const Command*> forms() const override { return {&init_, &import_}; }

  int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
          const CliContext& context) const override {
    const std::string verb = args.size() > 1 ? args[1] : std::string();
    if (verb == "init") return init_.run(args, out, err, context);
    if (verb == "import") return import_.run(args, out, err, context);
    return usageError(
        err, "db needs init or import" + (verb.empty() ? std::string() : ", not '" + verb + "'"));
  }

 private:
  InitVerb init_;
  ImportVerb import_;
};

class SyncCommand final : public Command {
 public:
  SyncCommand()
      : Command({"sync"}, "",
                "Forwards what waits in this station's outbox to the line database now, and "
                "reports the numbers used while the line was away; with --status only says "
                "what waits and whether the line is there.") {
    option(kHistoryOption);
  }

  int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
          const CliContext& context) const override {
    Given o;
    if (auto refused = read(args, 1, "sync", o)) return usageError(err, refused->message);
    auto choice = lineNeeded(o, context, "sync");
    if (!choice) return usageError(err, choice.error().message);
    history::Journal journal(ownHistory(o, context));
    if (!journal.store())
      return lineError(err, {StoreErrorKind::Unavailable, journal.unavailable()});
    line::Station station(choice.value(), *journal.store());
    if (o.has(status)) return showStatus(station, *journal.store(), out);
    auto forwarded = station.sync();
    const line::LineState state = station.state();
    printConflicts(state.conflicts, err);
    if (!forwarded) return lineError(err, forwarded.error());
    out << "Готово: на линию " << state.server << " отправлено записей: " << forwarded.value()
        << "; ожидают: " << state.waiting << ".\n";
    return state.conflicts.empty() ? kExitOk : kExitBookRefused;
  }

 private:
  int showStatus(line::Station& station, history::Store& local, std::ostream& out) const {
    const StoreStatus reached =
        station.withConnection([](line::Connection&) { return StoreStatus(); });
    const line::LineState state = station.state();
    out << "Станция: " << station.choice().station << "\n";
    if (reached) {
      out << "Линия: " << state.server << ", доступна"
          << (state.tls ? ", соединение зашифровано" : ", без шифрования") << "\n";
    } else {
      out << "Линия недоступна: " << reached.error().message << "\n";
    }
    auto waiting = local.waitingCount();
    out << "Ожидают отправки записей: " << (waiting ? std::to_string(waiting.value()) : "?")
        << "\n";
    auto unreported = local.unreportedUses();
    out << "Номеров, использованных без линии и ещё не переданных: "
        << (unreported ? std::to_string(unreported.value().size()) : "?") << "\n";
    out << "Запас станции:";
    for (const PrinterType& type : kPrinterTypes) {
      auto block = local.blockNumbers(std::string(type.prefix));
      if (block && !block.value().empty()) {
        out << " " << type.prefix << "… " << block.value().size();
      }
    }
    out << "\n";
    return reached ? kExitOk : kExitBookRefused;
  }

  const Option& status =
      option({"--status", "", "only say what waits and whether the line is there"});
};

}  // namespace

StoreResult<line::LineChoice> lineChoice(const Given& o, const CliContext& context) {
  std::unique_ptr<Settings> own;
  return line::chooseLine(o.optional(kDatabaseOption), o.optional(kStationOption),
                          platform::processEnvironment, &settingsOf(context, own));
}

Settings& settingsOf(const CliContext& context, std::unique_ptr<Settings>& own) {
  if (context.settings != nullptr) return *context.settings;
  own = computerSettings();
  return *own;
}

StationLine::StationLine(const line::LineChoice& choice, history::Journal& journal) {
  if (choice.database.empty() || !journal.store()) return;
  station_ = std::make_unique<line::Station>(choice, *journal.store());
  journal.joinLine(choice.station, [station = station_.get()] { station->wake(); });
  station_->startWorker();
}

StationLine::~StationLine() {
  if (station_) station_->stopWorker(true);
}

std::unique_ptr<Command> makeDbCommand() {
  return std::make_unique<DbCommand>();
}

std::unique_ptr<Command> makeSyncCommand() {
  return std::make_unique<SyncCommand>();
}

}  // namespace tallowick
