// The working root as the run's own folder. It lies in a base that only
// Administrators and SYSTEM can change, but where users may create folders;
// a tree found there (left behind, or made first by someone else) is never
// reused, and the new root lets the user read and run what it holds but
// change nothing.
#pragma once

#include "base/win32.h"

namespace quillane {

// A security descriptor with a protected DACL (nothing inherited from the
// folder above): full control for Administrators and SYSTEM, read and
// execute for the token's user, each inherited by every file and folder
// below. Null when it cannot be built; LocalFree releases it.
PSECURITY_DESCRIPTOR BuildWorkingRootSecurity();

// The root `base` + `name` + "\" is made new: the base must be a folder of
// its own (not a link) at an absolute path; whatever is at the root's name,
// file or tree, is removed (never following a link); then one call creates
// the folder with that security, failing when anything is at the name again
// and following no link, and keeps it open without delete sharing, so that
// nobody can rename or remove it while `hold` is kept. False, and nothing
// held, when the root could not be made new. `root` is its path.
bool CreateOwnWorkingRoot(const WideString& base, const WideString& name, WideString& root,
                          UniqueFile& hold);

// Lets go of the root (the hold denies the delete access that removal needs)
// and removes the tree, never following a link.
void RemoveOwnWorkingRoot(const WideString& root, UniqueFile& hold);

}  // namespace quillane
