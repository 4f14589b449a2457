#include <gtest/gtest.h>

#include "run/remove_tree.h"
#include "test_support.h"

using quillane::DeleteTree;
using quillane::RemoveEmptyFolder;
using namespace quillane_test;

namespace {

// root\a\b\deep.txt (read-only), root\a\hidden.sys (hidden, system),
// root\top.txt (read-only), root\empty\, root\c\x.bin
void BuildTree(const std::wstring& root) {
  MakeFolder(root);
  MakeFolder(root + L"\\a");
  MakeFolder(root + L"\\a\\b");
  MakeFolder(root + L"\\empty");
  MakeFolder(root + L"\\c");
  WriteFileBytes(root + L"\\a\\b\\deep.txt", "deep");
  WriteFileBytes(root + L"\\a\\hidden.sys", "hidden");
  WriteFileBytes(root + L"\\top.txt", "top");
  WriteFileBytes(root + L"\\c\\x.bin", std::string(100000, 'x'));
  SetFileAttributesW((root + L"\\a\\b\\deep.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  SetFileAttributesW((root + L"\\a\\hidden.sys").c_str(),
                     FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  SetFileAttributesW((root + L"\\top.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  SetFileAttributesW((root + L"\\a\\b").c_str(), FILE_ATTRIBUTE_READONLY);
}

TEST(DeleteTree, RemovesNestedTreeWithMarkedFilesWithOrWithoutTrailingBackslash) {
  ScratchFolder scratch;
  for (const wchar_t* suffix : {L"", L"\\"}) {
    const std::wstring root = scratch / L"tree";
    BuildTree(root);
    EXPECT_EQ(DeleteTree((root + suffix).c_str()), 1) << "suffix '" << (suffix[0] ? "\\" : "") << "'";
    EXPECT_FALSE(PathExists(root));
  }
}

TEST(DeleteTree, StopsAtAFileHeldOpenAndKeepsEverythingAboveIt) {
  ScratchFolder scratch;
  const std::wstring root = scratch / L"tree";
  BuildTree(root);
  HANDLE holder = CreateFileW((root + L"\\a\\b\\deep.txt").c_str(), GENERIC_READ, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_EQ(DeleteTree(root.c_str()), 0);
  CloseHandle(holder);
  EXPECT_TRUE(PathExists(root + L"\\a\\b\\deep.txt"));
  EXPECT_TRUE(PathExists(root + L"\\a\\b"));
  EXPECT_TRUE(PathExists(root));
}

TEST(DeleteTree, DotNamedEntryIsKeptAndSoIsItsFolder) {
  ScratchFolder scratch;
  const std::wstring root = scratch / L"tree";
  MakeFolder(root);
  MakeFolder(root + L"\\sub");
  WriteFileBytes(root + L"\\sub\\.keep", "k");
  EXPECT_EQ(DeleteTree(root.c_str()), 0);
  EXPECT_TRUE(PathExists(root + L"\\sub\\.keep"));
  EXPECT_TRUE(PathExists(root));
}

TEST(FolderRemoval, EmptyFolderIsRemovedByBoth) {
  ScratchFolder scratch;
  MakeFolder(scratch / L"e1");
  MakeFolder(scratch / L"e2");
  EXPECT_EQ(DeleteTree((scratch / L"e1").c_str()), 1);
  EXPECT_EQ(RemoveEmptyFolder((scratch / L"e2").c_str()), 1);
  EXPECT_FALSE(PathExists(scratch / L"e1"));
  EXPECT_FALSE(PathExists(scratch / L"e2"));
}

TEST(FolderRemoval, MissingFolderGivesZero) {
  ScratchFolder scratch;
  EXPECT_EQ(DeleteTree((scratch / L"missing").c_str()), 0);
  EXPECT_EQ(RemoveEmptyFolder((scratch / L"missing").c_str()), 0);
}

TEST(RemoveEmptyFolder, LeavesAFolderWithAnythingInIt) {
  ScratchFolder scratch;
  const std::wstring withSub = scratch / L"with-sub";
  MakeFolder(withSub);
  MakeFolder(withSub + L"\\inner");
  EXPECT_EQ(RemoveEmptyFolder(withSub.c_str()), 0);
  EXPECT_TRUE(PathExists(withSub + L"\\inner"));

  const std::wstring withFile = scratch / L"with-file";
  MakeFolder(withFile);
  WriteFileBytes(withFile + L"\\f.txt", "f");
  EXPECT_EQ(RemoveEmptyFolder((withFile + L"\\").c_str()), 0);
  EXPECT_TRUE(PathExists(withFile + L"\\f.txt"));

  // Dot-named entries are not counted, but the folder is still not empty.
  const std::wstring withDot = scratch / L"with-dot";
  MakeFolder(withDot);
  WriteFileBytes(withDot + L"\\.hidden", "d");
  EXPECT_EQ(RemoveEmptyFolder(withDot.c_str()), 0);
  EXPECT_TRUE(PathExists(withDot + L"\\.hidden"));
}

TEST(RemoveEmptyFolder, ReadOnlyEmptyFolderIsRemoved) {
  ScratchFolder scratch;
  const std::wstring folder = scratch / L"ro";
  MakeFolder(folder);
  SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(RemoveEmptyFolder(folder.c_str()), 1);
  EXPECT_FALSE(PathExists(folder));
}

}  // namespace
