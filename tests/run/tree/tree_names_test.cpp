#include <gtest/gtest.h>

#include <string>

#include "run/tree/tree_names.h"
#include "text.h"

namespace quillane {
namespace {

TEST(SplitFolderPath, HolderIsWhatOpensTheFolderAbove) {
  struct {
    const char16_t* path;
    const char16_t* holder;
    const char16_t* name;
  } const cases[] = {
      {u"C:\\T\\{6F1C}\\", u"C:\\T", u"{6F1C}"},
      {u"C:\\T\\{6F1C}", u"C:\\T", u"{6F1C}"},
      {u"C:\\T\\\\{6F1C}\\\\", u"C:\\T", u"{6F1C}"},
      {u"C:/T/x", u"C:/T", u"x"},
      {u"C:\\x", u"C:\\", u"x"},
      {u"\\VARNO", u"\\", u"VARNO"},   // an empty Program Files folder
      {u"{6F1C}\\", u".", u"{6F1C}"},  // an empty working base
      {u"C:x", u"C:.", u"x"},
      {u"\\:x", u"\\", u":x"},  // no drive after a leading separator
      {u"\\\\server\\share\\x", u"\\\\server\\share", u"x"},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(testing::PrintToString(std::u16string(row.path)));
    WideString holder;
    WideString name;
    ASSERT_TRUE(SplitFolderPath(row.path, holder, name));
    EXPECT_EQ(Text(holder), row.holder);
    EXPECT_EQ(Text(name), row.name);
  }
}

TEST(SplitFolderPath, PathsThatNameNoEntryOfTheirOwn) {
  for (const char16_t* path :
       {u"", u"\\", u"C:", u"C:\\", u"C:\\T\\.", u"C:\\T\\..\\", u"..", u"\\\\"}) {
    WideString holder;
    WideString name;
    EXPECT_FALSE(SplitFolderPath(path, holder, name))
        << testing::PrintToString(std::u16string(path));
  }
}

TEST(EntryNames, PlainNameIsOneEntryOfTheFolder) {
  for (const char16_t* name : {u"{6F1C2A90-4B7E-4D35-9C21-0A8E5B3D7F64}", u".hidden", u"a..b"}) {
    EXPECT_TRUE(IsPlainEntryName(name)) << testing::PrintToString(std::u16string(name));
  }
  for (const char16_t* name : {u"", u".", u"..", u"a\\b", u"..\\x", u"a/b", u"C:", u"x:stream"}) {
    EXPECT_FALSE(IsPlainEntryName(name)) << testing::PrintToString(std::u16string(name));
  }
}

TEST(EntryNames, OnlyTheFolderAndTheOneAboveArePassedOver) {
  for (const char16_t* name : {u".", u".."}) EXPECT_TRUE(IsSelfOrParentName(name));
  for (const char16_t* name : {u".keep", u"...", u"..x", u".a", u"a.", u""}) {
    EXPECT_FALSE(IsSelfOrParentName(name)) << testing::PrintToString(std::u16string(name));
  }
}

TEST(EntryNames, FreshNameIsThePreferredOneAndSixteenHexDigits) {
  const WideString code(u"{6F1C}");
  WideString name;
  ASSERT_TRUE(ComposeFreshFolderName(code, 0x0123456789ABCDEFull, name));
  EXPECT_EQ(Text(name), u"{6F1C}.0123456789abcdef");
  ASSERT_TRUE(ComposeFreshFolderName(code, 0, name));
  EXPECT_EQ(Text(name), u"{6F1C}.0000000000000000");
  ASSERT_TRUE(ComposeFreshFolderName(code, UINT64_MAX, name));
  EXPECT_EQ(Text(name), u"{6F1C}.ffffffffffffffff");
  EXPECT_TRUE(IsPlainEntryName(name.CStr()));
}

TEST(EntryNames, OneSeparatorAndAsciiCaseOnly) {
  WideString folder(u"\\??\\C:\\users\\Temp");
  ASSERT_TRUE(AppendPathPart(folder, u"{6F1C}"));
  EXPECT_EQ(Text(folder), u"\\??\\C:\\users\\Temp\\{6F1C}");
  WideString nothing;
  ASSERT_TRUE(AppendPathPart(nothing, u"x"));
  EXPECT_EQ(Text(nothing), u"\\x");
  WideString root(u"\\Device\\HarddiskVolume2\\");
  ASSERT_TRUE(AppendPathPart(root, u"VARNO"));
  EXPECT_EQ(Text(root), u"\\Device\\HarddiskVolume2\\VARNO");

  const WideString own(u"\\??\\C:\\users\\Temp\\{6F1C}\\ユーザー");
  EXPECT_TRUE(SameEntryName(own, WideString(u"\\??\\c:\\USERS\\temp\\{6f1c}\\ユーザー")));
  // What a link reaches: another place, or the same place under another name.
  EXPECT_FALSE(SameEntryName(own, WideString(u"\\??\\Z:\\tmp\\outside")));
  EXPECT_FALSE(SameEntryName(own, WideString(u"\\??\\C:\\users\\Temp\\{6F1C}\\ユーザ")));
  EXPECT_FALSE(SameEntryName(own, WideString(u"\\??\\C:\\users\\Temp\\{6F1C}\\ユーザーx")));
  // Letters beyond ASCII keep their case; '@' and '`' are no letters.
  EXPECT_FALSE(SameEntryName(WideString(u"\u00e9"), WideString(u"\u00c9")));
  EXPECT_FALSE(SameEntryName(WideString(u"@"), WideString(u"`")));
}

}  // namespace
}  // namespace quillane
