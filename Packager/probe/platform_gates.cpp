#include "probe/platform_gates.h"

#include <cstddef>

#include "probe/version_gate.h"

namespace quillane {
namespace {

constinit const TokenFunctions kPlatformTokenFunctions = {OpenThreadToken, OpenProcessToken,
                                                          GetTokenInformation, CloseHandle};
// Null stands for the platform's own: a zero value takes no room in the
// image, which a pointer to them would.
constinit const TokenFunctions* replacedTokenFunctions = nullptr;

const TokenFunctions* Tokens() {
  return replacedTokenFunctions ? replacedTokenFunctions : &kPlatformTokenFunctions;
}

// The plain record, not the extended one; a failed call leaves major 0.
OSVERSIONINFOW QueryVersion() {
  OSVERSIONINFOW version;
  ZeroMemory(&version, sizeof(version));
  version.dwOSVersionInfoSize = sizeof(version);
  version.dwMajorVersion = 0;
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
  GetVersionExW(&version);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
  return version;
}

// Owns a token opened through the replaceable token functions.
class TokenHandle {
 public:
  TokenHandle() = default;
  TokenHandle(const TokenHandle&) = delete;
  TokenHandle& operator=(const TokenHandle&) = delete;
  ~TokenHandle() {
    if (handle_) Tokens()->closeHandle(handle_);
  }
  HANDLE* Receive() { return &handle_; }
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_ = nullptr;
};

bool OpenEffectiveToken(TokenHandle& token) {
  if (Tokens()->openThreadToken(GetCurrentThread(), TOKEN_QUERY, FALSE, token.Receive())) {
    return true;
  }
  if (GetLastError() != ERROR_NO_TOKEN) return false;
  return Tokens()->openProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive()) != 0;
}

// Whether the group takes part in access checks: enabled, and not kept
// for deny-only. An administrator's unelevated (filtered) token lists
// Administrators for deny-only.
bool IsEnabledMembership(DWORD attributes) {
  return (attributes & SE_GROUP_ENABLED) != 0 && (attributes & SE_GROUP_USE_FOR_DENY_ONLY) == 0;
}

// Walks no further than the entries that the returned length holds.
bool ListsEnabledGroup(const void* buffer, DWORD length, PSID wanted) {
  const TOKEN_GROUPS& groups = *static_cast<const TOKEN_GROUPS*>(buffer);
  const size_t entriesOffset = offsetof(TOKEN_GROUPS, Groups);
  const size_t room = (length - entriesOffset) / sizeof(SID_AND_ATTRIBUTES);
  for (DWORD index = 0; index < groups.GroupCount && index < room; ++index) {
    if (EqualSid(groups.Groups[index].Sid, wanted)) {
      return IsEnabledMembership(groups.Groups[index].Attributes);
    }
  }
  return false;
}

}  // namespace

static_assert(sizeof(OSVERSIONINFOW) == 276, "the plain version record");

int IsWindows2000() {
  OSVERSIONINFOW version = QueryVersion();
  return IsWindows2000Version(version.dwMajorVersion, version.dwMinorVersion) ? 1 : 0;
}

int IsSupportedOs(int32_t allowWindows2000) {
  const OSVERSIONINFOW version = QueryVersion();
  return IsSupportedVersion(version.dwMajorVersion, version.dwMinorVersion, allowWindows2000) ? 1
                                                                                              : 0;
}

int IsUserAdmin() {
  TokenHandle token;
  if (!OpenEffectiveToken(token)) return 0;

  DWORD needed = 0;
  if (Tokens()->getTokenInformation(token.Get(), TokenGroups, nullptr, 0, &needed) ||
      GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed < sizeof(TOKEN_GROUPS)) {
    return 0;
  }
  void* buffer = HeapAlloc(GetProcessHeap(), 0, needed);
  if (!buffer) return 0;
  int isAdmin = 0;
  DWORD length = needed;
  if (Tokens()->getTokenInformation(token.Get(), TokenGroups, buffer, length, &needed)) {
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                 DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &administrators)) {
      isAdmin = ListsEnabledGroup(buffer, length, administrators) ? 1 : 0;
      FreeSid(administrators);
    }
  }
  HeapFree(GetProcessHeap(), 0, buffer);
  return isAdmin;
}

void SetTokenFunctionsForTesting(const TokenFunctions* functions) {
  replacedTokenFunctions = functions;
}

}  // namespace quillane
