// The layout of an RT_STRING resource block, read by hand so that the exact
// language's table is used and nothing is read past the block.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/wide_string.h"
#include "text/languages.h"

namespace quillane {

// Block N holds ids (N-1)*16 .. N*16-1.
inline uint32_t StringBlockNumber(uint32_t id) { return id / 16 + 1; }
inline uint32_t StringBlockIndex(uint32_t id) { return id % 16; }

// The Japanese table for a Japanese user (exactly 0x0411), otherwise English.
uint16_t StringTableLanguage(uint16_t userLanguage);

// Entry `index` of a block of `size` bytes: sixteen entries, each a 16-bit
// length L and L UTF-16 units. The text ends early at a NUL inside it; a
// block that is shorter than its entries claim gives the empty string.
WideString ReadStringBlockEntry(const void* block, size_t size, uint32_t index);

}  // namespace quillane
