// Unpacking the carried files into the working tree, all or nothing: the
// first folder or file that cannot be made whole ends the unpacking, and the
// caller removes the tree and starts nothing.
#pragma once

#include "base/wide_string.h"

namespace quillane {

// Creates the sub-folders of the tree under workingRoot (which exists, is new
// and ends with a backslash), then writes the install files in payload-table
// order. True when every folder was created and every file written whole.
bool UnpackInstallPayload(const WideString& workingRoot);

// Writes the two auxiliary setups and the clean-up library into workingRoot;
// true when all three were written whole.
bool UnpackCleanupPayload(const WideString& workingRoot);

}  // namespace quillane
