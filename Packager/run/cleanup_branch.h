// The clean-up mode's choices: which auxiliary setup runs, and which
// leftover program folders are looked at.
#pragma once

#include <cstdint>

#include "base/wide_string.h"

namespace quillane {

// The auxiliary setup's file-name string: the 64-bit one on 64-bit Windows
// (this 32-bit program under WOW64), otherwise the 32-bit one.
uint32_t ChooseAuxiliarySetupNameId(bool underWow64);

// The leftover folder of a program folder: the folder and "\VARNO". False,
// and nothing to look at, when the folder was not found (empty): "\VARNO"
// alone would name a folder at the root of the current drive.
bool ComposeLeftoverFolder(const WideString& programFolder, WideString& leftover);

}  // namespace quillane
