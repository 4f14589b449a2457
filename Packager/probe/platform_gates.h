// The gates of the run: whether it may run on this Windows version, and
// whether the user is an administrator.
#pragma once

#include <cstdint>

#include "base/win32.h"

namespace quillane {

// 1 for Windows 5.0, else 0 (also when the version cannot be read).
int IsWindows2000();

// 1 when the installer may run on this Windows version, else 0.
int IsSupportedOs(int32_t allowWindows2000);

// 1 when the effective token (the thread's when it impersonates, otherwise
// the process's) lists the built-in Administrators group enabled (not for
// deny-only, as an unelevated administrator's token lists it); 0 otherwise
// and on any failing call.
int IsUserAdmin();

// The token calls of IsUserAdmin. A test replaces them to reach answers that
// a real system cannot be made to give (a user who is no administrator, a
// failing call); null restores the platform's own.
using GetTokenInformationFunction = BOOL(WINAPI*)(HANDLE token, TOKEN_INFORMATION_CLASS kind,
                                                  LPVOID buffer, DWORD length, PDWORD needed);
struct TokenFunctions {
  BOOL(WINAPI* openThreadToken)(HANDLE thread, DWORD access, BOOL openAsSelf, PHANDLE token);
  BOOL(WINAPI* openProcessToken)(HANDLE process, DWORD access, PHANDLE token);
  GetTokenInformationFunction getTokenInformation;
  BOOL(WINAPI* closeHandle)(HANDLE handle);
};
void SetTokenFunctionsForTesting(const TokenFunctions* functions);

}  // namespace quillane
