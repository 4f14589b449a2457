#include "run/setup_result.h"

#include "run/result_code.h"

namespace quillane {

SetupOutcome JudgeSetupEnd(uint32_t exitCode, bool resultPosted, uint32_t lastPosted) {
  constexpr uint32_t kLaunchFailedCode = 2;
  constexpr uint32_t kFirstErrorStatus = 0xC0000000u;
  if (exitCode == kLaunchFailedCode) return {kInstallFailed, true};
  if (resultPosted) return {static_cast<int32_t>(lastPosted & 0xFFFF), false};
  if (exitCode >= kFirstErrorStatus) return {kInstallFailed, true};
  return {kSuccess, false};
}

}  // namespace quillane
