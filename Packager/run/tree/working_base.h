// Where the working tree goes: the Windows folder's own Temp folder. The run
// is elevated, so its tree must lie where every folder on the path can be
// changed by Administrators and SYSTEM only; the user's temporary folder,
// profile and environment can be re-pointed by any program of that user.
#pragma once

#include "base/wide_string.h"

namespace quillane {

// Whether the path is absolute on a drive: a letter, ":" and a separator.
inline bool IsAbsoluteDrivePath(const Unit* path) {
  const bool letter = (path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z');
  return letter && path[1] == u':' && (path[2] == u'\\' || path[2] == u'/');
}

// windowsFolder + "\Temp\" (one separator where the folder already ends with
// one), or empty when the Windows folder is not an absolute path on a drive
// ("X:\..."): a relative or empty base would put the tree under the current
// folder.
WideString ChooseWorkingBase(const Unit* windowsFolder);

}  // namespace quillane
