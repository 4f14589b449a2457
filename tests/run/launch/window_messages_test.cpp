#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "run/launch/window_messages.h"
#include "text.h"

namespace quillane {
namespace {

TEST(FormatSigned, DecimalWithoutLeadingZeros) {
  EXPECT_EQ(Text(FormatSigned(0)), u"0");
  EXPECT_EQ(Text(FormatSigned(66)), u"66");
  EXPECT_EQ(Text(FormatSigned(1000)), u"1000");
  EXPECT_EQ(Text(FormatSigned(-1)), u"-1");
  EXPECT_EQ(Text(FormatSigned(INT32_MIN)), u"-2147483648");
  EXPECT_EQ(Text(FormatSigned(INT32_MAX)), u"2147483647");
  const std::u16string lowest = sizeof(intptr_t) == 8 ? u"-9223372036854775808" : u"-2147483648";
  EXPECT_EQ(Text(FormatSigned(INTPTR_MIN)), lowest);
}

TEST(WindowLinkOption, HandleAsSignedDecimal) {
  EXPECT_EQ(Text(BuildWindowLinkOption(66)), u"/W32:66:1024");
  EXPECT_EQ(Text(BuildWindowLinkOption(0x000A0F2C)), u"/W32:659244:1024");
  // A handle value with the top bit set is written as a negative number.
  EXPECT_EQ(Text(BuildWindowLinkOption(-66)), u"/W32:-66:1024");
  EXPECT_EQ(Text(BuildWindowLinkOption(INT32_MIN)), u"/W32:-2147483648:1024");
}

}  // namespace
}  // namespace quillane
