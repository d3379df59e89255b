#include <windows.h>
// After windows.h, which they need.
#include <aclapi.h>
#include <knownfolders.h>
#include <lmcons.h>
#include <sddl.h>
#include <shlobj.h>

#include <filesystem>

#include "platform/system.h"
#include "platform/windows_text.h"

namespace tallowick::platform {

namespace fs = std::filesystem;

namespace detail {

// The folder of all users, not the user's own: the data of a bench is the bench's, whoever
// is logged on, and the history may grow far beyond what belongs in a profile.
StoreResult<fs::path> dataFolder(DataFile file, const Environment&) {
  PWSTR folder = nullptr;
  const HRESULT found = SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &folder);
  if (FAILED(found) || folder == nullptr) {
    CoTaskMemFree(folder);
    return StoreError{StoreErrorKind::Unavailable,
                      file == DataFile::Book
                          ? "Не удалось определить общую папку данных программ (ProgramData) "
                            "для файла с заводскими номерами."
                          : "Не удалось определить общую папку данных программ (ProgramData) "
                            "для файла истории."};
  }
  fs::path path = fs::path(folder) / L"Tallowick";
  CoTaskMemFree(folder);
  return path;
}

}  // namespace detail

namespace {

// What the computer's Users may do in the folder: read, write, make and remove files and
// folders, not change its rights.
constexpr DWORD kUsersRights =
    FILE_GENERIC_READ | FILE_GENERIC_WRITE | FILE_GENERIC_EXECUTE | DELETE;

StoreError folderError(const fs::path& folder, DWORD code) {
  return {StoreErrorKind::Unavailable,
          "Не удалось открыть папку данных " + pathText(folder) +
              " для всех пользователей компьютера: " + windowsErrorText(code)};
}

// The well-known group of the computer's Users (BUILTIN\Users).
struct UsersSid {
  UsersSid() { ConvertStringSidToSidW(L"S-1-5-32-545", &sid); }
  ~UsersSid() { LocalFree(sid); }
  PSID sid = nullptr;
};

}  // namespace

StoreStatus shareDataFolder() {
  auto folder = detail::dataFolder(DataFile::History, processEnvironment);
  if (!folder) return folder.error();
  std::error_code ec;
  fs::create_directories(folder.value(), ec);
  if (ec) return folderError(folder.value(), static_cast<DWORD>(ec.value()));
  UsersSid users;
  if (users.sid == nullptr) return folderError(folder.value(), GetLastError());
  PACL current = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  std::wstring path = folder.value().wstring();
  DWORD rc = GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                   nullptr, &current, nullptr, &descriptor);
  if (rc != ERROR_SUCCESS) return folderError(folder.value(), rc);
  EXPLICIT_ACCESSW access{};
  access.grfAccessPermissions = kUsersRights;
  access.grfAccessMode = GRANT_ACCESS;
  access.grfInheritance = SUB_CONTAINERS_AND_OBJECTS_INHERIT;
  access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
  access.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
  access.Trustee.ptstrName = static_cast<LPWSTR>(users.sid);
  PACL changed = nullptr;
  rc = SetEntriesInAclW(1, &access, current, &changed);
  if (rc == ERROR_SUCCESS) {
    rc = SetNamedSecurityInfoW(path.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                               nullptr, changed, nullptr);
  }
  LocalFree(changed);
  LocalFree(descriptor);
  if (rc != ERROR_SUCCESS) return folderError(folder.value(), rc);
  return {};
}

StoreResult<bool> dataFolderShared() {
  auto folder = detail::dataFolder(DataFile::History, processEnvironment);
  if (!folder) return folder.error();
  UsersSid users;
  PACL acl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const std::wstring path = folder.value().wstring();
  const DWORD rc = GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                         nullptr, nullptr, &acl, nullptr, &descriptor);
  if (rc != ERROR_SUCCESS) return folderError(folder.value(), rc);
  bool shared = false;
  ACL_SIZE_INFORMATION size{};
  if (acl != nullptr && users.sid != nullptr &&
      GetAclInformation(acl, &size, sizeof size, AclSizeInformation)) {
    for (DWORD i = 0; i < size.AceCount && !shared; ++i) {
      void* ace = nullptr;
      if (!GetAce(acl, i, &ace)) continue;
      const auto* header = static_cast<ACE_HEADER*>(ace);
      if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
      const auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
      const bool inherited = (header->AceFlags & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE)) ==
                             (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
      shared = EqualSid(const_cast<DWORD*>(&allowed->SidStart), users.sid) && inherited &&
               (allowed->Mask & FILE_ADD_FILE) && (allowed->Mask & FILE_WRITE_DATA);
    }
  }
  LocalFree(descriptor);
  return shared;
}

std::string computerName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  if (!GetComputerNameW(name, &size)) return {};
  return utf8FromWide(std::wstring_view(name, size));
}

std::string userName() {
  wchar_t name[UNLEN + 1] = {};
  DWORD size = UNLEN + 1;
  // The size counts the closing zero.
  if (!GetUserNameW(name, &size) || size == 0) return {};
  return utf8FromWide(std::wstring_view(name, size - 1));
}

std::uint64_t processId() {
  return GetCurrentProcessId();
}

bool processGone(std::uint64_t id) {
  if (id == 0 || id > 0xFFFFFFFFu) return false;
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(id));
  if (process == nullptr) return GetLastError() == ERROR_INVALID_PARAMETER;
  const bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
  CloseHandle(process);
  return ended;
}

std::string systemErrorText(const std::error_code& ec) {
  // The library's own texts of Windows errors come in the legacy code page.
  std::string text = ec.category() == std::system_category()
                         ? windowsErrorText(static_cast<unsigned long>(ec.value()))
                         : ec.message();
  if (!text.empty() && text.back() == '.') text.pop_back();
  return text;
}

}  // namespace tallowick::platform
