#include <gtest/gtest.h>

#include <set>
#include <string>

#include "payload_files.h"  // generated from payload.txt, as the unpacker's tables are
#include "run/tree/payload_table.h"
#include "text.h"

namespace quillane {
namespace {

const std::u16string kRoot = u"C:\\Windows\\Temp\\{6F1C2A90-4B7E-4D35-9C21-0A8E5B3D7F64}\\";

// The folder of a place below the working root ("" for the root itself).
std::u16string FolderOf(const std::u16string& place) {
  const size_t slash = place.rfind(u'\\');
  return slash == std::u16string::npos ? u"" : place.substr(0, slash);
}

// Every folder the payload's places name, with the folders above them.
std::set<std::u16string> FoldersOfThePlaces() {
  std::set<std::u16string> folders{u""};
  for (const PayloadFile& file : kPayloadFiles) {
    for (std::u16string folder = FolderOf(file.place); !folder.empty(); folder = FolderOf(folder)) {
      folders.insert(folder);
    }
  }
  return folders;
}

TEST(FolderPaths, EveryFolderOfThePlacesOnceEachAfterItsParent) {
  WideString paths[kTreeFolderCount];
  ASSERT_TRUE(BuildFolderPaths(WideString(kRoot.c_str()), paths));
  EXPECT_EQ(Text(paths[kRootFolder]), kRoot);
  std::set<std::u16string> made{u""};
  for (size_t order = 0; order < kTreeFolderCount - 1; ++order) {
    const FolderRow& row = kSubFolders[order];
    EXPECT_EQ(row.folder, order + 1) << "made in the order of the table";
    EXPECT_LT(row.parent, row.folder) << "a parent is made first";
    const std::u16string path = Text(paths[row.folder]);
    ASSERT_EQ(path.compare(0, kRoot.size(), kRoot), 0) << order;
    const std::u16string relative = path.substr(kRoot.size());
    EXPECT_EQ(kRoot + FolderOf(relative), Text(paths[row.parent])) << "parent of " << order;
    EXPECT_TRUE(made.insert(relative).second) << "folder " << order << " made twice";
  }
  EXPECT_EQ(made, FoldersOfThePlaces());
}

TEST(Manifest, RowsArePayloadFilesInOrderOfWritingEachIdOnce) {
  WideString paths[kTreeFolderCount];
  ASSERT_TRUE(BuildFolderPaths(WideString(kRoot.c_str()), paths));
  ASSERT_EQ(kInstallPayloadSize + kCleanupPayloadSize, kPayloadFileCount);
  size_t install = 0;
  size_t cleanup = 0;
  std::set<unsigned> resources;
  std::set<unsigned> names;
  for (const PayloadFile& file : kPayloadFiles) {
    const PayloadRow& row = file.install ? kInstallPayload[install++] : kCleanupPayload[cleanup++];
    ASSERT_LE(install, kInstallPayloadSize);
    ASSERT_LE(cleanup, kCleanupPayloadSize);
    ASSERT_LT(row.folder, kTreeFolderCount);
    EXPECT_EQ(Text(paths[row.folder]), kRoot + FolderOf(file.place));
    EXPECT_EQ(row.resourceId, file.resourceId);
    EXPECT_EQ(row.nameId, file.nameId);
    EXPECT_TRUE(resources.insert(row.resourceId).second) << "RCDATA " << row.resourceId;
    EXPECT_TRUE(names.insert(row.nameId).second) << "string " << row.nameId;
  }
  EXPECT_FALSE(names.count(kProductCodeId)) << "the root's name is no carried file's";
}

}  // namespace
}  // namespace quillane
