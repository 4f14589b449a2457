#include "run/extract.h"

#include "base/path_buffer.h"

namespace quillane {

DWORD ExtractResourceToFile(const wchar_t* folder, uint16_t resourceId, const wchar_t* name) {
  PathBuffer<kTargetPathUnits> target;
  if (!target.Append(AsUnits(folder)) || !target.Append(u"\\") || !target.Append(AsUnits(name))) {
    return ERROR_FILENAME_EXCED_RANGE;
  }

  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(resourceId), RT_RCDATA);
  if (!found) return GetLastError();
  DWORD size = SizeofResource(nullptr, found);
  HGLOBAL loaded = LoadResource(nullptr, found);
  if (!loaded) return GetLastError();
  const void* bytes = LockResource(loaded);
  if (!bytes) return GetLastError();

  UniqueFile file(CreateFileW(AsWide(target.CStr()), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
  if (!file.Valid()) return GetLastError();
  DWORD written = 0;
  BOOL wrote = WriteFile(file.Get(), bytes, size, &written, nullptr);
  file.Reset();
  return wrote ? 0 : GetLastError();
}

}  // namespace quillane
