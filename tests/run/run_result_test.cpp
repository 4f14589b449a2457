#include <gtest/gtest.h>

#include "run/run_result.h"

namespace quillane {
namespace {

// 101 when another instance runs, else 104 for a user who is no
// administrator; a port-option code replaces either.
TEST(JudgeGates, PortCodeReplacesAnEarlierOne) {
  struct {
    bool running;
    bool administrator;
    ResultCode port;
    ResultCode result;
  } const cases[] = {
      {false, true, kSuccess, kSuccess},
      {true, true, kSuccess, kAlreadyRunning},
      {false, false, kSuccess, kNotAdministrator},
      {true, false, kSuccess, kAlreadyRunning},
      {true, true, kSamePortForBoth, kSamePortForBoth},
      {false, false, kKvPortWithoutKp, kKvPortWithoutKp},
      {false, true, kKvPortWithoutKp, kKvPortWithoutKp},
  };
  for (const auto& row : cases) {
    EXPECT_EQ(JudgeGates(row.running, row.administrator, row.port), row.result)
        << row.running << row.administrator << row.port;
  }
}

// Exit code 2 gives 1001 whatever was posted; otherwise a posted result wins;
// nothing posted gives 0, except after an exception or a forced end.
TEST(JudgeSetupEnd, ExitCodeAndPostedResult) {
  struct {
    uint32_t exitCode;
    bool posted;
    uint32_t lastPosted;
    int32_t result;
    bool failed;
  } const cases[] = {
      {0, false, 0, 0, false},
      {0, true, 7, 7, false},
      {2, true, 7, 1001, true},
      {2, false, 0, 1001, true},
      {3, false, 0, 0, false},
      {1, true, 0x12340005, 5, false},       // the low 16 bits only
      {1, true, 0x0001FFFF, 0xFFFF, false},  // all sixteen of them
      {1, true, 0x00018000, 0x8000, false},
      {0, true, 1001, 1001, false},        // the setup's own 1001 is its result
      {0xC0000005, false, 0, 1001, true},  // access violation
      {0xC000013A, false, 0, 1001, true},  // ended with Ctrl+C
      {0xFFFFFFFF, false, 0, 1001, true},
      {0xC0000005, true, 4, 4, false},     // it had reported before it crashed
      {0xC0000000, false, 0, 1001, true},  // the first NTSTATUS error value
      {0xBFFFFFFF, false, 0, 0, false},    // below the NTSTATUS errors
      {0x80000003, false, 0, 0, false},    // a warning status (breakpoint)
      {0x103, false, 0, 0, false},
  };
  for (const auto& row : cases) {
    const SetupOutcome outcome = JudgeSetupEnd(row.exitCode, row.posted, row.lastPosted);
    EXPECT_EQ(outcome.result, row.result) << std::hex << row.exitCode << " " << row.posted;
    EXPECT_EQ(outcome.failed, row.failed) << std::hex << row.exitCode << " " << row.posted;
  }
}

// A branch whose tree was not ready started nothing and fails; the clean-up
// branch also fails when its library could not be called, after its
// auxiliary setup has run; otherwise the setup's end decides.
TEST(JudgeBranch, TreeLibraryAndTheSetupsEnd) {
  const SetupEnd posted7 = {0, true, 7};
  const SetupEnd endedWith2 = {2, true, 7};
  const SetupEnd silent = {0, false, 0};
  struct {
    bool cleanup;
    bool treeReady;
    bool libraryCalled;
    SetupEnd end;
    int32_t result;
    bool failed;
  } const cases[] = {
      {false, true, false, posted7, 7, false},      {false, false, false, posted7, 1001, true},
      {false, true, false, endedWith2, 1001, true}, {true, true, true, silent, 0, false},
      {true, true, true, posted7, 7, false},        {true, true, false, silent, 1001, true},
      {true, false, true, silent, 1001, true},      {true, true, true, endedWith2, 1001, true},
  };
  for (const auto& row : cases) {
    const SetupOutcome outcome = row.cleanup
                                     ? JudgeCleanupRun(row.treeReady, row.libraryCalled, row.end)
                                     : JudgeInstallRun(row.treeReady, row.end);
    EXPECT_EQ(outcome.result, row.result) << row.cleanup << row.treeReady << row.libraryCalled;
    EXPECT_EQ(outcome.failed, row.failed) << row.cleanup << row.treeReady << row.libraryCalled;
  }
}

}  // namespace
}  // namespace quillane
