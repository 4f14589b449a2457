// Stand-in for the inner setup program of the sample payload. It keeps the
// promises the bootstrapper relies on: it finds "/W32:<window>:<message>" on
// its command line, opens a dialog window of class "TSetDialog", reads
// PORTS.dat beside itself, posts its result to that window and ends.
// Settings of its own, for tests and the demo:
//   QUILLANE_SAMPLE_REPORT    file to append a report of what it saw to
//                             (also its current folder, its TEMP, TMP, PATH,
//                             windir, SystemRoot and ComSpec, and whether it
//                             could make a file in TEMP)
//   QUILLANE_SAMPLE_RESULTS   results to post, in order, comma-separated
//                             (default "0"; "none" posts nothing)
//   QUILLANE_SAMPLE_EXIT      its own process exit code (default 0)
//   QUILLANE_SAMPLE_WAIT_MS   how long to keep its dialog open (default 0)
//   QUILLANE_SAMPLE_LOAD      a library to load by name at start, reported
//                             with where it came from ("loaded=")
//   QUILLANE_SAMPLE_BROADCAST 1: as soon as its dialog is shown, and again
//                             before its results, it sends WM_SETTINGCHANGE
//                             ("Environment") to every top-level window with
//                             a plain SendMessage, as installers do, and
//                             reports whether its dialog had been raised when
//                             the first one was answered ("broadcast-raised=")
//   QUILLANE_SAMPLE_SEND      1: it sends its results instead of posting them
//   QUILLANE_SAMPLE_CRASH     1: after its report it posts nothing and ends
//                             as an unhandled access violation does (exit code
//                             0xC0000005), with no debugger or error box
#include <algorithm>
#include <vector>

#include "standin_common.h"

namespace {

struct WindowLink {
  HWND window = nullptr;
  UINT message = 0;
  bool found = false;
};

WindowLink FindWindowLink(const std::wstring& commandLine) {
  WindowLink link;
  size_t at = commandLine.find(L"/W32:");
  if (at == std::wstring::npos) return link;
  const wchar_t* text = commandLine.c_str() + at + 5;
  wchar_t* end = nullptr;
  long long handle = wcstoll(text, &end, 10);
  if (*end != L':') return link;
  link.window = reinterpret_cast<HWND>(static_cast<intptr_t>(handle));
  link.message = static_cast<UINT>(wcstoul(end + 1, nullptr, 10));
  link.found = true;
  return link;
}

std::string ReadWhole(const std::wstring& path, bool& exists) {
  std::string bytes;
  HANDLE file =
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  exists = file != INVALID_HANDLE_VALUE;
  if (!exists) return bytes;
  char chunk[65536];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) bytes.append(chunk, got);
  CloseHandle(file);
  return bytes;
}

void ListTree(const std::wstring& root, const std::wstring& relative,
              std::vector<std::string>& lines) {
  WIN32_FIND_DATAW entry;
  const std::wstring folder = relative.empty() ? root : root + L"\\" + relative;
  HANDLE listing = FindFirstFileW((folder + L"\\*").c_str(), &entry);
  if (listing == INVALID_HANDLE_VALUE) return;
  do {
    std::wstring name = entry.cFileName;
    if (name == L"." || name == L"..") continue;
    std::wstring path = relative.empty() ? name : relative + L"\\" + name;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      lines.push_back("folder=" + standin::Utf8(path) + "\n");
      ListTree(root, path, lines);
    } else {
      bool exists = false;
      std::string bytes = ReadWhole(root + L"\\" + path, exists);
      lines.push_back("file=" + standin::Utf8(path) + standin::FileDetail(bytes) + "\n");
    }
  } while (FindNextFileW(listing, &entry));
  FindClose(listing);
}

HWND OpenDialog(HINSTANCE instance) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = L"TSetDialog";
  RegisterClassExW(&windowClass);
  // Shown without activation: becoming the foreground window is the
  // bootstrapper's doing.
  HWND dialog = CreateWindowExW(WS_EX_DLGMODALFRAME, L"TSetDialog", L"Quillane sample setup",
                                WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 400, 300,
                                nullptr, nullptr, instance, nullptr);
  ShowWindow(dialog, SW_SHOWNOACTIVATE);
  return dialog;
}

