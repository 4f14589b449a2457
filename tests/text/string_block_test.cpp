#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "text.h"
#include "text/string_block.h"

namespace quillane {
namespace {

// Each entry: its 16-bit length, then its units, no terminator.
std::vector<char16_t> Layout(const std::vector<std::u16string>& entries) {
  std::vector<char16_t> units;
  for (const std::u16string& entry : entries) {
    units.push_back(static_cast<char16_t>(entry.size()));
    units.insert(units.end(), entry.begin(), entry.end());
  }
  return units;
}

// Reads entry `index` of a copy of the units cut to `size` bytes, placed
// `offset` bytes into a heap allocation that ends right after it, so that
// the sanitizer catches any read past the block.
WideString ReadExact(const std::vector<char16_t>& units, size_t size, uint32_t index,
                     size_t offset = 0) {
  auto storage = std::make_unique<unsigned char[]>(offset + size);
  std::memcpy(storage.get() + offset, units.data(), std::min(size, units.size() * 2));
  return ReadStringBlockEntry(storage.get() + offset, size, index);
}

// The block of ids 112..127 as the installer's tables hold it.
const std::vector<std::u16string> kBlock8 = {
    u"",           u"",           u"setup.exe",   u"",
    u"data1.cab",  u"data1.hdr",  u"data2.cab",   u"ISSetup.dll",
    u"layout.bin", u"setup.ini",  u"setup.inx",   u"{6F1C2A90-4B7E-4D35-9C21-0A8E5B3D7F64}",
    u"0x0409.ini", u"0x0411.ini", u"ReadMeE.txt", u"Quillane_User'sManual.pdf"};

TEST(StringBlock, ReadsEveryIndexAlignedOrNot) {
  std::vector<char16_t> units = Layout(kBlock8);
  for (size_t offset : {0, 1}) {
    for (uint32_t index = 0; index < 16; ++index) {
      EXPECT_EQ(Text(ReadExact(units, units.size() * 2, index, offset)), kBlock8[index])
          << index << " at offset " << offset;
    }
  }
}

TEST(StringBlock, NulInsideAnEntryEndsItsText) {
  std::vector<std::u16string> entries(16);
  entries[3] = std::u16string(u"ab\0cd", 5);
  entries[4] = u"next";
  entries[5] = std::u16string(u"\0x", 2);
  std::vector<char16_t> units = Layout(entries);
  EXPECT_EQ(Text(ReadExact(units, units.size() * 2, 3)), u"ab");
  EXPECT_EQ(Text(ReadExact(units, units.size() * 2, 4)), u"next");  // all five units skipped
  EXPECT_EQ(Text(ReadExact(units, units.size() * 2, 5)), u"");
}

TEST(StringBlock, ShortBlocksGiveEmptyWithoutOverread) {
  std::vector<std::u16string> entries(16);
  entries[0] = u"first";
  entries[1] = u"second";
  std::vector<char16_t> units = Layout(entries);  // 6 + 7 + 14 units
  struct {
    size_t size;
    uint32_t index;
    const char16_t* expected;
  } const cases[] = {
      {units.size() * 2, 1, u"second"},
      {2 * 13, 1, u"second"},  // the block ends right after entry 1
      {2 * 13, 2, u""},        // entry 2's length is missing
      {2 * 12, 1, u""},        // entry 1 cut by its last unit
      {2 * 7, 1, u""},         // only entry 1's length present
      {2 * 6, 0, u"first"},
      {2 * 5, 0, u""},
      {2 * 1, 0, u""},
      {0, 0, u""},
      {2 * 13 + 1, 1, u"second"},  // an odd trailing byte is not a unit
      {2 * 13 - 1, 1, u""},        // odd size cutting entry 1's last unit
      {2 * 6 - 1, 0, u""},
  };
  for (const auto& row : cases) {
    EXPECT_EQ(Text(ReadExact(units, row.size, row.index)), row.expected)
        << row.size << " / " << row.index;
  }
}

TEST(StringBlock, LengthsClaimingMoreThanTheBlock) {
  std::vector<char16_t> units = {3, u'a', u'b', u'c', 0xFFFF, u'x', u'y'};
  EXPECT_EQ(Text(ReadExact(units, 14, 0)), u"abc");
  for (uint32_t index : {1, 2, 15}) EXPECT_EQ(Text(ReadExact(units, 14, index)), u"") << index;
}

TEST(StringBlock, IndexOutOfTheBlockAndNullBlock) {
  std::vector<std::u16string> entries(17, u"t");  // a seventeenth entry is not part of it
  std::vector<char16_t> units = Layout(entries);
  EXPECT_EQ(Text(ReadExact(units, units.size() * 2, 15)), u"t");
  EXPECT_EQ(Text(ReadExact(units, units.size() * 2, 16)), u"");
  EXPECT_EQ(Text(ReadExact(units, units.size() * 2, 0xFFFFFFFFu)), u"");
  EXPECT_EQ(Text(ReadStringBlockEntry(nullptr, 64, 0)), u"");
}

TEST(StringBlock, BlockNumberAndIndex) {
  struct {
    uint32_t id, block, index;
  } const cases[] = {{111, 7, 15}, {5, 1, 5},    {0, 1, 0},   {15, 1, 15},  {16, 2, 0},
                     {60, 4, 12},  {123, 8, 11}, {114, 8, 2}, {157, 10, 13}};
  for (const auto& row : cases) {
    EXPECT_EQ(StringBlockNumber(row.id), row.block) << row.id;
    EXPECT_EQ(StringBlockIndex(row.id), row.index) << row.id;
  }
}

TEST(StringBlock, TableLanguage) {
  EXPECT_EQ(StringTableLanguage(1041), 1041);
  for (uint16_t other : {1033, 2052, 1028, 0x0C04, 0x0011, 0x0811, 0x0412, 0x0407, 0, 0xFFFF}) {
    EXPECT_EQ(StringTableLanguage(other), 1033) << other;
  }
}

}  // namespace
}  // namespace quillane
