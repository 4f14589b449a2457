// The run's result decisions: which gate's code ends the run, and what the
// end of a started setup means.
#pragma once

#include <cstdint>

#include "base/result_code.h"

namespace quillane {

// Gates 2 to 4 after the window exists: 101 when another instance runs,
// otherwise 104 when the user is no administrator (the caller asks only
// when no other instance runs); a port-option code (106, 107) replaces
// either. kSuccess when all pass.
ResultCode JudgeGates(bool alreadyRunning, bool administrator, ResultCode portResult);

struct SetupOutcome {
  int32_t result;  // the run's exit code
  bool failed;     // an installation failure (1001), reported as one
};

// Exit code 2 fails whatever was posted (a launch that started nothing looks
// the same). Otherwise a posted result wins: the low 16 bits of the last
// one. Nothing posted is success, except after an exception or a forced end
// (an NTSTATUS error value, 0xC0000000 and above), which fails.
SetupOutcome JudgeSetupEnd(uint32_t exitCode, bool resultPosted, uint32_t lastPosted);

// How a started setup ended: its exit code (2 also when nothing could be
// started) and the last result it posted, if any.
struct SetupEnd {
  uint32_t exitCode;
  bool resultPosted;
  uint32_t lastPosted;
};

// The install branch: a failure when its tree was not made ready (folders,
// files, PORTS.dat; nothing was started then), otherwise as the setup ended.
SetupOutcome JudgeInstallRun(bool treeReady, const SetupEnd& end);

// The clean-up branch: a failure when its tree was not ready; otherwise as
// the auxiliary setup ended, and a failure as well when the clean-up library
// could not be loaded or lacks its export (the auxiliary setup has run all
// the same).
SetupOutcome JudgeCleanupRun(bool treeReady, bool libraryCalled, const SetupEnd& end);

}  // namespace quillane
