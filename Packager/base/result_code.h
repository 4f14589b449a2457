// The one result a run ends with when it does not complete.
#pragma once

#include <cstdint>

#include "res/resource_ids.h"

namespace quillane {

enum ResultCode : int32_t {
  kSuccess = QUILLANE_RESULT_SUCCESS,
  kAlreadyRunning = QUILLANE_RESULT_ALREADY_RUNNING,
  kUnsupportedOs = QUILLANE_RESULT_UNSUPPORTED_OS,
  kNotAdministrator = QUILLANE_RESULT_NOT_ADMINISTRATOR,
  kSamePortForBoth = QUILLANE_RESULT_SAME_PORT_FOR_BOTH,
  kKvPortWithoutKp = QUILLANE_RESULT_KV_PORT_WITHOUT_KP,
  kInstallFailed = QUILLANE_RESULT_INSTALL_FAILED,
};

}  // namespace quillane
