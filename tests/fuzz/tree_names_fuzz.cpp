// Folder paths as the Windows folder and the registry give them, split
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

// The rule, read on its own: the path's components are the texts between
// separators (empty ones dropped); the folder's own name is the last one,
// less a drive prefix ("C:") when it is the path's first component. A path
// names no entry when that leaves nothing, ".", or "..".
std::u16string LastComponentName(const std::u16string& path) {
  std::u16string last;
  size_t lastStart = 0;
  std::u16string current;
  for (size_t at = 0; at <= path.size(); ++at) {
    if (at == path.size() || IsSeparator(path[at])) {
      if (!current.empty()) {
        last = current;
        lastStart = at - current.size();
      }
      current.clear();
    } else {
      current.push_back(path[at]);
    }
  }
  if (lastStart == 0 && last.size() >= 2 && last[1] == u':') last.erase(0, 2);
  return last;
}

void CheckSplit(const std::u16string& path) {
  WideString holder;
  WideString name;
  const std::u16string last = LastComponentName(path);
  const bool named = !last.empty() && last != u"." && last != u"..";
  if (!SplitFolderPath(path.c_str(), holder, name)) {
    FUZZ_CHECK(!named, "a named folder was refused");
    return;
  }
  FUZZ_CHECK(named, "a path that names no entry was split");
  const std::u16string own = Text(name);
  const std::u16string above = Text(holder);
  FUZZ_CHECK(own == last, "the name is the path's last component");
  CheckHolds(name, own, "name");
  CheckHolds(holder, above, "holder");
  FUZZ_CHECK(!above.empty(), "a holder can be opened");
  // The holder is the path before the name, or the current folder ("." or
  // "C:.") when nothing stands before it.
  const bool current =
      above.back() == u'.' && path.compare(0, above.size() - 1, above, 0, above.size() - 1) == 0;
  FUZZ_CHECK(current || path.compare(0, above.size(), above) == 0,
             "the holder is the path's beginning");
}

void CheckNames(const std::u16string& folder, const std::u16string& entry) {
  WideString joined(folder.c_str());
  FUZZ_CHECK(AppendPathPart(joined, entry.c_str()), "an entry name is appended");
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
