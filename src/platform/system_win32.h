// The pieces of the data folder's rights on Windows, apart so that a test can judge access
// lists without changing a folder's.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <aclapi.h>
#include <sddl.h>

namespace tallowick::platform::detail {

// What the computer's Users may do in the folder of the station's data: read, write, make and
// remove files and folders, not change its rights.
inline constexpr DWORD kUsersRights =
    FILE_GENERIC_READ | FILE_GENERIC_WRITE | FILE_GENERIC_EXECUTE | DELETE;

// The well-known group of the computer's Users (BUILTIN\Users).
struct UsersSid {
  UsersSid();
  ~UsersSid();
  UsersSid(const UsersSid&) = delete;
  UsersSid& operator=(const UsersSid&) = delete;
  PSID sid = nullptr;
};

// `current` with the Users' rights added, inherited by what is made in the folder; the new
// list in `changed`, freed with LocalFree. A Windows error code, or ERROR_SUCCESS.
DWORD withUsersWrite(PACL current, PACL* changed);

// Whether the list lets the computer's Users make and write files in the folder and in
// everything made in it.
bool grantsUsersWrite(PACL acl);

}  // namespace tallowick::platform::detail
