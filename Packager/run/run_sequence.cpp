#include "run/run_sequence.h"

#include <commctrl.h>
#include <io.h>
#include <stdio.h>

#include "base/path_buffer.h"
#include "ports/ports_snapshot.h"
#include "probe/instance_guard.h"
#include "probe/known_folders.h"
#include "probe/platform_gates.h"
#include "run/command_line.h"
#include "run/launch/launcher.h"
#include "run/launch/library_search.h"
#include "run/launch/setup_arguments.h"
#include "run/launch/start_environment.h"
#include "run/result_code.h"
#include "run/run_result.h"
#include "run/tree/manifest.h"
#include "run/tree/remove_tree.h"
#include "run/tree/unpack.h"
#include "run/tree/working_root.h"
#include "text/catalogue.h"
#include "text/local_string.h"

namespace quillane {
namespace {

constexpr UINT kWindowTextUnits = 100;
constexpr uint32_t kWindowTitleId = 60;
constexpr uint32_t kWindowClassId = 111;  // also the single-instance guard's name
constexpr WORD kClassIconId = 115;
constexpr const char* kCleanupExport = "RCVCLN_UninstKPCOMUSB";

// Process-wide state of the run. All of it is constant-initialised
// (constinit): the program has no C runtime start-up that would run
// initialising code before the entry point.
constinit HWND mainWindow = nullptr;
constinit uint32_t exitCodeSlot = 0;
constinit bool resultReceived = false;  // whether message 1024 arrived at all
constinit int32_t allowWindows2000 = 0;
constinit wchar_t windowTitle[kWindowTextUnits] = {};
constinit wchar_t windowClassName[kWindowTextUnits] = {};
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

void ShowResultBox(int32_t result) {
  WideString text = GetResultMessage(result);
  MessageBoxW(nullptr, AsWide(text.CStr()), kProgramCaption, MB_ICONERROR);
}

HWND CreateMainWindow(HINSTANCE instance) {
  WNDCLASSEXW windowClass;
  ZeroMemory(&windowClass, sizeof(windowClass));
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = MainWindowProcedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kClassIconId));
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = windowClassName;
  windowClass.hIconSm = LoadIconW(instance, MAKEINTRESOURCEW(kClassIconId));
  RegisterClassExW(&windowClass);
  HWND window = CreateWindowExW(0, windowClassName, windowTitle, WS_OVERLAPPEDWINDOW,
                                CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, nullptr, nullptr, instance,
                                nullptr);
  if (window) {
    ShowWindow(window, SW_HIDE);
    UpdateWindow(window);
  }
  return window;
}

