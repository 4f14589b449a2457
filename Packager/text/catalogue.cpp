#include "text/catalogue.h"

#include "base/result_code.h"
#include "text/languages.h"

namespace quillane {
namespace {

struct CatalogueEntry {
  int32_t code;
  const Unit* texts[4];  // in the order of CatalogueLanguage
};

const CatalogueEntry kCatalogue[] = {
    {kAlreadyRunning,
     {u"This installer is already running.", u"本インストーラはすでに起動しています。",
      u"安装程序已经运行。", u"安裝程序已經進行中。"}},
    {kUnsupportedOs,
     {u"This operating system is not supported.\r\nInstallation canceled.",
      u"サポート対象外のOSの為、インストールできません。\r\nインストールを中止します。",
      u"此操作系统不被支持。\r\n安装中止。", u"此作業系統不被支援。\r\n安裝中止。"}},
    {kNotAdministrator,
     {u"Please log on administrator account.", u"管理者権限で実行してください。",
      u"请登录管理员帐户。", u"請使用管理員帳號登入。"}},
    {kInstallFailed,
     {u"Installation failed.", u"インストールに失敗しました。", u"安装失败。", u"安裝失敗。"}},
};
constexpr int kCatalogueSize = sizeof(kCatalogue) / sizeof(kCatalogue[0]);

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

MessageCatalogue InitMessageCatalogue(uint16_t userLanguage) {
  return {ChooseCatalogueLanguage(userLanguage)};
}

WideString GetResultMessage(const MessageCatalogue& catalogue, int32_t code) {
  const Unit* text = CatalogueText(code, catalogue.language);
  return text ? WideString(text) : WideString();
}

}  // namespace quillane
