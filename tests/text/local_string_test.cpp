#include <gtest/gtest.h>

#include <cstdlib>

#include "import_patch.h"
#include "payload_files.h"  // generated from payload.txt
#include "res/resource_ids.h"
#include "text.h"
#include "text/catalogue.h"
#include "text/local_string.h"
#include "text/string_block.h"

using quillane::LoadLocalString;
using quillane::LoadStringFromTable;
using quillane::WideString;

namespace {

HMODULE Self() { return GetModuleHandleW(nullptr); }

std::u16string Load(uint32_t id, uint16_t language) {
  return Text(LoadStringFromTable(Self(), id, language));
}

struct Entry {
  uint32_t id;
  const char16_t* text;
};

// The texts every table holds alike, besides the carried files' names.
const Entry kSharedEntries[] = {
    {QUILLANE_STRING_CAPTION, u"" QUILLANE_CAPTION},
    {QUILLANE_STRING_GUARD_NAME, u"" QUILLANE_GUARD_NAME},
    {QUILLANE_STRING_PRODUCT_CODE, u"" QUILLANE_PRODUCT_CODE},
};

const Entry kEnglishMessages[] = {
    {QUILLANE_RESULT_ALREADY_RUNNING, u"This installer is already running."},
    {QUILLANE_RESULT_UNSUPPORTED_OS,
     u"This operating system is not supported.\r\nInstallation canceled."},
    {QUILLANE_RESULT_NOT_ADMINISTRATOR, u"Please log on administrator account."},
    {QUILLANE_RESULT_INSTALL_FAILED, u"Installation failed."},
};
const Entry kJapaneseMessages[] = {
    {QUILLANE_RESULT_ALREADY_RUNNING, u"本インストーラはすでに起動しています。"},
    {QUILLANE_RESULT_UNSUPPORTED_OS,
     u"サポート対象外のOSの為、インストールできません。\r\nインストールを中止します。"},
    {QUILLANE_RESULT_NOT_ADMINISTRATOR, u"管理者権限で実行してください。"},
    {QUILLANE_RESULT_INSTALL_FAILED, u"インストールに失敗しました。"},
};

TEST(StringTables, BothTablesHoldTheSameNamesAndWindowTexts) {
  for (uint16_t language : {quillane::kEnglishTable, quillane::kJapaneseTable}) {
    for (const Entry& entry : kSharedEntries) {
      EXPECT_EQ(Load(entry.id, language), entry.text) << "id " << entry.id << " lang " << language;
    }
    for (const quillane::PayloadFile& file : quillane::kPayloadFiles) {
      const std::u16string place = file.place;
      EXPECT_EQ(Load(file.nameId, language), place.substr(place.rfind(u'\\') + 1))
          << "id " << file.nameId << " lang " << language;
    }
  }
}

TEST(StringTables, MessagesDifferByTable) {
  for (const Entry& entry : kEnglishMessages) {
    EXPECT_EQ(Load(entry.id, quillane::kEnglishTable), entry.text) << entry.id;
  }
  for (const Entry& entry : kJapaneseMessages) {
    EXPECT_EQ(Load(entry.id, quillane::kJapaneseTable), entry.text) << entry.id;
  }
}

TEST(StringTables, EmptyMissingAndUnusedEntriesGiveEmptyText) {
  for (uint16_t language : {quillane::kEnglishTable, quillane::kJapaneseTable}) {
    EXPECT_EQ(Load(115, language), u"");  // empty entry of an existing block
    EXPECT_EQ(Load(112, language), u"");
    EXPECT_EQ(Load(5, language), u"");     // block 1 does not exist
    EXPECT_EQ(Load(1168, language), u"");  // never read, so not carried
  }
  // Only the exact language is looked up; no other table stands in.
  EXPECT_EQ(Load(QUILLANE_STRING_GUARD_NAME, 0x0407), u"");
  EXPECT_EQ(Load(111, 0x0809), u"");
  // A table that cannot be loaded holds nothing either.
  auto failing = FAIL_IMPORT("KERNEL32.dll", LoadResource, nullptr);
  EXPECT_EQ(Load(QUILLANE_STRING_GUARD_NAME, quillane::kEnglishTable), u"");
}

// The user's language as Wine takes it from LC_ALL. CTest runs this suite
// once per locale and names the LANGID to expect.
TEST(UserLanguage, LocalStringsAndCatalogueFollowTheUserLanguage) {
  const char* expectedText = std::getenv("QUILLANE_EXPECTED_LANGID");
  if (!expectedText) GTEST_SKIP() << "run by CTest with a locale";
  const unsigned long expected = std::strtoul(expectedText, nullptr, 16);
  ASSERT_EQ(GetUserDefaultLangID(), expected);

  const bool japanese = expected == 0x0411;
  const Entry* messages = japanese ? kJapaneseMessages : kEnglishMessages;
  for (int index = 0; index < 4; ++index) {
    EXPECT_EQ(Text(LoadLocalString(messages[index].id)), messages[index].text);
  }
  EXPECT_EQ(Text(LoadLocalString(QUILLANE_STRING_GUARD_NAME)), u"" QUILLANE_GUARD_NAME);

  const quillane::MessageCatalogue catalogue =
      quillane::InitMessageCatalogue(GetUserDefaultLangID());
  const char16_t* installFailed = expected == 0x0411 ? u"インストールに失敗しました。"
                                  : expected == 0x0804 ? u"安装失败。"
                                  : expected == 0x0404 ? u"安裝失敗。"
                                                       : u"Installation failed.";
  EXPECT_EQ(Text(quillane::GetResultMessage(catalogue, QUILLANE_RESULT_INSTALL_FAILED)),
            installFailed);
}

}  // namespace
