// What WholeFile needs from the operating system, one implementation per platform
// (POSIX, Win32). Every call that can fail returns the system's error code.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace tallowick::whole_file {

namespace fs = std::filesystem;

// What a path names (a symbolic link followed), as far as writing over it goes.
enum class Kind : std::uint8_t {
  Missing,          // nothing yet: a new file
  Regular,          // a file that is replaced
  CharacterDevice,  // written in place
  Other,            // a folder, a FIFO, a socket, a block device: refused
};

// An open file of the system; closed by finish() or discard().
struct Handle {
  std::intptr_t value = -1;
  bool isOpen() const { return value != -1; }
};

Kind kindOf(const fs::path& path, std::error_code& ec);
// Whether an existing file may be written: it is not marked read-only and the user has
// the right to write it.
bool isWritable(const fs::path& path);
// Creates a file that does not exist yet, with the permissions a new file of the user gets.
std::error_code createNew(const fs::path& path, Handle& handle);
// Opens an existing device for writing, without truncating or replacing it.
std::error_code openDevice(const fs::path& path, Handle& handle);
std::error_code writeAll(Handle& handle, std::string_view bytes);
// Gives the new file the permissions (and, where the system lets us, the owner) of `from`.
void copyAccess(const fs::path& from, Handle& handle);
// Makes what was written durable, where the file can be, and closes it.
std::error_code finish(Handle& handle);
// Closes without further ado.
void discard(Handle& handle);
// Puts `temporary` in the place of `target` in one step.
std::error_code replace(const fs::path& temporary, const fs::path& target);
// Gives `temporary` the name `target` unless a file has that name already, which is kept
// (and is no error); `temporary` is gone either way.
std::error_code placeNew(const fs::path& temporary, const fs::path& target);
// Makes the folder's new entry durable, where the system needs that.
void syncFolder(const fs::path& folder);

}  // namespace tallowick::whole_file
