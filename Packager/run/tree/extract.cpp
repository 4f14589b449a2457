#include "run/tree/extract.h"

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

  // Created as new: the working root is made new for each run, so anything
  // already at the name was not written by this run and is never kept.
  UniqueFile file(CreateFileW(AsWide(target.CStr()), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
  if (!file.Valid()) return GetLastError();
  // A full disk may answer a write with success and a short count.
  DWORD written = 0;
  if (!WriteFile(file.Get(), bytes, size, &written, nullptr)) return GetLastError();
  if (written != size) return ERROR_DISK_FULL;
  // Closing may be where a deferred write fails.
  return CloseHandle(file.Release()) ? 0 : GetLastError();
}

}  // namespace quillane
