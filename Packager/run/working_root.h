// The working root as the run's own folder. It lies in the user's temporary
// folder, where unelevated programs of the same user can write; a tree found
// there (left behind, or planted) is never reused, and the new root lets the
// user read and run what it holds but change nothing.
#pragma once

#include "base/win32.h"

namespace quillane {

// A security descriptor with a protected DACL (nothing inherited from the
// folder above): full control for Administrators and SYSTEM, read and
// execute for the token's user, each inherited by every file and folder
// below. Null when it cannot be built; LocalFree releases it.
PSECURITY_DESCRIPTOR BuildWorkingRootSecurity();

// Removes whatever is at `root` (never following a link), creates the folder
// anew with that security, and holds it open so that it cannot be renamed or
// removed by anyone else while `hold` is kept. False, and nothing held, when
// the folder could not be made new: it could not be removed, it appeared again
// meanwhile, or its security could not be built.
bool CreateOwnWorkingRoot(const wchar_t* root, UniqueFile& hold);

// Lets go of the root (the hold denies the delete access that removal needs)
// and removes the tree, never following a link.
void RemoveOwnWorkingRoot(const wchar_t* root, UniqueFile& hold);

}  // namespace quillane
