// Names of the working tree's entries as the platform reports them for an
// open handle: the real location of what was opened, after every link on the
// way. An entry is the tree's own only when that name is its folder's name
// followed by its own; a link, or a path through one, reaches another name.
#pragma once

#include <cstdint>

#include "base/wide_string.h"

namespace quillane {

// Splits a folder path into the folder that holds it and its own name:
// "C:\T\{X}\" gives "C:\T" and "{X}", "C:\X" gives "C:\" and "X", "\X" gives
// "\" and "X", "X" gives "." and "X". Either separator counts. False when the
// path names no entry of its own (empty, a drive or its root, "." or "..").
bool SplitFolderPath(const Unit* path, WideString& holder, WideString& name);

// Whether the text names one entry of a folder: not empty, not "." or "..",
// and without a separator or ":" (a drive or a stream).
bool IsPlainEntryName(const Unit* name);

// Whether a listed name is the folder itself or the one above ("." or
// ".."), the only entries a walk of the tree passes over.
bool IsSelfOrParentName(const Unit* name);

// The name of a folder of the run's own whose preferred name is taken:
// `preferred`, "." and the 64 random bits as 16 lower-case hex digits,
// which nobody can know before the run. False when memory runs out.
bool ComposeFreshFolderName(const WideString& preferred, uint64_t random, WideString& name);

// Whether two platform names are the same; only the case of ASCII letters
// may differ (the names of one file system, compared as it compares them
// for everything this program creates).
bool SameEntryName(const WideString& left, const WideString& right);

}  // namespace quillane
