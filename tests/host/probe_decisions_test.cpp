#include <gtest/gtest.h>

#include <string>

#include "probe/version_gate.h"
#include "run/tree/working_base.h"

namespace quillane {
namespace {

std::string Show(const char16_t* text) { return testing::PrintToString(std::u16string(text)); }

TEST(VersionGate, SupportedVersions) {
  struct {
    uint32_t major, minor;
    bool withoutPermission, withPermission;
  } const cases[] = {
      {0, 0, false, false},  // the version query failed
      {3, 51, false, false},        {4, 0, false, false}, {4, 90, false, false},
      {5, 0, false, true},          {5, 1, true, true},   {5, 2, true, true},
      {6, 0, true, true},           {6, 1, true, true},   {10, 0, true, true},
      {0xFFFFFFFFu, 0, true, true},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(testing::Message() << row.major << "." << row.minor);
    EXPECT_EQ(IsSupportedVersion(row.major, row.minor, 0), row.withoutPermission);
    EXPECT_EQ(IsSupportedVersion(row.major, row.minor, 1), row.withPermission);
    EXPECT_EQ(IsWindows2000Version(row.major, row.minor), row.major == 5 && row.minor == 0);
  }
}

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
  };
  for (const auto& row : cases) {
    WideString base = ChooseWorkingBase(row.windows);
    EXPECT_EQ(std::u16string(base.CStr(), base.Length()), row.expected) << Show(row.windows);
  }
}

}  // namespace
}  // namespace quillane
