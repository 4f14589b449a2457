// Starts a setup program, brings its first setup dialog forward, waits for it
// to end (answering what it sends meanwhile) and tells the hidden main window
// that it has.
#pragma once

#include <cstddef>

#include "base/win32.h"

namespace quillane {

// Returned when nothing was started (program missing, command line too long,
// creation failed). A child that itself exits with 2 looks the same.
constexpr int kNothingStarted = 2;

// Where a started program begins: its current folder and its whole
// environment block (NUL-terminated entries and an empty one), never the
// installer's own, which are its user's.
struct StartPlace {
  const wchar_t* currentFolder;
  const wchar_t* environment;
};

// The child's exit code, or kNothingStarted. Whenever a child was started,
// message 1025 has been posted to notifyWindow before the return.
int RunSetupProgram(HWND notifyWindow, const wchar_t* programPath, const wchar_t* arguments,
                    size_t argumentsLength, const StartPlace& place);

}  // namespace quillane
