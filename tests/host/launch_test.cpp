#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "run/command_line.h"
#include "run/launch/launch_command.h"
#include "run/launch/start_environment.h"
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

// A block of NUL-terminated entries as one text, entries joined by "|".
std::u16string Entries(const WideString& block) {
  std::u16string text(block.CStr(), block.Length());
  EXPECT_TRUE(text.size() >= 1 && text.back() == u'\0') << "ends with an empty entry";
  if (!text.empty()) text.pop_back();
  if (!text.empty() && text.back() == u'\0') text.pop_back();
  for (char16_t& unit : text) unit = unit == u'\0' ? u'|' : unit;
  return text;
}

TEST(StartEnvironment, UsersFolderVariablesReplacedEverythingElseKeptInOrder) {
  const StartFolders folders = {u"C:\\WINDOWS", u"C:\\WINDOWS\\Temp\\{6F1C}.temp",
                                u"C:\\WINDOWS\\system32;C:\\WINDOWS"};
  const std::u16string fixed =
      u"ComSpec=C:\\WINDOWS\\system32\\cmd.exe|Path=C:\\WINDOWS\\system32;C:\\WINDOWS|"
      u"SystemRoot=C:\\WINDOWS|TEMP=C:\\WINDOWS\\Temp\\{6F1C}.temp|"
      u"TMP=C:\\WINDOWS\\Temp\\{6F1C}.temp|windir=C:\\WINDOWS";
  struct {
    const char* what;
    std::u16string inherited;  // entries separated by "|"
    std::u16string expected;
  } const cases[] = {
      {"nothing inherited", u"", fixed},
      {"the user's values in any case, and the drives' current folders",
       u"=C:=C:\\Users\\me\\Downloads|=D:=D:\\x|comspec=C:\\me\\cmd.exe|PATH=C:\\me;C:\\WINDOWS|"
       u"SYSTEMROOT=C:\\me|temp=C:\\me\\t|Tmp=C:\\me\\t|WINDIR=C:\\me",
       fixed},
      {"other names kept, each replacement at its sorted place",
       u"ALLUSERSPROFILE=C:\\All|COMPUTERNAME=Q|OS=Windows_NT|PATHEXT=.COM;.EXE|"
       u"QUILLANE_SAMPLE_WAIT_MS=5|TEMPLATE=x|USERNAME=me|WINEDLLOVERRIDES=a=b|ZZ=z",
       u"ALLUSERSPROFILE=C:\\All|COMPUTERNAME=Q|ComSpec=C:\\WINDOWS\\system32\\cmd.exe|OS=Windows_"
       u"NT|"
       u"Path=C:\\WINDOWS\\system32;C:\\WINDOWS|PATHEXT=.COM;.EXE|QUILLANE_SAMPLE_WAIT_MS=5|"
       u"SystemRoot=C:\\WINDOWS|TEMP=C:\\WINDOWS\\Temp\\{6F1C}.temp|TEMPLATE=x|"
       u"TMP=C:\\WINDOWS\\Temp\\{6F1C}.temp|USERNAME=me|windir=C:\\WINDOWS|"
       u"WINEDLLOVERRIDES=a=b|ZZ=z"},
      {"a name that only begins like a replaced one, an entry without a value",
       u"NOVALUE|PATH_EXTRA=1|TEMP2=2",
       u"ComSpec=C:\\WINDOWS\\system32\\cmd.exe|NOVALUE|Path=C:\\WINDOWS\\system32;C:\\WINDOWS|"
       u"PATH_EXTRA=1|SystemRoot=C:\\WINDOWS|TEMP=C:\\WINDOWS\\Temp\\{6F1C}.temp|TEMP2=2|"
       u"TMP=C:\\WINDOWS\\Temp\\{6F1C}.temp|windir=C:\\WINDOWS"},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.what);
    std::u16string inherited = row.inherited;
    for (char16_t& unit : inherited) unit = unit == u'|' ? u'\0' : unit;
    inherited += std::u16string(inherited.empty() ? 1 : 2, u'\0');
    WideString block;
    ASSERT_TRUE(ComposeStartEnvironment(inherited.c_str(), folders, block));
    EXPECT_EQ(Entries(block), row.expected);
  }
}

TEST(StartEnvironment, ComSpecBesideAWindowsFolderAtADrivesRoot) {
  const StartFolders folders = {u"C:\\", u"C:\\Temp\\t", u"C:\\system32"};
  WideString block;
  ASSERT_TRUE(ComposeStartEnvironment(u"\0", folders, block));
  EXPECT_EQ(Entries(block).rfind(u"ComSpec=C:\\system32\\cmd.exe|Path=", 0), 0u);
}

TEST(MachinePath, WindowsFolderReferencesExpandedOthersKept) {
  struct {
    std::u16string stored;
    std::u16string expected;
  } const cases[] = {
      {u"", u"C:\\WINDOWS\\system32;C:\\WINDOWS"},
      {u"%SystemRoot%\\system32;%SYSTEMROOT%;%windir%\\Wbem;%SystemDrive%\\Tools",
       u"C:\\WINDOWS\\system32;C:\\WINDOWS;C:\\WINDOWS\\Wbem;C:\\Tools"},
      {u"C:\\WINDOWS\\system32;C:\\Program Files\\Tool",
       u"C:\\WINDOWS\\system32;C:\\Program Files\\Tool"},
      // The user's own names are not looked up: they stay as written.
      {u"%USERPROFILE%\\bin;%ProgramFiles%\\x", u"%USERPROFILE%\\bin;%ProgramFiles%\\x"},
      {u"50%;%windir", u"50%;%windir"},
      {u"%%windir%%", u"%C:\\WINDOWS%"},
      {u"%;%windir%", u"%;C:\\WINDOWS"},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(testing::PrintToString(row.stored));
    WideString path;
    ASSERT_TRUE(ComposeMachinePath(row.stored.data(), row.stored.size(), u"C:\\WINDOWS", path));
    EXPECT_EQ(Text(path), row.expected);
  }
}

}  // namespace
}  // namespace quillane
