// Whether this 32-bit program runs on 64-bit Windows (WOW64), which decides
// the clean-up mode's auxiliary setup.
#pragma once

#include "base/win32.h"

namespace quillane {

// Non-zero when this 32-bit process runs under WOW64; 0 when it does not or
// when the platform cannot tell (a Windows without IsWow64Process is a
// 32-bit one).
int IsWow64();

}  // namespace quillane
