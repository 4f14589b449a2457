// The one result a run ends with when it does not complete.
#pragma once

#include <cstdint>

namespace quillane {

enum ResultCode : int32_t {
  kSuccess = 0,
  kAlreadyRunning = 101,
  kUnsupportedOs = 102,
  kNotAdministrator = 104,
  kSamePortForBoth = 106,
  kKvPortWithoutKp = 107,
  kInstallFailed = 1001,
};

}  // namespace quillane
