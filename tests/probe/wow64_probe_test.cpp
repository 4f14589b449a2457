#include <gtest/gtest.h>

#include "probe/wow64_probe.h"

namespace {

// Every test session's prefix is a 64-bit one: there a 32-bit program runs
// under WOW64 and a 64-bit one does not.
TEST(IsWow64, InTheSessionsSixtyFourBitPrefixAnswersByTheProgramsWidth) {
  EXPECT_EQ(quillane::IsWow64(), sizeof(void*) == 4 ? 1 : 0);
}

}  // namespace
