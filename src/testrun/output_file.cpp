#include "testrun/output_file.h"

#include <random>

namespace tallowick {
namespace {

namespace fs = std::filesystem;
using output_file::Kind;

constexpr int kMaxLinks = 40;  // as many as the system itself follows
constexpr int kNameAttempts = 100;

// The reason for a failed system call, in the words of the windows.
std::string reasonOf(const std::error_code& ec) {
  if (ec == std::errc::no_space_on_device) return "на диске нет места";
  if (ec == std::errc::io_error) return "ошибка ввода-вывода";
  if (ec == std::errc::read_only_file_system) return "файловая система доступна только для чтения";
  if (ec == std::errc::permission_denied || ec == std::errc::operation_not_permitted) {
    return "нет прав на запись";
  }
  if (ec == std::errc::file_too_large) return "файл слишком велик";
  if (ec == std::errc::too_many_symbolic_link_levels) return "слишком много символических ссылок";
  return ec.message();
}

// The same for a file that could not be made in `folder`.
std::string folderReasonOf(const std::error_code& ec, const fs::path& folder) {
  const std::string name = folder.empty() ? std::string(".") : folder.string();
  if (ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory) {
    return "папка " + name + " не существует";
  }
  if (ec == std::errc::permission_denied || ec == std::errc::operation_not_permitted) {
    return "нет прав на запись в папку " + name;
  }
  return reasonOf(ec);
}

// Where a chain of links ends whose last target does not exist yet.
fs::path endOfLinks(fs::path at, std::error_code& ec) {
  for (int i = 0; i < kMaxLinks; ++i) {
    const fs::file_status status = fs::symlink_status(at, ec);
    if (status.type() == fs::file_type::not_found) ec.clear();
    if (ec || !fs::is_symlink(status)) return at;
    const fs::path next = fs::read_symlink(at, ec);
    if (ec) return at;
    at = next.is_absolute() ? next : at.parent_path() / next;
  }
  ec = std::make_error_code(std::errc::too_many_symbolic_link_levels);
  return at;
}

std::string randomSuffix() {
  static std::mt19937_64 generator{std::random_device{}()};
  static constexpr char kDigits[] = "0123456789abcdef";
  std::uint64_t bits = generator();
  std::string suffix;
  for (int i = 0; i < 12; ++i, bits >>= 4)
    suffix += kDigits[bits & 0xF];
  return suffix;
}

}  // namespace

std::string fileNotSavedText(const std::string& path, const std::string& reason) {
  return "Невозможно записать файл " + path + ": " + reason;
}

OutputFile::~OutputFile() {
  abandon();
}

std::optional<std::string> OutputFile::fail(const std::string& reason) {
  if (!error_) error_ = fileNotSavedText(path_, reason);
  return error_;
}

void OutputFile::abandon() {
  output_file::discard(file_);
  if (!temporary_.empty()) {
    std::error_code ignored;
    fs::remove(temporary_, ignored);
    temporary_.clear();
  }
}

std::optional<std::string> OutputFile::open(const std::string& path) {
  abandon();
  error_.reset();
  path_ = path;
  if (path.empty()) return fail("не указано имя файла");
  const fs::path given(path);
  std::error_code ec;
  // What the path names with its links followed by the system itself, which also knows
  // the links of /proc and /dev/fd.
  const Kind kind = output_file::kindOf(given, ec);
  if (ec) return fail(reasonOf(ec));
  if (kind == Kind::Other) {
    return fail("это не обычный файл (папка, канал или устройство), он не будет заменён");
  }
  if (kind == Kind::CharacterDevice) {
    ec = output_file::openDevice(given, file_);
    if (ec) return fail(reasonOf(ec));
    return std::nullopt;
  }

  // A link stays; the file it leads to is written.
  target_ = given;
  if (fs::is_symlink(fs::symlink_status(given, ec))) {
    target_ = kind == Kind::Regular ? fs::canonical(given, ec) : endOfLinks(given, ec);
    if (ec) return fail(reasonOf(ec));
  }
  if (kind == Kind::Regular && !output_file::isWritable(target_)) {
    return fail("файл доступен только для чтения");
  }

  // Beside the target, so that putting it in place is one rename on one file system.
  const fs::path folder = target_.parent_path();
  for (int i = 0; i < kNameAttempts; ++i) {
    const fs::path name =
        folder / ("." + target_.filename().string() + "." + randomSuffix() + ".tmp");
    ec = output_file::createNew(name, file_);
    if (!ec) {
      temporary_ = name;
      break;
    }
    if (ec != std::errc::file_exists) return fail(folderReasonOf(ec, folder));
  }
  if (temporary_.empty()) return fail(folderReasonOf(ec, folder));
  if (kind == Kind::Regular) output_file::copyAccess(target_, file_);
  return std::nullopt;
}

void OutputFile::write(std::string_view bytes) {
  if (!file_.isOpen() || error_) return;
  if (const std::error_code ec = output_file::writeAll(file_, bytes)) fail(reasonOf(ec));
}

std::optional<std::string> OutputFile::commit() {
  if (!file_.isOpen() || error_) {
    abandon();
    return error_;
  }
  if (const std::error_code ec = output_file::finish(file_)) {
    fail(reasonOf(ec));
    abandon();
    return error_;
  }
  if (!temporary_.empty()) {
    if (const std::error_code ec = output_file::replace(temporary_, target_)) {
      fail(reasonOf(ec));
      abandon();
      return error_;
    }
    temporary_.clear();
    output_file::syncFolder(target_.parent_path());
  }
  return std::nullopt;
}

}  // namespace tallowick