void Pump(DWORD milliseconds, HWND dialog, bool* raised) {
  const DWORD start = GetTickCount();
  do {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    if (raised && GetForegroundWindow() == dialog) {
      *raised = true;
      return;
    }
    Sleep(10);
  } while (GetTickCount() - start < milliseconds);
}

// Waits for every top-level window to answer, as a plain SendMessage does.
void BroadcastEnvironmentChange() {
  SendMessageW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Environment"));
}

LONG WINAPI EndWithTheException(EXCEPTION_POINTERS*) { return EXCEPTION_EXECUTE_HANDLER; }

// Ends the process as an unhandled access violation (a write to address 0)
// does, with its code as the exit code. The error mode keeps Windows' error
// box away; Wine ignores it and would start its debugger, which the filter
// forestalls. The exception is raised, not caused: on the emulated 32-bit
// route Wine reports a real fault as an illegal instruction (0xC000001D).
[[noreturn]] void Crash() {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  SetUnhandledExceptionFilter(EndWithTheException);
  const ULONG_PTR writeToNull[2] = {1, 0};
  RaiseException(EXCEPTION_ACCESS_VIOLATION, EXCEPTION_NONCONTINUABLE, 2, writeToNull);
  ExitProcess(1);  // not reached
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  const std::wstring commandLine = GetCommandLineW();
  const std::string loaded = standin::LoadNamedLibrary(L"QUILLANE_SAMPLE_LOAD");
  const WindowLink link = FindWindowLink(commandLine);
  HWND dialog = OpenDialog(instance);
  RECT place{};
  GetWindowRect(dialog, &place);
  const bool broadcast = standin::SettingNumber(L"QUILLANE_SAMPLE_BROADCAST", 0) == 1;
  bool raisedBeforeAnswer = false;
  if (broadcast) {
    BroadcastEnvironmentChange();
    raisedBeforeAnswer = GetForegroundWindow() == dialog;
  }

  // The bootstrapper raises the dialog about a second after it appears.
  bool raised = false;
  Pump(4000, dialog, &raised);

  std::string report = "command-line=" + standin::Utf8(commandLine) + "\n";
  wchar_t linkClass[260] = L"";
  if (link.found) GetClassNameW(link.window, linkClass, 260);
  report += "link-class=" + standin::Utf8(linkClass) + "\n";
  report += std::string("raised=") + (raised ? "1" : "0") + "\n";
  report += "position=" + std::to_string(place.left) + "," + std::to_string(place.top) + "\n";
  bool portsExist = false;
  std::string ports = ReadWhole(standin::OwnFolder() + L"\\PORTS.dat", portsExist);
  report += "ports-dat=" + (portsExist ? standin::Hex(ports) : std::string("missing")) + "\n";
  std::vector<std::string> lines;
  ListTree(standin::OwnFolder(), L"", lines);
  std::sort(lines.begin(), lines.end());
  for (const std::string& line : lines) report += line;
  if (!loaded.empty()) report += "loaded=" + loaded + "\n";
  report += standin::StartReport("");
  if (broadcast) report += std::string("broadcast-raised=") + (raisedBeforeAnswer ? "1\n" : "0\n");
  report += "end\n";
  standin::AppendReport(L"QUILLANE_SAMPLE_REPORT", report);
  if (standin::SettingNumber(L"QUILLANE_SAMPLE_CRASH", 0) == 1) Crash();

  if (broadcast) BroadcastEnvironmentChange();
  const bool send = standin::SettingNumber(L"QUILLANE_SAMPLE_SEND", 0) == 1;
  const std::wstring results = standin::Setting(L"QUILLANE_SAMPLE_RESULTS", L"0");
  if (link.found && results != L"none") {
    const wchar_t* text = results.c_str();
    while (*text) {
      wchar_t* end = nullptr;
      unsigned long long value = wcstoull(text, &end, 0);
      if (end == text) break;
      if (send) {
        SendMessageW(link.window, link.message, static_cast<WPARAM>(value), 0);
      } else {
        PostMessageW(link.window, link.message, static_cast<WPARAM>(value), 0);
      }
      text = *end == L',' ? end + 1 : end;
    }
  }
  Pump(static_cast<DWORD>(standin::SettingNumber(L"QUILLANE_SAMPLE_WAIT_MS", 0)), dialog, nullptr);
  DestroyWindow(dialog);
  return static_cast<int>(standin::SettingNumber(L"QUILLANE_SAMPLE_EXIT", 0));
}
