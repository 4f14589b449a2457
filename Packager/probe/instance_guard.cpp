#include "probe/instance_guard.h"

namespace quillane {

int CheckSingleInstance(const wchar_t* guardName) {
  HANDLE mutex = CreateMutexW(nullptr, FALSE, guardName);
  if (!mutex) return 1;
  if (GetLastError() != ERROR_ALREADY_EXISTS) return 0;
  HWND other = FindWindowW(guardName, nullptr);
  if (other) SetForegroundWindow(other);
  return 1;
}

}  // namespace quillane
