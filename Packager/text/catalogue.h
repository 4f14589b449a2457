// The error texts the user may see in the one message box, in the user's
// language; fixed in the program rather than in its resources.
#pragma once

#include <cstdint>

#include "base/wide_string.h"
#include "text/catalogue_language.h"

namespace quillane {

// By the whole LANGID: 0x0411, 0x0404 and 0x0804 have their own texts, every
// other value (other Chinese sublanguages included) gets English.
CatalogueLanguage ChooseCatalogueLanguage(uint16_t userLanguage);

// The fixed text of a catalogue code (101, 102, 104, 1001) in a language;
// null for any other code.
const Unit* CatalogueText(int32_t code, CatalogueLanguage language);

// The run's catalogue: the language of every text it shows. The texts stay
// in the program's constant table; nothing is copied.
struct MessageCatalogue {
  CatalogueLanguage language;
};

// The catalogue for the user's language, made once at the start of a run.
MessageCatalogue InitMessageCatalogue(uint16_t userLanguage);

// The catalogue text for a result code, or empty for a code outside it.
WideString GetResultMessage(const MessageCatalogue& catalogue, int32_t code);

}  // namespace quillane
