// The run inside this test process, for what Wine cannot make happen: a
// user who is no administrator. CTest runs this suite in a process of its
// own, since the run claims the installer's single-instance name.
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
// A token of one group, the built-in Users.
BOOL WINAPI UsersOnly(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID buffer, DWORD length,
                      PDWORD needed) {
  static SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  static PSID users = nullptr;
  if (!users) {
    AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS, 0, 0, 0,
                             0, 0, 0, &users);
  }
  *needed = sizeof(TOKEN_GROUPS);
  if (!buffer || length < sizeof(TOKEN_GROUPS)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  auto* groups = static_cast<TOKEN_GROUPS*>(buffer);
  groups->GroupCount = 1;
  groups->Groups[0] = {users, SE_GROUP_ENABLED};
  return TRUE;
}
BOOL WINAPI CloseNothing(HANDLE) { return TRUE; }

const quillane::TokenFunctions kNonAdministrator = {NoThreadToken, SomeProcessToken, UsersOnly,
                                                    CloseNothing};

// One run a process: the run's single-instance name stays claimed after it,
// so a second run here would meet gate 2 (101) first. The order of the
// gates' codes is tested with the portable decision.
TEST(InProcessRun, UserWhoIsNoAdministratorIsRefused) {
  quillane::SetTokenFunctionsForTesting(&kNonAdministrator);
  // Mode 1, so that no message box waits for an answer.
  EXPECT_EQ(quillane::RunInstaller(GetModuleHandleW(nullptr), L"-s1"), 104);
  quillane::SetTokenFunctionsForTesting(nullptr);
}

}  // namespace
