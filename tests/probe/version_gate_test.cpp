#include <gtest/gtest.h>

#include "probe/version_gate.h"

namespace quillane {
namespace {

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

}  // namespace
}  // namespace quillane
