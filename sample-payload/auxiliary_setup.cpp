// Stand-in for the auxiliary setups of the sample payload (the 32-bit and
// the 64-bit one are the same program). Settings of its own:
//   QUILLANE_SAMPLE_AUX_REPORT  file to append "aux=<program>|<command line>"
//   QUILLANE_SAMPLE_AUX_EXIT    its process exit code (default 0)
#include "standin_common.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t program[MAX_PATH];
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  std::wstring name = program;
  name = name.substr(name.find_last_of(L'\\') + 1);
  standin::AppendReport(L"QUILLANE_SAMPLE_AUX_REPORT", "aux=" + standin::Utf8(name) + "|" +
                                                           standin::Utf8(GetCommandLineW()) + "\n");
  return static_cast<int>(standin::SettingNumber(L"QUILLANE_SAMPLE_AUX_EXIT", 0));
}
