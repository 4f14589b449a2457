#include <gtest/gtest.h>

#include "import_patch.h"
#include "run/tree/extract.h"
#include "test_support.h"

using quillane::ExtractResourceToFile;
using namespace quillane_test;

namespace {

constexpr uint16_t kPatternId = 200;
constexpr uint16_t kEmptyId = 201;

TEST(ExtractResourceToFile, WritesTheResourceByteForByte) {
  ScratchFolder folder;
  const std::string expected = OwnResource(kPatternId);
  ASSERT_EQ(expected.size(), 4096u);  // data/pattern.bin, with CR, LF, ^Z and NUL inside

  EXPECT_EQ(ExtractResourceToFile(folder.Path().c_str(), kPatternId, L"pattern.bin"), 0u);
  EXPECT_EQ(ReadFileBytes(folder / L"pattern.bin"), expected);

  EXPECT_EQ(ExtractResourceToFile(folder.Path().c_str(), kEmptyId, L"empty.bin"), 0u);
  bool exists = false;
  EXPECT_EQ(ReadFileBytes(folder / L"empty.bin", &exists), "");
  EXPECT_TRUE(exists);
}

TEST(ExtractResourceToFile, FolderWithTrailingBackslashLandsInThatFolder) {
  ScratchFolder folder;
  EXPECT_EQ(ExtractResourceToFile((folder.Path() + L"\\").c_str(), kPatternId, L"setup.exe"), 0u);
  EXPECT_EQ(ReadFileBytes(folder / L"setup.exe"), OwnResource(kPatternId));
}

// Anything already at the name was not written by this run: a hidden or
// system file is never kept as if it were the payload's.
TEST(ExtractResourceToFile, NeverWritesOverWhatIsAlreadyThere) {
  ScratchFolder folder;
  for (DWORD attributes :
       {DWORD{FILE_ATTRIBUTE_NORMAL}, DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM}}) {
    WriteFileBytes(folder / L"target.bin", "old");
    ASSERT_TRUE(SetFileAttributesW((folder / L"target.bin").c_str(), attributes));
    EXPECT_EQ(ExtractResourceToFile(folder.Path().c_str(), kPatternId, L"target.bin"),
              static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_EQ(ReadFileBytes(folder / L"target.bin"), "old");
    SetFileAttributesW((folder / L"target.bin").c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW((folder / L"target.bin").c_str());
  }
}

TEST(ExtractResourceToFile, FailuresCreateNoFile) {
  ScratchFolder folder;
  const std::wstring missingFolder = folder / L"not-there";
  EXPECT_EQ(ExtractResourceToFile(missingFolder.c_str(), kPatternId, L"a.bin"),
            static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(PathExists(missingFolder));

  EXPECT_EQ(ExtractResourceToFile(folder.Path().c_str(), 4321, L"b.bin"),
            static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
  EXPECT_FALSE(PathExists(folder / L"b.bin"));
}

TEST(ExtractResourceToFile, PathThatDoesNotFitItsBufferIsRefusedWithoutAFile) {
  ScratchFolder folder;
  // folder + "\" + name must fit 521 characters; one more is refused.
  const size_t room = quillane::kTargetPathUnits - 1 - folder.Path().size() - 1;
  const std::wstring tooLong(room + 1, L'n');
  EXPECT_EQ(ExtractResourceToFile(folder.Path().c_str(), kPatternId, tooLong.c_str()),
            static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));

  // A name of more than 255 characters is not a valid file name, so even the
  // exact fit fails at creation, never with the overflow code, and leaves
  // nothing behind.
  const std::wstring exactFit(room, L'n');
  EXPECT_NE(ExtractResourceToFile(folder.Path().c_str(), kPatternId, exactFit.c_str()),
            static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
  EXPECT_EQ(EntriesMatching(folder / L"n*"), std::vector<std::wstring>{});
}

// Each failing call of the extraction is the run's failure, with the
// platform's code.
TEST(ExtractResourceToFile, AFailingPlatformCallIsReportedWithItsCode) {
  struct {
    const char* call;
    std::shared_ptr<void> (*fail)();
  } const cases[] = {
      {"LoadResource", [] { return FAIL_IMPORT("KERNEL32.dll", LoadResource, nullptr); }},
      {"LockResource", [] { return FAIL_IMPORT("KERNEL32.dll", LockResource, nullptr); }},
      {"WriteFile", [] { return FAIL_IMPORT("KERNEL32.dll", WriteFile, FALSE); }},
      {"CloseHandle", [] { return FAIL_IMPORT("KERNEL32.dll", CloseHandle, FALSE); }},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.call);
    ScratchFolder folder;
    DWORD result = 0;
    {
      const std::shared_ptr<void> failing = row.fail();
      result = ExtractResourceToFile(folder.Path().c_str(), kPatternId, L"setup.exe");
    }
    EXPECT_EQ(result, static_cast<DWORD>(ERROR_ACCESS_DENIED));
  }
}

}  // namespace
