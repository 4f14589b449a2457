#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "run/command_line.h"
#include "run/launch/window_messages.h"
#include "text.h"

namespace quillane {
namespace {

std::string Show(const Unit* text) { return testing::PrintToString(std::u16string(text)); }

TEST(RunMode, ByPriorityAndSubstring) {
  struct {
    const Unit* commandLine;
    RunMode mode;
  } const cases[] = {
      {u"", RunMode::Interactive},
      {u"-s1 -u3", RunMode::Cleanup},
      {u"-u1 -s1 -u3", RunMode::Cleanup},
      {u"-U3", RunMode::Cleanup},
      {u"x-u3y", RunMode::Cleanup},
      {u"-u1 -s1", RunMode::QuietWithPorts},
      {u"-S1", RunMode::QuietWithPorts},
      {u"-s10", RunMode::QuietWithPorts},
      {u"-U1", RunMode::Quiet},
      {u"-u1 -KP:COM1", RunMode::Quiet},
      {u"-u2 -s 1 u3 /s1 -S2", RunMode::Interactive},
  };
  for (const auto& row : cases) {
    WideString options;
    EXPECT_EQ(DetectRunMode(WideString(row.commandLine), 0x0409, options), row.mode)
        << Show(row.commandLine);
  }
}

TEST(RunMode, InteractiveOptionsAreJustCloneWait) {
  for (uint16_t language : {0x0409, 0x0411, 0x0404, 0x0804}) {
    WideString options(u"left over");
    ASSERT_EQ(DetectRunMode(WideString(u"-KM"), language, options), RunMode::Interactive);
    EXPECT_EQ(Text(options), u"/clone_wait") << language;
  }
}

TEST(RunMode, CleanupLeavesTheOptionsAlone) {
  WideString empty;
  ASSERT_EQ(DetectRunMode(WideString(u"-u3 -s1"), 0x0411, empty), RunMode::Cleanup);
  EXPECT_TRUE(empty.Empty());
  WideString filled(u"untouched");
  ASSERT_EQ(DetectRunMode(WideString(u"-U3"), 0x0411, filled), RunMode::Cleanup);
  EXPECT_EQ(Text(filled), u"untouched");
}

TEST(RunMode, QuietOptionsCarryTheLanguage) {
  struct {
    uint16_t language;
    const char16_t* option;
  } const cases[] = {{0x0411, u"-l0x0411"}, {0x0404, u"-l0x0404"}, {0x0804, u"-l0x0804"},
                     {0x0409, u"-l0x0409"}, {0x0C04, u"-l0x0409"}, {0x1004, u"-l0x0409"},
                     {0x0011, u"-l0x0409"}, {0x0407, u"-l0x0409"}};
  for (const auto& row : cases) {
    for (const Unit* commandLine : {u"-s1", u"-U1"}) {
      WideString options(u"old");
      DetectRunMode(WideString(commandLine), row.language, options);
      EXPECT_EQ(Text(options), u"/clone_wait /hide_progress " + std::u16string(row.option))
          << Show(commandLine) << " " << row.language;
    }
  }
}

TEST(Windows2000Permission, ExactFormsOnlyAndNeverCleared) {
  struct {
    const Unit* commandLine;
    int32_t expected;
  } const cases[] = {{u"-KM", 1}, {u"-km", 1}, {u"\"C:\\a-kmb\\x\"", 1}, {u"-Km", 0}, {u"-kM", 0},
                     {u"", 0},    {u"- KM", 0}};
  for (const auto& row : cases) {
    int32_t flag = 0;
    DetectWindows2000Permission(WideString(row.commandLine), flag);
    EXPECT_EQ(flag, row.expected) << Show(row.commandLine);
  }
  int32_t alreadySet = 1;
  DetectWindows2000Permission(WideString(u"-Km"), alreadySet);
  EXPECT_EQ(alreadySet, 1);
}

struct PortCase {
  const Unit* commandLine;
  int32_t kpPort, kvPort;
  ResultCode result;
};

const PortCase kPortCases[] = {
    {u"-s1 -KP:COM3", 3, 0, kSuccess},
    {u"-s1 -KP:COM 3", 0, 0, kSuccess},
    {u"-s1 -KP:COM03", 3, 0, kSuccess},
    {u"-s1 -KP:COM3,4", 3, 0, kSuccess},
    {u"-s1 -KP:COM-5", 0, 0, kSuccess},
    {u"-s1 -KP:COM0", 0, 0, kSuccess},
    {u"-s1 -KP:COM32", 32, 0, kSuccess},
    {u"-s1 -KP:COM33", 0, 0, kSuccess},
    {u"-s1 -KP:LPT8", 40, 0, kSuccess},
    {u"-s1 -KP:LPT9 -KP:COM2", 2, 0, kSuccess},
    {u"-s1 -KP:COM5 -KP:LPT2", 34, 0, kSuccess},
    {u"-s1 -KP:COM3 -KP:COM4", 3, 0, kSuccess},
    {u"-s1 -KP:COMx -KP:COM4", 0, 0, kSuccess},
    {u"-s1 -KV:COM7-KP:COM9", 9, 7, kSuccess},  // the value text runs to the next blank
    {u"-s1 -KP:COM1 -KV:COM1", 1, 1, kSamePortForBoth},
    {u"-s1 -KP:LPT1 -KV:LPT1", 33, 33, kSamePortForBoth},
    {u"-s1 -KP:COM1 -KV:LPT1", 1, 33, kSuccess},
    {u"-s1 -KV:COM2", 0, 2, kKvPortWithoutKp},
    {u"-s1 -KP:COM33 -KV:COM2", 0, 2, kKvPortWithoutKp},
    {u"-s1 -kp:com3 -kv:lpt1", 0, 0, kSuccess},
    {u"-u1 -KP:COM1 -KV:COM1", 0, 0, kSuccess},
    {u"-KP:COM1 -KV:COM2", 0, 0, kSuccess},
    {u"-u3 -s1 -KV:COM2", 0, 0, kSuccess},
};

PortOptions ReadPorts(const WideString& commandLine, uint16_t language = 0x0409) {
  WideString options;
  return ReadPortOptions(commandLine, DetectRunMode(commandLine, language, options));
}

TEST(PortOptions, ReadAndCheckedAsAPair) {
  for (const PortCase& row : kPortCases) {
    PortOptions ports = ReadPorts(WideString(row.commandLine));
    EXPECT_EQ(ports.kpPort, row.kpPort) << Show(row.commandLine);
    EXPECT_EQ(ports.kvPort, row.kvPort) << Show(row.commandLine);
    EXPECT_EQ(CheckPortPair(ports), row.result) << Show(row.commandLine);
  }
}

TEST(PortOptions, NumbersConvertLikeWcstolAndSaturate) {
  struct {
    const Unit* commandLine;
    int32_t expected;
  } const cases[] = {
      {u"-KP:COM12 -x", 12},
      {u"-KP:COM+7", 7},
      {u"-KP:COM 9", 0},  // the blank ends the option
      {u"-KP:COM\t9", 9},
      {u"-KP:COM\r9", 9},  // tab to carriage return are blanks to the conversion
      {u"-KP:COM\x08"
       u"9",
       0},
      {u"-KP:COM\x0e"
       u"9",
       0},
      {u"-KP:COM", 0},
      {u"-KP:COMabc", 0},
      {u"-KP:COM-", 0},
      {u"-KP:COM2147483647", INT32_MAX},
      {u"-KP:COM2147483648", INT32_MAX},
      {u"-KP:COM4294967299", INT32_MAX},  // must not wrap round to 3
      {u"-KP:COM-2147483647", -2147483647},
      {u"-KP:COM-2147483648", INT32_MIN},
      {u"-KP:COM-2147483649", INT32_MIN},
      {u"-KP:COM-4294967297", INT32_MIN},
  };
  for (const auto& row : cases) {
    EXPECT_EQ(ReadOptionNumber(WideString(row.commandLine), 0), row.expected)
        << Show(row.commandLine);
  }
  EXPECT_EQ(ReadOptionNumber(WideString(u"ab -KP:COM41 7"), 3), 41);
  EXPECT_EQ(ReadOptionNumber(WideString(u"-KP x12345678"), 0), 0);

  WideString huge(u"-s1 -KP:COM");
  for (int digit = 0; digit < 5000; ++digit) huge.Append(u'9');
  EXPECT_EQ(ReadOptionNumber(huge, 4), INT32_MAX);
  huge.Append(u" -KV:COM4294967300");  // 2^32 + 4
  PortOptions ports = ReadPorts(huge);
  EXPECT_EQ(ports.kpPort, 0);
  EXPECT_EQ(ports.kvPort, 0);
}

TEST(PortOptions, VeryLongCommandLine) {
  WideString commandLine;
  for (int filler = 0; filler < 99950; ++filler) commandLine.Append(filler % 80 ? u'a' : u' ');
  commandLine.Append(u" -KV:LPT3 -S1 -KP:COM12 ");
  while (commandLine.Length() < 100000) commandLine.Append(u'z');
  ASSERT_EQ(commandLine.Length(), 100000u);

  WideString options;
  EXPECT_EQ(DetectRunMode(commandLine, 0x0804, options), RunMode::QuietWithPorts);
  EXPECT_EQ(Text(options), u"/clone_wait /hide_progress -l0x0804");
  PortOptions ports = ReadPorts(commandLine);
  EXPECT_EQ(ports.kpPort, 12);
  EXPECT_EQ(ports.kvPort, 35);
  EXPECT_EQ(CheckPortPair(ports), kSuccess);
}

TEST(SkipProgramName, LeavesTheArguments) {
  struct {
    const Unit* commandLine;
    const Unit* expected;
  } const cases[] = {
      {u"\"C:\\Program Files\\Setup Kit\\setup.exe\" -s1 -KP:COM3", u"-s1 -KP:COM3"},
      {u"\"C:\\a b.exe\"", u""},
      {u"\"C:\\a b.exe\"   \t -u1", u"-u1"},
      {u"setup.exe -s1  -KP:COM3 ", u"-s1  -KP:COM3 "},
      {u"setup.exe\t-u3", u"-u3"},
      {u"setup.exe \t  ", u""},
      {u"setup.exe", u""},
      {u"\"C:\\never closed -s1", u""},
      // Control characters separate like blanks, before and after the name.
      {u"setup.exe\r\n-s1\x01x", u"-s1\x01x"},
      {u"\"C:\\a.exe\"\x1f\x01 -u1", u"-u1"},
      {u"", u""},
  };
  for (const auto& row : cases) {
    const Unit* rest = SkipProgramName(row.commandLine);
    ASSERT_NE(rest, nullptr);
    EXPECT_EQ(std::u16string(rest), row.expected)
        << testing::PrintToString(std::u16string(row.commandLine));
  }
  const Unit* none = SkipProgramName(nullptr);
  ASSERT_NE(none, nullptr);
  EXPECT_EQ(*none, u'\0');
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

}  // namespace
}  // namespace quillane
