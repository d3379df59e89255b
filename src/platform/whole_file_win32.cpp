// The saved files on Windows: CreateFileW with CREATE_NEW for the file written beside the
// target, FlushFileBuffers before ReplaceFileW, which keeps the old file's attributes and
// security, or MoveFileExW for a file that is new.
#include <windows.h>

#include <algorithm>

#include "platform/whole_file_system.h"

namespace tallowick::whole_file {
namespace {

// The error of the last call, as the generic condition where there is one, so that the
// shared code tells the causes apart the same way on every platform.
std::error_code errorOf(DWORD e) {
  switch (e) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return std::make_error_code(std::errc::no_such_file_or_directory);
    case ERROR_ACCESS_DENIED:
      return std::make_error_code(std::errc::permission_denied);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return std::make_error_code(std::errc::file_exists);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return std::make_error_code(std::errc::no_space_on_device);
    case ERROR_WRITE_PROTECT:
      return std::make_error_code(std::errc::read_only_file_system);
    default:
      return {static_cast<int>(e != 0 ? e : ERROR_GEN_FAILURE), std::system_category()};
  }
}

std::error_code lastError() {
  return errorOf(GetLastError());
}

HANDLE handleOf(const Handle& h) {
  return reinterpret_cast<HANDLE>(h.value);
}

std::error_code opened(HANDLE h, Handle& handle) {
  if (h == INVALID_HANDLE_VALUE) return lastError();
  handle.value = reinterpret_cast<std::intptr_t>(h);
  return {};
}

}  // namespace

Kind kindOf(const fs::path& path, std::error_code& ec) {
  ec.clear();
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD e = GetLastError();
    // A missing folder is found when the file is made in it.
    if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) return Kind::Missing;
    // Devices such as NUL may have no attributes to read; their type says what they are.
    HANDLE h = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      const DWORD type = GetFileType(h);
      CloseHandle(h);
      return type == FILE_TYPE_CHAR ? Kind::CharacterDevice : Kind::Other;
    }
    ec = errorOf(e);
    return Kind::Other;
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return Kind::Other;
  HANDLE h = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return Kind::Regular;  // a file that is in use; the write says
  const DWORD type = GetFileType(h);
  CloseHandle(h);
  if (type == FILE_TYPE_DISK) return Kind::Regular;
  return type == FILE_TYPE_CHAR ? Kind::CharacterDevice : Kind::Other;
}

bool isWritable(const fs::path& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) == 0;
}

std::error_code createNew(const fs::path& path, Handle& handle) {
  return opened(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr),
                handle);
}

std::error_code openDevice(const fs::path& path, Handle& handle) {
  return opened(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr),
                handle);
}

std::error_code writeAll(Handle& handle, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(handleOf(handle), bytes.data(), chunk, &written, nullptr)) return lastError();
    if (written == 0) return {static_cast<int>(ERROR_WRITE_FAULT), std::system_category()};
    bytes.remove_prefix(written);
  }
  return {};
}

// ReplaceFileW carries the attributes and the security of the replaced file over.
void copyAccess(const fs::path&, Handle&) {}

std::error_code finish(Handle& handle) {
  std::error_code ec;
  const bool disk = GetFileType(handleOf(handle)) == FILE_TYPE_DISK;
  if (disk && !FlushFileBuffers(handleOf(handle))) ec = lastError();
  if (!CloseHandle(handleOf(handle)) && !ec) ec = lastError();
  handle.value = -1;
  return ec;
}

void discard(Handle& handle) {
  if (handle.isOpen()) CloseHandle(handleOf(handle));
  handle.value = -1;
}

std::error_code replace(const fs::path& temporary, const fs::path& target) {
  if (GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
    if (ReplaceFileW(target.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                     nullptr, nullptr)) {
      return {};
    }
    return lastError();
  }
  if (!MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) return lastError();
  return {};
}

std::error_code placeNew(const fs::path& temporary, const fs::path& target) {
  // Without MOVEFILE_REPLACE_EXISTING the move fails when the name exists: a file that
  // another writer put in place first stays.
  std::error_code ec;
  if (!MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
    const DWORD code = GetLastError();
    if (code != ERROR_ALREADY_EXISTS && code != ERROR_FILE_EXISTS) ec = errorOf(code);
  }
  // Gone already once it has been moved into place.
  DeleteFileW(temporary.c_str());
  return ec;
}

// NTFS makes the rename durable with the file itself.
void syncFolder(const fs::path&) {}

}  // namespace tallowick::whole_file
