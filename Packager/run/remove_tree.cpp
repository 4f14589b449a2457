#include "run/remove_tree.h"

#include "base/wide_string.h"

namespace quillane {
namespace {

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

bool IsDotName(const WIN32_FIND_DATAW& entry) { return entry.cFileName[0] == L'.'; }
bool IsFolder(const WIN32_FIND_DATAW& entry) {
  return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

int RemoveFolderItself(const wchar_t* folder) {
  SetFileAttributesW(folder, FILE_ATTRIBUTE_NORMAL);
  return RemoveDirectoryW(folder) ? 1 : 0;
}

}  // namespace

int DeleteTree(const wchar_t* folder) {
  WIN32_FIND_DATAW entry;
  UniqueFind listing(FindFirstFileW(AsWide(ListingPattern(folder).CStr()), &entry));
  if (listing.Valid()) {
    do {
      if (IsDotName(entry)) continue;
      WideString path;
      if (!EntryPath(folder, entry.cFileName, path)) return 0;
      if (IsFolder(entry)) {
        int removed = DeleteTree(AsWide(path.CStr()));
        if (removed != 1) return removed;
      } else {
        SetFileAttributesW(AsWide(path.CStr()), FILE_ATTRIBUTE_NORMAL);
        if (!DeleteFileW(AsWide(path.CStr()))) return 0;
      }
    } while (FindNextFileW(listing.Get(), &entry));
    listing.Reset();
  }
  return RemoveFolderItself(folder);
}

int RemoveEmptyFolder(const wchar_t* folder) {
  int folders = 0;
  int files = 0;
  WIN32_FIND_DATAW entry;
  UniqueFind listing(FindFirstFileW(AsWide(ListingPattern(folder).CStr()), &entry));
  if (listing.Valid()) {
    do {
      if (IsDotName(entry)) continue;
      if (IsFolder(entry)) {
        ++folders;
      } else {
        ++files;
      }
    } while (FindNextFileW(listing.Get(), &entry));
    listing.Reset();
    if (folders != 0 || files != 0) return 0;
  }
  return RemoveFolderItself(folder);
}

}  // namespace quillane
