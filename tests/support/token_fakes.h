// Token calls that answer from a plan, for what Wine cannot make happen: a
// user who is no administrator, an administrator whose token is not
// elevated, a failing call. The group lists hold real SIDs.
#pragma once

#include <vector>

#include "probe/platform_gates.h"

namespace quillane_test {

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

// IsUserAdmin's token calls answer from `plan` while this lives, and the
// platform's own again afterwards.
class ScopedFakeToken {
 public:
  explicit ScopedFakeToken(FakeToken& plan);
  ScopedFakeToken(const ScopedFakeToken&) = delete;
  ScopedFakeToken& operator=(const ScopedFakeToken&) = delete;
  ~ScopedFakeToken();
};

// The built-in groups, with the attributes a token lists them with.
SID_AND_ATTRIBUTES Administrators(DWORD attributes = SE_GROUP_ENABLED);
SID_AND_ATTRIBUTES Users();

}  // namespace quillane_test
