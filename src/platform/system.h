// What Tallowick asks of the computer it runs on: where its data lives, the computer's and
// the user's names, the environment, and the system's words for an error. One file per
// platform behind these declarations.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/store_result.h"

namespace tallowick::platform {

// A variable of the environment; nothing when it is not set.
using Environment = std::function<std::optional<std::string>(const char* name)>;
// The process's own environment.
std::optional<std::string> processEnvironment(const char* name);

// The files of a station's own data.
enum class DataFile : std::uint8_t {
  Book,     // the book of serial numbers where it is a file (not the Windows registry)
  History,  // the record of every run and initialisation
};

// Where `file` lives: the file its variable names (TALLOWICK_REGISTRY, TALLOWICK_HISTORY);
// otherwise in the folder of the station's data: "Tallowick" in $XDG_DATA_HOME (when it is
// an absolute path) or ~/.local/share, on Windows in %ProgramData%, shared by every user of
// the computer.
StoreResult<std::filesystem::path> dataFile(DataFile file, const Environment& environment);
StoreResult<std::filesystem::path> dataFile(DataFile file);

// The folder of the station's data made, when it is missing, so that every user of the
// computer may write in it: on Windows %ProgramData%\Tallowick with a right to change for
// the computer's Users, inherited by what is made in it (a second technician's runs and the
// outbox are recorded too); elsewhere the user's own folder, as it is. The installer calls
// it; so does a program that finds the folder missing.
StoreStatus shareDataFolder();
// Whether the computer's Users may write in the folder of the station's data (always on
// platforms where it is the user's own).
StoreResult<bool> dataFolderShared();

// The program's arguments after its name, in UTF-8 as everything inside it: on Windows read
// from the wide command line, since `argv` there is in the computer's code page and loses
// what it cannot hold (a serial number's Cyrillic prefix, a reason, a folder's name).
std::vector<std::string> programArguments(int argc, char** argv);

// The folder the running program was started from; nothing when the system does not tell.
std::optional<std::filesystem::path> programFolder();

// This computer's name; empty when the system does not tell.
std::string computerName();
// The name of the operating system's user who runs the program; empty when unknown.
std::string userName();

// This process's number, and whether the process of that number on this computer has
// ended for certain (false when it runs, or when that cannot be told).
std::uint64_t processId();
bool processGone(std::uint64_t id);

// A new random identity in the form of a UUID of version 4 ("6f1c0d3e-…").
std::string newUid();

// The system's sentence for an error, in UTF-8, without a closing full stop or line break.
std::string systemErrorText(const std::error_code& ec);

// A path as UTF-8 text, as SQLite opens files by name and as the messages name them.
std::string pathText(const std::filesystem::path& path);
// The path a UTF-8 text names, as the program's arguments and the windows give it (on
// Windows, a path made from a narrow string would read it in the computer's code page).
std::filesystem::path pathOf(std::string_view utf8);

}  // namespace tallowick::platform
