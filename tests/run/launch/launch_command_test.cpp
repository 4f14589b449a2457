#include <gtest/gtest.h>

#include <string>

#include "run/launch/launch_command.h"
#include "text.h"

namespace quillane {
namespace {

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
