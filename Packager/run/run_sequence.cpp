#include "run/run_sequence.h"

#include <commctrl.h>
#include <io.h>
#include <stdio.h>

#include "base/path_buffer.h"
#include "base/result_code.h"
#include "ports/ports_snapshot.h"
#include "probe/instance_guard.h"
#include "probe/known_folders.h"
#include "probe/platform_gates.h"
#include "probe/wow64_probe.h"
#include "run/cleanup_branch.h"
#include "run/command_line.h"
#include "run/launch/launcher.h"
#include "run/launch/library_search.h"
#include "run/launch/start_environment.h"
#include "run/launch/window_messages.h"
#include "run/run_result.h"
#include "run/tree/payload_table.h"
#include "run/tree/remove_tree.h"
#include "run/tree/unpack.h"
#include "run/tree/working_root.h"
#include "text/catalogue.h"
#include "text/local_string.h"

namespace quillane {
namespace {

constexpr UINT kWindowTextUnits = 100;
constexpr uint32_t kWindowTitleId = QUILLANE_STRING_CAPTION;
constexpr uint32_t kWindowClassId = QUILLANE_STRING_GUARD_NAME;  // also the guard's name
constexpr WORD kClassIconId = QUILLANE_ICON_CLASS;
constexpr const char* kCleanupExport = "RCVCLN_UninstKPCOMUSB";

// Process-wide state of the run. All of it is constant-initialised
// (constinit): the program has no C runtime start-up that would run
// initialising code before the entry point.
constinit HWND mainWindow = nullptr;
constinit uint32_t exitCodeSlot = 0;
constinit bool resultReceived = false;  // whether message 1024 arrived at all
constinit int32_t allowWindows2000 = 0;
constinit wchar_t windowTitle[kWindowTextUnits] = {};
constinit WideString innerSetupOptions;
constinit WideString windowLinkOption;

LRESULT CALLBACK MainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kResultMessage:
      exitCodeSlot = static_cast<uint32_t>(wParam & 0xFFFF);
      resultReceived = true;
      return 0;
    case kChildEndedMessage:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

void ShowResultBox(const MessageCatalogue& catalogue, int32_t result) {
  WideString text = GetResultMessage(catalogue, result);
  MessageBoxW(nullptr, AsWide(text.CStr()), kProgramCaption, MB_ICONERROR);
}

// Handles what is queued for the run's windows once a setup has ended: its
// results (1024) and the launcher's end notice (1025), in the order they
// were posted; the quit that 1025 asks for ends it, and so does an empty
// queue when nothing was started. Nothing is left for a message box's own
// loop, which the quit would close at once.
void HandleQueuedMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) && message.message != WM_QUIT) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// The class name is the single-instance guard's name, so that a second
// instance finds this window by it.
HWND CreateMainWindow(HINSTANCE instance, const WideString& className) {
  WNDCLASSEXW windowClass;
  ZeroMemory(&windowClass, sizeof(windowClass));
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = MainWindowProcedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kClassIconId));
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = AsWide(className.CStr());
  windowClass.hIconSm = LoadIconW(instance, MAKEINTRESOURCEW(kClassIconId));
  RegisterClassExW(&windowClass);
  HWND window =
      CreateWindowExW(0, AsWide(className.CStr()), windowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                      0, CW_USEDEFAULT, 0, nullptr, nullptr, instance, nullptr);
  if (window) {
    ShowWindow(window, SW_HIDE);
    UpdateWindow(window);
  }
  return window;
}

// The working root (the working base, the product code and a backslash) and the
// started programs' temporary folder beside it, made new and held for the
// run.
bool CreateWorkingFolders(WorkingFolders& folders) {
  return CreateWorkingFolders(LoadLocalString(kProductCodeId), folders);
}

// The environment of every started program: the installer's, with the
// run's temporary folder, the machine's PATH and the Windows folder in
// place of the user's.
bool ComposeStartEnvironment(const WorkingFolders& folders, WideString& block) {
  struct EnvironmentStrings {
    wchar_t* const block = GetEnvironmentStringsW();
    ~EnvironmentStrings() {
      if (block) FreeEnvironmentStringsW(block);
    }
  } inherited;
  const WideString windows = GetWindowsFolder();
  const WideString stored = ReadMachinePath();
  WideString machinePath;
  return inherited.block && !windows.Empty() &&
         ComposeMachinePath(stored.CStr(), stored.Length(), windows.CStr(), machinePath) &&
         ComposeStartEnvironment(AsUnits(inherited.block),
                                 {windows.CStr(), folders.temporary.CStr(), machinePath.CStr()},
                                 block);
}

// The working root + the file name of string `nameId` in a 260-unit buffer, and
// whether that file exists. A path that does not fit counts as missing.
bool ComposeExistingPath(const WideString& root, uint32_t nameId, PathBuffer<kPathUnits>& path) {
  return path.Append(root) && path.Append(LoadLocalString(nameId)) &&
         _waccess(AsWide(path.CStr()), 0) == 0;
}

// Starts and supervises a setup program in the working root, with the
// run's own environment; how it ended: its exit code (2 when nothing could
// be started) and, once the queued messages have been handled, the last
// result it posted.
SetupEnd RunSetup(const WorkingFolders& folders, const PathBuffer<kPathUnits>& path,
                  const wchar_t* arguments, size_t length) {
  SetupEnd end = {static_cast<uint32_t>(kNothingStarted), false, 0};
  WideString environment;
  if (!ComposeStartEnvironment(folders, environment)) return end;
  const StartPlace place = {AsWide(folders.root.CStr()), AsWide(environment.CStr())};
  end.exitCode = static_cast<uint32_t>(
      RunSetupProgram(mainWindow, AsWide(path.CStr()), arguments, length, place));
  HandleQueuedMessages();
  end.resultPosted = resultReceived;
  end.lastPosted = exitCodeSlot;
  return end;
}

