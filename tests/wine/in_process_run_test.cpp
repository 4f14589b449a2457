// The run inside this test process, for what Wine cannot make happen: an
// administrator whose token is not elevated. CTest runs this suite in a
// process of its own, since the run claims the installer's single-instance
// name.
#include <gtest/gtest.h>

#include "run/run_sequence.h"
#include "token_fakes.h"

namespace {

using namespace quillane_test;

// One run a process: the run's single-instance name stays claimed after it,
// so a second run here would meet gate 2 (101) first. The order of the
// gates' codes is tested with the portable decision.
TEST(InProcessRun, UnelevatedAdministratorIsRefused) {
  FakeToken filtered;  // Administrators for deny-only, as UAC filters it
  filtered.processGroups = {Users(), Administrators(SE_GROUP_USE_FOR_DENY_ONLY)};
  ScopedFakeToken fakes(filtered);
  // Mode 1, so that no message box waits for an answer.
  EXPECT_EQ(quillane::RunInstaller(GetModuleHandleW(nullptr), L"-s1"), 104);
}

}  // namespace
