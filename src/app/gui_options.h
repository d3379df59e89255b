// The command line of the desktop tool `tallowick`.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tallowick {

// Every option with what it does, made from the table the parser reads.
std::string guiUsage();
inline const std::string kGuiUsage = guiUsage();

struct GuiOptions {
  bool help = false;
  // Set when --simulate was given; empty when it named no model.
  std::optional<std::string> simulate;
  std::optional<std::string> registry;
  std::optional<std::string> history;
  // The line database and the station, as the command line's --database and --station.
  std::optional<std::string> database;
  std::optional<std::string> station;
  std::string port;
  // The language of the windows for this start: ru, uk or ro.
  std::optional<std::string> language;
  // What the toolkit is left to read (the program name first).
  std::vector<std::string> toolkitArgs;
  std::string error;
};

// Reads the arguments after the program name.
GuiOptions parseGuiOptions(const std::vector<std::string>& args);

}  // namespace tallowick
