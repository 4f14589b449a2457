// Entries of the program's own string tables, read from the block of exactly
// one language: Japanese for a Japanese user, English for everybody else.
#pragma once

#include <cstdint>

#include "base/wide_string.h"
#include "base/win32.h"

namespace quillane {

// The text of string `id` in the user's table, or empty.
WideString LoadLocalString(uint32_t id);

// The text of string `id` in `module`'s table of exactly `language`, or empty
// when the block is missing in that language or the entry is empty.
WideString LoadStringFromTable(HMODULE module, uint32_t id, uint16_t language);

}  // namespace quillane
