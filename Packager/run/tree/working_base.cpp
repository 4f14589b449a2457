#include "run/tree/working_base.h"

namespace quillane {

WideString ChooseWorkingBase(const Unit* windowsFolder) {
  WideString base;
  if (!IsAbsoluteDrivePath(windowsFolder)) return base;
  const size_t length = TextLength(windowsFolder);
  const bool endsWithSeparator = windowsFolder[length - 1] == u'\\';
  if (!base.Assign(windowsFolder, length) ||
      !base.Append(endsWithSeparator ? u"Temp\\" : u"\\Temp\\")) {
    base.Clear();
  }
  return base;
}

}  // namespace quillane
