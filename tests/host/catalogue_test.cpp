#include <gtest/gtest.h>

#include <string>

#include "base/wide_string.h"
#include "text/catalogue.h"

namespace quillane {
namespace {

std::u16string Text(const WideString& text) { return {text.CStr(), text.Length()}; }

// The catalogue is process-wide. Every test here fills it through this
// wrapper, and no other test file of this program touches it, so the
// "before init" test can tell whether it really runs on an untouched one.
bool catalogueFilled = false;
void FillCatalogue(uint16_t userLanguage) {
  catalogueFilled = true;
  InitMessageCatalogue(userLanguage);
}

constexpr int32_t kCodes[] = {101, 102, 104, 1001};

// Must stay the first test of this file: tests run in file order.
TEST(MessageCatalogue, EmptyBeforeInit) {
  if (catalogueFilled) GTEST_SKIP() << "catalogue already filled (tests shuffled or reordered)";
  for (int32_t code : kCodes) EXPECT_EQ(Text(GetResultMessage(code)), u"") << code;
  EXPECT_EQ(Text(GetResultMessage(0)), u"");
}

struct TextCase {
  int32_t code;
  CatalogueLanguage language;
  const char16_t* text;
  size_t length;
};

constexpr CatalogueLanguage kEn = CatalogueLanguage::English;
constexpr CatalogueLanguage kJa = CatalogueLanguage::Japanese;
constexpr CatalogueLanguage kSc = CatalogueLanguage::SimplifiedChinese;
constexpr CatalogueLanguage kTc = CatalogueLanguage::TraditionalChinese;

const TextCase kTexts[] = {
    {101, kEn, u"This installer is already running.", 34},
    {101, kJa, u"本インストーラはすでに起動しています。", 19},
    {101, kSc, u"安装程序已经运行。", 9},
    {101, kTc, u"安裝程序已經進行中。", 10},
    {102, kEn, u"This operating system is not supported.\r\nInstallation canceled.", 63},
    {102, kJa, u"サポート対象外のOSの為、インストールできません。\r\nインストールを中止します。", 40},
    {102, kSc, u"此操作系统不被支持。\r\n安装中止。", 17},
    {102, kTc, u"此作業系統不被支援。\r\n安裝中止。", 17},
    {104, kEn, u"Please log on administrator account.", 36},
    {104, kJa, u"管理者権限で実行してください。", 15},
    {104, kSc, u"请登录管理员帐户。", 9},
    {104, kTc, u"請使用管理員帳號登入。", 11},
    {1001, kEn, u"Installation failed.", 20},
    {1001, kJa, u"インストールに失敗しました。", 14},
    {1001, kSc, u"安装失败。", 5},
    {1001, kTc, u"安裝失敗。", 5},
};

TEST(MessageCatalogue, FixedTextsAndLengths) {
  for (const TextCase& row : kTexts) {
    SCOPED_TRACE(testing::Message() << row.code << " / " << static_cast<int>(row.language));
    ASSERT_EQ(std::u16string(row.text).size(), row.length);  // the table itself
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
    FillCatalogue(run.langId);
    for (const TextCase& row : kTexts) {
      if (row.language != run.language) continue;
      EXPECT_EQ(Text(GetResultMessage(row.code)), row.text) << std::hex << run.langId;
    }
  }
}

TEST(MessageCatalogue, CodesOutsideTheCatalogueAreEmpty) {
  FillCatalogue(0x0409);
  for (int32_t code : {0, 106, 107, 103, 1002, -1}) {
    EXPECT_EQ(Text(GetResultMessage(code)), u"") << code;
  }
  // Neither an empty answer nor a change to a returned copy reaches the next one.
  WideString answer = GetResultMessage(1001);
  answer.Append(u"!");
  EXPECT_EQ(Text(GetResultMessage(1001)), u"Installation failed.");
}

TEST(MessageCatalogue, UnsupportedOsInEnglishIsTwoLines) {
  FillCatalogue(0x0409);
  std::u16string message = Text(GetResultMessage(102));
  size_t breakAt = message.find(u"\r\n");
  ASSERT_NE(breakAt, std::u16string::npos);
  EXPECT_EQ(message.substr(0, breakAt), u"This operating system is not supported.");
  EXPECT_EQ(message.substr(breakAt + 2), u"Installation canceled.");
  EXPECT_EQ(message.find_first_of(u"\r\n", breakAt + 2), std::u16string::npos);
}

}  // namespace
}  // namespace quillane
