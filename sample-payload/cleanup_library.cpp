// Stand-in for the older driver package's clean-up library. Each call of its
// export appends "cleanup-called" to the file QUILLANE_SAMPLE_CLEANUP_REPORT.
#include "standin_common.h"

// No arguments, so the caller may take it as either calling convention.
extern "C" int RCVCLN_UninstKPCOMUSB() {
  standin::AppendReport(L"QUILLANE_SAMPLE_CLEANUP_REPORT", "cleanup-called\n");
  return 1;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
