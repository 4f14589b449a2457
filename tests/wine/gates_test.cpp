#include <gtest/gtest.h>

#include <vector>

#include "probe/platform_gates.h"
#include "probe/wow64_probe.h"
#include "test_support.h"

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

// ---- WOW64 ------------------------------------------------------------------

// Every test session's prefix is a 64-bit one: there a 32-bit program runs
// under WOW64 and a 64-bit one does not.
TEST(IsWow64, InTheSessionsSixtyFourBitPrefixAnswersByTheProgramsWidth) {
  EXPECT_EQ(IsWow64(), sizeof(void*) == 4 ? 1 : 0);
}

// ---- Administrator check ------------------------------------------------------

// The platform's own token calls, unfaked: Wine's user is always an
// elevated administrator.
TEST(IsUserAdmin, WinesElevatedUserPassesThroughTheRealTokenCalls) { EXPECT_EQ(IsUserAdmin(), 1); }

// A token that Wine cannot give: a fake answers the token calls from the
// plan below, with group lists built from real SIDs.
struct FakeToken {
  DWORD threadError = ERROR_NO_TOKEN;  // 0: the thread impersonates
  bool processOpens = true;
  DWORD sizeQueryError = ERROR_INSUFFICIENT_BUFFER;  // 0: the size query succeeds
  bool readSucceeds = true;
  std::vector<SID_AND_ATTRIBUTES> threadGroups;
  std::vector<SID_AND_ATTRIBUTES> processGroups;
  DWORD claimedExtraGroups = 0;  // GroupCount beyond what the buffer holds
  int closes = 0;
};
FakeToken* plan = nullptr;
HANDLE const kThreadToken = reinterpret_cast<HANDLE>(0x7001);
HANDLE const kProcessToken = reinterpret_cast<HANDLE>(0x7002);

BOOL WINAPI FakeOpenThreadToken(HANDLE, DWORD, BOOL, PHANDLE token) {
  if (plan->threadError) {
    SetLastError(plan->threadError);
    return FALSE;
  }
  *token = kThreadToken;
  return TRUE;
}
BOOL WINAPI FakeOpenProcessToken(HANDLE, DWORD, PHANDLE token) {
  if (!plan->processOpens) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  *token = kProcessToken;
  return TRUE;
}
BOOL WINAPI FakeGetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind, LPVOID buffer,
                                    DWORD length, PDWORD needed) {
  if (kind != TokenGroups) return FALSE;
  const auto& groups = token == kThreadToken ? plan->threadGroups : plan->processGroups;
  const DWORD size =
      static_cast<DWORD>(offsetof(TOKEN_GROUPS, Groups) +
                         (groups.empty() ? 1 : groups.size()) * sizeof(SID_AND_ATTRIBUTES));
  *needed = size;
  if (!buffer) {
    if (plan->sizeQueryError == 0) return TRUE;
    SetLastError(plan->sizeQueryError);
    return FALSE;
  }
  if (!plan->readSucceeds || length < size) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  auto* list = static_cast<TOKEN_GROUPS*>(buffer);
  list->GroupCount = static_cast<DWORD>(groups.size()) + plan->claimedExtraGroups;
  for (size_t index = 0; index < groups.size(); ++index) list->Groups[index] = groups[index];
  return TRUE;
}
BOOL WINAPI FakeCloseHandle(HANDLE) {
  ++plan->closes;
  return TRUE;
}
const TokenFunctions kFakes = {FakeOpenThreadToken, FakeOpenProcessToken, FakeGetTokenInformation,
                               FakeCloseHandle};

class IsUserAdminWithFakeToken : public ::testing::Test {
 protected:
  void SetUp() override {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    ASSERT_TRUE(AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                         DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &admins_));
    ASSERT_TRUE(AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                         DOMAIN_ALIAS_RID_USERS, 0, 0, 0, 0, 0, 0, &users_));
    plan = &fake_;
    SetTokenFunctionsForTesting(&kFakes);
  }
  void TearDown() override {
    SetTokenFunctionsForTesting(nullptr);
    plan = nullptr;
    FreeSid(admins_);
    FreeSid(users_);
  }
  SID_AND_ATTRIBUTES Admins(DWORD attributes = SE_GROUP_ENABLED) { return {admins_, attributes}; }
  SID_AND_ATTRIBUTES Users() { return {users_, SE_GROUP_ENABLED}; }

  FakeToken fake_;
  PSID admins_ = nullptr;
  PSID users_ = nullptr;
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
  EXPECT_EQ(IsUserAdmin(), 1);
}

TEST_F(IsUserAdminWithFakeToken, GroupCountBeyondTheBufferIsNotFollowed) {
  fake_.processGroups = {Users()};
  fake_.claimedExtraGroups = 1000;
  EXPECT_EQ(IsUserAdmin(), 0);
}

}  // namespace
