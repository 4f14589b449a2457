#include "run/tree/tree_names.h"

namespace quillane {
namespace {

bool IsSeparator(Unit unit) { return unit == u'\\' || unit == u'/'; }

bool IsDotOrDotDot(const Unit* name, size_t length) {
  return (length == 1 && name[0] == u'.') || (length == 2 && name[0] == u'.' && name[1] == u'.');
}

}  // namespace

bool IsPlainEntryName(const Unit* name) {
  const size_t length = TextLength(name);
  for (size_t at = 0; at < length; ++at) {
    if (IsSeparator(name[at]) || name[at] == u':') return false;
  }
  return length > 0 && !IsDotOrDotDot(name, length);
}

bool IsSelfOrParentName(const Unit* name) {
  return IsDotOrDotDot(name, TextLengthBounded(name, 3));
}

bool ComposeFreshFolderName(const WideString& preferred, uint64_t random, WideString& name) {
  static const char16_t kDigits[] = u"0123456789abcdef";
  if (!name.Assign(preferred.CStr(), preferred.Length()) || !name.Append(u'.')) return false;
  for (int shift = 60; shift >= 0; shift -= 4) {
    if (!name.Append(kDigits[(random >> shift) & 0xF])) return false;
  }
  return true;
}

bool SplitFolderPath(const Unit* path, WideString& holder, WideString& name) {
  size_t end = TextLength(path);
  while (end > 0 && IsSeparator(path[end - 1])) --end;
  // A drive prefix ("C:") is never part of the name; a path that begins
  // with a separator has none ("\:x" is rooted).
  const size_t drive = end >= 2 && path[1] == u':' && !IsSeparator(path[0]) ? 2 : 0;
  size_t start = end;
  while (start > drive && !IsSeparator(path[start - 1])) --start;
  const size_t nameLength = end - start;
  if (nameLength == 0) return false;
  if (IsDotOrDotDot(path + start, nameLength)) return false;
  if (!name.Assign(path + start, nameLength)) return false;

  // The holder keeps its separator where it is a root ("C:\", "\"); "C:X"
  // and "X" are held by the current folder.
  size_t holderEnd = start;
  while (holderEnd > drive + 1 && IsSeparator(path[holderEnd - 1])) --holderEnd;
  if (!holder.Assign(path, holderEnd)) return false;
  return holderEnd > drive || holder.Append(u'.');
}

bool SameEntryName(const WideString& left, const WideString& right) {
  if (left.Length() != right.Length()) return false;
  for (size_t at = 0; at < left.Length(); ++at) {
    if (UpperAscii(left[at]) != UpperAscii(right[at])) return false;
  }
  return true;
}

}  // namespace quillane
