#include <gtest/gtest.h>

#include "run/tree/working_root.h"
#include "test_support.h"

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

}  // namespace
