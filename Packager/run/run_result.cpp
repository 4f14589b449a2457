#include "run/run_result.h"

namespace quillane {

ResultCode JudgeGates(bool alreadyRunning, bool administrator, ResultCode portResult) {
  if (portResult != kSuccess) return portResult;
  if (alreadyRunning) return kAlreadyRunning;
  return administrator ? kSuccess : kNotAdministrator;
}

SetupOutcome JudgeSetupEnd(uint32_t exitCode, bool resultPosted, uint32_t lastPosted) {
  constexpr uint32_t kLaunchFailedCode = 2;
  constexpr uint32_t kFirstErrorStatus = 0xC0000000u;
  if (exitCode == kLaunchFailedCode) return {kInstallFailed, true};
  if (resultPosted) return {static_cast<int32_t>(lastPosted & 0xFFFF), false};
  if (exitCode >= kFirstErrorStatus) return {kInstallFailed, true};
  return {kSuccess, false};
}

SetupOutcome JudgeInstallRun(bool treeReady, const SetupEnd& end) {
  if (!treeReady) return {kInstallFailed, true};
  return JudgeSetupEnd(end.exitCode, end.resultPosted, end.lastPosted);
}

SetupOutcome JudgeCleanupRun(bool treeReady, bool libraryCalled, const SetupEnd& end) {
  if (!treeReady || !libraryCalled) return {kInstallFailed, true};
  return JudgeSetupEnd(end.exitCode, end.resultPosted, end.lastPosted);
}

}  // namespace quillane
