// The saved files on POSIX systems: open(2) with O_EXCL for the file written beside the
// target, fsync before rename(2) or link(2), the old file's mode and owner carried over.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/whole_file_system.h"

namespace tallowick::whole_file {
namespace {

std::error_code lastError() {
  return {errno != 0 ? errno : EIO, std::generic_category()};
}

int fd(const Handle& h) {
  return static_cast<int>(h.value);
}

}  // namespace

Kind kindOf(const fs::path& path, std::error_code& ec) {
  ec.clear();
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT) return Kind::Missing;
    ec = lastError();
    return Kind::Other;
  }
  if (S_ISREG(st.st_mode)) return Kind::Regular;
  if (S_ISCHR(st.st_mode)) return Kind::CharacterDevice;
  return Kind::Other;
}

bool isWritable(const fs::path& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  // Root may write any file; a file that nobody may write is still read-only to us.
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
  return ::access(path.c_str(), W_OK) == 0;
}

std::error_code createNew(const fs::path& path, Handle& handle) {
  const int f = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (f < 0) return lastError();
  handle.value = f;
  return {};
}

std::error_code openDevice(const fs::path& path, Handle& handle) {
  const int f = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
  if (f < 0) return lastError();
  handle.value = f;
  return {};
}

std::error_code writeAll(Handle& handle, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd(handle), bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? lastError() : std::error_code(EIO, std::generic_category());
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return {};
}

void copyAccess(const fs::path& from, Handle& handle) {
  struct stat st {};
  if (::stat(from.c_str(), &st) != 0) return;
  // The owner first: changing it may clear the set-id bits that the mode then restores.
  // An ordinary user can give a file only their own owner, which it has already; a file
  // system without owners or modes (FAT) keeps what it has.
  (void)::fchown(fd(handle), st.st_uid, st.st_gid);
  (void)::fchmod(fd(handle), st.st_mode & 07777);
}

std::error_code finish(Handle& handle) {
  std::error_code ec;
  // Devices and pipes have nothing to make durable.
  if (::fsync(fd(handle)) != 0 && errno != EINVAL && errno != EROFS && errno != ENOTSUP) {
    ec = lastError();
  }
  if (::close(fd(handle)) != 0 && !ec && errno != EINTR) ec = lastError();
  handle.value = -1;
  return ec;
}

void discard(Handle& handle) {
  if (handle.isOpen()) ::close(fd(handle));
  handle.value = -1;
}

std::error_code replace(const fs::path& temporary, const fs::path& target) {
  if (::rename(temporary.c_str(), target.c_str()) != 0) return lastError();
  return {};
}

std::error_code placeNew(const fs::path& temporary, const fs::path& target) {
  // link() never replaces: a file that another writer put in place first stays.
  std::error_code ec;
  if (::link(temporary.c_str(), target.c_str()) != 0 && errno != EEXIST) ec = lastError();
  ::unlink(temporary.c_str());
  return ec;
}

void syncFolder(const fs::path& folder) {
  const int f = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (f < 0) return;
  ::fsync(f);
  ::close(f);
}

}  // namespace tallowick::whole_file
