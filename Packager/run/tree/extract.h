// Writes one RCDATA resource of the program's own image to a file, byte for
// byte, straight from the mapped image.
#pragma once

#include <cstdint>

#include "base/win32.h"

namespace quillane {

// The target path is folder + "\" + name (a backslash is always inserted; a
// doubled one is harmless). It must fit 521 characters.
constexpr size_t kTargetPathUnits = 522;

// 0 when the file was created new and written whole, otherwise the system
// error code of the failing step: ERROR_FILENAME_EXCED_RANGE when the target
// path does not fit, with no file created; ERROR_FILE_EXISTS when something
// is already at the name; ERROR_DISK_FULL when fewer bytes were written than
// the resource holds.
DWORD ExtractResourceToFile(const wchar_t* folder, uint16_t resourceId, const wchar_t* name);

}  // namespace quillane
