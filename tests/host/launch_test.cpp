#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "run/launch/launch_command.h"
#include "run/launch/setup_arguments.h"

namespace quillane {
namespace {

std::u16string Text(const WideString& text) { return {text.CStr(), text.Length()}; }
std::u16string Text(const LaunchCommand& command) { return {command.CStr(), command.Length()}; }

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

TEST(InnerSetupArguments, CommandLineInsideTheQuotes) {
  const WideString link(u"/W32:66:1024");
  const Unit* const interactive = u"/clone_wait";
  struct {
    const Unit* options;
    WideString commandLine;
    const char16_t* expected;
  } const cases[] = {
      {interactive, WideString(), u"/clone_wait \"/W32:66:1024\""},
      {interactive, WideString(u"-KM"), u"/clone_wait \"/W32:66:1024 -KM\""},
      {interactive, WideString(u"  a  b "), u"/clone_wait \"/W32:66:1024   a  b \""},
      // Quiet with ports, Japanese user.
      {u"/clone_wait /hide_progress -l0x0411", WideString(u"-s1 -KP:COM3"),
       u"/clone_wait /hide_progress -l0x0411 \"/W32:66:1024 -s1 -KP:COM3\""},
      // A text whose first unit is NUL holds no character.
      {interactive, WideString(u"\0-s1", 4), u"/clone_wait \"/W32:66:1024\""},
  };
  for (const auto& row : cases) {
    EXPECT_EQ(Text(BuildInnerSetupArguments(WideString(row.options), link, row.commandLine)),
              row.expected)
        << testing::PrintToString(Text(row.commandLine));
  }
}

TEST(InnerSetupArguments, LongCommandLineIsNotShortened) {
  std::u16string longLine(2000, u'x');
  longLine[0] = u'-';
  longLine[1999] = u'z';
  const WideString arguments = BuildInnerSetupArguments(
      WideString(u"/clone_wait"), WideString(u"/W32:66:1024"), WideString(longLine.c_str()));
  EXPECT_EQ(Text(arguments), u"/clone_wait \"/W32:66:1024 " + longLine + u"\"");
}

TEST(LaunchCommand, LengthRuleCountsBlankAndTerminator) {
  const std::u16string path = u"C:\\Temp\\{6F1C2A90-4B7E-4D35-9C21-0A8E5B3D7F64}\\setup.exe";
  const size_t n = path.size();
  const std::u16string fits(1024 - 2 - n, u'a');
  LaunchCommand accepted;
  ASSERT_TRUE(ComposeLaunchCommand(path.c_str(), fits.c_str(), fits.size(), accepted));
  EXPECT_EQ(Text(accepted), path + u" " + fits);
  EXPECT_EQ(accepted.Length(), 1023u);
  EXPECT_EQ(accepted.CStr()[1023], u'\0');

  const std::u16string tooLong(1024 - 2 - n + 1, u'a');
  LaunchCommand refused;
  EXPECT_FALSE(ComposeLaunchCommand(path.c_str(), tooLong.c_str(), tooLong.size(), refused));
}

TEST(LaunchCommand, PathCountedUpToItsBufferOnly) {
  // 260 units with no terminator among them: only those are read and used.
  Unit path[260];
  for (Unit& unit : path) unit = u'p';
  path[259] = u'q';
  const std::u16string arguments(1024 - 2 - 260, u'a');
  LaunchCommand accepted;
  ASSERT_TRUE(ComposeLaunchCommand(path, arguments.c_str(), arguments.size(), accepted));
  EXPECT_EQ(Text(accepted), std::u16string(259, u'p') + u"q " + arguments);

  LaunchCommand refused;
  const std::u16string oneMore = arguments + u"a";
  EXPECT_FALSE(ComposeLaunchCommand(path, oneMore.c_str(), oneMore.size(), refused));
}

TEST(SetupDialogClass, SubstringAndCaseSensitive) {
  struct {
    const Unit* className;
    bool expected;
  } const cases[] = {
      {u"TSetDialog", true},
      {u"xxTSetDialogyy", true},
      {u"MsiDialogCloseClass", true},
      {u"#32770MsiDialogCloseClass", true},
      {u"tsetdialog", false},
      {u"TSETDIALOG", false},
      {u"msidialogcloseclass", false},
      {u"TSetDialo", false},
      {u"MsiDialogClose", false},
      {u"#32770", false},
      {u"", false},
  };
  for (const auto& row : cases) {
    EXPECT_EQ(IsSetupDialogClass(row.className), row.expected)
        << testing::PrintToString(std::u16string(row.className));
  }
}

}  // namespace
}  // namespace quillane
