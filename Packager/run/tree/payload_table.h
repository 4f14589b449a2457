// The working tree and the payload table: which folders are made, and
// which carried file (RCDATA id, file-name string id) goes into which folder,
// in the order of writing.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/wide_string.h"
#include "res/resource_ids.h"
#include "tree_folders.h"  // generated from payload.txt

namespace quillane {

// A folder of the tree by its index: 0 is the working root, and every other
// folder comes after the folder that holds it.
using TreeFolder = uint8_t;
constexpr TreeFolder kRootFolder = 0;

// A sub-folder of the tree: its parent and the suffix appended to the
// parent's path. First-level suffixes have no backslash, since the root
// already ends with one.
struct FolderRow {
  TreeFolder folder;
  TreeFolder parent;
  const Unit* suffix;
};
// The sub-folders in the order of creation, from payload.txt's paths.
extern const FolderRow kSubFolders[kTreeFolderCount - 1];

struct PayloadRow {
  TreeFolder folder;
  uint16_t resourceId;
  uint16_t nameId;
};
extern const PayloadRow kInstallPayload[];
extern const size_t kInstallPayloadSize;
extern const PayloadRow kCleanupPayload[];
extern const size_t kCleanupPayloadSize;

// The product code's string, which names the working root. The file-name
// strings of the programs the run starts or loads (kInnerSetupNameId,
// kAuxiliarySetup32NameId, kAuxiliarySetup64NameId, kCleanupLibraryNameId)
// come from payload.txt with the folder count.
constexpr uint32_t kProductCodeId = QUILLANE_STRING_PRODUCT_CODE;

// The path of every folder of the tree under workingRoot, indexed by
// TreeFolder; false when memory ran out.
bool BuildFolderPaths(const WideString& workingRoot, WideString (&paths)[kTreeFolderCount]);

}  // namespace quillane
