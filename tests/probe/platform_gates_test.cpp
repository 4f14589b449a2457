#include <gtest/gtest.h>

#include <vector>

#include "import_patch.h"
#include "probe/platform_gates.h"
#include "test_support.h"
#include "token_fakes.h"

using namespace quillane;
using namespace quillane_test;

namespace {

// ---- Windows version, through Wine's per-program version setting ----------

// IsSupportedOs * 10 + IsWindows2000, as the child reports it.
long long ProbeOsGate(const wchar_t* version, int allowWindows2000) {
  ProgramVersion setting(L"probe_child.exe", version);
  return RunAndWait(ProgramFolder() + L"\\probe_child.exe",
                    L"os-gate " + std::to_wstring(allowWindows2000));
}

TEST(OsGate, FollowsTheReportedVersion) {
  struct Row {
    const wchar_t* version;
    int allow;
    long long expected;  // supported * 10 + windows2000
  };
  const Row rows[] = {
      {L"nt40", 0, 0},   {L"nt40", 1, 0},    // 4.0 never
      {L"win2k", 0, 1},  {L"win2k", 1, 11},  // 5.0 only when asked for
      {L"winxp", 0, 10}, {L"winxp64", 0, 10}, {L"winxp64", 1, 10},
      {L"vista", 0, 10}, {L"win7", 0, 10},    {L"win10", 0, 10},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ProbeOsGate(row.version, row.allow), row.expected)
        << "version " << std::string(row.version, row.version + wcslen(row.version)) << " allow "
        << row.allow;
  }
}

// ---- Administrator check ------------------------------------------------------

// The platform's own token calls, unfaked: Wine's user is always an
// elevated administrator.
TEST(IsUserAdmin, WinesElevatedUserPassesThroughTheRealTokenCalls) { EXPECT_EQ(IsUserAdmin(), 1); }

class IsUserAdminWithFakeToken : public ::testing::Test {
 protected:
  SID_AND_ATTRIBUTES Admins(DWORD attributes = SE_GROUP_ENABLED) {
    return Administrators(attributes);
  }

  FakeToken fake_;
  ScopedFakeToken fakes_{fake_};
};

TEST_F(IsUserAdminWithFakeToken, ProcessTokenDecidesWhenTheThreadDoesNotImpersonate) {
  fake_.processGroups = {Users(), Admins()};
  EXPECT_EQ(IsUserAdmin(), 1);
  fake_.processGroups = {Users()};
  EXPECT_EQ(IsUserAdmin(), 0);
  EXPECT_EQ(fake_.closes, 2);  // the token is closed each time
}

TEST_F(IsUserAdminWithFakeToken, ImpersonatedUsersTokenDecides) {
  fake_.threadError = 0;
  fake_.threadGroups = {Users()};
  fake_.processGroups = {Admins()};
  EXPECT_EQ(IsUserAdmin(), 0);
  fake_.threadGroups = {Admins()};
  fake_.processGroups = {Users()};
  EXPECT_EQ(IsUserAdmin(), 1);
}

// An unelevated administrator's (filtered) token lists the group for
// deny-only: that is no administrator.
TEST_F(IsUserAdminWithFakeToken, OnlyAnEnabledMembershipCounts) {
  struct {
    DWORD attributes;
    int expected;
  } const cases[] = {
      {SE_GROUP_ENABLED, 1},
      {SE_GROUP_MANDATORY | SE_GROUP_ENABLED_BY_DEFAULT | SE_GROUP_ENABLED | SE_GROUP_OWNER, 1},
      {SE_GROUP_USE_FOR_DENY_ONLY, 0},
      {SE_GROUP_ENABLED | SE_GROUP_USE_FOR_DENY_ONLY, 0},
      {SE_GROUP_MANDATORY | SE_GROUP_ENABLED_BY_DEFAULT, 0},
      {0, 0},
  };
  for (const auto& row : cases) {
    fake_.processGroups = {Users(), Admins(row.attributes)};
    EXPECT_EQ(IsUserAdmin(), row.expected) << std::hex << row.attributes;
  }
}

TEST_F(IsUserAdminWithFakeToken, NoGroupsIsNoAdministrator) {
  fake_.processGroups = {};
  EXPECT_EQ(IsUserAdmin(), 0);
}

TEST_F(IsUserAdminWithFakeToken, EveryFailingCallAnswersNo) {
  fake_.processGroups = {Admins()};
  fake_.threadError = ERROR_ACCESS_DENIED;  // any error but "no token"
  EXPECT_EQ(IsUserAdmin(), 0);
  fake_.threadError = ERROR_NO_TOKEN;
  fake_.processOpens = false;
  EXPECT_EQ(IsUserAdmin(), 0);
  fake_.processOpens = true;
  fake_.sizeQueryError = 0;  // the size query is expected to fail
  EXPECT_EQ(IsUserAdmin(), 0);
  fake_.sizeQueryError = ERROR_ACCESS_DENIED;
  EXPECT_EQ(IsUserAdmin(), 0);
  fake_.sizeQueryError = ERROR_INSUFFICIENT_BUFFER;
  fake_.readSucceeds = false;
  EXPECT_EQ(IsUserAdmin(), 0);
  fake_.readSucceeds = true;
  {
    auto failing = FAIL_IMPORT("KERNEL32.dll", HeapAlloc, nullptr);
    EXPECT_EQ(IsUserAdmin(), 0);
  }
  {
    auto failing = FAIL_IMPORT("ADVAPI32.dll", AllocateAndInitializeSid, FALSE);
    EXPECT_EQ(IsUserAdmin(), 0);
  }
  EXPECT_EQ(IsUserAdmin(), 1);
}

TEST_F(IsUserAdminWithFakeToken, GroupCountBeyondTheBufferIsNotFollowed) {
  fake_.processGroups = {Users()};
  fake_.claimedExtraGroups = 1000;
  EXPECT_EQ(IsUserAdmin(), 0);
}

}  // namespace
