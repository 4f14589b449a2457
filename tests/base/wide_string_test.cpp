#include <gtest/gtest.h>

#include <string>

#include "base/path_buffer.h"
#include "base/wide_string.h"
#include "text.h"

namespace quillane {
namespace {

TEST(WideString, EmptyGrowingAndCounted) {
  WideString text;
  EXPECT_TRUE(text.Empty());
  EXPECT_EQ(text.CStr()[0], u'\0');
  for (int round = 0; round < 100; ++round) ASSERT_TRUE(text.Append(u"abc"));
  ASSERT_EQ(text.Length(), 300u);
  EXPECT_EQ(text[299], u'c');
  EXPECT_EQ(text.CStr()[300], u'\0');

  WideString counted(u"abcdef", 3);
  EXPECT_EQ(Text(counted), u"abc");
  EXPECT_TRUE(counted == u"abc");
  EXPECT_FALSE(counted == u"abcdef");
  EXPECT_FALSE(counted == u"ab");
  EXPECT_FALSE(counted == u"abd");
  EXPECT_TRUE(WideString() == u"");
}

TEST(WideString, CopyAndMoveAreIndependent) {
  WideString original(u"C:\\Temp\\");
  WideString copy(original);
  ASSERT_TRUE(original.Append(u"x"));
  EXPECT_EQ(Text(copy), u"C:\\Temp\\");
  WideString moved(static_cast<WideString&&>(original));
  EXPECT_EQ(Text(moved), u"C:\\Temp\\x");
  EXPECT_TRUE(original.Empty());
  copy = moved;
  EXPECT_TRUE(copy == moved);
}

TEST(WideString, AssignedToItselfKeepsItsText) {
  WideString text(u"same");
  WideString& alias = text;
  text = alias;
  EXPECT_EQ(Text(text), u"same");
  text = static_cast<WideString&&>(alias);
  EXPECT_EQ(Text(text), u"same");
}

// A count that the address space cannot hold is refused before any memory
// is asked for: by the count itself, or by the growth it would need.
TEST(WideString, ImpossibleCountsAreRefusedUnchanged) {
  WideString text(u"four");
  const size_t mostUnits = static_cast<size_t>(-1) / sizeof(Unit) - text.Length() - 1;
  for (const size_t count : {mostUnits + 1, mostUnits}) {
    EXPECT_FALSE(text.Append(u"x", count)) << count;
    EXPECT_EQ(Text(text), u"four");
  }
}

TEST(WideString, AssignFromItsOwnTail) {
  WideString text(u"prefix-tail");
  ASSERT_TRUE(text.Assign(text.CStr() + 7));
  EXPECT_EQ(Text(text), u"tail");
}

// Appending a string to itself when it has to grow: the source lies in the
// storage that the growth replaces.
TEST(WideString, AppendItselfWhileGrowing) {
  WideString text(u"0123456789");  // most of the first allocation
  ASSERT_TRUE(text.Append(text));
  EXPECT_EQ(Text(text), u"01234567890123456789");
}

TEST(WideString, FindFromPositions) {
  WideString text(u"-s1 -KP:COM3 -KP:COM4");
  EXPECT_EQ(text.Find(u"-KP:COM"), 4u);
  EXPECT_EQ(text.Find(u"-KP:COM", 5), 13u);
  EXPECT_EQ(text.Find(u"-KP:COM", 14), WideString::npos);
  EXPECT_EQ(text.Find(u"COM4", 17), 17u);
  EXPECT_FALSE(text.Contains(u"-S1"));
  EXPECT_FALSE(text.Contains(u"COM45"));

  const Unit* hay = u"abcab";
  EXPECT_EQ(FindText(hay, 5, u"ab", 2, 1), 3u);
  EXPECT_EQ(FindText(hay, 5, u"ab", 2, 4), WideString::npos);  // would run past the end
  EXPECT_EQ(FindText(hay, 4, u"ab", 2, 1), WideString::npos);  // only counted units count
  EXPECT_EQ(FindText(hay, 5, u"abcabc", 6), WideString::npos);
  EXPECT_EQ(FindText(hay, 5, u"abcab", 5), 0u);
  EXPECT_EQ(FindText(hay, 5, u"b", 1, 100), WideString::npos);
}

TEST(WideString, TextLengthBounded) {
  EXPECT_EQ(TextLengthBounded(u"abcdef", 3), 3u);
  EXPECT_EQ(TextLengthBounded(u"ab", 10), 2u);
  EXPECT_EQ(TextLengthBounded(u"abc", 0), 0u);
  EXPECT_EQ(TextLengthBounded(nullptr, 10), 0u);
  EXPECT_EQ(TextLength(nullptr), 0u);
  const Unit unterminated[4] = {u'w', u'x', u'y', u'z'};  // nothing to read past it
  EXPECT_EQ(TextLengthBounded(unterminated, 4), 4u);
}

TEST(PathBuffer, ExactFitAndRefusedOverflow) {
  PathBuffer<6> buffer;  // five units and the terminator
  for (size_t at = 0; at < 6; ++at) EXPECT_EQ(buffer.CStr()[at], u'\0');
  ASSERT_TRUE(buffer.Append(u"abc"));
  EXPECT_FALSE(buffer.Append(u"def"));
  EXPECT_EQ(buffer.Length(), 3u);
  EXPECT_EQ(std::u16string(buffer.CStr()), u"abc");
  ASSERT_TRUE(buffer.Append(u"de"));
  EXPECT_EQ(buffer.Length(), 5u);
  EXPECT_EQ(buffer.CStr()[5], u'\0');
  EXPECT_FALSE(buffer.Append(u"f"));
  EXPECT_TRUE(buffer.Append(u""));
  EXPECT_EQ(std::u16string(buffer.CStr()), u"abcde");
}

TEST(PathBuffer, ClassicPathLimit) {
  PathBuffer<kPathUnits> buffer;
  WideString longest;
  for (int unit = 0; unit < 259; ++unit) longest.Append(u'p');
  WideString tooLong(longest);
  tooLong.Append(u'q');
  EXPECT_FALSE(buffer.Append(tooLong));
  EXPECT_EQ(buffer.Length(), 0u);
  EXPECT_EQ(buffer.CStr()[0], u'\0');
  ASSERT_TRUE(buffer.Append(longest));
  EXPECT_EQ(buffer.Length(), 259u);
  EXPECT_EQ(buffer.CStr()[259], u'\0');
}

TEST(PathBuffer, AdoptWrittenTextTerminatesWithinTheBuffer) {
  PathBuffer<4> buffer;
  Unit* data = buffer.Data();
  data[0] = u'a';
  data[1] = u'b';
  buffer.AdoptWrittenText();
  EXPECT_EQ(buffer.Length(), 2u);
  for (size_t at = 0; at < 4; ++at) data[at] = u'z';  // no terminator written
  buffer.AdoptWrittenText();
  EXPECT_EQ(buffer.Length(), 3u);
  EXPECT_EQ(buffer.CStr()[3], u'\0');
}

}  // namespace
}  // namespace quillane
