#include "run/cleanup_branch.h"

#include "run/tree/payload_table.h"

namespace quillane {

uint32_t ChooseAuxiliarySetupNameId(bool underWow64) {
  return underWow64 ? kAuxiliarySetup64NameId : kAuxiliarySetup32NameId;
}

bool ComposeLeftoverFolder(const WideString& programFolder, WideString& leftover) {
  return !programFolder.Empty() && leftover.Assign(programFolder.CStr(), programFolder.Length()) &&
         leftover.Append(u"\\VARNO");
}

}  // namespace quillane
