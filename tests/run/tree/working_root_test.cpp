#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "import_patch.h"
#include "run/tree/remove_tree.h"
#include "run/tree/working_root.h"
#include "test_support.h"

// After the platform's main header, which they need.
#include <sddl.h>
#include <wincrypt.h>
#include <winternl.h>

using namespace quillane_test;

namespace {

// Wine keeps no security descriptor on files, so the descriptor is checked
// as the run builds it, with the platform's own query functions.
TEST(WorkingRootSecurity, OwnedByAdministratorsProtectedWithThreeEntriesInheritedByAllBelow) {
  quillane::UniqueLocal descriptor(quillane::BuildWorkingRootSecurity());
  ASSERT_TRUE(descriptor.Valid());
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  ASSERT_TRUE(GetSecurityDescriptorControl(descriptor.Get(), &control, &revision));
  EXPECT_TRUE(control & SE_DACL_PROTECTED);

  BOOL present = FALSE;
  BOOL defaulted = TRUE;
  PACL dacl = nullptr;
  ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor.Get(), &present, &dacl, &defaulted));
  ASSERT_TRUE(present && dacl);
  ACL_SIZE_INFORMATION size{};
  ASSERT_TRUE(GetAclInformation(dacl, &size, sizeof(size), AclSizeInformation));
  ASSERT_EQ(size.AceCount, 3u);

  BYTE administrators[SECURITY_MAX_SID_SIZE];
  BYTE system[SECURITY_MAX_SID_SIZE];
  DWORD bytes = sizeof(administrators);
  ASSERT_TRUE(CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &bytes));
  bytes = sizeof(system);
  ASSERT_TRUE(CreateWellKnownSid(WinLocalSystemSid, nullptr, system, &bytes));
  HANDLE token = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
  BYTE userBuffer[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
  ASSERT_TRUE(GetTokenInformation(token, TokenUser, userBuffer, sizeof(userBuffer), &bytes));
  CloseHandle(token);
  const PSID user = reinterpret_cast<TOKEN_USER*>(userBuffer)->User.Sid;

  struct {
    PSID sid;
    ACCESS_MASK mask;
  } const expected[] = {
      {administrators, FILE_ALL_ACCESS},
      {system, FILE_ALL_ACCESS},
      {user, FILE_GENERIC_READ | FILE_GENERIC_EXECUTE},
  };
  // Owned by Administrators, never by the user who made it.
  PSID owner = nullptr;
  ASSERT_TRUE(GetSecurityDescriptorOwner(descriptor.Get(), &owner, &defaulted));
  ASSERT_NE(owner, nullptr);
  EXPECT_TRUE(EqualSid(owner, administrators));
  for (DWORD index = 0; index < 3; ++index) {
    SCOPED_TRACE(testing::Message() << "entry " << index);
    void* entry = nullptr;
    ASSERT_TRUE(GetAce(dacl, index, &entry));
    const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
    EXPECT_EQ(allowed->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
    EXPECT_EQ(allowed->Header.AceFlags, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
    EXPECT_EQ(allowed->Mask, expected[index].mask);
    EXPECT_TRUE(EqualSid(const_cast<DWORD*>(&allowed->SidStart), expected[index].sid));
  }
}

const wchar_t kTestCode[] = L"{QUILLANE-WORKING-ROOT-TEST}";

std::vector<std::wstring> EntriesOfTheTestCode() {
  return EntriesMatching(WorkingBase() + L"\\" + kTestCode + L"*");
}

// Whichever call fails, the run gets no folders and leaves none behind; a
// squatter's folder at the fixed name, which makes the run need fresh names,
// is left as it is.
TEST(CreateWorkingFolders, AFailingPlatformCallLeavesNothingBehind) {
  struct {
    const char* call;
    bool squatted;
    std::shared_ptr<void> (*fail)();
  } const cases[] = {
      {"OpenProcessToken", false,
       [] { return FAIL_IMPORT("ADVAPI32.dll", OpenProcessToken, FALSE); }},
      {"GetTokenInformation", false,
       [] { return FAIL_IMPORT("ADVAPI32.dll", GetTokenInformation, FALSE); }},
      {"ConvertSidToStringSidW", false,
       [] { return FAIL_IMPORT("ADVAPI32.dll", ConvertSidToStringSidW, FALSE); }},
      {"ConvertStringSecurityDescriptorToSecurityDescriptorW", false,
       [] {
         return FAIL_IMPORT("ADVAPI32.dll", ConvertStringSecurityDescriptorToSecurityDescriptorW,
                            FALSE);
       }},
      {"NtCreateFile, the root", false,
       [] { return FAIL_IMPORT("ntdll.dll", NtCreateFile, kAccessDeniedStatus); }},
      {"NtCreateFile, the temporary folder", false,
       [] { return FAIL_IMPORT("ntdll.dll", NtCreateFile, kAccessDeniedStatus, 1); }},
      {"CryptAcquireContextW", true,
       [] { return FAIL_IMPORT("ADVAPI32.dll", CryptAcquireContextW, FALSE); }},
      {"CryptGenRandom", true, [] { return FAIL_IMPORT("ADVAPI32.dll", CryptGenRandom, FALSE); }},
  };
  const std::wstring squat = WorkingBase() + L"\\" + kTestCode;
  for (const auto& row : cases) {
    SCOPED_TRACE(row.call);
    quillane::UniqueFile held;
    if (row.squatted) {
      MakeFolder(squat);
      held.Reset(CreateFileW((squat + L"\\held").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0,
                             nullptr));
      ASSERT_TRUE(held.Valid());
    }
    quillane::WorkingFolders folders;
    {
      const std::shared_ptr<void> failing = row.fail();
      EXPECT_FALSE(quillane::CreateWorkingFolders(
          quillane::WideString(quillane::AsUnits(kTestCode)), folders));
    }
    EXPECT_FALSE(folders.rootHold.Valid() || folders.temporaryHold.Valid());
    EXPECT_EQ(EntriesOfTheTestCode(),
              row.squatted ? std::vector<std::wstring>{kTestCode} : std::vector<std::wstring>{});
    held.Reset();
    quillane::DeleteTree(squat.c_str());
  }
}

TEST(CreateWorkingFolders, FailsWheneverMemoryRunsOut) {
  const quillane::WideString code(quillane::AsUnits(kTestCode));
  // Clearing the fixed name beforehand may fail for want of memory when
  // there is nothing to clear; the folders are made all the same.
  quillane::WorkingFolders folders;
  const auto made = [&] {
    if (!quillane::CreateWorkingFolders(code, folders)) return false;
    EXPECT_TRUE(folders.rootHold.Valid() && folders.temporaryHold.Valid());
    EXPECT_TRUE(PathExists(quillane::AsWide(folders.root.CStr())) &&
                PathExists(quillane::AsWide(folders.temporary.CStr())));
    return true;
  };
  ExpectFailureWheneverMemoryRunsOut(
      made, [&] { quillane::RemoveWorkingFolders(folders); },
      /*recoverable=*/true);
  // Memory that ran out during the removal leaves folders behind.
  for (const std::wstring& name : EntriesOfTheTestCode()) {
    quillane::DeleteTree((WorkingBase() + L"\\" + name).c_str());
  }
  EXPECT_EQ(EntriesOfTheTestCode(), std::vector<std::wstring>{});
}

}  // namespace
