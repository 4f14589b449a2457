#include "probe/version_gate.h"

namespace quillane {

bool IsWindows2000Version(uint32_t major, uint32_t minor) { return major == 5 && minor == 0; }

bool IsSupportedVersion(uint32_t major, uint32_t minor, int32_t allowWindows2000) {
  if (IsWindows2000Version(major, minor) && allowWindows2000 == 0) return false;
  return major > 4;
}

}  // namespace quillane
