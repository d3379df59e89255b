// The command line of the desktop tool `tallowick`.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tallowick {

inline constexpr const char* kGuiUsage =
    "usage: tallowick [--simulate [MODEL]] [--registry FILE] [--history FILE] [--port PORT]\n"
    "\n"
    "The desktop tool: the serial-number book, then the main window with the pages\n"
    "\"Инициализация регистратора\", \"Тест РРО\" and \"Вспомогательные функции\".\n"
    "\n"
    "  --simulate [MODEL]  also list the built-in virtual printer as the port 'sim', first\n"
    "                      in the port list, so the tool can connect without a printer.\n"
    "                      MODEL is the model it reports (default FP-90T; for example\n"
    "                      KM-15 or \"Veltor FP-820T\").\n"
    "  --registry FILE     keep the book of serial numbers in FILE (an SQLite file that\n"
    "                      holds the registry keys), as TALLOWICK_REGISTRY does; the option\n"
    "                      wins over the variable. Without either, the book lives in\n"
    "                      $XDG_DATA_HOME/Tallowick/registry.sqlite3 or\n"
    "                      ~/.local/share/Tallowick/registry.sqlite3. On Windows the book\n"
    "                      is kept in the registry itself.\n"
    "  --history FILE      keep the history of test runs and initialisations in FILE (an\n"
    "                      SQLite file), as TALLOWICK_HISTORY does; the option wins over\n"
    "                      the variable. Without either, the history lives beside the\n"
    "                      book, in history.sqlite3; on Windows in\n"
    "                      %ProgramData%\\Tallowick\\history.sqlite3.\n"
    "  --port PORT         the port selected in the main window's port list: a listed\n"
    "                      one, or any other (a path such as /dev/ttyUSB0 or a\n"
    "                      pseudo-terminal of tallowick-sim, or COM12 on Windows); the\n"
    "                      list also takes a port typed by hand.\n"
    "  --help              this text.\n"
    "\n"
    "Qt's own options (for example -platform offscreen) are accepted as well.\n";

struct GuiOptions {
  bool help = false;
  // Set when --simulate was given; empty when it named no model.
  std::optional<std::string> simulate;
  std::optional<std::string> registry;
  std::optional<std::string> history;
  std::string port;
  // What the toolkit is left to read (the program name first).
  std::vector<std::string> toolkitArgs;
  std::string error;
};

// Reads the arguments after the program name.
GuiOptions parseGuiOptions(const std::vector<std::string>& args);

}  // namespace tallowick
