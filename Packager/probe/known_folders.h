// Folders the run needs, each read afresh; a lookup that cannot answer gives
// the empty string.
#pragma once

#include "base/wide_string.h"
#include "base/win32.h"

namespace quillane {

// The machine's Windows folder (GetSystemWindowsDirectoryW), or empty when
// it cannot be read.
WideString GetWindowsFolder();

// The machine's own PATH as the system environment stores it (HKLM
// "SYSTEM\CurrentControlSet\Control\Session Manager\Environment" value
// "Path", a text of any length), unexpanded; empty when it is missing or no
// text.
WideString ReadMachinePath();

// HKLM "Software\Microsoft\Windows\CurrentVersion" value "ProgramFilesPath",
// expanded.
WideString GetProgramFilesFolder();

// HKLM "...\Explorer\User Shell Folders" value "Common Programs", expanded.
WideString GetCommonProgramsFolder();

// A registry text of at most 260 bytes, terminated where the data ends and
// with %VARIABLES% expanded into 260 units; empty when the key or value is
// missing, the value is larger, or the expansion does not fit.
WideString ReadExpandedRegistryText(HKEY root, const wchar_t* subkey, const wchar_t* value);

}  // namespace quillane
