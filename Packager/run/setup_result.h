// What the end of a started setup means for the run's result.
#pragma once

#include <cstdint>

namespace quillane {

struct SetupOutcome {
  int32_t result;  // the run's exit code
  bool failed;     // an installation failure (1001), reported as one
};

// Exit code 2 fails whatever was posted (a launch that started nothing looks
// the same). Otherwise a posted result wins: the low 16 bits of the last
// one. Nothing posted is success, except after an exception or a forced end
// (an NTSTATUS error value, 0xC0000000 and above), which fails.
SetupOutcome JudgeSetupEnd(uint32_t exitCode, bool resultPosted, uint32_t lastPosted);

}  // namespace quillane
