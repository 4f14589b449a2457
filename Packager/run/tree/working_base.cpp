#include "run/tree/working_base.h"

namespace quillane {

WideString ChooseWorkingBase(const Unit* windowsFolder) {
  WideString base;
  if (!IsAbsoluteDrivePath(windowsFolder)) return base;
  if (!base.Assign(windowsFolder) || !AppendPathPart(base, u"Temp\\")) base.Clear();
  return base;
}

}  // namespace quillane
