#include "text/catalogue.h"

#include "text/languages.h"

namespace quillane {
namespace {

struct CatalogueEntry {
  int32_t code;
  const Unit* texts[4];  // in the order of CatalogueLanguage
};

const CatalogueEntry kCatalogue[] = {
    {101,
     {u"This installer is already running.", u"本インストーラはすでに起動しています。",
      u"安装程序已经运行。", u"安裝程序已經進行中。"}},
    {102,
     {u"This operating system is not supported.\r\nInstallation canceled.",
      u"サポート対象外のOSの為、インストールできません。\r\nインストールを中止します。",
      u"此操作系统不被支持。\r\n安装中止。", u"此作業系統不被支援。\r\n安裝中止。"}},
    {104,
     {u"Please log on administrator account.", u"管理者権限で実行してください。",
      u"请登录管理员帐户。", u"請使用管理員帳號登入。"}},
    {1001, {u"Installation failed.", u"インストールに失敗しました。", u"安装失败。", u"安裝失敗。"}},
};
constexpr int kCatalogueSize = sizeof(kCatalogue) / sizeof(kCatalogue[0]);

// Process-wide: the four texts of the run's language, and the scratch string
// through which GetResultMessage forms its answer. Constant-initialised, as
// the installer runs no initialising code before its entry point.
constinit WideString catalogueStrings[kCatalogueSize];
constinit WideString resultMessageScratch;

int CatalogueIndex(int32_t code) {
  for (int index = 0; index < kCatalogueSize; ++index) {
    if (kCatalogue[index].code == code) return index;
  }
  return -1;
}

}  // namespace

CatalogueLanguage ChooseCatalogueLanguage(uint16_t userLanguage) {
  return FindUserLanguage(userLanguage).catalogue;
}

const Unit* CatalogueText(int32_t code, CatalogueLanguage language) {
  int index = CatalogueIndex(code);
  return index < 0 ? nullptr : kCatalogue[index].texts[static_cast<int>(language)];
}

void InitMessageCatalogue(uint16_t userLanguage) {
  CatalogueLanguage language = ChooseCatalogueLanguage(userLanguage);
  for (int index = 0; index < kCatalogueSize; ++index) {
    catalogueStrings[index].Assign(kCatalogue[index].texts[static_cast<int>(language)]);
  }
}

WideString GetResultMessage(int32_t code) {
  int index = CatalogueIndex(code);
  if (index < 0) {
    resultMessageScratch.Clear();
  } else {
    resultMessageScratch = catalogueStrings[index];
  }
  return resultMessageScratch;
}

}  // namespace quillane
