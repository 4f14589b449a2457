#include "text/string_block.h"

#include <cstring>

namespace quillane {

uint16_t StringTableLanguage(uint16_t userLanguage) {
  return FindUserLanguage(userLanguage).stringTable;
}

WideString ReadStringBlockEntry(const void* block, size_t size, uint32_t index) {
  WideString result;
  if (!block || index >= 16) return result;
  const unsigned char* bytes = static_cast<const unsigned char*>(block);
  size_t units = size / sizeof(Unit);  // resource data is read as whole units
  size_t at = 0;
  // Every entry before the one asked for is passed over; the loop ends at
  // that one or at the end of the block.
  for (uint32_t entry = 0;; ++entry) {
    if (at >= units) return result;
    uint16_t length;
    std::memcpy(&length, bytes + at * sizeof(Unit), sizeof(length));
    ++at;
    if (length > units - at) return result;
    if (entry == index) {
      // Copied unit by unit: the block may not be aligned for char16_t.
      for (size_t unit = 0; unit < length; ++unit) {
        Unit value;
        std::memcpy(&value, bytes + (at + unit) * sizeof(Unit), sizeof(value));
        if (value == 0) break;
        result.Append(value);
      }
      return result;
    }
    at += length;
  }
}

}  // namespace quillane
