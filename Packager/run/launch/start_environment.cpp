#include "run/launch/start_environment.h"

namespace quillane {
namespace {

// Names compare as the platform sorts an environment block: without regard
// to the case of ASCII letters, then by unit, a shorter name first.
int CompareNames(const Unit* left, size_t leftLength, const Unit* right, size_t rightLength) {
  for (size_t at = 0; at < leftLength && at < rightLength; ++at) {
    const Unit a = UpperAscii(left[at]);
    const Unit b = UpperAscii(right[at]);
    if (a != b) return a < b ? -1 : 1;
  }
  if (leftLength == rightLength) return 0;
  return leftLength < rightLength ? -1 : 1;
}

bool SameName(const Unit* name, size_t length, const Unit* wanted) {
  return CompareNames(name, length, wanted, TextLength(wanted)) == 0;
}

// folder + "\" + rest, with one separator where the folder already ends
// with one (a drive's root).
bool JoinFolder(const Unit* folder, const Unit* rest, WideString& path) {
  return path.Assign(folder) && AppendPathPart(path, rest);
}

// How much of the Windows folder a %name% of the machine's PATH stands for
// (all of it, or its drive); false when the name is none of its own.
bool MachineVariableLength(const Unit* name, size_t length, const Unit* windowsFolder,
                           size_t& valueLength) {
  if (SameName(name, length, u"SystemRoot") || SameName(name, length, u"windir")) {
    valueLength = TextLength(windowsFolder);
    return true;
  }
  if (SameName(name, length, u"SystemDrive")) {
    valueLength = TextLengthBounded(windowsFolder, 2);
    return true;
  }
  return false;
}

struct Replacement {
  const Unit* name;
  const Unit* value;
};

bool AppendEntry(WideString& block, const Unit* name, const Unit* value) {
  return block.Append(name) && block.Append(u'=') && block.Append(value) && block.Append(Unit{0});
}

}  // namespace

bool ComposeMachinePath(const Unit* stored, size_t length, const Unit* windowsFolder,
                        WideString& path) {
  path.Clear();
  if (length == 0) {
    WideString system;
    return JoinFolder(windowsFolder, u"system32", system) && path.Append(system) &&
           path.Append(u';') && path.Append(windowsFolder);
  }
  size_t at = 0;
  while (at < length) {
    size_t close = at + 1;
    while (stored[at] == u'%' && close < length && stored[close] != u'%') ++close;
    if (stored[at] != u'%' || close >= length) {
      if (!path.Append(stored[at])) return false;
      ++at;
      continue;
    }
    // An unknown name is kept with its "%"; its closing "%" may open the
    // next reference.
    size_t valueLength = 0;
    const bool known =
        MachineVariableLength(stored + at + 1, close - at - 1, windowsFolder, valueLength);
    if (!(known ? path.Append(windowsFolder, valueLength) : path.Append(stored + at, close - at))) {
      return false;
    }
    at = known ? close + 1 : close;
  }
  return true;
}

bool ComposeStartEnvironment(const Unit* inherited, const StartFolders& folders,
                             WideString& block) {
  block.Clear();
  WideString comSpec;
  if (!JoinFolder(folders.windowsFolder, u"system32\\cmd.exe", comSpec)) return false;
  // In the order the names sort.
  const Replacement replacements[] = {
      {u"ComSpec", comSpec.CStr()},           {u"Path", folders.machinePath},
      {u"SystemRoot", folders.windowsFolder}, {u"TEMP", folders.temporaryFolder},
      {u"TMP", folders.temporaryFolder},      {u"windir", folders.windowsFolder},
  };
  constexpr size_t kReplacements = sizeof(replacements) / sizeof(replacements[0]);
  size_t next = 0;
  for (const Unit* entry = inherited; *entry; entry += TextLength(entry) + 1) {
    const size_t entryLength = TextLength(entry);
    if (entry[0] == u'=') continue;  // a drive's current folder
    size_t nameLength = 0;
    while (nameLength < entryLength && entry[nameLength] != u'=') ++nameLength;
    bool replaced = false;
    for (const Replacement& replacement : replacements) {
      replaced = replaced || SameName(entry, nameLength, replacement.name);
    }
    if (replaced) continue;
    for (; next < kReplacements &&
           CompareNames(replacements[next].name, TextLength(replacements[next].name), entry,
                        nameLength) < 0;
         ++next) {
      if (!AppendEntry(block, replacements[next].name, replacements[next].value)) return false;
    }
    if (!block.Append(entry, entryLength + 1)) return false;
  }
  for (; next < kReplacements; ++next) {
    if (!AppendEntry(block, replacements[next].name, replacements[next].value)) return false;
  }
  return block.Append(Unit{0});
}

}  // namespace quillane
