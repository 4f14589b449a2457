// Where the installer loads libraries from. The folder it was started from
// (often the user's downloads) may hold planted files, and it runs elevated:
// libraries that the platform loads on demand must come from System32.
#pragma once

#include "base/win32.h"

namespace quillane {

// Limits the process's library search to System32 where the platform has
// search flags; elsewhere at least takes the current folder out of it.
void RestrictLibrarySearch();

// Loads a library of the working tree by its full path; what it needs in
// turn comes from its own folder and System32 only.
HMODULE LoadTreeLibrary(const wchar_t* path);

}  // namespace quillane
