// The installer's entry point. The program carries no C runtime start-up of
// its own (it would double the stub's code): the platform calls this
// function directly, and the C library it uses initialises itself.
#include "base/win32.h"
#include "run/command_line.h"
#include "run/launch/library_search.h"
#include "run/run_sequence.h"

extern "C" void InstallerEntry() {
  // Before anything else loads a library on demand: the folder the
  // installer was started from is never searched.
  quillane::RestrictLibrarySearch();
  const wchar_t* arguments =
      quillane::AsWide(quillane::SkipProgramName(quillane::AsUnits(GetCommandLineW())));
  ExitProcess(static_cast<UINT>(quillane::RunInstaller(GetModuleHandleW(nullptr), arguments)));
}
