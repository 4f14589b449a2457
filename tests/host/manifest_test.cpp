#include <gtest/gtest.h>

#include <map>
#include <string>

#include "run/tree/manifest.h"

namespace quillane {
namespace {

std::u16string Text(const WideString& text) { return {text.CStr(), text.Length()}; }

// Every folder, in the order of creation, as a path below the working root.
const char16_t* const kRelativeFolders[kTreeFolderCount] = {
    u"",           u"kpusb",         u"kpusb\\KPUSB64", u"kpusb\\KPUSBXP",
    u"kpcomusb",   u"kpcomusb\\x64", u"kpcomusb\\x86",  u"manual",
    u"manual\\EN", u"manual\\JA",    u"manual\\SC",     u"manual\\TC",
};

TEST(FolderPaths, TheTwelveFoldersOfTheTreeEachAfterItsParent) {
  const std::u16string root =
      u"C:\\Windows\\Temp\\"
      u"{6F1C2A90-4B7E-4D35-9C21-0A8E5B3D7F64}\\";
  WideString paths[kTreeFolderCount];
  ASSERT_TRUE(BuildFolderPaths(WideString(root.c_str()), paths));
  for (size_t index = 0; index < kTreeFolderCount; ++index) {
    EXPECT_EQ(Text(paths[index]), root + kRelativeFolders[index]) << index;
  }
  for (size_t order = 0; order < kTreeFolderCount - 1; ++order) {
    const FolderRow& row = kSubFolders[order];
    EXPECT_EQ(row.folder, order + 1) << "made in the order of the table";
    EXPECT_LT(row.parent, row.folder) << "a parent is made first";
    const std::u16string parent = kRelativeFolders[row.parent];
    EXPECT_EQ(std::u16string(kRelativeFolders[row.folder]),
              (parent.empty() ? parent : parent + u"\\") +
                  std::u16string(row.suffix + (row.suffix[0] == u'\\' ? 1 : 0)));
  }
}

struct Row {
  const char16_t* folder;
  uint16_t resourceId;
  uint16_t nameId;
};

const Row kExpectedInstall[] = {
    {u"", 104, 114}, {u"", 111, 116}, {u"", 106, 117}, {u"", 112, 118}, {u"", 110, 119},
    {u"", 105, 120}, {u"", 113, 121}, {u"", 107, 122}, {u"", 117, 124}, {u"", 118, 125},
    {u"", 146, 150}, {u"", 147, 149},
    {u"kpusb", 123, 130}, {u"kpusb", 124, 131}, {u"kpusb", 125, 132},
    {u"kpusb\\KPUSB64", 127, 133}, {u"kpusb\\KPUSB64", 128, 134}, {u"kpusb\\KPUSB64", 129, 135},
    {u"kpusb\\KPUSB64", 131, 136}, {u"kpusb\\KPUSB64", 126, 137}, {u"kpusb\\KPUSB64", 130, 138},
    {u"kpusb\\KPUSB64", 132, 139},
    {u"kpusb\\KPUSBXP", 134, 140}, {u"kpusb\\KPUSBXP", 135, 141}, {u"kpusb\\KPUSBXP", 136, 142},
    {u"kpusb\\KPUSBXP", 138, 143}, {u"kpusb\\KPUSBXP", 133, 144}, {u"kpusb\\KPUSBXP", 137, 145},
    {u"kpusb\\KPUSBXP", 139, 146},
    {u"kpcomusb\\x64", 140, 147}, {u"kpcomusb\\x86", 141, 148},
    {u"manual\\EN", 122, 126}, {u"manual\\EN", 119, 127}, {u"manual\\JA", 120, 128},
    {u"manual\\JA", 121, 129}, {u"manual\\SC", 145, 151}, {u"manual\\SC", 144, 152},
    {u"manual\\TC", 142, 153}, {u"manual\\TC", 143, 154},
};

const Row kExpectedCleanup[] = {
    {u"", 148, 155},
    {u"", 149, 156},
    {u"", 150, 157},
};

template <size_t Count>
void ExpectRows(const ManifestRow* actual, size_t actualCount, const Row (&expected)[Count]) {
  ASSERT_EQ(actualCount, Count);
  for (size_t index = 0; index < Count; ++index) {
    ASSERT_LT(actual[index].folder, kTreeFolderCount);
    EXPECT_EQ(std::u16string(kRelativeFolders[actual[index].folder]), expected[index].folder)
        << "row " << index + 1;
    EXPECT_EQ(actual[index].resourceId, expected[index].resourceId) << "row " << index + 1;
    EXPECT_EQ(actual[index].nameId, expected[index].nameId) << "row " << index + 1;
  }
}

TEST(Manifest, RowsInOrderOfWriting) {
  ExpectRows(kInstallManifest, kInstallManifestSize, kExpectedInstall);
  ExpectRows(kCleanupManifest, kCleanupManifestSize, kExpectedCleanup);
}

TEST(Manifest, EveryCarriedResourceIsWrittenOnce) {
  std::map<unsigned, int> seen;
  for (size_t index = 0; index < kInstallManifestSize; ++index) {
    ++seen[kInstallManifest[index].resourceId];
  }
  for (size_t index = 0; index < kCleanupManifestSize; ++index) {
    ++seen[kCleanupManifest[index].resourceId];
  }
  for (unsigned id = 100; id <= 160; ++id) {
    const bool carried =
        (id >= 104 && id <= 107) || (id >= 110 && id <= 113) || (id >= 117 && id <= 150);
    EXPECT_EQ(seen.count(id) ? seen[id] : 0, carried ? 1 : 0) << "RCDATA " << id;
  }
  EXPECT_EQ(seen.size(), 42u);
}

}  // namespace
}  // namespace quillane
