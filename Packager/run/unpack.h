// Unpacking the carried files into the working tree. Nothing is reported:
// only the existence tests that follow decide the run's result.
#pragma once

#include "base/wide_string.h"

namespace quillane {

// Creates the eleven sub-folders under workingRoot (which exists and ends
// with a backslash), then writes the 39 install files in manifest order.
void UnpackInstallPayload(const WideString& workingRoot);

// Writes the two auxiliary setups and the clean-up library into workingRoot.
void UnpackCleanupPayload(const WideString& workingRoot);

}  // namespace quillane
