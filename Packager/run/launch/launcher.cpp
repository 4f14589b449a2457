#include "run/launch/launcher.h"

#include <io.h>

#include "run/launch/launch_command.h"
#include "run/launch/window_messages.h"

namespace quillane {
namespace {

constexpr int kForegroundPassLimit = 5000;
constexpr DWORD kPassPauseMs = 1;
constexpr DWORD kRaisePauseMs = 1000;
constexpr DWORD kSettlePauseMs = 10;
constexpr int kExitCodeReads = 100;
constexpr DWORD kExitCodePauseMs = 10;

struct DialogSearch {
  DWORD processId;
  HWND found;
};

// The EnumWindows callback: notes the first setup dialog of the process and
// stops the enumeration. It does not wait: sent messages are not answered
// while the enumeration runs.
BOOL CALLBACK FindSetupDialog(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<DialogSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId) return TRUE;
  wchar_t className[260] = {};
  GetClassNameW(window, className, 260);
  if (!IsSetupDialogClass(AsUnits(className))) return TRUE;
  search->found = window;
  return FALSE;
}

// Waits up to `milliseconds` (INFINITE: without limit) for the process to
// end, answering meanwhile the messages other threads send to this thread's
// windows: a setup that broadcasts a change (WM_SETTINGCHANGE) or sends its
// result waits for the answer. True when the process has ended.
bool WaitAnsweringSentMessages(HANDLE process, DWORD milliseconds) {
  const DWORD start = GetTickCount();
  for (;;) {
    DWORD left = milliseconds;
    if (milliseconds != INFINITE) {
      const DWORD spent = GetTickCount() - start;
      left = spent < milliseconds ? milliseconds - spent : 0;
    }
    const DWORD woken = MsgWaitForMultipleObjects(1, &process, FALSE, left, QS_SENDMESSAGE);
    if (woken != WAIT_OBJECT_0 + 1) return woken == WAIT_OBJECT_0;
    // Calls the window procedure for each sent message; posted ones stay
    // queued, in their order, for the message loop after the run.
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

}  // namespace

int RunSetupProgram(HWND notifyWindow, const wchar_t* programPath, const wchar_t* arguments,
                    size_t argumentsLength, const StartPlace& place) {
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
  if (!CreateProcessW(programPath, AsWide(command.Data()), nullptr, nullptr, FALSE,
                      CREATE_UNICODE_ENVIRONMENT, const_cast<wchar_t*>(place.environment),
                      place.currentFolder, &startup, &child)) {
    return kNothingStarted;
  }
  UniqueHandle process(child.hProcess);
  UniqueHandle thread(child.hThread);

  // Bring the first setup dialog forward while the child starts up, a second
  // after it is found.
  bool ended = WaitAnsweringSentMessages(process.Get(), 0);
  for (int passes = 0; !ended;) {
    DialogSearch search = {child.dwProcessId, nullptr};
    EnumWindows(FindSetupDialog, reinterpret_cast<LPARAM>(&search));
    if (search.found) {
      if (!WaitAnsweringSentMessages(process.Get(), kRaisePauseMs)) {
        SetForegroundWindow(search.found);
      }
      break;
    }
    ended = WaitAnsweringSentMessages(process.Get(), kPassPauseMs);
    if (++passes > kForegroundPassLimit) break;
  }

  // No time limit: the user may keep the setup's dialog open as long as they
  // like.
  WaitAnsweringSentMessages(process.Get(), INFINITE);
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
