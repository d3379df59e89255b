#include "app/cli_book.h"

#include <charconv>
#include <ostream>
#include <set>

#include "app/cli_line.h"
#include "app/exit_codes.h"
#include "initforms/serial_book.h"
#include "initforms/serial_numbers.h"
#include "initforms/serial_store.h"
#include "line/book.h"
#include "line/station.h"
#include "link/help_text.h"
#include "mainform/number_keeper.h"

namespace tallowick {
namespace {

int bookError(std::ostream& err, const StoreError& e) {
  err << "tallowick-cli: " << e.message << "\n";
  return kExitBookRefused;
}

// The station's own book, read whole.
struct LocalBook {
  std::unique_ptr<SerialStore> store;
  SerialBook book;

  explicit LocalBook(const Given& o)
      : store(makePlatformSerialStore(StoreAccess::ReadWrite, o.optional(kRegistryOption))),
        book(*store) {}
};

// The line's book, when a line database is chosen: the usage error when the choice cannot be
// used; with `book` left empty the station's own book is meant.
struct LineBook {
  std::optional<line::LineChoice> choice;
  std::unique_ptr<line::Connection> connection;

  std::optional<Failure> choose(const Given& o, const CliContext& context) {
    auto chosen = lineChoice(o, context);
    if (!chosen) return Failure{chosen.error().message};
    if (!chosen.value().database.empty()) choice = chosen.value();
    return std::nullopt;
  }
  bool used() const { return choice.has_value(); }
  // The line's book, connected; nothing, with the error told, when it cannot be reached.
  std::optional<line::Book> open(std::ostream& err) {
    auto opened = line::Connection::open(choice->database);
    if (!opened) {
      bookError(err, opened.error());
      return std::nullopt;
    }
    connection = std::move(opened).value();
    return line::Book(*connection);
  }
};

void printList(const char* title, const std::vector<std::string>& numbers, std::ostream& out) {
  out << title << " (" << numbers.size() << "):\n";
  for (const std::string& n : numbers)
    out << "  " << n << "\n";
}

// book list: both lists.
class ListVerb final : public Command {
 public:
  ListVerb() : Command({"book [list]"}, "", {}) { option(kRegistryOption); }
  int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
          const CliContext& context) const override {
    const bool named = args.size() > 1 && !args[1].starts_with("-");
    Given o;
    if (auto refused = read(args, named ? 2 : 1, {}, o)) return usageError(err, refused->message);
    LineBook onLine;
    if (auto refused = onLine.choose(o, context)) return usageError(err, refused->message);
    if (onLine.used()) {
      auto book = onLine.open(err);
      if (!book) return kExitBookRefused;
      auto lists = book->lists(onLine.choice->station);
      if (!lists) return bookError(err, lists.error());
      printList("К инициализации", lists.value().toInitialise, out);
      printList("Инициализация уже выполнена", lists.value().initialised, out);
      return kExitOk;
    }
    LocalBook local(o);
    if (auto read = local.book.load(); !read) return bookError(err, read.error());
    printList("К инициализации", local.book.shouldInit(), out);
    printList("Инициализация уже выполнена", local.book.alreadyInit(), out);
    return kExitOk;
  }
};

void printAdded(std::size_t added, const std::vector<std::string>& already, std::ostream& out) {
  out << "Готово: в список «К инициализации» добавлено номеров: " << added << ".\n";
  if (!already.empty()) {
    out << "Уже в книге, не добавлены (" << already.size() << "): " << already.front()
        << (already.size() > 1 ? " … " + already.back() : std::string()) << "\n";
  }
}

// A bound of a range: five digits at most.
std::optional<std::int32_t> boundOf(const std::string& text) {
  std::int32_t n = -1;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (ec != std::errc{} || end != text.data() + text.size() || n < 0 || n > kMaxBound) {
    return std::nullopt;
  }
  return n;
}

// book add: a range of numbers to initialise.
class AddVerb final : public Command {
 public:
  AddVerb() : Command({"book add"}, "", {}) { option(kRegistryOption); }
  int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
          const CliContext& context) const override {
    Given o;
    if (auto refused = read(args, 2, "book add", o)) return usageError(err, refused->message);
    const PrinterType* printerType = bookTypeNamed(o.get(type));
    if (!printerType) {
      return usageError(err, std::string(type.name) +
                                 " needs a prefix or a name of the book's printer types, not '" +
                                 o.get(type) + "'");
    }
    const auto lower = boundOf(o.get(from));
    const auto upper = boundOf(o.get(to));
    if (!lower || !upper || *upper < *lower) {
      return usageError(err, std::string(from.name) + " and " + std::string(to.name) +
                                 " need numbers from 0 to 99999, the first not above the "
                                 "second");
    }
    LineBook onLine;
    if (auto refused = onLine.choose(o, context)) return usageError(err, refused->message);
    if (onLine.used()) {
      auto book = onLine.open(err);
      if (!book) return kExitBookRefused;
      auto added = book->addRange(std::string(printerType->prefix), *lower, *upper);
      if (!added) return bookError(err, added.error());
      printAdded(added.value().added, added.value().existing, out);
      return kExitOk;
    }
    LocalBook local(o);
    if (auto read = local.book.load(); !read) return bookError(err, read.error());
    std::set<std::string> known(local.book.shouldInit().begin(), local.book.shouldInit().end());
    known.insert(local.book.alreadyInit().begin(), local.book.alreadyInit().end());
    SerialLists lists{local.book.shouldInit(), local.book.alreadyInit()};
    std::vector<std::string> already;
    for (std::string& number : intervalSerialNumbers(printerType->prefix, *lower, *upper)) {
      if (known.count(number) > 0) {
        already.push_back(std::move(number));
      } else {
        lists.shouldInit.push_back(std::move(number));
      }
    }
    const std::size_t added = lists.shouldInit.size() - local.book.shouldInit().size();
    sortSerials(lists.shouldInit);
    if (auto written = local.store->writeLists(lists); !written) {
      return bookError(err, written.error());
    }
    printAdded(added, already, out);
    return kExitOk;
  }

