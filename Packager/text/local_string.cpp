#include "text/local_string.h"

#include "text/string_block.h"

namespace quillane {

WideString LoadStringFromTable(HMODULE module, uint32_t id, uint16_t language) {
  HRSRC found = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(StringBlockNumber(id) & 0xFFFF),
                                language);
  if (!found) return WideString();
  HGLOBAL loaded = LoadResource(module, found);
  if (!loaded) return WideString();
  const void* block = LockResource(loaded);
  return ReadStringBlockEntry(block, SizeofResource(module, found), StringBlockIndex(id));
}

WideString LoadLocalString(uint32_t id) {
  return LoadStringFromTable(GetModuleHandleW(nullptr), id,
                             StringTableLanguage(GetUserDefaultLangID()));
}

}  // namespace quillane
