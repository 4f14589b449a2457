// The run inside this test process, for what Wine cannot make happen: an
// administrator whose token is not elevated. CTest runs this suite in a
// process of its own, since the run claims the installer's single-instance
// name.
#include <gtest/gtest.h>

#include "probe/platform_gates.h"
#include "run/run_sequence.h"

namespace {

BOOL WINAPI NoThreadToken(HANDLE, DWORD, BOOL, PHANDLE) {
  SetLastError(ERROR_NO_TOKEN);
  return FALSE;
}
BOOL WINAPI SomeProcessToken(HANDLE, DWORD, PHANDLE token) {
  *token = reinterpret_cast<HANDLE>(0x7002);
  return TRUE;
}
// An administrator's unelevated token: Users, and Administrators for
// deny-only.
BOOL WINAPI FilteredAdministrator(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID buffer, DWORD length,
                                  PDWORD needed) {
  static SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  static PSID users = nullptr;
  static PSID administrators = nullptr;
  if (!users) {
    AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS, 0, 0, 0,
                             0, 0, 0, &users);
    AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0,
                             0, 0, 0, &administrators);
  }
  constexpr DWORD kSize = sizeof(TOKEN_GROUPS) + sizeof(SID_AND_ATTRIBUTES);
  *needed = kSize;
  if (!buffer || length < kSize) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  auto* groups = static_cast<TOKEN_GROUPS*>(buffer);
  groups->GroupCount = 2;
  groups->Groups[0] = {users, SE_GROUP_ENABLED};
  groups->Groups[1] = {administrators, SE_GROUP_USE_FOR_DENY_ONLY};
  return TRUE;
}
BOOL WINAPI CloseNothing(HANDLE) { return TRUE; }

const quillane::TokenFunctions kFilteredToken = {NoThreadToken, SomeProcessToken,
                                                 FilteredAdministrator, CloseNothing};

// One run a process: the run's single-instance name stays claimed after it,
// so a second run here would meet gate 2 (101) first. The order of the
// gates' codes is tested with the portable decision.
TEST(InProcessRun, UnelevatedAdministratorIsRefused) {
  quillane::SetTokenFunctionsForTesting(&kFilteredToken);
  // Mode 1, so that no message box waits for an answer.
  EXPECT_EQ(quillane::RunInstaller(GetModuleHandleW(nullptr), L"-s1"), 104);
  quillane::SetTokenFunctionsForTesting(nullptr);
}

}  // namespace
