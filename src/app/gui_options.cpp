#include "app/gui_options.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "link/help_text.h"

namespace tallowick {
namespace {

// An option of the desktop tool: its name, its value as the help shows it ("[MODEL]" when
// it may be left out; empty for a flag), its help, and where its value goes.
struct GuiOption {
  std::string_view name;
  std::string_view value;
  std::string_view help;
  void (*set)(GuiOptions& options, std::string value);
  std::string_view alias = {};
};

constexpr GuiOption kOptions[] = {
    {"--simulate", "[MODEL]",
     "also list the built-in virtual printer as the port 'sim', first in the port list, so "
     "the tool can connect without a printer. MODEL is the model it reports (default FP-90T; "
     "for example KM-15 or \"Veltor FP-820T\").",
     [](GuiOptions& o, std::string model) { o.simulate = std::move(model); }},
    {"--registry", "FILE",
     "keep the book of serial numbers in FILE (an SQLite file that holds the registry keys), "
     "as TALLOWICK_REGISTRY does; the option wins over the variable. Without either, the book "
     "lives in $XDG_DATA_HOME/Tallowick/registry.sqlite3 or "
     "~/.local/share/Tallowick/registry.sqlite3. On Windows the book is kept in the registry "
     "itself.",
     [](GuiOptions& o, std::string file) { o.registry = std::move(file); }},
    {"--history", "FILE",
     "keep the history of test runs and initialisations in FILE (an SQLite file), as "
     "TALLOWICK_HISTORY does; the option wins over the variable. Without either, the history "
     "lives beside the book, in history.sqlite3; on Windows in "
     "%ProgramData%\\Tallowick\\history.sqlite3.",
     [](GuiOptions& o, std::string file) { o.history = std::move(file); }},
    {"--port", "PORT",
     "the port selected in the main window's port list: a listed one, or any other (a path "
     "such as /dev/ttyUSB0 or a pseudo-terminal of tallowick-sim, or COM12 on Windows); the "
     "list also takes a port typed by hand.",
     [](GuiOptions& o, std::string port) { o.port = std::move(port); }},
    {"--database", "CONNINFO",
     "the line database the stations of a workshop share, as libpq takes it: "
     "postgresql://USER@HOST/DB, 'host=… dbname=…' or service=NAME; its password comes from "
     "libpq's password or service file, never from here. Without it, TALLOWICK_DATABASE, else "
     "the computer's setting (the button \"Линия...\" of the book window); '' for none.",
     [](GuiOptions& o, std::string database) { o.database = std::move(database); }},
    {"--station", "NAME",
     "this station's name on the line (default: TALLOWICK_STATION, else the computer's "
     "setting, else the computer's name).",
     [](GuiOptions& o, std::string station) { o.station = std::move(station); }},
    {"--language", "LANG",
     "the language of the windows and of the logs they write, for this start: ru (Russian, "
     "the default), uk (Ukrainian) or ro (Romanian). Without it, the computer's setting (the "
     "language box of the main window); on a computer whose own language is Ukrainian or "
     "Romanian, the first start offers that one. The command line's texts and what goes to "
     "the printer never change with it.",
     [](GuiOptions& o, std::string language) { o.language = std::move(language); }},
    {"--help", "", "this text.", [](GuiOptions& o, std::string) { o.help = true; }, "-h"},
};

// "a file" for FILE.
std::string aValue(std::string_view value) {
  std::string word(value);
  std::transform(word.begin(), word.end(), word.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return "a " + word;
}

}  // namespace

std::string guiUsage() {
  constexpr std::string_view kCalled = "usage: tallowick";
  std::vector<std::string> pieces{std::string(kCalled)};
  for (const GuiOption& o : kOptions)
    pieces.push_back("[" + help::head(o.name, o.value) + "]");
  std::string text = help::flowed({pieces.begin(), pieces.end()}, 0, kCalled.size() + 1) + "\n\n";
  text += help::paragraph(
      "The desktop tool: the serial-number book, then the main window with the pages "
      "\"Инициализация регистратора\", \"Тест РРО\" and \"Вспомогательные функции\".",
      0);
  text += "\n";
  for (const GuiOption& o : kOptions)
    text += help::entry(help::head(o.name, o.value), o.help, 2, 22);
  return text + "\nQt's own options (for example -platform offscreen) are accepted as well.\n";
}

GuiOptions parseGuiOptions(const std::vector<std::string>& args) {
  GuiOptions o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const auto option =
        std::find_if(std::begin(kOptions), std::end(kOptions),
                     [&](const GuiOption& g) { return a == g.name || a == g.alias; });
    if (option == std::end(kOptions)) {
      if (a.starts_with("--")) {
        o.error = "unknown option: " + a;
        return o;
      }
      o.toolkitArgs.push_back(a);
      continue;
    }
    std::string value;
    if (option->value.starts_with('[')) {
      // The value may be left out: the next argument is it unless it is an option.
      if (i + 1 < args.size() && !args[i + 1].starts_with("-")) value = args[++i];
    } else if (!option->value.empty()) {
      if (i + 1 >= args.size()) {
        o.error = "option " + std::string(option->name) + " needs " + aValue(option->value);
        return o;
      }
      value = args[++i];
    }
    option->set(o, std::move(value));
  }
  return o;
}

}  // namespace tallowick