// workingRoot (the working base, the product code and a backslash) and the
// started programs' temporary folder beside it, made new and held for the
// run.
bool CreateWorkingFolders(WorkingFolders& folders) {
  return CreateWorkingFolders(GetWorkingBase(), LoadLocalString(kProductCodeId), folders);
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

// workingRoot + the file name of string `nameId` in a 260-unit buffer, and
// whether that file exists. A path that does not fit counts as missing.
bool ComposeExistingPath(const WideString& root, uint32_t nameId, PathBuffer<kPathUnits>& path) {
  return path.Append(root) && path.Append(LoadLocalString(nameId)) &&
         _waccess(AsWide(path.CStr()), 0) == 0;
}

// PORTS.dat beside the inner setup, written whole or reported as failed: the
// inner setup renumbers the user's ports from it. The C runtime may take a
// short write on a full disk for success, so the file's size on disk is
// compared with the stream's own position before it was closed.
bool WritePortsSnapshot(const WideString& root) {
  WideString path(root);
  if (!path.Append(u"PORTS.dat")) return false;
  FILE* stream = _wfopen(AsWide(path.CStr()), L"wt");
  if (!stream) return false;
  WritePortsSection(stream);
  WriteVirtualPortsSection(stream);
  const long length = ftell(stream);
  const bool written = !ferror(stream) && length >= 0;
  if (fclose(stream) != 0 || !written) return false;
  WIN32_FILE_ATTRIBUTE_DATA onDisk;
  return GetFileAttributesExW(AsWide(path.CStr()), GetFileExInfoStandard, &onDisk) &&
         onDisk.nFileSizeHigh == 0 && onDisk.nFileSizeLow == static_cast<DWORD>(length);
}

// Starts and supervises a setup program in the working root, with the
// run's own environment; kSuccess once it was started (its end is judged
// after the message loop, from `exitCode` and what it posted),
// kInstallFailed when nothing was started or it ended with 2.
int32_t RunSetup(const WorkingFolders& folders, const PathBuffer<kPathUnits>& path,
                 const wchar_t* arguments, size_t length, uint32_t& exitCode) {
  WideString environment;
  if (!ComposeStartEnvironment(folders, environment)) return kInstallFailed;
  const StartPlace place = {AsWide(folders.root.CStr()), AsWide(environment.CStr())};
  exitCode = static_cast<uint32_t>(
      RunSetupProgram(mainWindow, AsWide(path.CStr()), arguments, length, place));
  return exitCode == kNothingStarted ? kInstallFailed : kSuccess;
}

int32_t RunInstallBranch(const WideString& commandLine, uint32_t& setupExitCode) {
  WorkingFolders folders;
  if (!CreateWorkingFolders(folders)) return kInstallFailed;
  const WideString& root = folders.root;
  PathBuffer<kPathUnits> setupPath;
  if (!UnpackInstallPayload(root) || !ComposeExistingPath(root, kInnerSetupNameId, setupPath) ||
      !WritePortsSnapshot(root)) {
    RemoveWorkingFolders(folders);
    return kInstallFailed;
  }
  WideString arguments = BuildInnerSetupArguments(innerSetupOptions, windowLinkOption, commandLine);
  const int32_t result =
      RunSetup(folders, setupPath, AsWide(arguments.CStr()), arguments.Length(), setupExitCode);
  RemoveWorkingFolders(folders);
  return result;
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

// A program folder that was not found is skipped: "\VARNO" alone would name
// a folder at the root of the current drive.
void RemoveEmptyProgramFolder(WideString folder) {
  if (folder.Empty() || !folder.Append(u"\\VARNO")) return;
  RemoveEmptyFolder(AsWide(folder.CStr()));
}

int32_t RunCleanupBranch(uint32_t& setupExitCode) {
  int32_t result = kInstallFailed;
  WorkingFolders folders;
  if (CreateWorkingFolders(folders)) {
    const WideString& root = folders.root;
    // Both files are tested, the auxiliary setup first.
    PathBuffer<kPathUnits> auxiliaryPath;
    PathBuffer<kPathUnits> libraryPath;
    const uint32_t auxiliaryId = IsWow64() ? kAuxiliarySetup64NameId : kAuxiliarySetup32NameId;
    if (UnpackCleanupPayload(root) && ComposeExistingPath(root, auxiliaryId, auxiliaryPath) &&
        ComposeExistingPath(root, kCleanupLibraryNameId, libraryPath)) {
      // The auxiliary setup runs even when the library could not be called.
      const bool cleaned = CallCleanupLibrary(AsWide(libraryPath.CStr()));
      result = RunSetup(folders, auxiliaryPath, L"/9", 2, setupExitCode);
      if (!cleaned) result = kInstallFailed;
    }
    RemoveWorkingFolders(folders);
  }
  RemoveEmptyProgramFolder(GetProgramFilesFolder());
  RemoveEmptyProgramFolder(GetCommonProgramsFolder());
  return result;
}

}  // namespace

int RunInstaller(HINSTANCE instance, const wchar_t* commandLineText) {
  INITCOMMONCONTROLSEX controls = {sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);

  int32_t result = kSuccess;
  exitCodeSlot = 0;
  resultReceived = false;
  allowWindows2000 = 0;
  InitMessageCatalogue(GetUserDefaultLangID());
  const WideString commandLine(AsUnits(commandLineText ? commandLineText : L""));
  const RunMode mode = DetectRunMode(commandLine, GetUserDefaultLangID(), innerSetupOptions);
  DetectWindows2000Permission(commandLine, allowWindows2000);
  const bool interactive = mode == RunMode::Interactive;

  // Gate 1, before any window exists.
  if (!IsSupportedOs(allowWindows2000)) {
    if (interactive) ShowResultBox(kUnsupportedOs);
    return kUnsupportedOs;
  }

  LoadStringW(instance, kWindowTitleId, windowTitle, kWindowTextUnits);
  LoadStringW(instance, kWindowClassId, windowClassName, kWindowTextUnits);
  // Without the window no result can arrive: nothing is installed, and a
  // quiet deployment must not read success.
  mainWindow = CreateMainWindow(instance);
  if (!mainWindow) return kInstallFailed;
  windowLinkOption = BuildWindowLinkOption(reinterpret_cast<intptr_t>(mainWindow));

  // Gates 2 to 4; a port-option code replaces an earlier one.
  WideString guardName = LoadLocalString(kWindowClassId);
  const bool alreadyRunning = CheckSingleInstance(AsWide(guardName.CStr())) == 1;
  const bool administrator = alreadyRunning || IsUserAdmin() != 0;  // asked only when alone
  result = JudgeGates(alreadyRunning, administrator,
                      CheckPortPair(ReadPortOptions(commandLine, mode)));
  if (result != kSuccess) {
    if (interactive) ShowResultBox(result);
    return result;
  }

  uint32_t setupExitCode = 0;
  result = mode == RunMode::Cleanup ? RunCleanupBranch(setupExitCode)
                                    : RunInstallBranch(commandLine, setupExitCode);
  if (result == kSuccess) {
    // The setup has ended; its result (1024) and the launcher's end notice
    // (1025) are queued in that order.
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    const SetupOutcome outcome = JudgeSetupEnd(setupExitCode, resultReceived, exitCodeSlot);
    if (!outcome.failed) return outcome.result;
    result = outcome.result;
  }

  // A setup that was started before the branch failed has left its result
  // (1024) and the launcher's end notice (1025) in the queue. The box's own
  // message loop would dispatch them, and the quit that 1025 asks for would
  // close the box at once; the result is settled, so they are dropped unread.
  MSG pending;
  while (PeekMessageW(&pending, mainWindow, kResultMessage, kChildEndedMessage, PM_REMOVE)) {
  }
  if (interactive) ShowResultBox(result);
  DestroyWindow(mainWindow);
  return result;
}

}  // namespace quillane
