#include <gtest/gtest.h>

#include <cstdlib>

#include "text/catalogue.h"
#include "text/local_string.h"
#include "text/string_block.h"

using quillane::LoadLocalString;
using quillane::LoadStringFromTable;
using quillane::WideString;

namespace {

HMODULE Self() { return GetModuleHandleW(nullptr); }

std::u16string Text(const WideString& text) { return std::u16string(text.CStr(), text.Length()); }

std::u16string Load(uint32_t id, uint16_t language) {
  return Text(LoadStringFromTable(Self(), id, language));
}

struct Entry {
  uint32_t id;
  const char16_t* text;
};

// The texts every table holds alike.
const Entry kSharedEntries[] = {
    {60, u"VARNO Quillane Ver.7.10a"}, {111, u"Quillane Installer"},
    {123, u"{6F1C2A90-4B7E-4D35-9C21-0A8E5B3D7F64}"},
    {114, u"setup.exe"}, {116, u"data1.cab"}, {117, u"data1.hdr"}, {118, u"data2.cab"},
    {119, u"ISSetup.dll"}, {120, u"layout.bin"}, {121, u"setup.ini"}, {122, u"setup.inx"},
    {124, u"0x0409.ini"}, {125, u"0x0411.ini"}, {126, u"ReadMeE.txt"},
    {127, u"Quillane_User'sManual.pdf"}, {128, u"ReadMeJ.txt"},
    {129, u"Quillane_User'sManual.pdf"}, {130, u"readme_e.txt"}, {131, u"readme_j.txt"},
    {132, u"Setup.exe"}, {133, u"DPInst.exe"}, {134, u"dpinst.xml"}, {135, u"licenseE.txt"},
    {136, u"licenseJ.txt"}, {137, u"kpusb64.cat"}, {138, u"KPUSB64.INF"}, {139, u"kpusb64.sys"},
    {140, u"DPInst.exe"}, {141, u"dpinst.xml"}, {142, u"licenseE.txt"}, {143, u"licenseJ.txt"},
    {144, u"kpusbxp.cat"}, {145, u"KPUSB90.INF"}, {146, u"kpusbxp.sys"}, {147, u"VrnCe.sys"},
    {148, u"VrnCe.sys"}, {149, u"0x0404.ini"}, {150, u"0x0804.ini"}, {151, u"ReadMeE.txt"},
    {152, u"Quillane_User'sManual.pdf"}, {153, u"ReadMeE.txt"},
    {154, u"Quillane_User'sManual.pdf"}, {155, u"VRESetup32.exe"}, {156, u"VRESetup64.exe"},
    {157, u"KPCOMUSBCLN.dll"},
};

const Entry kEnglishMessages[] = {
    {101, u"This installer is already running."},
    {102, u"This operating system is not supported.\r\nInstallation canceled."},
    {104, u"Please log on administrator account."},
    {1001, u"Installation failed."},
};
const Entry kJapaneseMessages[] = {
    {101, u"本インストーラはすでに起動しています。"},
    {102, u"サポート対象外のOSの為、インストールできません。\r\nインストールを中止します。"},
    {104, u"管理者権限で実行してください。"},
    {1001, u"インストールに失敗しました。"},
};

TEST(StringTables, BothTablesHoldTheSameNamesAndWindowTexts) {
  for (uint16_t language : {quillane::kEnglishTable, quillane::kJapaneseTable}) {
    for (const Entry& entry : kSharedEntries) {
      EXPECT_EQ(Load(entry.id, language), entry.text) << "id " << entry.id << " lang " << language;
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
    EXPECT_EQ(Load(115, language), u"");   // empty entry of an existing block
    EXPECT_EQ(Load(112, language), u"");
    EXPECT_EQ(Load(5, language), u"");     // block 1 does not exist
    EXPECT_EQ(Load(1168, language), u"");  // never read, so not carried
  }
  // Only the exact language is looked up; no other table stands in.
  EXPECT_EQ(Load(111, 0x0407), u"");
  EXPECT_EQ(Load(111, 0x0809), u"");
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
  EXPECT_EQ(Text(LoadLocalString(111)), u"Quillane Installer");

  const quillane::MessageCatalogue catalogue =
      quillane::InitMessageCatalogue(GetUserDefaultLangID());
  const char16_t* installFailed = expected == 0x0411   ? u"インストールに失敗しました。"
                                  : expected == 0x0804 ? u"安装失败。"
                                  : expected == 0x0404 ? u"安裝失敗。"
                                                       : u"Installation failed.";
  EXPECT_EQ(Text(quillane::GetResultMessage(catalogue, 1001)), installFailed);
}

}  // namespace
