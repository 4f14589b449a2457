// Folder paths as the temporary folder and the registry give them, split
// into the folder that holds them and their own name, and the platform
// names that removal compares.
//
// Input layout (little-endian):
//   1 byte   length in units of the entry name appended to the path's name
//   rest     the path (UTF-16 units, cut at the first NUL), then the entry

#include <string>

#include "fuzz_input.h"
#include "run/tree/tree_names.h"

namespace quillane::fuzz {
namespace {

bool IsSeparator(char16_t unit) { return unit == u'\\' || unit == u'/'; }

char16_t Fold(char16_t unit) { return unit >= u'a' && unit <= u'z' ? unit - 32 : unit; }

void CheckSplit(const std::u16string& path) {
  WideString holder;
  WideString name;
  if (!SplitFolderPath(path.c_str(), holder, name)) {
    // Refused only when nothing but separators and a drive follow the last
    // separator, or the name is "." or "..".
    size_t end = path.size();
    while (end > 0 && IsSeparator(path[end - 1])) --end;
    const size_t drive = end >= 2 && path[1] == u':' ? 2 : 0;
    size_t start = end;
    while (start > drive && !IsSeparator(path[start - 1])) --start;
    const std::u16string last = path.substr(start, end - start);
    FUZZ_CHECK(last.empty() || last == u"." || last == u"..", "a named folder was refused");
    return;
  }
  const std::u16string own = Text(name);
  const std::u16string above = Text(holder);
  FUZZ_CHECK(!own.empty() && own != u"." && own != u"..", "the name is an entry's own");
  for (char16_t unit : own) FUZZ_CHECK(!IsSeparator(unit), "the name holds no separator");
  FUZZ_CHECK(path.find(own) != std::u16string::npos, "the name comes from the path");
  CheckHolds(name, own, "name");
  CheckHolds(holder, above, "holder");
  FUZZ_CHECK(!above.empty(), "a holder can be opened");
  // The holder is the path before the name, or the current folder ("." or
  // "C:.") when nothing stands before it.
  const bool current = above.back() == u'.' && path.compare(0, above.size() - 1, above, 0,
                                                            above.size() - 1) == 0;
  FUZZ_CHECK(current || path.compare(0, above.size(), above) == 0,
             "the holder is the path's beginning");
}

void CheckNames(const std::u16string& folder, const std::u16string& entry) {
  WideString joined(folder.c_str());
  FUZZ_CHECK(AppendEntryName(joined, entry.c_str()), "an entry name is appended");
  const bool rooted = !folder.empty() && folder.back() == u'\\';
  const std::u16string expected = folder + (rooted ? u"" : u"\\") + entry;
  CheckHolds(joined, expected, "joined name");

  WideString folded(expected.c_str());
  WideString other(folder.c_str());
  FUZZ_CHECK(SameEntryName(joined, joined), "a name is its own");
  FUZZ_CHECK(SameEntryName(joined, folded), "the same text is the same name");
  bool same = expected.size() == folder.size();
  for (size_t at = 0; same && at < folder.size(); ++at) {
    same = Fold(expected[at]) == Fold(folder[at]);
  }
  FUZZ_CHECK(SameEntryName(joined, other) == same, "names differ beyond ASCII case");
  FUZZ_CHECK(SameEntryName(other, joined) == same, "the comparison is symmetric");
}

}  // namespace
}  // namespace quillane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quillane::fuzz;
  FuzzInput input(data, size);
  const size_t entryLength = input.Byte();
  std::u16string units = input.RestAsUnits();
  const size_t split = units.size() > entryLength ? units.size() - entryLength : 0;
  std::u16string path = units.substr(0, split);
  std::u16string entry = units.substr(split);
  path = path.substr(0, path.find(u'\0'));
  entry = entry.substr(0, entry.find(u'\0'));
  CheckSplit(path);
  CheckNames(path, entry);
  return 0;
}
