// The saved files on Windows: CreateFileW with CREATE_NEW for the file written beside the
// target, FlushFileBuffers before ReplaceFileW, which keeps the old file's attributes and
// security, or MoveFileExW for a file that is new.
#include <windows.h>

#include <algorithm>

#include "testrun/output_file_system.h"

namespace tallowick::output_file {
namespace {

std::error_code lastError() {
  const DWORD e = GetLastError();
  return {static_cast<int>(e != 0 ? e : ERROR_GEN_FAILURE), std::system_category()};
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
    if (e == ERROR_FILE_NOT_FOUND) return Kind::Missing;
    if (e != ERROR_PATH_NOT_FOUND) {
      // Devices such as NUL have no attributes to read; their type says what they are.
      HANDLE h = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
      if (h != INVALID_HANDLE_VALUE) {
        const DWORD type = GetFileType(h);
        CloseHandle(h);
        return type == FILE_TYPE_CHAR ? Kind::CharacterDevice : Kind::Other;
      }
    }
    ec = {static_cast<int>(e), std::system_category()};
    return e == ERROR_PATH_NOT_FOUND ? Kind::Missing : Kind::Other;
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

// NTFS makes the rename durable with the file itself.
void syncFolder(const fs::path&) {}

}  // namespace tallowick::output_file
