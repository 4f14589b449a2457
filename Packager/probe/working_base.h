// Where the working tree goes: under the user's temporary folder, unless that
// folder is the Windows folder itself.
#pragma once

#include "base/wide_string.h"

namespace quillane {

// The temporary folder's text, or empty when it equals the Windows folder's
// text exactly (case and trailing backslash count) or is empty.
WideString ChooseWorkingBase(const Unit* temporaryFolder, const Unit* windowsFolder);

}  // namespace quillane
