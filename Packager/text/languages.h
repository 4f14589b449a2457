// The user languages the installer knows, one row each: what each one means
// for the inner setup's language option, the message catalogue and the
// string table read. Every other LANGID is English.
#pragma once

#include <cstdint>

#include "base/wide_string.h"
#include "text/catalogue_language.h"

namespace quillane {

constexpr uint16_t kEnglishTable = 1033;
constexpr uint16_t kJapaneseTable = 1041;

struct UserLanguage {
  uint16_t langId;              // matched exactly, sublanguage included
  const Unit* setupOption;      // the inner setup's "-l" option
  CatalogueLanguage catalogue;  // the message box's texts
  uint16_t stringTable;         // the string table's language
};

// The row of the LANGID, or English's for any LANGID without a row.
const UserLanguage& FindUserLanguage(uint16_t langId);

}  // namespace quillane
