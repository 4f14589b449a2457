#include <gtest/gtest.h>

#include <map>
#include <string>

#include "run/manifest.h"

namespace quillane {
namespace {

std::u16string Text(const WideString& text) { return {text.CStr(), text.Length()}; }

using F = TreeFolder;

// Every folder, indexed by TreeFolder, as a path below the working root.
const char16_t* const kRelativeFolders[kTreeFolderCount] = {
    u"",           u"kpusb",         u"kpusb\\KPUSB64", u"kpusb\\KPUSBXP",
    u"kpcomusb",   u"kpcomusb\\x64", u"kpcomusb\\x86",  u"manual",
    u"manual\\EN", u"manual\\JA",    u"manual\\SC",     u"manual\\TC",
};

TEST(FolderPaths, TheTwelveFoldersOfTheTree) {
  const std::u16string root =
      u"C:\\Users\\ann\\AppData\\Local\\Temp\\"
      u"{6F1C2A90-4B7E-4D35-9C21-0A8E5B3D7F64}\\";
  WideString paths[kTreeFolderCount];
  ASSERT_TRUE(BuildFolderPaths(WideString(root.c_str()), paths));
  for (size_t index = 0; index < kTreeFolderCount; ++index) {
    EXPECT_EQ(Text(paths[index]), root + kRelativeFolders[index]) << index;
  }
}

TEST(FolderPaths, EmptyRootGivesRelativePaths) {
  WideString paths[kTreeFolderCount];
  for (WideString& path : paths) path.Assign(u"stale");
  ASSERT_TRUE(BuildFolderPaths(WideString(), paths));
  for (size_t index = 0; index < kTreeFolderCount; ++index) {
    EXPECT_EQ(Text(paths[index]), kRelativeFolders[index]) << index;
  }
}

TEST(FolderPaths, CreatedInTreeOrderAfterTheirParents) {
  const F expected[][2] = {
      {F::Kpusb, F::Root},   {F::Kpusb64, F::Kpusb}, {F::KpusbXp, F::Kpusb}, {F::Kpcomusb, F::Root},
      {F::X64, F::Kpcomusb}, {F::X86, F::Kpcomusb},  {F::Manual, F::Root},   {F::En, F::Manual},
      {F::Ja, F::Manual},    {F::Sc, F::Manual},     {F::Tc, F::Manual},
  };
  for (size_t index = 0; index < kTreeFolderCount - 1; ++index) {
    EXPECT_EQ(kSubFolders[index].folder, expected[index][0]) << "order " << index + 2;
    EXPECT_EQ(kSubFolders[index].parent, expected[index][1]) << "order " << index + 2;
  }
}

struct Row {
  F folder;
  uint16_t resourceId;
  uint16_t nameId;
};

const Row kExpectedInstall[] = {
    {F::Root, 104, 114},    {F::Root, 111, 116},    {F::Root, 106, 117},    {F::Root, 112, 118},
    {F::Root, 110, 119},    {F::Root, 105, 120},    {F::Root, 113, 121},    {F::Root, 107, 122},
    {F::Root, 117, 124},    {F::Root, 118, 125},    {F::Root, 146, 150},    {F::Root, 147, 149},
    {F::Kpusb, 123, 130},   {F::Kpusb, 124, 131},   {F::Kpusb, 125, 132},   {F::Kpusb64, 127, 133},
    {F::Kpusb64, 128, 134}, {F::Kpusb64, 129, 135}, {F::Kpusb64, 131, 136}, {F::Kpusb64, 126, 137},
    {F::Kpusb64, 130, 138}, {F::Kpusb64, 132, 139}, {F::KpusbXp, 134, 140}, {F::KpusbXp, 135, 141},
    {F::KpusbXp, 136, 142}, {F::KpusbXp, 138, 143}, {F::KpusbXp, 133, 144}, {F::KpusbXp, 137, 145},
    {F::KpusbXp, 139, 146}, {F::X64, 140, 147},     {F::X86, 141, 148},     {F::En, 122, 126},
    {F::En, 119, 127},      {F::Ja, 120, 128},      {F::Ja, 121, 129},      {F::Sc, 145, 151},
    {F::Sc, 144, 152},      {F::Tc, 142, 153},      {F::Tc, 143, 154},
};

const Row kExpectedCleanup[] = {
    {F::Root, 148, 155},
    {F::Root, 149, 156},
    {F::Root, 150, 157},
};

template <size_t Count>
void ExpectRows(const ManifestRow* actual, size_t actualCount, const Row (&expected)[Count]) {
  ASSERT_EQ(actualCount, Count);
  for (size_t index = 0; index < Count; ++index) {
    EXPECT_EQ(actual[index].folder, expected[index].folder) << "row " << index + 1;
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
