#include "platform/settings.h"

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "platform/system.h"
#include "platform/whole_file.h"

namespace tallowick {

namespace fs = std::filesystem;

namespace {

class FileSettings final : public Settings {
 public:
  explicit FileSettings(fs::path file) : file_(std::move(file)) {}

  StoreResult<std::optional<std::string>> get(std::string_view name) override {
    auto values = read();
    if (!values) return values.error();
    const auto found = values.value().find(std::string(name));
    if (found == values.value().end() || !found->is_string()) return std::optional<std::string>();
    return std::optional(found->get<std::string>());
  }

  StoreStatus set(std::string_view name, const std::string& value) override {
    auto values = read();
    if (!values) return values.error();
    nlohmann::json changed = std::move(values).value();
    if (value.empty()) {
      changed.erase(std::string(name));
    } else {
      changed[std::string(name)] = value;
    }
    if (auto failed = writeWholeFile(file_, changed.dump(2) + "\n", Placement::Replace)) {
      return StoreError{StoreErrorKind::Unavailable, failed->message};
    }
    return {};
  }

 private:
  // The settings as an object; none yet is an empty one.
  StoreResult<nlohmann::json> read() const {
    std::error_code ec;
    if (!fs::exists(file_, ec)) return nlohmann::json::object();
    std::ifstream in(file_, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in && !in.eof()) {
      return StoreError{StoreErrorKind::Unavailable,
                        "Файл настроек недоступен: " + platform::pathText(file_) + "."};
    }
    auto values = nlohmann::json::parse(text.str(), nullptr, false);
    if (!values.is_object()) {
      return StoreError{StoreErrorKind::Damaged, "Файл настроек повреждён и не будет изменён: " +
                                                     platform::pathText(file_) + "."};
    }
    return values;
  }

  fs::path file_;
};

}  // namespace

namespace detail {
// The platform's own place for the settings of this computer.
std::unique_ptr<Settings> platformSettings();
}  // namespace detail

std::unique_ptr<Settings> fileSettings(fs::path file) {
  return std::make_unique<FileSettings>(std::move(file));
}

std::unique_ptr<Settings> computerSettings() {
  if (auto named = platform::processEnvironment("TALLOWICK_SETTINGS"); named && !named->empty()) {
    return fileSettings(*named);
  }
  return detail::platformSettings();
}

}  // namespace tallowick
