// The run of the installer from start to end, on the process's one thread.
#pragma once

#include "base/win32.h"
#include "res/resource_ids.h"

namespace quillane {

// The caption of every message box, and the hidden window's title.
constexpr const wchar_t* kProgramCaption = L"" QUILLANE_CAPTION;

// Runs the installer for the command line after the program name and returns
// the process exit code.
int RunInstaller(HINSTANCE instance, const wchar_t* commandLine);

}  // namespace quillane
