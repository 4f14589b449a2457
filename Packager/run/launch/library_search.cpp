#include "run/launch/library_search.h"

namespace quillane {
namespace {

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
using SetDllDirectoryFunction = BOOL(WINAPI*)(LPCWSTR);

// Present from Windows 8, and on Windows Vista and 7 with their update;
// its presence also tells that LoadLibraryExW takes the search flags.
SetDefaultDllDirectoriesFunction FindSetDefaultDllDirectories() {
  return LookUpKernelExport<SetDefaultDllDirectoriesFunction>("SetDefaultDllDirectories");
}

// Present from Windows XP SP1.
SetDllDirectoryFunction FindSetDllDirectory() {
  return LookUpKernelExport<SetDllDirectoryFunction>("SetDllDirectoryW");
}

}  // namespace

void RestrictLibrarySearch() {
  if (auto setDefault = FindSetDefaultDllDirectories()) {
    if (setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
  }
  if (auto setDirectory = FindSetDllDirectory()) setDirectory(L"");
}

HMODULE LoadTreeLibrary(const wchar_t* path) {
  const DWORD search = FindSetDefaultDllDirectories()
                           ? LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32
                           : LOAD_WITH_ALTERED_SEARCH_PATH;
  return LoadLibraryExW(path, nullptr, search);
}

}  // namespace quillane
