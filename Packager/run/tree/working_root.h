// The run's own folders under the working base: the working root, which
// holds the payload, and beside it the temporary folder of the programs the
// run starts. The base is one that only Administrators and SYSTEM can change,
// but where users may create folders; a folder found there (left behind, or
// made first by someone else) is never reused, and one that cannot be taken
// away never blocks the run. Each new folder lets the user read and run what
// it holds but change nothing.
#pragma once

#include "base/win32.h"

namespace quillane {

// A security descriptor owned by Administrators (never by the user who
// created it) with a protected DACL (nothing inherited from the folder
// above): full control for Administrators and SYSTEM, read and execute for
// the token's user, each inherited by every file and folder below. Null
// when it cannot be built; LocalFree releases it.
PSECURITY_DESCRIPTOR BuildWorkingRootSecurity();

struct WorkingFolders {
  WideString root;       // base + name + "\"
  WideString temporary;  // base + name, the started programs' TEMP and TMP
  UniqueFile rootHold;
  UniqueFile temporaryHold;
};

// Makes both folders new in the working base, the Windows folder's Temp
// folder, which must be a folder of its own (not a link) at an absolute path
// on a drive. Each prefers a fixed name (the root
// `productCode`, the temporary folder `productCode` + ".temp"): whatever is
// there, file or tree, is removed (never following a link); then one call
// creates the folder with that security, failing when anything is at the
// name again and following no link, and keeps it open without delete
// sharing, so that nobody can rename or remove it while it is held. When
// that fails (something there could not be removed, or is back), a few
// fresh names (the fixed one, "." and random digits) are tried the same way;
// what is at the fixed name is left as it is. False, and nothing held or
// left behind, when either folder could not be made.
bool CreateWorkingFolders(const WideString& productCode, WorkingFolders& folders);

// Lets go of both folders (the holds deny the delete access that removal
// needs) and removes their trees, never following a link.
void RemoveWorkingFolders(WorkingFolders& folders);

}  // namespace quillane
