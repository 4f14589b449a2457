// The command line as a wide-character GUI entry point receives it.
#pragma once

#include "base/wide_string.h"

namespace quillane {

// The text after the program name and the blanks that follow it, as the
// wide-character GUI entry convention gives it: a program name that begins
// with a double quote runs to the next double quote (or the end), any other
// one to the first unit at or below U+0020; such units after it are skipped.
const Unit* SkipProgramName(const Unit* commandLine);

}  // namespace quillane
