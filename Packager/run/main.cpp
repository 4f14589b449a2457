// The installer's entry point. The program carries no C runtime start-up of
// its own (it would double the stub's code): the platform calls this
// function directly, and the C library it uses initialises itself.
#include "base/win32.h"
#include "run/command_line.h"
#include "run/launch/library_search.h"
#include "run/run_sequence.h"

#ifdef QUILLANE_COVERAGE
// The coverage build only: without the C runtime's start-up nothing runs the
// constructors that register the gcov counters, and ExitProcess writes none.
extern "C" void __main();
extern "C" void __gcov_dump();

// __main registers the destructors' pass with atexit, which the system's C
// library exports to its own start-up only. Like the shipping program, this
// one runs no destructors: the counters are written by __gcov_dump.
extern "C" int __cdecl atexit(void(__cdecl*)()) { return 0; }
#endif

extern "C" void InstallerEntry() {
#ifdef QUILLANE_COVERAGE
  __main();
#endif
  // Before anything else loads a library on demand: the folder the
  // installer was started from is never searched.
  quillane::RestrictLibrarySearch();
  const wchar_t* arguments =
      quillane::AsWide(quillane::SkipProgramName(quillane::AsUnits(GetCommandLineW())));
  const int result = quillane::RunInstaller(GetModuleHandleW(nullptr), arguments);
#ifdef QUILLANE_COVERAGE
  __gcov_dump();
#endif
  ExitProcess(static_cast<UINT>(result));  // GCOVR_EXCL_LINE: runs after the counters are written
}
