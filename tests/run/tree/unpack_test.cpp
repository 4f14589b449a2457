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
  WIN32_FIND_DATAW found;
  HANDLE listing = FindFirstFileW((rootPath + L"*").c_str(), &found);
  ASSERT_NE(listing, INVALID_HANDLE_VALUE);
  int entries = 0;
  do entries += found.cFileName[0] != L'.';
  while (FindNextFileW(listing, &found));
  FindClose(listing);
  EXPECT_EQ(entries, 0);
}

}  // namespace
