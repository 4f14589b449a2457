#include <gtest/gtest.h>

#include <winternl.h>
#include "run/tree/remove_tree.h"

#include "import_patch.h"
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
    EXPECT_EQ(DeleteTree((root + suffix).c_str()), 1)
        << "suffix '" << (suffix[0] ? "\\" : "") << "'";
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

TEST(DeleteTree, DotNamedEntriesGoLikeAnyOther) {
  ScratchFolder scratch;
  const std::wstring root = scratch / L"tree";
  MakeFolder(root);
  MakeFolder(root + L"\\.sub");
  WriteFileBytes(root + L"\\.sub\\.keep", "k");
  WriteFileBytes(root + L"\\..x", "x");
  EXPECT_EQ(DeleteTree(root.c_str()), 1);
  EXPECT_FALSE(PathExists(root));
}

TEST(DeleteTree, NeverActsOnWhatALinkInTheTreeNames) {
  OutsideTargets outside;
  struct {
    const wchar_t* link;
    const wchar_t* target;
  } const cases[] = {
      {L"planted", L"folder"},
      {L"planted.txt", L"single.txt"},
      {L"a\\b\\deep", L"empty"},
      {L"c\\deep.txt", L"single.txt"},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(testing::Message() << "link " << (&row - cases));
    ScratchFolder scratch;
    const std::wstring root = scratch / L"tree";
    BuildTree(root);
    const std::wstring link = root + L"\\" + row.link;
    ASSERT_TRUE(MakeUnixLink(outside / row.target, link));
    // Wine cannot remove a link as itself: it stays, and so does the tree.
    EXPECT_EQ(DeleteTree(root.c_str()), 0);
    outside.ExpectIntact();
    EXPECT_TRUE(PathExists(link));
    EXPECT_TRUE(RemoveUnixLink(link));
  }
}

TEST(DeleteTree, NeverActsOnAFolderThatIsALink) {
  OutsideTargets outside;
  ScratchFolder scratch;
  for (const wchar_t* target : {L"folder", L"empty"}) {
    const std::wstring link = scratch / L"root-link";
    ASSERT_TRUE(MakeUnixLink(outside / target, link));
    EXPECT_EQ(DeleteTree(link.c_str()), 0);
    EXPECT_EQ(DeleteTree((link + L"\\").c_str()), 0);
    EXPECT_EQ(RemoveEmptyFolder(link.c_str()), 0);
    outside.ExpectIntact();
    EXPECT_TRUE(RemoveUnixLink(link));
  }
}

// The temporary folder's path often holds 8.3 names: another spelling of
// the same place must not make the tree's own entries look foreign.
TEST(DeleteTree, ShortSpellingOfTheFoldersAboveStillRemovesTheTree) {
  ScratchFolder scratch;
  const std::wstring longFolder = scratch / L"a folder with a long name";
  MakeFolder(longFolder);
  BuildTree(longFolder + L"\\tree");
  wchar_t shortFolder[MAX_PATH] = L"";
  ASSERT_NE(GetShortPathNameW(longFolder.c_str(), shortFolder, MAX_PATH), 0u);
  ASSERT_NE(std::wstring(shortFolder), longFolder);
  EXPECT_EQ(DeleteTree((std::wstring(shortFolder) + L"\\tree\\").c_str()), 1);
  EXPECT_FALSE(PathExists(longFolder + L"\\tree"));
  EXPECT_TRUE(PathExists(longFolder));
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
  EXPECT_EQ(DeleteTree((scratch / L"missing\\below").c_str()), 0);
}

TEST(FolderRemoval, AFileIsNoFolderToRemoveOrOpen) {
  ScratchFolder scratch;
  WriteFileBytes(scratch / L"file", "x");
  EXPECT_EQ(RemoveEmptyFolder((scratch / L"file").c_str()), 0);
  quillane::UniqueFile handle;
  EXPECT_FALSE(quillane::OpenOwnFolder((scratch / L"file").c_str(), FILE_READ_ATTRIBUTES, handle));
  EXPECT_TRUE(PathExists(scratch / L"file"));
}

// A tree counts as removed only when every call of its removal succeeded:
// whichever fails, at whichever entry, the answer is 0.
TEST(DeleteTree, AnyFailingCallOrMemoryRunningOutGivesZero) {
  ScratchFolder scratch;
  int trees = 0;
  const auto removeFreshTree = [&] {
    const std::wstring root = scratch / (L"tree" + std::to_wstring(++trees));
    BuildTree(root);
    return DeleteTree(root.c_str()) == 1;
  };
  EXPECT_FAILURE_WHENEVER_IMPORT_FAILS("ntdll.dll", NtQueryObject, kAccessDeniedStatus,
                                       removeFreshTree);
  EXPECT_FAILURE_WHENEVER_IMPORT_FAILS("KERNEL32.dll", GetFileInformationByHandle, FALSE,
                                       removeFreshTree);
  EXPECT_FAILURE_WHENEVER_IMPORT_FAILS("KERNEL32.dll", FindFirstFileW, -1, removeFreshTree);
  ExpectFailureWheneverMemoryRunsOut(removeFreshTree);
  // Clearing the marks may fail; only the deletion itself counts.
  auto failing = FAIL_IMPORT("ntdll.dll", NtSetInformationFile, kAccessDeniedStatus);
  EXPECT_FALSE(removeFreshTree());
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
