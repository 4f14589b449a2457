// Stand-in for the older driver package's clean-up library. Each call of its
// export appends "cleanup-called" to the file QUILLANE_SAMPLE_CLEANUP_REPORT.
// With QUILLANE_SAMPLE_CLEANUP_LOAD set, the call also loads that library by
// name, as real code loads a library on demand, and reports where it came
// from ("cleanup-loaded=<path>", or "none"): the process's search decides.
#include "standin_common.h"

// No arguments, so the caller may take it as either calling convention.
extern "C" int RCVCLN_UninstKPCOMUSB() {
  standin::AppendReport(L"QUILLANE_SAMPLE_CLEANUP_REPORT", "cleanup-called\n");
  const std::string loaded = standin::LoadNamedLibrary(L"QUILLANE_SAMPLE_CLEANUP_LOAD");
  if (!loaded.empty()) {
    standin::AppendReport(L"QUILLANE_SAMPLE_CLEANUP_REPORT", "cleanup-loaded=" + loaded + "\n");
  }
  return 1;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
