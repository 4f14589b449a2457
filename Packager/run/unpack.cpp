#include "run/unpack.h"

#include "base/win32.h"
#include "run/extract.h"
#include "run/manifest.h"
#include "text/local_string.h"

namespace quillane {
namespace {

void WriteRows(const ManifestRow* rows, size_t count, const WideString (&folders)[kTreeFolderCount]) {
  for (size_t index = 0; index < count; ++index) {
    const ManifestRow& row = rows[index];
    WideString name = LoadLocalString(row.nameId);
    ExtractResourceToFile(AsWide(folders[static_cast<size_t>(row.folder)].CStr()), row.resourceId,
                          AsWide(name.CStr()));
  }
}

}  // namespace

void UnpackInstallPayload(const WideString& workingRoot) {
  WideString folders[kTreeFolderCount];
  if (!BuildFolderPaths(workingRoot, folders)) return;
  for (const FolderRow& row : kSubFolders) {
    CreateDirectoryW(AsWide(folders[static_cast<size_t>(row.folder)].CStr()), nullptr);
  }
  WriteRows(kInstallManifest, kInstallManifestSize, folders);
}

void UnpackCleanupPayload(const WideString& workingRoot) {
  WideString folders[kTreeFolderCount];
  if (!folders[static_cast<size_t>(TreeFolder::Root)].Assign(workingRoot.CStr(),
                                                             workingRoot.Length())) {
    return;
  }
  WriteRows(kCleanupManifest, kCleanupManifestSize, folders);
}

}  // namespace quillane
