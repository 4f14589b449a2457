#include "run/launcher.h"

#include <io.h>

#include "run/arguments.h"
#include "run/launch_text.h"

namespace quillane {
namespace {

constexpr int kForegroundPassLimit = 5000;
constexpr DWORD kPassPauseMs = 1;
constexpr DWORD kRaisePauseMs = 1000;
constexpr DWORD kSettlePauseMs = 10;
constexpr int kExitCodeReads = 100;
constexpr DWORD kExitCodePauseMs = 10;

bool StillRunning(HANDLE process) { return WaitForSingleObject(process, 0) == WAIT_TIMEOUT; }

}  // namespace

BOOL CALLBACK RaiseSetupDialog(HWND window, LPARAM processId) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != static_cast<DWORD>(processId)) return TRUE;
  wchar_t className[260] = {};
  GetClassNameW(window, className, 260);
  if (!IsSetupDialogClass(AsUnits(className))) return TRUE;
  Sleep(kRaisePauseMs);
  SetForegroundWindow(window);
  return FALSE;
}

int RunSetupProgram(HWND notifyWindow, const wchar_t* programPath, const wchar_t* arguments,
                    size_t argumentsLength) {
  // The whole program path is tested, not just its drive.
  if (_waccess(programPath, 0) != 0) return kNothingStarted;
  LaunchCommand command;
  if (!ComposeLaunchCommand(AsUnits(programPath), AsUnits(arguments), argumentsLength, command)) {
    return kNothingStarted;
  }

  STARTUPINFOW startup;
  ZeroMemory(&startup, sizeof(startup));
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USEPOSITION;
  startup.wShowWindow = SW_SHOWNORMAL;
  startup.dwX = 0;
  startup.dwY = 0;
  PROCESS_INFORMATION child;
  ZeroMemory(&child, sizeof(child));
  // The program is named apart from the command line: the path stands there
  // without quotation marks, and a temporary folder with a blank in it
  // ("C:\Documents and Settings\...") would otherwise start "C:\Documents.exe"
  // where one has been planted.
  if (!CreateProcessW(programPath, AsWide(command.Data()), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &child)) {
    return kNothingStarted;
  }
  UniqueHandle process(child.hProcess);
  UniqueHandle thread(child.hThread);

  // Bring the first setup dialog forward while the child starts up.
  if (StillRunning(process.Get())) {
    for (int passes = 0;;) {
      if (!EnumWindows(RaiseSetupDialog, static_cast<LPARAM>(child.dwProcessId))) break;
      Sleep(kPassPauseMs);
      if (++passes > kForegroundPassLimit) break;
      if (!StillRunning(process.Get())) break;
    }
  }

  WaitForSingleObject(process.Get(), INFINITE);
  Sleep(kSettlePauseMs);
  DWORD exitCode = 0;
  GetExitCodeProcess(process.Get(), &exitCode);
  for (int reads = 1; exitCode == STILL_ACTIVE && reads < kExitCodeReads; ++reads) {
    Sleep(kExitCodePauseMs);
    GetExitCodeProcess(process.Get(), &exitCode);
  }
  process.Reset();
  thread.Reset();
  PostMessageW(notifyWindow, kChildEndedMessage, 0, 0);
  return static_cast<int>(exitCode);
}

}  // namespace quillane
