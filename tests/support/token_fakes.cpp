#include "token_fakes.h"

#include <cstddef>

namespace quillane_test {
namespace {

FakeToken* plan = nullptr;
HANDLE const kThreadToken = reinterpret_cast<HANDLE>(0x7001);
HANDLE const kProcessToken = reinterpret_cast<HANDLE>(0x7002);

BOOL WINAPI FakeOpenThreadToken(HANDLE, DWORD, BOOL, PHANDLE token) {
  if (plan->threadError) {
    SetLastError(plan->threadError);
    return FALSE;
  }
  *token = kThreadToken;
  return TRUE;
}
BOOL WINAPI FakeOpenProcessToken(HANDLE, DWORD, PHANDLE token) {
  if (!plan->processOpens) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  *token = kProcessToken;
  return TRUE;
}
BOOL WINAPI FakeGetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind, LPVOID buffer,
                                    DWORD length, PDWORD needed) {
  if (kind != TokenGroups) return FALSE;
  const auto& groups = token == kThreadToken ? plan->threadGroups : plan->processGroups;
  const DWORD size =
      static_cast<DWORD>(offsetof(TOKEN_GROUPS, Groups) +
                         (groups.empty() ? 1 : groups.size()) * sizeof(SID_AND_ATTRIBUTES));
  *needed = size;
  if (!buffer) {
    if (plan->sizeQueryError == 0) return TRUE;
    SetLastError(plan->sizeQueryError);
    return FALSE;
  }
  if (!plan->readSucceeds || length < size) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  auto* list = static_cast<TOKEN_GROUPS*>(buffer);
  list->GroupCount = static_cast<DWORD>(groups.size()) + plan->claimedExtraGroups;
  for (size_t index = 0; index < groups.size(); ++index) list->Groups[index] = groups[index];
  return TRUE;
}
BOOL WINAPI FakeCloseHandle(HANDLE) {
  ++plan->closes;
  return TRUE;
}
const quillane::TokenFunctions kFakes = {FakeOpenThreadToken, FakeOpenProcessToken,
                                         FakeGetTokenInformation, FakeCloseHandle};

// A well-known SID in storage that lives as long as the program.
PSID WellKnownSid(WELL_KNOWN_SID_TYPE type, BYTE (&storage)[SECURITY_MAX_SID_SIZE]) {
  DWORD bytes = sizeof(storage);
  CreateWellKnownSid(type, nullptr, storage, &bytes);
  return storage;
}

}  // namespace

ScopedFakeToken::ScopedFakeToken(FakeToken& fake) {
  plan = &fake;
  quillane::SetTokenFunctionsForTesting(&kFakes);
}

ScopedFakeToken::~ScopedFakeToken() {
  quillane::SetTokenFunctionsForTesting(nullptr);
  plan = nullptr;
}

SID_AND_ATTRIBUTES Administrators(DWORD attributes) {
  static BYTE storage[SECURITY_MAX_SID_SIZE];
  return {WellKnownSid(WinBuiltinAdministratorsSid, storage), attributes};
}

SID_AND_ATTRIBUTES Users() {
  static BYTE storage[SECURITY_MAX_SID_SIZE];
  return {WellKnownSid(WinBuiltinUsersSid, storage), SE_GROUP_ENABLED};
}

}  // namespace quillane_test
