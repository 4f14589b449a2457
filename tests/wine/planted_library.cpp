// A library as someone else would plant it where the installer might load it
// from: when it is loaded, it appends "loaded <its own path>" to the file
// named by QUILLANE_PLANTED_REPORT.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t report[MAX_PATH];
  wchar_t own[MAX_PATH];
  if (!GetEnvironmentVariableW(L"QUILLANE_PLANTED_REPORT", report, MAX_PATH)) return TRUE;
  const DWORD length = GetModuleFileNameW(self, own, MAX_PATH);
  char line[3 * MAX_PATH + 16] = "loaded ";
  int bytes = WideCharToMultiByte(CP_UTF8, 0, own, static_cast<int>(length), line + 7,
                                  sizeof(line) - 8, nullptr, nullptr);
  line[7 + bytes] = '\n';
  HANDLE file = CreateFileW(report, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(8 + bytes), &written, nullptr);
  CloseHandle(file);
  return TRUE;
}
