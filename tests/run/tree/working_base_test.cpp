#include <gtest/gtest.h>

#include <string>

#include "run/tree/working_base.h"

namespace quillane {
namespace {

std::string Show(const char16_t* text) { return testing::PrintToString(std::u16string(text)); }

TEST(WorkingBase, TheWindowsFoldersTempWhenTheWindowsFolderIsAbsolute) {
  struct {
    const char16_t* windows;
    const char16_t* expected;
  } const cases[] = {
      {u"C:\\Windows", u"C:\\Windows\\Temp\\"},
      {u"d:\\WINNT", u"d:\\WINNT\\Temp\\"},
      {u"C:\\", u"C:\\Temp\\"},  // a drive root already ends with its separator
      {u"C:\\Windows\\", u"C:\\Windows\\Temp\\"},
      // Nothing relative, which would put the tree under the current folder.
      {u"", u""},
      {u"Windows", u""},
      {u"C:Windows", u""},
      {u"C:", u""},
      {u"\\Windows", u""},
      {u"\\\\server\\share\\Windows", u""},
      {u"1:\\Windows", u""},
      // Any drive letter in either case, either separator.
      {u"c:\\windows", u"c:\\windows\\Temp\\"},
      {u"z:/Windows", u"z:/Windows\\Temp\\"},
      {u"Z:\\W", u"Z:\\W\\Temp\\"},
      {u"@:\\Windows", u""},
      {u"[:\\Windows", u""},
      {u"`:\\Windows", u""},
      {u"{:\\Windows", u""},
  };
  for (const auto& row : cases) {
    WideString base = ChooseWorkingBase(row.windows);
    EXPECT_EQ(std::u16string(base.CStr(), base.Length()), row.expected) << Show(row.windows);
  }
}

}  // namespace
}  // namespace quillane
