// The settings of this computer that a workshop's administrator sets once and every user of
// the computer shares: the line database's connection, the station's name and its block of
// numbers, the language of the windows, the workshop's name. A file of the station's data
// (settings.json beside the book on Linux), or the program's key in the registry on Windows;
// TALLOWICK_SETTINGS names a file instead on either.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/store_result.h"

namespace tallowick {

class Settings {
 public:
  virtual ~Settings() = default;
  // The value of `name`; nothing when it is not set.
  virtual StoreResult<std::optional<std::string>> get(std::string_view name) = 0;
  // Sets `name` to `value` for good; an empty value removes the setting.
  virtual StoreStatus set(std::string_view name, const std::string& value) = 0;
};

// The names of the settings.
namespace setting {
inline constexpr std::string_view kDatabase = "database";
inline constexpr std::string_view kStation = "station";
inline constexpr std::string_view kBlockSize = "block_size";
inline constexpr std::string_view kLanguage = "language";
inline constexpr std::string_view kWorkshop = "workshop";
// The folder where the station window saves its runs' logs.
inline constexpr std::string_view kLogFolder = "log_folder";
}  // namespace setting

// Settings in a JSON file, written whole at every change. A file that is not such an object
// is reported and left as it is.
std::unique_ptr<Settings> fileSettings(std::filesystem::path file);

// This computer's settings: the file TALLOWICK_SETTINGS names, else the platform's place.
std::unique_ptr<Settings> computerSettings();

}  // namespace tallowick
