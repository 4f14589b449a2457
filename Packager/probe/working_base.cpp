#include "probe/working_base.h"

namespace quillane {

WideString ChooseWorkingBase(const Unit* temporaryFolder, const Unit* windowsFolder) {
  WideString temporary(temporaryFolder);
  if (temporary == windowsFolder) return WideString();
  return temporary;
}

}  // namespace quillane
