#include "probe/wow64_probe.h"

namespace quillane {

int IsWow64() {
  using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
  BOOL answer = FALSE;
  auto isWow64Process = LookUpKernelExport<IsWow64ProcessFunction>("IsWow64Process");
  if (!isWow64Process) return 0;
  if (!isWow64Process(GetCurrentProcess(), &answer)) return 0;
  return answer ? 1 : 0;
}

}  // namespace quillane
