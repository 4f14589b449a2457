#include "text/languages.h"

namespace quillane {
namespace {

// English first: the row of every LANGID that has none of its own.
constexpr UserLanguage kUserLanguages[] = {
    {0x0409, u"-l0x0409", CatalogueLanguage::English, kEnglishTable},
    {0x0411, u"-l0x0411", CatalogueLanguage::Japanese, kJapaneseTable},
    {0x0804, u"-l0x0804", CatalogueLanguage::SimplifiedChinese, kEnglishTable},
    {0x0404, u"-l0x0404", CatalogueLanguage::TraditionalChinese, kEnglishTable},
};

}  // namespace

const UserLanguage& FindUserLanguage(uint16_t langId) {
  for (const UserLanguage& language : kUserLanguages) {
    if (language.langId == langId) return language;
  }
  return kUserLanguages[0];
}

}  // namespace quillane
