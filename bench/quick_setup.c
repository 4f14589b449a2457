/* The inner setup of the benchmark payloads: a real GUI program that ends at
 * once, opening no window (a dialog of the setup's class would make the
 * installer wait before raising it) and posting nothing.
 *
 * Only when QUILLANE_BENCH_TREE_REPORT names a file (the benchmark's check
 * run, never a timed one) does it first append to that file one line per
 * file of the tree it was started from: "<path below its folder>\t<bytes>",
 * so the check can tell that an installer unpacked the whole tree. */
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

static void WriteText(HANDLE out, const wchar_t* text) {
  char bytes[4 * MAX_PATH];
  int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof(bytes), NULL, NULL);
  DWORD written = 0;
  if (length > 1) WriteFile(out, bytes, (DWORD)(length - 1), &written, NULL);
}

/* Appends text at *end, within a buffer of MAX_PATH + 32 units. */
static void Put(wchar_t* buffer, size_t* end, const wchar_t* text) {
  while (*text && *end < MAX_PATH + 31) buffer[(*end)++] = *text++;
  buffer[*end] = L'\0';
}

static void PutNumber(wchar_t* buffer, size_t* end, unsigned long long value) {
  wchar_t digits[24];
  size_t at = 23;
  digits[at] = L'\0';
  do {
    digits[--at] = (wchar_t)(L'0' + value % 10);
    value /= 10;
  } while (value);
  Put(buffer, end, digits + at);
}

/* Lists folder (a path below root of `skip` units; empty for root itself). */
static void ListTree(HANDLE out, const wchar_t* folder, size_t skip) {
  wchar_t pattern[MAX_PATH + 32];
  size_t end = 0;
  Put(pattern, &end, folder);
  Put(pattern, &end, L"\\*");
  WIN32_FIND_DATAW entry;
  HANDLE listing = FindFirstFileW(pattern, &entry);
  if (listing == INVALID_HANDLE_VALUE) return;
  do {
    if (lstrcmpW(entry.cFileName, L".") == 0 || lstrcmpW(entry.cFileName, L"..") == 0) continue;
    wchar_t path[MAX_PATH + 32];
    end = 0;
    Put(path, &end, folder);
    Put(path, &end, L"\\");
    Put(path, &end, entry.cFileName);
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      ListTree(out, path, skip);
    } else {
      wchar_t line[MAX_PATH + 32];
      end = 0;
      Put(line, &end, path + skip);
      Put(line, &end, L"\t");
      PutNumber(line, &end, ((unsigned long long)entry.nFileSizeHigh << 32) | entry.nFileSizeLow);
      Put(line, &end, L"\n");
      WriteText(out, line);
    }
  } while (FindNextFileW(listing, &entry));
  FindClose(listing);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR arguments, int show) {
  (void)instance;
  (void)previous;
  (void)arguments;
  (void)show;
  wchar_t report[MAX_PATH];
  DWORD length = GetEnvironmentVariableW(L"QUILLANE_BENCH_TREE_REPORT", report, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 0;

  wchar_t own[MAX_PATH];
  DWORD ownLength = GetModuleFileNameW(NULL, own, MAX_PATH);
  if (ownLength == 0 || ownLength >= MAX_PATH) return 3;
  wchar_t* slash = own + ownLength;
  while (slash > own && *slash != L'\\') --slash;
  *slash = L'\0';

  HANDLE out = CreateFileW(report, FILE_APPEND_DATA, FILE_SHARE_READ, NULL, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, NULL);
  if (out == INVALID_HANDLE_VALUE) return 3;
  ListTree(out, own, (size_t)(slash - own) + 1);
  CloseHandle(out);
  return 0;
}
