# The payload manifest (Packager/res/payload.txt), read once at configure
# time. It gives the unpacker's tables of folders and files
# (payload_manifest.inc, tree_folders.h) and the resource script that embeds
# each file as RCDATA (payload.rc), so they can never disagree.
set(QUILLANE_MANIFEST_FILE ${CMAKE_SOURCE_DIR}/Packager/res/payload.txt)
set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${QUILLANE_MANIFEST_FILE})

# Index of a tree folder (a path below the working root with "/" between
# folders; "" is the root, index 0) in _tree_folders, adding it and the
# folders above it first, so that every folder comes after its parent. The
# list holds each folder as "@" + its path, since a CMake list cannot hold
# an empty text.
function(_quillane_tree_folder folder out_index)
  list(FIND _tree_folders "@${folder}" index)
  if(index EQUAL -1)
    if(folder STREQUAL "")
      set(parent_index 0)
    else()
      get_filename_component(parent "${folder}" DIRECTORY)
      _quillane_tree_folder("${parent}" parent_index)
    endif()
    get_filename_component(name "${folder}" NAME)
    list(LENGTH _tree_folders index)
    list(APPEND _tree_folders "@${folder}")
    # The root has no row of its own: it is made before the tree. A
    # first-level folder follows the root's own backslash.
    if(folder STREQUAL "")
    elseif(parent STREQUAL "")
      string(APPEND _folder_rows "    {${index}, ${parent_index}, u\"${name}\"},\n")
    else()
      string(APPEND _folder_rows "    {${index}, ${parent_index}, u\"\\\\${name}\"},\n")
    endif()
    set(_tree_folders "${_tree_folders}" PARENT_SCOPE)
    set(_folder_rows "${_folder_rows}" PARENT_SCOPE)
  endif()
  set(${out_index} ${index} PARENT_SCOPE)
endfunction()

# Fills QUILLANE_PAYLOAD_IDS and QUILLANE_PAYLOAD_PATHS (parallel lists, in
# the manifest's order) and writes into out_dir the unpacker's tables
# (payload_manifest.inc) and the number of tree folders (tree_folders.h).
# Each file's folder is the folder its path names.
function(quillane_read_manifest out_dir)
  file(STRINGS ${QUILLANE_MANIFEST_FILE} lines REGEX "^(install|cleanup)[ \t]")
  set(_tree_folders "")
  set(_folder_rows "")
  _quillane_tree_folder("" root_index)
  set(install_rows "")
  set(cleanup_rows "")
  set(ids "")
  set(paths "")
  foreach(line IN LISTS lines)
    string(REGEX MATCH "^([a-z]+)[ \t]+([0-9]+)[ \t]+([0-9]+)[ \t]+(.+)$" _ "${line}")
    if(NOT CMAKE_MATCH_4)
      message(FATAL_ERROR "Malformed manifest row: ${line}")
    endif()
    set(set_name ${CMAKE_MATCH_1})
    set(id ${CMAKE_MATCH_2})
    set(name_id ${CMAKE_MATCH_3})
    string(STRIP "${CMAKE_MATCH_4}" path)
    if(path MATCHES "(^|/)\\.\\.?(/|$)|^/|\\\\|//")
      message(FATAL_ERROR "A manifest path must lie below the payload folder: ${line}")
    endif()
    get_filename_component(folder "${path}" DIRECTORY)
    _quillane_tree_folder("${folder}" folder_index)
    string(APPEND ${set_name}_rows "    {${folder_index}, ${id}, ${name_id}},\n")
    list(APPEND ids ${id})
    list(APPEND paths "${path}")
  endforeach()
  list(LENGTH _tree_folders folder_count)
  set(text "// Generated from Packager/res/payload.txt; do not edit.\n")
  string(APPEND text "const FolderRow kSubFolders[kTreeFolderCount - 1] = {\n${_folder_rows}};\n")
  string(APPEND text "const ManifestRow kInstallManifest[] = {\n${install_rows}};\n")
  string(APPEND text "const size_t kInstallManifestSize = sizeof(kInstallManifest) / sizeof(kInstallManifest[0]);\n")
  string(APPEND text "const ManifestRow kCleanupManifest[] = {\n${cleanup_rows}};\n")
  string(APPEND text "const size_t kCleanupManifestSize = sizeof(kCleanupManifest) / sizeof(kCleanupManifest[0]);\n")
  file(CONFIGURE OUTPUT ${out_dir}/payload_manifest.inc CONTENT "${text}" @ONLY)
  set(header "// Generated from Packager/res/payload.txt; do not edit.\n#pragma once\n\n#include <cstddef>\n\n")
  string(APPEND header "namespace quillane {\n\n// The working root and the folders below it.\nconstexpr size_t kTreeFolderCount = ${folder_count};\n\n}  // namespace quillane\n")
  file(CONFIGURE OUTPUT ${out_dir}/tree_folders.h CONTENT "${header}" @ONLY)
  set(QUILLANE_PAYLOAD_IDS "${ids}" PARENT_SCOPE)
  set(QUILLANE_PAYLOAD_PATHS "${paths}" PARENT_SCOPE)
endfunction()

# Writes payload.rc embedding every manifest file of payload_dir; stops the
# configure step with one message naming every missing file.
function(quillane_write_payload_rc payload_dir rc_file check_now)
  set(text "// Generated from Packager/res/payload.txt; do not edit.\nLANGUAGE 0x09, 0x01\n")
  set(missing "")
  set(files "")
  foreach(id path IN ZIP_LISTS QUILLANE_PAYLOAD_IDS QUILLANE_PAYLOAD_PATHS)
    set(full "${payload_dir}/${path}")
    if(check_now AND NOT EXISTS "${full}")
      string(APPEND missing "\n  ${full}")
    endif()
    string(APPEND text "${id} RCDATA \"${full}\"\n")
    list(APPEND files "${full}")
  endforeach()
  if(missing)
    message(FATAL_ERROR "The payload folder ${payload_dir} lacks these files:${missing}")
  endif()
  file(CONFIGURE OUTPUT ${rc_file} CONTENT "${text}" @ONLY)
  set(QUILLANE_PAYLOAD_FILES "${files}" PARENT_SCOPE)
endfunction()
