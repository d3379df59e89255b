#include <windows.h>
// After windows.h, which they need.
#include <aclapi.h>
#include <knownfolders.h>
#include <lmcons.h>
#include <sddl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <filesystem>

#include "platform/system.h"
#include "platform/system_win32.h"
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

StoreError folderError(const fs::path& folder, DWORD code) {
  return {StoreErrorKind::Unavailable,
          "Не удалось открыть папку данных " + pathText(folder) +
              " для всех пользователей компьютера: " + windowsErrorText(code)};
}

// A folder's access list, freed with the descriptor that holds it.
struct FolderAcl {
  explicit FolderAcl(const fs::path& folder) {
    const std::wstring path = folder.wstring();
    rc = GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                               nullptr, &acl, nullptr, &descriptor);
  }
  ~FolderAcl() { LocalFree(descriptor); }
  FolderAcl(const FolderAcl&) = delete;
  FolderAcl& operator=(const FolderAcl&) = delete;
  DWORD rc = ERROR_SUCCESS;
  PACL acl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
};

}  // namespace

namespace detail {

UsersSid::UsersSid() {
  ConvertStringSidToSidW(L"S-1-5-32-545", &sid);
}

UsersSid::~UsersSid() {
  LocalFree(sid);
}

DWORD withUsersWrite(PACL current, PACL* changed) {
  UsersSid users;
  if (users.sid == nullptr) return GetLastError();
  EXPLICIT_ACCESSW access{};
  access.grfAccessPermissions = kUsersRights;
  access.grfAccessMode = GRANT_ACCESS;
  access.grfInheritance = SUB_CONTAINERS_AND_OBJECTS_INHERIT;
  access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
  access.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
  access.Trustee.ptstrName = static_cast<LPWSTR>(users.sid);
  return SetEntriesInAclW(1, &access, current, changed);
}

bool grantsUsersWrite(PACL acl) {
  UsersSid users;
  ACL_SIZE_INFORMATION size{};
  if (acl == nullptr || users.sid == nullptr ||
      !GetAclInformation(acl, &size, sizeof size, AclSizeInformation)) {
    return false;
  }
  for (DWORD i = 0; i < size.AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(acl, i, &ace)) continue;
    const auto* header = static_cast<ACE_HEADER*>(ace);
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
    const auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
    const BYTE inherits = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
    if (EqualSid(const_cast<DWORD*>(&allowed->SidStart), users.sid) &&
        (header->AceFlags & inherits) == inherits && (allowed->Mask & FILE_ADD_FILE) &&
        (allowed->Mask & FILE_WRITE_DATA) && (allowed->Mask & FILE_ADD_SUBDIRECTORY)) {
      return true;
    }
  }
  return false;
}

}  // namespace detail

StoreStatus shareDataFolder() {
  auto folder = detail::dataFolder(DataFile::History, processEnvironment);
  if (!folder) return folder.error();
  std::error_code ec;
  fs::create_directories(folder.value(), ec);
  if (ec) return folderError(folder.value(), static_cast<DWORD>(ec.value()));
  const FolderAcl current(folder.value());
  if (current.rc != ERROR_SUCCESS) return folderError(folder.value(), current.rc);
  PACL changed = nullptr;
  DWORD rc = detail::withUsersWrite(current.acl, &changed);
  if (rc == ERROR_SUCCESS) {
    std::wstring path = folder.value().wstring();
    rc = SetNamedSecurityInfoW(path.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                               nullptr, changed, nullptr);
  }
  LocalFree(changed);
  if (rc != ERROR_SUCCESS) return folderError(folder.value(), rc);
  return {};
}

StoreResult<bool> dataFolderShared() {
  auto folder = detail::dataFolder(DataFile::History, processEnvironment);
  if (!folder) return folder.error();
  const FolderAcl current(folder.value());
  if (current.rc != ERROR_SUCCESS) return folderError(folder.value(), current.rc);
  return detail::grantsUsersWrite(current.acl);
}

std::vector<std::string> programArguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return {argv + 1, argv + argc};
  std::vector<std::string> args;
  for (int i = 1; i < count; ++i)
    args.push_back(utf8FromWide(wide[i]));
  LocalFree(wide);
  return args;
}

std::optional<std::filesystem::path> programFolder() {
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD size = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (size == 0) return std::nullopt;
    if (size < name.size()) {
      name.resize(size);
      return std::filesystem::path(name).parent_path();
    }
    if (name.size() > 32768) return std::nullopt;
    name.resize(name.size() * 2);
  }
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
