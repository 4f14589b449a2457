#include <gtest/gtest.h>

#include "import_patch.h"
#include "run/tree/unpack.h"
#include "test_support.h"

using namespace quillane_test;

namespace {

// A sub-folder that cannot be made ends the unpacking before any file.
TEST(UnpackInstallPayload, EndsAtASubFolderThatCannotBeMade) {
  ScratchFolder root;
  const std::wstring rootPath = root.Path() + L"\\";
  const quillane::WideString workingRoot(quillane::AsUnits(rootPath.c_str()));
  auto failing = FAIL_IMPORT("KERNEL32.dll", CreateDirectoryW, FALSE);
  EXPECT_FALSE(quillane::UnpackInstallPayload(workingRoot));
  EXPECT_EQ(EntriesMatching(rootPath + L"*"), std::vector<std::wstring>{});
}

}  // namespace
