#include <gtest/gtest.h>

#include <string>

#include "base/wide_string.h"
#include "text.h"
#include "text/catalogue.h"

namespace quillane {
namespace {

struct TextCase {
  int32_t code;
  CatalogueLanguage language;
  const char16_t* text;
};

constexpr CatalogueLanguage kEn = CatalogueLanguage::English;
constexpr CatalogueLanguage kJa = CatalogueLanguage::Japanese;
constexpr CatalogueLanguage kSc = CatalogueLanguage::SimplifiedChinese;
constexpr CatalogueLanguage kTc = CatalogueLanguage::TraditionalChinese;

const TextCase kTexts[] = {
    {101, kEn, u"This installer is already running."},
    {101, kJa, u"本インストーラはすでに起動しています。"},
    {101, kSc, u"安装程序已经运行。"},
    {101, kTc, u"安裝程序已經進行中。"},
    {102, kEn, u"This operating system is not supported.\r\nInstallation canceled."},
    {102, kJa, u"サポート対象外のOSの為、インストールできません。\r\nインストールを中止します。"},
    {102, kSc, u"此操作系统不被支持。\r\n安装中止。"},
    {102, kTc, u"此作業系統不被支援。\r\n安裝中止。"},
    {104, kEn, u"Please log on administrator account."},
    {104, kJa, u"管理者権限で実行してください。"},
    {104, kSc, u"请登录管理员帐户。"},
    {104, kTc, u"請使用管理員帳號登入。"},
    {1001, kEn, u"Installation failed."},
    {1001, kJa, u"インストールに失敗しました。"},
    {1001, kSc, u"安装失败。"},
    {1001, kTc, u"安裝失敗。"},
};

TEST(MessageCatalogue, FixedTextsAndLengths) {
  for (const TextCase& row : kTexts) {
    SCOPED_TRACE(testing::Message() << row.code << " / " << static_cast<int>(row.language));
    const Unit* text = CatalogueText(row.code, row.language);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::u16string(text), row.text);
  }
  EXPECT_EQ(CatalogueText(0, kEn), nullptr);
  EXPECT_EQ(CatalogueText(103, kJa), nullptr);
  EXPECT_EQ(CatalogueText(106, kSc), nullptr);
}

TEST(MessageCatalogue, LanguageByWholeLangId) {
  EXPECT_EQ(ChooseCatalogueLanguage(0x0411), kJa);
  EXPECT_EQ(ChooseCatalogueLanguage(0x0404), kTc);
  EXPECT_EQ(ChooseCatalogueLanguage(0x0804), kSc);
  // Other Chinese and Japanese values, neutral ones included, and German.
  for (uint16_t other : {0x0409, 0x0C04, 0x1004, 0x1404, 0x0004, 0x0011, 0x0407, 0x0000}) {
    EXPECT_EQ(ChooseCatalogueLanguage(other), kEn) << std::hex << other;
  }
}

TEST(MessageCatalogue, ResultMessagesInTheChosenLanguage) {
  struct {
    uint16_t langId;
    CatalogueLanguage language;
  } const runs[] = {{0x0411, kJa}, {0x0804, kSc}, {0x0404, kTc}, {0x0C04, kEn}, {0x0407, kEn}};
  for (const auto& run : runs) {
    const MessageCatalogue catalogue = InitMessageCatalogue(run.langId);
    for (const TextCase& row : kTexts) {
      if (row.language != run.language) continue;
      EXPECT_EQ(Text(GetResultMessage(catalogue, row.code)), row.text) << std::hex << run.langId;
    }
  }
}

TEST(MessageCatalogue, CodesOutsideTheCatalogueAreEmpty) {
  const MessageCatalogue catalogue = InitMessageCatalogue(0x0409);
  for (int32_t code : {0, 106, 107, 103, 1002, -1}) {
    EXPECT_EQ(Text(GetResultMessage(catalogue, code)), u"") << code;
  }
}

TEST(MessageCatalogue, UnsupportedOsInEnglishIsTwoLines) {
  std::u16string message = Text(GetResultMessage(InitMessageCatalogue(0x0409), 102));
  size_t breakAt = message.find(u"\r\n");
  ASSERT_NE(breakAt, std::u16string::npos);
  EXPECT_EQ(message.substr(0, breakAt), u"This operating system is not supported.");
  EXPECT_EQ(message.substr(breakAt + 2), u"Installation canceled.");
  EXPECT_EQ(message.find_first_of(u"\r\n", breakAt + 2), std::u16string::npos);
}

}  // namespace
}  // namespace quillane
