#include "run/tree/unpack.h"

#include "base/win32.h"
#include "run/tree/extract.h"
#include "run/tree/payload_table.h"
#include "text/local_string.h"

namespace quillane {
namespace {

bool WriteRows(const PayloadRow* rows, size_t count,
               const WideString (&folders)[kTreeFolderCount]) {
  for (size_t index = 0; index < count; ++index) {
    const PayloadRow& row = rows[index];
    WideString name = LoadLocalString(row.nameId);
    if (name.Empty() || ExtractResourceToFile(AsWide(folders[row.folder].CStr()), row.resourceId,
                                              AsWide(name.CStr())) != 0) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool UnpackInstallPayload(const WideString& workingRoot) {
  WideString folders[kTreeFolderCount];
  if (!BuildFolderPaths(workingRoot, folders)) return false;
  for (const FolderRow& row : kSubFolders) {
    if (!CreateDirectoryW(AsWide(folders[row.folder].CStr()), nullptr)) {
      return false;
    }
  }
  return WriteRows(kInstallPayload, kInstallPayloadSize, folders);
}

bool UnpackCleanupPayload(const WideString& workingRoot) {
  WideString folders[kTreeFolderCount];
  return folders[kRootFolder].Assign(workingRoot.CStr(), workingRoot.Length()) &&
         WriteRows(kCleanupPayload, kCleanupPayloadSize, folders);
}

}  // namespace quillane
