#include "platform/whole_file.h"

#include <charconv>
#include <chrono>
#include <random>

#include "platform/own_text.h"
#include "platform/system.h"

namespace tallowick {
namespace {

namespace fs = std::filesystem;
using whole_file::Kind;

constexpr int kMaxLinks = 40;  // as many as the system itself follows
constexpr int kNameAttempts = 100;

// The reason for a failed system call, in the words of the windows.
std::string reasonOf(const std::error_code& ec) {
  if (ec == std::errc::no_space_on_device) return Text::tr("на диске нет места");
  if (ec == std::errc::io_error) return Text::tr("ошибка ввода-вывода");
  if (ec == std::errc::read_only_file_system) {
    return Text::tr("файловая система доступна только для чтения");
  }
  if (ec == std::errc::permission_denied || ec == std::errc::operation_not_permitted) {
    return Text::tr("нет прав на запись");
  }
  if (ec == std::errc::file_too_large) return Text::tr("файл слишком велик");
  if (ec == std::errc::too_many_symbolic_link_levels) {
    return Text::tr("слишком много символических ссылок");
  }
  return platform::systemErrorText(ec);
}

// The same for a file that could not be made in `folder`.
std::string folderReasonOf(const std::error_code& ec, const fs::path& folder) {
  const std::string name = folder.empty() ? std::string(".") : folder.string();
  if (ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory) {
    return withArgs(Text::tr("папка %1 не существует"), {name});
  }
  if (ec == std::errc::permission_denied || ec == std::errc::operation_not_permitted) {
    return withArgs(Text::tr("нет прав на запись в папку %1"), {name});
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

// A writer needs moments between making its temporary file and removing it; one this old
// belongs to a writer that is gone, on this machine or another sharing the folder.
constexpr auto kAbandonedAfter = std::chrono::minutes(10);

std::string leftoverPrefix(const fs::path& target) {
  return "." + target.filename().string() + ".";
}

// The writer of a temporary file: ".NAME.HOST.PROCESS.XXXXXXXXXXXX.tmp" names the computer
// and the process that made it (a shared folder may serve several computers, where the
// process numbers of another say nothing here).
std::string writerPart() {
  std::string host = platform::computerName();
  if (host.empty()) host = "localhost";
  return host + "." + std::to_string(platform::processId()) + ".";
}

// Whether the temporary file `name` of a writer of this computer was left by a process that
// has ended.
bool writerGone(std::string_view name, std::string_view prefix) {
  name.remove_prefix(prefix.size());
  name.remove_suffix(4);  // ".tmp"
  const auto random = name.rfind('.');
  if (random == std::string_view::npos) return false;
  const auto pid = name.rfind('.', random - 1);
  if (pid == std::string_view::npos || pid == 0) return false;
  std::string host = platform::computerName();
  if (host.empty()) host = "localhost";
  if (name.substr(0, pid) != host) return false;
  std::uint64_t id = 0;
  const std::string_view digits = name.substr(pid + 1, random - pid - 1);
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), id);
  return ec == std::errc{} && end == digits.data() + digits.size() && platform::processGone(id);
}

std::string randomSuffix() {
  // One generator per thread: several runs save their files at once.
  thread_local std::mt19937_64 generator{std::random_device{}()};
  static constexpr char kDigits[] = "0123456789abcdef";
  std::uint64_t bits = generator();
  std::string suffix;
  for (int i = 0; i < 12; ++i, bits >>= 4)
    suffix += kDigits[bits & 0xF];
  return suffix;
}

}  // namespace

std::string fileNotSavedText(const std::string& path, const std::string& reason) {
  return withArgs(Text::tr("Невозможно записать файл %1: %2"), {path, reason});
}

WholeFile::~WholeFile() {
  abandon();
}

std::optional<Failure> WholeFile::fail(const std::string& reason) {
  if (!error_) {
    error_ = Failure{fileNotSavedText(path_, reason)};
    reason_ = reason;
  }
  return error_;
}

void WholeFile::abandon() {
  whole_file::discard(file_);
  if (!temporary_.empty()) {
    std::error_code ignored;
    fs::remove(temporary_, ignored);
    temporary_.clear();
  }
}

std::optional<Failure> WholeFile::open(const fs::path& path, Placement placement) {
  const std::u8string text = path.u8string();
  return openNamed(std::string(text.begin(), text.end()), path, placement);
}

std::optional<Failure> WholeFile::open(const std::string& path, Placement placement) {
  return openNamed(path, platform::pathOf(path), placement);
}

std::optional<Failure> WholeFile::openNamed(const std::string& path, const fs::path& given,
                                            Placement placement) {
  abandon();
  error_.reset();
  reason_.clear();
  path_ = path;
  placement_ = placement;
  if (path.empty()) return fail(Text::tr("не указано имя файла"));
  std::error_code ec;
  // What the path names with its links followed by the system itself, which also knows
  // the links of /proc and /dev/fd.
  const Kind kind = whole_file::kindOf(given, ec);
  if (ec) return fail(reasonOf(ec));
  if (kind == Kind::Other) {
    return fail(Text::tr("это не обычный файл (папка, канал или устройство), он не будет заменён"));
  }
  if (placement == Placement::KeepExisting) {
    // A store is a file of its own, never a device written in place.
    if (kind == Kind::CharacterDevice) return fail(Text::tr("это не обычный файл (устройство)"));
    if (auto failed = makeFolder(given.parent_path())) return fail(failed->message);
  }
  if (kind == Kind::CharacterDevice) {
    ec = whole_file::openDevice(given, file_);
    if (ec) return fail(reasonOf(ec));
    return std::nullopt;
  }

  // A link stays; the file it leads to is written.
  target_ = given;
  if (fs::is_symlink(fs::symlink_status(given, ec))) {
    target_ = kind == Kind::Regular ? fs::canonical(given, ec) : endOfLinks(given, ec);
    if (ec) return fail(reasonOf(ec));
  }
  if (placement == Placement::Replace && kind == Kind::Regular &&
      !whole_file::isWritable(target_)) {
    return fail("файл доступен только для чтения");
  }

  // Beside the target, so that putting it in place is one rename on one file system.
  const fs::path folder = target_.parent_path();
  for (int i = 0; i < kNameAttempts; ++i) {
    const fs::path name =
        folder / (leftoverPrefix(target_) + writerPart() + randomSuffix() + ".tmp");
    ec = whole_file::createNew(name, file_);
    if (!ec) {
      temporary_ = name;
      break;
    }
    if (ec != std::errc::file_exists) return fail(folderReasonOf(ec, folder));
  }
  if (temporary_.empty()) return fail(folderReasonOf(ec, folder));
  if (placement == Placement::Replace && kind == Kind::Regular) {
    whole_file::copyAccess(target_, file_);
  }
  return std::nullopt;
}

void WholeFile::write(std::string_view bytes) {
  if (!file_.isOpen() || error_) return;
  if (const std::error_code ec = whole_file::writeAll(file_, bytes)) fail(reasonOf(ec));
}

std::optional<Failure> WholeFile::commit() {
  if (!file_.isOpen() || error_) {
    abandon();
    return error_;
  }
  if (const std::error_code ec = whole_file::finish(file_)) {
    fail(reasonOf(ec));
    abandon();
    return error_;
  }
  if (!temporary_.empty()) {
    const std::error_code ec = placement_ == Placement::Replace
                                   ? whole_file::replace(temporary_, target_)
                                   : whole_file::placeNew(temporary_, target_);
    if (ec) {
      fail(reasonOf(ec));
      abandon();
      return error_;
    }
    temporary_.clear();
    whole_file::syncFolder(target_.parent_path());
  }
  return std::nullopt;
}

std::optional<Failure> writeWholeFile(const std::string& path, std::string_view bytes,
                                      Placement placement) {
  WholeFile file;
  if (auto refused = file.open(path, placement)) return refused;
  file.write(bytes);
  return file.commit();
}

std::optional<Failure> writeWholeFile(const fs::path& path, std::string_view bytes,
                                      Placement placement) {
  WholeFile file;
  if (auto refused = file.open(path, placement)) return refused;
  file.write(bytes);
  return file.commit();
}

void removeLeftovers(const fs::path& target) {
  std::error_code ec;
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  const std::string prefix = leftoverPrefix(target);
  const auto now = fs::file_time_type::clock::now();
  for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator();
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (!name.starts_with(prefix) || !name.ends_with(".tmp")) continue;
    std::error_code entry;
    const auto written = fs::last_write_time(it->path(), entry);
    if (writerGone(name, prefix) || (!entry && now - written > kAbandonedAfter)) {
      fs::remove(it->path(), entry);
    }
  }
}

std::optional<Failure> makeFolder(const fs::path& folder) {
  if (folder.empty()) return std::nullopt;
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) return Failure{folderReasonOf(ec, folder)};
  return std::nullopt;
}

}  // namespace tallowick
