// A small second process for the probe tests. Its exit code is its answer.
//   probe_child os-gate <allowWindows2000>   -> IsSupportedOs * 10 + IsWindows2000
//   probe_child guard <name> <ready-event>   -> claims the guard, creates a
//       window of class <name>, signals <ready-event>, then waits until killed
#include <cstdlib>
#include <cwchar>

#include "probe/instance_guard.h"
#include "probe/platform_gates.h"

using namespace quillane;

namespace {

int HoldGuard(const wchar_t* name, const wchar_t* readyEvent) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = name;
  RegisterClassExW(&windowClass);
  HWND window = CreateWindowExW(0, name, L"guard holder", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10,
                                nullptr, nullptr, windowClass.hInstance, nullptr);
  int claimed = CheckSingleInstance(name);
  HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, readyEvent);
  if (ready) SetEvent(ready);
  if (claimed != 0 || !window) return 3;
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc >= 3 && std::wcscmp(argv[1], L"os-gate") == 0) {
    return IsSupportedOs(std::wcstol(argv[2], nullptr, 10)) * 10 + IsWindows2000();
  }
  if (argc >= 4 && std::wcscmp(argv[1], L"guard") == 0) return HoldGuard(argv[2], argv[3]);
  return 100;
}
