// What every program the elevated run starts receives as its environment.
// The installer's own environment is the user's: on Windows an elevated
// program of the same user takes TEMP, TMP, PATH and the rest from
// HKCU\Environment, which that user's unelevated programs write. Where a
// started program puts its files (TEMP, TMP), where it finds libraries and
// programs by name (PATH), and what it takes for the Windows folder (windir,
// SystemRoot, ComSpec) therefore come from the machine and the run instead.
#pragma once

#include "base/wide_string.h"

namespace quillane {

// The values set for every started program.
struct StartFolders {
  const Unit* windowsFolder;    // as GetSystemWindowsDirectoryW gives it
  const Unit* temporaryFolder;  // the run's own, beside the working root
  const Unit* machinePath;      // the machine's own PATH, expanded
};

// The machine's PATH from the text stored in the system environment
// (`stored`, `length` units, not necessarily terminated): %SystemRoot%,
// %windir% and %SystemDrive% (any case) become the Windows folder and its
// drive; any other reference stays as written, as Windows leaves a name it
// does not know. With nothing stored, the system folder and the Windows
// folder. False when memory runs out.
bool ComposeMachinePath(const Unit* stored, size_t length, const Unit* windowsFolder,
                        WideString& path);

// The environment block for a started program: every "name=value" entry of
// `inherited` (a block of NUL-terminated entries that ends with an empty
// one) in its order, except TEMP, TMP, Path, windir, SystemRoot and ComSpec
// (names compared without regard to the case of ASCII letters) and the
// per-drive current folders ("=C:=C:\..."), which would carry the
// installer's current folder; then those six from `folders`, each where it
// sorts among the names. NUL-terminated entries and an empty one at the end.
// False when memory runs out.
bool ComposeStartEnvironment(const Unit* inherited, const StartFolders& folders, WideString& block);

}  // namespace quillane
