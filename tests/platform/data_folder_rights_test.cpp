// The rights that make the station's data folder writable for every user of the computer,
// judged on access lists built here (a folder's own rights are the system's to keep).
#include <gtest/gtest.h>

#include "platform/system_win32.h"

namespace tallowick::platform::detail {
namespace {

// An access list of one entry for `sidText`, with `rights` and `inheritance`.
struct OneEntry {
  OneEntry(const wchar_t* sidText, DWORD rights, DWORD inheritance) {
    ConvertStringSidToSidW(sidText, &sid);
    EXPLICIT_ACCESSW access{};
    access.grfAccessPermissions = rights;
    access.grfAccessMode = GRANT_ACCESS;
    access.grfInheritance = inheritance;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.ptstrName = static_cast<LPWSTR>(sid);
    SetEntriesInAclW(1, &access, nullptr, &acl);
  }
  ~OneEntry() {
    LocalFree(acl);
    LocalFree(sid);
  }
  PSID sid = nullptr;
  PACL acl = nullptr;
};

constexpr const wchar_t* kUsers = L"S-1-5-32-545";
constexpr const wchar_t* kAdministrators = L"S-1-5-32-544";
constexpr const wchar_t* kEveryone = L"S-1-1-0";

TEST(DataFolderRights, OnlyUsersWritingEverywhereInTheFolderCount) {
  struct Case {
    const char* what;
    const wchar_t* sid;
    DWORD rights;
    DWORD inheritance;
    bool shared;
  };
  const Case cases[] = {
      {"Users, write, inherited", kUsers, kUsersRights, SUB_CONTAINERS_AND_OBJECTS_INHERIT, true},
      {"Users, read only", kUsers, FILE_GENERIC_READ, SUB_CONTAINERS_AND_OBJECTS_INHERIT, false},
      {"Users, write, this folder only", kUsers, kUsersRights, NO_INHERITANCE, false},
      {"Users, write, files only", kUsers, kUsersRights, OBJECT_INHERIT_ACE, false},
      {"Administrators, write", kAdministrators, kUsersRights, SUB_CONTAINERS_AND_OBJECTS_INHERIT,
       false},
      {"Everyone, write", kEveryone, kUsersRights, SUB_CONTAINERS_AND_OBJECTS_INHERIT, false},
  };
  for (const Case& c : cases) {
    const OneEntry entry(c.sid, c.rights, c.inheritance);
    ASSERT_NE(entry.acl, nullptr) << c.what;
    EXPECT_EQ(grantsUsersWrite(entry.acl), c.shared) << c.what;
  }
  EXPECT_FALSE(grantsUsersWrite(nullptr));
}

TEST(DataFolderRights, TheUsersRightsAreAddedToWhatTheFolderHad) {
  const OneEntry administrators(kAdministrators, GENERIC_ALL, SUB_CONTAINERS_AND_OBJECTS_INHERIT);
  ASSERT_FALSE(grantsUsersWrite(administrators.acl));
  PACL changed = nullptr;
  ASSERT_EQ(withUsersWrite(administrators.acl, &changed), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_TRUE(grantsUsersWrite(changed));
  ACL_SIZE_INFORMATION size{};
  ASSERT_TRUE(GetAclInformation(changed, &size, sizeof size, AclSizeInformation));
  EXPECT_EQ(size.AceCount, 2u) << "the administrators' entry is kept";
  LocalFree(changed);
}

}  // namespace
}  // namespace tallowick::platform::detail
