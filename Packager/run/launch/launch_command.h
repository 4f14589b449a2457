// The decisions of the launcher: the child's command line and which of its
// windows is the setup dialog to bring forward.
#pragma once

#include <cstddef>

#include "base/path_buffer.h"
#include "base/wide_string.h"

namespace quillane {

// The writable command-line buffer handed to the platform.
constexpr size_t kLaunchCommandUnits = 1024;
using LaunchCommand = PathBuffer<kLaunchCommandUnits>;

// programPath (counted up to 260 units), one blank and argumentsLength units
// of arguments, unquoted; false when they and the terminator do not fit 1024
// units, so that nothing is started.
bool ComposeLaunchCommand(const Unit* programPath, const Unit* arguments, size_t argumentsLength,
                          LaunchCommand& command);

// A class name containing "TSetDialog" or "MsiDialogCloseClass" (case counts).
bool IsSetupDialogClass(const Unit* className);

}  // namespace quillane
