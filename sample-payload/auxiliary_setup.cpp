// Stand-in for the auxiliary setups of the sample payload (the 32-bit and
// the 64-bit one are the same program). Settings of its own:
//   QUILLANE_SAMPLE_AUX_REPORT  file to append "aux=<program>|<command line>"
//                               and "aux-file=<name>" for each file beside it,
//                               then what it was started with ("aux-env-TEMP=")
//   QUILLANE_SAMPLE_AUX_EXIT    its process exit code (default 0)
#include "standin_common.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t program[MAX_PATH];
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  std::wstring name = program;
  name = name.substr(name.find_last_of(L'\\') + 1);
  std::string report = "aux=" + standin::Utf8(name) + "|" + standin::Utf8(GetCommandLineW()) + "\n";
  WIN32_FIND_DATAW entry;
  HANDLE listing = FindFirstFileW((standin::OwnFolder() + L"\\*").c_str(), &entry);
  if (listing != INVALID_HANDLE_VALUE) {
    do {
      if (entry.cFileName[0] == L'.') continue;
      report += "aux-file=" + standin::Utf8(entry.cFileName) + "\n";
    } while (FindNextFileW(listing, &entry));
    FindClose(listing);
  }
  report += standin::StartReport("aux-");
  standin::AppendReport(L"QUILLANE_SAMPLE_AUX_REPORT", report);
  return static_cast<int>(standin::SettingNumber(L"QUILLANE_SAMPLE_AUX_EXIT", 0));
}
