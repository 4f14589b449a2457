#include <gtest/gtest.h>

#include "import_patch.h"
#include "probe/wow64_probe.h"

namespace {

// Every test session's prefix is a 64-bit one: there a 32-bit program runs
// under WOW64 and a 64-bit one does not.
TEST(IsWow64, InTheSessionsSixtyFourBitPrefixAnswersByTheProgramsWidth) {
  EXPECT_EQ(quillane::IsWow64(), sizeof(void*) == 4 ? 1 : 0);
}

// Where the platform cannot tell, the program counts as native.
TEST(IsWow64, WithoutAnAnswerFromThePlatformIsNative) {
  for (const void* isWow64Process :
       {static_cast<const void*>(nullptr),
        quillane_test::EntryOf(
            &quillane_test::FailingCall<decltype(&IsWow64Process), FALSE>::Call)}) {
    quillane_test::ReplacedExports exports({{"IsWow64Process", isWow64Process}});
    EXPECT_EQ(quillane::IsWow64(), 0) << (isWow64Process ? "failing" : "missing");
  }
}

}  // namespace
