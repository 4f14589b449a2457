// Removal of the unpacked working tree and of empty leftover folders. Neither
// retries nor reports; the first failure ends the walk. Neither ever acts on
// anything a link names: a link in the tree is removed as the link itself
// where the platform allows it, and is otherwise left, with the folders
// above it.
#pragma once

#include "base/win32.h"

namespace quillane {

// Deletes the folder with everything under it, clearing read-only and other
// marks first; every entry but "." and ".." goes, dot-named ones too. 1 when
// the folder itself was removed, else 0.
int DeleteTree(const wchar_t* folder);

// Removes the folder only when it holds no files and no sub-folders (entries
// whose names begin with "." are not counted) and is not itself a link.
// 1 when it was removed, else 0.
int RemoveEmptyFolder(const wchar_t* folder);

// Opens the folder at `folder` with `access` when it is a folder of its own
// at that place (not a link, nor reached through one below the folder that
// holds it). False, and nothing held, otherwise.
bool OpenOwnFolder(const wchar_t* folder, DWORD access, UniqueFile& handle);

}  // namespace quillane