 private:
  const Option& type =
      option({.name = "--type",
              .value = "TYPE",
              .help = "the printer type of the numbers: its prefix (ЕД800) or its name",
              .required = true});
  const Option& from = option(
      {.name = "--from", .value = "N", .help = "the first number (five digits)", .required = true});
  const Option& to = option(
      {.name = "--to", .value = "M", .help = "the last number (five digits)", .required = true});
};

// book confirm NUMBER: the number was written into a printer.
class ConfirmVerb final : public Command {
 public:
  ConfirmVerb() : Command({"book confirm"}, "NUMBER", {}) { option(kRegistryOption); }
  int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
          const CliContext& context) const override {
    std::vector<std::string> rest;
    const std::string number = operand(args, 2, rest);
    Given o;
    if (auto refused = read(rest, 2, "book confirm", o)) return usageError(err, refused->message);
    if (number.empty()) return usageError(err, "book confirm needs the NUMBER written");
    LineBook onLine;
    if (auto refused = onLine.choose(o, context)) return usageError(err, refused->message);
    if (onLine.used()) {
      auto book = onLine.open(err);
      if (!book) return kExitBookRefused;
      if (auto done = book->confirm(onLine.choice->station, number, true); !done) {
        return bookError(err, done.error());
      }
    } else {
      LocalBook local(o);
      if (auto read = local.book.load(); !read) return bookError(err, read.error());
      if (auto confirmed = local.book.confirm(number); !confirmed) {
        return bookError(err, confirmed.error());
      }
    }
    out << "Готово: номер " << number << " в списке «Инициализация уже выполнена».\n";
    return kExitOk;
  }
};

// book release NUMBER --reason TEXT: a number back to the list to initialise.
class ReleaseVerb final : public Command {
 public:
  ReleaseVerb() : Command({"book release"}, "NUMBER", {}) { option(kRegistryOption); }
  int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
          const CliContext& context) const override {
    std::vector<std::string> rest;
    const std::string number = operand(args, 2, rest);
    Given o;
    if (auto refused = read(rest, 2, "book release", o)) return usageError(err, refused->message);
    if (number.empty()) return usageError(err, "book release needs the NUMBER to release");
    if (o.get(reason).find_first_not_of(" \t") == std::string::npos) {
      return usageError(err, "book release needs --reason: why the number may be used again");
    }
    LineBook onLine;
    if (auto refused = onLine.choose(o, context)) return usageError(err, refused->message);
    if (onLine.used()) {
      auto book = onLine.open(err);
      if (!book) return kExitBookRefused;
      if (auto done = book->release(number, o.get(reason)); !done) {
        return bookError(err, done.error());
      }
      out << "Готово: номер " << number
          << " снова в списке «К инициализации» (причина: " << o.get(reason) << ").\n";
      return kExitOk;
    }
    LocalBook local(o);
    if (auto read = local.book.load(); !read) return bookError(err, read.error());
    const auto& used = local.book.alreadyInit();
    const auto at = std::find(used.begin(), used.end(), number);
    if (at == used.end()) {
      err << "tallowick-cli: the number " << number
          << " is not on the list 'Инициализация уже выполнена'\n";
      return kExitBookRefused;
    }
    local.book.moveToShouldInit(static_cast<int>(at - used.begin()));
    if (auto saved = local.book.save(); !saved) return bookError(err, saved.error());
    out << "Готово: номер " << number
        << " снова в списке «К инициализации» (причина: " << o.get(reason) << ").\n";
    return kExitOk;
  }

 private:
  const Option& reason = option({.name = "--reason",
                                 .value = "TEXT",
                                 .help = "why the number may be written into a printer again",
                                 .required = true});
};

class BookCommand final : public Command {
 public:
  BookCommand()
      : Command({"book"}, "",
                "The book of factory serial numbers, as the book window keeps it: its two "
                "lists, a range of numbers added to 'К инициализации', a number confirmed as "
                "written, or released again for a reason.") {}

  std::vector<const Command*> forms() const override {
    return {&list_, &add_, &confirm_, &release_};
  }

  int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
          const CliContext& context) const override {
    return runVerb(kVerbs, args, out, err, context);
  }

 private:
  static constexpr std::string_view kVerbs[] = {"list", "add", "confirm", "release"};
  ListVerb list_;
  AddVerb add_;
  ConfirmVerb confirm_;
  ReleaseVerb release_;
};

}  // namespace

std::unique_ptr<Command> makeBookCommand() {
  return std::make_unique<BookCommand>();
}

}  // namespace tallowick
