// The command line as a wide-character GUI entry point receives it.
#pragma once

#include "base/wide_string.h"

namespace quillane {

// The text after the program name and the blanks and tabs that follow it.
// A program name that begins with a double quote runs to the next double
// quote (or the end), any other one to the first blank or tab.
const Unit* SkipProgramName(const Unit* commandLine);

}  // namespace quillane
