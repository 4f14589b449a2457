// One copy of the installer at a time: a named mutex claimed for the life of
// the process.
#pragma once

#include "base/win32.h"

namespace quillane {

// 1 when another instance holds guardName (its window of class guardName is
// brought forward) or when no mutex could be created; 0 when this process now
// holds the name. The mutex handle is never closed: it goes with the process.
int CheckSingleInstance(const wchar_t* guardName);

}  // namespace quillane
