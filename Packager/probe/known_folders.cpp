#include "probe/known_folders.h"

#include "base/path_buffer.h"
#include "probe/working_base.h"

namespace quillane {
namespace {

constexpr DWORD kRegistryTextBytes = 260;

}  // namespace

WideString GetWorkingBase() {
  // The machine's Windows folder, never a per-user one (a terminal server
  // gives each user a Windows folder of their own) nor an environment
  // variable's text.
  PathBuffer<kPathUnits> windows;
  const UINT length = GetSystemWindowsDirectoryW(AsWide(windows.Data()), kPathUnits);
  if (length == 0 || length >= kPathUnits) return WideString();
  windows.AdoptWrittenText();
  return ChooseWorkingBase(windows.CStr());
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
  return ReadExpandedRegistryText(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion",
                                  L"ProgramFilesPath");
}

WideString GetCommonProgramsFolder() {
  return ReadExpandedRegistryText(
      HKEY_LOCAL_MACHINE,
      L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
      L"Common Programs");
}

}  // namespace quillane
