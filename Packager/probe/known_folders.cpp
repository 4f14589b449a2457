#include "probe/known_folders.h"

#include "base/path_buffer.h"

namespace quillane {
namespace {

constexpr DWORD kRegistryTextBytes = 260;

// Zeroed units on the process heap, freed when it goes.
struct HeapUnits {
  explicit HeapUnits(size_t count)
      : units(static_cast<wchar_t*>(
            HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, count * sizeof(wchar_t)))) {}
  HeapUnits(const HeapUnits&) = delete;
  HeapUnits& operator=(const HeapUnits&) = delete;
  ~HeapUnits() {
    if (units) HeapFree(GetProcessHeap(), 0, units);
  }
  wchar_t* const units;
};

}  // namespace

WideString GetWindowsFolder() {
  // The machine's Windows folder, never a per-user one (a terminal server
  // gives each user a Windows folder of their own) nor an environment
  // variable's text.
  PathBuffer<kPathUnits> windows;
  const UINT length = GetSystemWindowsDirectoryW(AsWide(windows.Data()), kPathUnits);
  if (length == 0 || length >= kPathUnits) return WideString();
  windows.AdoptWrittenText();
  return WideString(windows.CStr(), windows.Length());
}

WideString ReadMachinePath() {
  WideString path;
  UniqueKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                    L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment", 0,
                    KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS) {
    return path;
  }
  DWORD bytes = 0;
  LONG status = RegQueryValueExW(key.Get(), L"Path", nullptr, nullptr, nullptr, &bytes);
  // The value may grow between the size query and the read: then it is
  // read again at its new size.
  while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
    // One unit more than the data, for the terminator it may lack.
    HeapUnits text(bytes / sizeof(wchar_t) + 1);
    if (!text.units) return path;
    DWORD type = 0;
    DWORD read = bytes;
    status = RegQueryValueExW(key.Get(), L"Path", nullptr, &type,
                              reinterpret_cast<BYTE*>(text.units), &read);
    if (status == ERROR_SUCCESS) {
      if ((type == REG_SZ || type == REG_EXPAND_SZ) && read <= bytes) {
        path.Assign(AsUnits(text.units), TextLengthBounded(AsUnits(text.units), read / 2));
      }
      return path;
    }
    bytes = read;
  }
  return path;
}

WideString ReadExpandedRegistryText(HKEY root, const wchar_t* subkey, const wchar_t* value) {
  UniqueKey key;
  if (RegOpenKeyW(root, subkey, key.Receive()) != ERROR_SUCCESS) return WideString();

  // One unit more than the data may fill, for the terminator the registry
  // does not promise.
  wchar_t raw[kRegistryTextBytes / sizeof(wchar_t) + 1];
  DWORD bytes = kRegistryTextBytes;
  if (RegQueryValueExW(key.Get(), value, nullptr, nullptr, reinterpret_cast<BYTE*>(raw), &bytes) !=
      ERROR_SUCCESS) {
    return WideString();
  }
  if (bytes > kRegistryTextBytes) return WideString();
  raw[bytes / sizeof(wchar_t)] = 0;

  PathBuffer<kPathUnits> expanded;
  DWORD needed = ExpandEnvironmentStringsW(raw, AsWide(expanded.Data()), kPathUnits);
  if (needed == 0 || needed > kPathUnits) return WideString();
  expanded.AdoptWrittenText();
  return WideString(expanded.CStr(), expanded.Length());
}

WideString GetProgramFilesFolder() {
  return ReadExpandedRegistryText(
      HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion", L"ProgramFilesPath");
}

WideString GetCommonProgramsFolder() {
  return ReadExpandedRegistryText(
      HKEY_LOCAL_MACHINE,
      L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
      L"Common Programs");
}

}  // namespace quillane
