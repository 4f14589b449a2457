#include "run/tree/remove_tree.h"

#include <winternl.h>

#include "base/wide_string.h"
#include "run/tree/tree_names.h"

// Users may create folders in the working base, so a tree found at the
// root's name may have been made by someone else, and anything in it may have
// been planted: a link (junction, symbolic link, mount point) that would make
// this elevated program delete whatever it names. Every entry is therefore opened as itself and
// deleted through that handle, and only after the platform's name for what the handle reached has
// been found to be the entry's own place in the tree. A link on Windows opens as itself and is
// removed as a link; where a link cannot be opened as itself (Wine opens what it names), the name
// tells, and the entry is left where it is: the tree then counts as not removed.

namespace quillane {
namespace {

constexpr DWORD kAnySharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kDeleteAccess = DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;

// folder + "\*.*", without doubling a trailing backslash.
// An empty result (memory ran out) opens no listing.
WideString ListingPattern(const wchar_t* folder) {
  WideString pattern(AsUnits(folder));
  bool complete = pattern.Length() == TextLength(AsUnits(folder));
  if (complete && (pattern.Empty() || pattern[pattern.Length() - 1] != u'\\')) {
    complete = pattern.Append(u'\\');
  }
  if (!complete || !pattern.Append(u"*.*")) pattern.Clear();
  return pattern;
}

// folder + "\" + name; false when memory runs out, so a cut-short path is
// never acted on.
bool EntryPath(const wchar_t* folder, const wchar_t* name, WideString& path) {
  return path.Assign(AsUnits(folder)) && path.Append(u'\\') && path.Append(AsUnits(name));
}

// The empty-folder check passes over every name that begins with a dot.
bool IsDotName(const WIN32_FIND_DATAW& entry) { return entry.cFileName[0] == L'.'; }

// A folder of its own: a link to a folder is not one, whatever it names.
bool IsRealFolder(DWORD attributes) {
  return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ==
         FILE_ATTRIBUTE_DIRECTORY;
}

// The platform's name of what the handle reached. A name longer than the
// buffer is no name: its entry is then never acted on.
bool QueryReachedName(HANDLE handle, WideString& name) {
  union {
    OBJECT_NAME_INFORMATION info;
    BYTE bytes[sizeof(OBJECT_NAME_INFORMATION) + 1024 * sizeof(WCHAR)];
  } reached;
  ULONG length = 0;
  if (!NT_SUCCESS(
          NtQueryObject(handle, ObjectNameInformation, &reached, sizeof(reached), &length))) {
    return false;
  }
  const UNICODE_STRING& text = reached.info.Name;
  if (!text.Buffer || text.Length > sizeof(reached) - sizeof(reached.info)) return false;
  return name.Assign(AsUnits(text.Buffer), text.Length / sizeof(WCHAR));
}

// Opens the entry at `path` as itself (a link is not followed), with
// `access`, when the platform names what it reached `expected`; what the
// platform tells of it too.
bool OpenOwnEntry(const wchar_t* path, const WideString& expected, DWORD access, UniqueFile& entry,
                  BY_HANDLE_FILE_INFORMATION& information) {
  entry.Reset(CreateFileW(path, access, kAnySharing, nullptr, OPEN_EXISTING,
                          FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  WideString reached;
  if (!entry.Valid() || !QueryReachedName(entry.Get(), reached) ||
      !SameEntryName(reached, expected) || !GetFileInformationByHandle(entry.Get(), &information)) {
    entry.Reset();
    return false;
  }
  return true;
}

// The name that the folder at `path` has when it is its holder's own entry:
// the holder's platform name (links above the folder are the user's own
// setting and are followed) and the folder's own name; and the folder's path
// without a trailing separator, by which a file at that name opens too.
bool OwnFolderName(const wchar_t* path, WideString& expected, WideString& entryPath) {
  WideString holderPath;
  WideString name;
  if (!SplitFolderPath(AsUnits(path), holderPath, name)) return false;
  UniqueFile holder(CreateFileW(AsWide(holderPath.CStr()), FILE_READ_ATTRIBUTES, kAnySharing,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return holder.Valid() && QueryReachedName(holder.Get(), expected) &&
         AppendPathPart(expected, name.CStr()) &&
         entryPath.Assign(holderPath.CStr(), holderPath.Length()) &&
         AppendPathPart(entryPath, name.CStr());
}

// Clears read-only, hidden and system marks, then marks the entry for
// deletion through the handle, so that nothing else of the same name can be
// deleted instead; it goes when the handle is closed. The marks belong to
// the file, not to the name: through one of several hard links they would
// be cleared on a file that lives on elsewhere, so there they stay (and a
// read-only one then cannot be deleted).
bool DeleteThroughHandle(HANDLE handle, const BY_HANDLE_FILE_INFORMATION& information) {
  IO_STATUS_BLOCK status;
  if (information.nNumberOfLinks <= 1) {
    FILE_BASIC_INFORMATION basic;
    ZeroMemory(&basic, sizeof(basic));  // zero times are left as they are
    basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    NtSetInformationFile(handle, &status, &basic, sizeof(basic), FileBasicInformation);
  }
  FILE_DISPOSITION_INFORMATION disposition = {TRUE};
  return NT_SUCCESS(NtSetInformationFile(handle, &status, &disposition, sizeof(disposition),
                                         FileDispositionInformation));
}

int DeleteEntry(const wchar_t* path, const WideString& expected);

// Deletes everything in the folder at `path`, whose platform name is
// `folderName`, depth first; 1 when all of it went, 0 at the first entry that
// did not.
int DeleteContents(const wchar_t* folder, const WideString& folderName) {
  WIN32_FIND_DATAW found;
  // Every folder lists "." at least: no listing is a failure, never an
  // empty folder.
  UniqueFind listing(FindFirstFileW(AsWide(ListingPattern(folder).CStr()), &found));
  if (!listing.Valid()) return 0;
  do {
    // A dot-named entry of a stale tree goes like any other.
    if (IsSelfOrParentName(AsUnits(found.cFileName))) continue;
    WideString path;
    WideString name(folderName);
    if (!EntryPath(folder, found.cFileName, path) || name.Length() != folderName.Length() ||
        !AppendPathPart(name, AsUnits(found.cFileName)) ||
        DeleteEntry(AsWide(path.CStr()), name) != 1) {
      return 0;
    }
  } while (FindNextFileW(listing.Get(), &found));
  return 1;
}

// Deletes the entry at `path` when it is the one named `expected`: a file or
// a link as itself, a folder with everything in it. 1 when it went, else 0.
int DeleteEntry(const wchar_t* path, const WideString& expected) {
  UniqueFile entry;
  BY_HANDLE_FILE_INFORMATION information;
  if (!OpenOwnEntry(path, expected, kDeleteAccess, entry, information)) return 0;
  if (IsRealFolder(information.dwFileAttributes)) {
    // A folder cannot be listed while a handle with delete access is open on
    // it; it is opened and checked again once it is empty.
    entry.Reset();
    if (DeleteContents(path, expected) != 1 ||
        !OpenOwnEntry(path, expected, kDeleteAccess, entry, information)) {
      return 0;
    }
  }
  return DeleteThroughHandle(entry.Get(), information) ? 1 : 0;
}

}  // namespace

int DeleteTree(const wchar_t* folder) {
  WideString expected;
  WideString path;
  return OwnFolderName(folder, expected, path) ? DeleteEntry(AsWide(path.CStr()), expected) : 0;
}

int RemoveEmptyFolder(const wchar_t* folder) {
  WideString expected;
  WideString path;
  UniqueFile entry;
  BY_HANDLE_FILE_INFORMATION information;
  if (!OwnFolderName(folder, expected, path) ||
      !OpenOwnEntry(AsWide(path.CStr()), expected, kDeleteAccess, entry, information) ||
      !IsRealFolder(information.dwFileAttributes)) {
    return 0;
  }
  entry.Reset();
  int entries = 0;
  WIN32_FIND_DATAW found;
  UniqueFind listing(FindFirstFileW(AsWide(ListingPattern(folder).CStr()), &found));
  if (listing.Valid()) {
    do {
      if (!IsDotName(found)) ++entries;
    } while (FindNextFileW(listing.Get(), &found));
    listing.Reset();
  }
  if (entries != 0 ||
      !OpenOwnEntry(AsWide(path.CStr()), expected, kDeleteAccess, entry, information)) {
    return 0;
  }
  return DeleteThroughHandle(entry.Get(), information) ? 1 : 0;
}

bool OpenOwnFolder(const wchar_t* folder, DWORD access, UniqueFile& handle) {
  WideString expected;
  WideString path;
  BY_HANDLE_FILE_INFORMATION information;
  if (OwnFolderName(folder, expected, path) &&
      OpenOwnEntry(AsWide(path.CStr()), expected, access, handle, information) &&
      IsRealFolder(information.dwFileAttributes)) {
    return true;
  }
  handle.Reset();
  return false;
}

}  // namespace quillane
