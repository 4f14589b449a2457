#include <gtest/gtest.h>

#include <string>

#include "run/cleanup_branch.h"
#include "run/tree/payload_table.h"

namespace quillane {
namespace {

// The 64-bit auxiliary setup on 64-bit Windows; a program folder that was
// not found is never looked at.
TEST(CleanupBranch, AuxiliarySetupAndLeftoverFolders) {
  EXPECT_EQ(ChooseAuxiliarySetupNameId(true), kAuxiliarySetup64NameId);
  EXPECT_EQ(ChooseAuxiliarySetupNameId(false), kAuxiliarySetup32NameId);
  WideString leftover;
  ASSERT_TRUE(ComposeLeftoverFolder(WideString(u"C:\\Program Files"), leftover));
  EXPECT_EQ(std::u16string(leftover.CStr()), u"C:\\Program Files\\VARNO");
  EXPECT_FALSE(ComposeLeftoverFolder(WideString(), leftover));
}

}  // namespace
}  // namespace quillane