// The install branch: tree, PORTS.dat beside the inner setup, the setup.
SetupOutcome RunInstallBranch(const WideString& commandLine) {
  WorkingFolders folders;
  SetupEnd end = {};
  PathBuffer<kPathUnits> setupPath;
  WideString portsPath;
  const bool treeReady = CreateWorkingFolders(folders) && UnpackInstallPayload(folders.root) &&
                         ComposeExistingPath(folders.root, kInnerSetupNameId, setupPath) &&
                         portsPath.Assign(folders.root.CStr(), folders.root.Length()) &&
                         portsPath.Append(u"PORTS.dat") && WritePortsFile(AsWide(portsPath.CStr()));
  if (treeReady) {
    WideString arguments =
        BuildInnerSetupArguments(innerSetupOptions, windowLinkOption, commandLine);
    end = RunSetup(folders, setupPath, AsWide(arguments.CStr()), arguments.Length());
  }
  RemoveWorkingFolders(folders);
  return JudgeInstallRun(treeReady, end);
}

// Whether the clean-up library loaded and its export was called.
bool CallCleanupLibrary(const wchar_t* libraryPath) {
  UniqueModule library(LoadTreeLibrary(libraryPath));
  if (!library.Valid()) return false;
  auto cleanup = LookUpExport<int(WINAPI*)()>(library.Get(), kCleanupExport);
  if (!cleanup) return false;
  cleanup();
  return true;
}

void RemoveLeftoverFolder(const WideString& programFolder) {
  WideString leftover;
  if (ComposeLeftoverFolder(programFolder, leftover)) RemoveEmptyFolder(AsWide(leftover.CStr()));
}

// The clean-up branch: the tree of the clean-up files, the library's
// export, the auxiliary setup, and the leftover program folders whatever
// happened before.
SetupOutcome RunCleanupBranch() {
  WorkingFolders folders;
  SetupEnd end = {};
  bool libraryCalled = false;
  // Both files are tested, the auxiliary setup first.
  PathBuffer<kPathUnits> auxiliaryPath;
  PathBuffer<kPathUnits> libraryPath;
  const bool treeReady =
      CreateWorkingFolders(folders) && UnpackCleanupPayload(folders.root) &&
      ComposeExistingPath(folders.root, ChooseAuxiliarySetupNameId(IsWow64() != 0),
                          auxiliaryPath) &&
      ComposeExistingPath(folders.root, kCleanupLibraryNameId, libraryPath);
  if (treeReady) {
    libraryCalled = CallCleanupLibrary(AsWide(libraryPath.CStr()));
    end = RunSetup(folders, auxiliaryPath, L"/9", 2);
  }
  RemoveWorkingFolders(folders);
  RemoveLeftoverFolder(GetProgramFilesFolder());
  RemoveLeftoverFolder(GetCommonProgramsFolder());
  return JudgeCleanupRun(treeReady, libraryCalled, end);
}

}  // namespace

int RunInstaller(HINSTANCE instance, const wchar_t* commandLineText) {
  INITCOMMONCONTROLSEX controls = {sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);

  int32_t result = kSuccess;
  exitCodeSlot = 0;
  resultReceived = false;
  allowWindows2000 = 0;
  const MessageCatalogue catalogue = InitMessageCatalogue(GetUserDefaultLangID());
  const WideString commandLine(AsUnits(commandLineText ? commandLineText : L""));
  const RunMode mode = DetectRunMode(commandLine, GetUserDefaultLangID(), innerSetupOptions);
  DetectWindows2000Permission(commandLine, allowWindows2000);
  const bool interactive = mode == RunMode::Interactive;

  // Gate 1, before any window exists.
  if (!IsSupportedOs(allowWindows2000)) {
    if (interactive) ShowResultBox(catalogue, kUnsupportedOs);
    return kUnsupportedOs;
  }

  LoadStringW(instance, kWindowTitleId, windowTitle, kWindowTextUnits);
  // One text, read once, names the window's class and the guard.
  const WideString guardName = LoadLocalString(kWindowClassId);
  // Without the window no result can arrive: nothing is installed, and a
  // quiet deployment must not read success.
  mainWindow = CreateMainWindow(instance, guardName);
  if (!mainWindow) return kInstallFailed;
  windowLinkOption = BuildWindowLinkOption(reinterpret_cast<intptr_t>(mainWindow));

  // Gates 2 to 4; a port-option code replaces an earlier one.
  const bool alreadyRunning = CheckSingleInstance(AsWide(guardName.CStr())) == 1;
  const bool administrator = alreadyRunning || IsUserAdmin() != 0;  // asked only when alone
  result =
      JudgeGates(alreadyRunning, administrator, CheckPortPair(ReadPortOptions(commandLine, mode)));
  if (result != kSuccess) {
    if (interactive) ShowResultBox(catalogue, result);
    return result;
  }

  const SetupOutcome outcome =
      mode == RunMode::Cleanup ? RunCleanupBranch() : RunInstallBranch(commandLine);
  if (!outcome.failed) return outcome.result;
  result = outcome.result;
  if (interactive) ShowResultBox(catalogue, result);
  DestroyWindow(mainWindow);
  return result;
}

}  // namespace quillane
