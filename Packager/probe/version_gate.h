// Which reported Windows versions the installer runs on.
#pragma once

#include <cstdint>

namespace quillane {

// Windows 2000 reports 5.0.
bool IsWindows2000Version(uint32_t major, uint32_t minor);

// 5.0 and later; 5.0 itself only when allowWindows2000 is set. A failed
// version query reports major 0 and is not supported.
bool IsSupportedVersion(uint32_t major, uint32_t minor, int32_t allowWindows2000);

}  // namespace quillane
