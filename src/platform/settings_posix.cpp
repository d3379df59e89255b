#include "platform/settings.h"
#include "platform/system.h"

namespace tallowick::detail {

namespace {
// Where no folder for the station's data can be found, every read and write says why.
class NoSettings final : public Settings {
 public:
  explicit NoSettings(StoreError why) : why_(std::move(why)) {}
  StoreResult<std::optional<std::string>> get(std::string_view) override { return why_; }
  StoreStatus set(std::string_view, const std::string&) override { return why_; }

 private:
  StoreError why_;
};
}  // namespace

// Beside the book, in the folder of the station's data.
std::unique_ptr<Settings> platformSettings() {
  auto book = platform::dataFile(platform::DataFile::Book, [](const char* name) {
    return std::string_view(name) == "TALLOWICK_REGISTRY" ? std::nullopt
                                                          : platform::processEnvironment(name);
  });
  if (!book) return std::make_unique<NoSettings>(book.error());
  return fileSettings(book.value().parent_path() / "settings.json");
}

}  // namespace tallowick::detail
