// The installer's words in the user's language: CTest runs this suite once
// per locale and names the LANGID that Wine derives from it.
#include <gtest/gtest.h>

#include <cstdlib>

#include "installer_driver.h"
#include "res/resource_ids.h"
#include "run/tree/remove_tree.h"

using namespace quillane_test;

namespace {

struct LanguageTexts {
  unsigned langId;
  const wchar_t* option;
  const wchar_t* alreadyRunning;
  const wchar_t* unsupported;
};

const LanguageTexts kLanguages[] = {
    {0x0409, L"-l0x0409", L"This installer is already running.",
     L"This operating system is not supported.\r\nInstallation canceled."},
    {0x0411, L"-l0x0411", L"本インストーラはすでに起動しています。",
     L"サポート対象外のOSの為、インストールできません。\r\nインストールを中止します。"},
    {0x0804, L"-l0x0804", L"安装程序已经运行。", L"此操作系统不被支持。\r\n安装中止。"},
    {0x0404, L"-l0x0404", L"安裝程序已經進行中。", L"此作業系統不被支援。\r\n安裝中止。"},
    // Another Chinese sublanguage and another language fall back to English.
    {0x0C04, L"-l0x0409", L"This installer is already running.",
     L"This operating system is not supported.\r\nInstallation canceled."},
    {0x0407, L"-l0x0409", L"This installer is already running.",
     L"This operating system is not supported.\r\nInstallation canceled."},
};

const LanguageTexts* ExpectedLanguage() {
  const char* text = std::getenv("QUILLANE_EXPECTED_LANGID");
  if (!text) return nullptr;
  const unsigned langId = static_cast<unsigned>(std::strtoul(text, nullptr, 16));
  for (const LanguageTexts& language : kLanguages) {
    if (language.langId == langId) return &language;
  }
  return nullptr;
}

TEST(InstallerLanguage, MessagesAndSetupOptionFollowTheUserLanguage) {
  const LanguageTexts* language = ExpectedLanguage();
  if (!language) GTEST_SKIP() << "run by CTest with a locale";
  ASSERT_EQ(GetUserDefaultLangID(), language->langId);
  quillane::DeleteTree(WorkingRoot().c_str());

  InstallerRun quiet = RunInstaller(L"-u1");
  EXPECT_EQ(quiet.exitCode, 0);
  const std::string options = "/clone_wait /hide_progress " + Narrow(language->option) + " ";
  const std::vector<std::string> lines = ReportValues(quiet.report, "command-line");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("setup.exe " + options + "\"/W32:"), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find(":1024 -u1\""), std::string::npos) << lines[0];

  {
    HANDLE guard = CreateMutexW(nullptr, FALSE, L"Quillane Installer");
    InstallerRun second = RunInstaller(L"");
    CloseHandle(guard);
    EXPECT_EQ(second.exitCode, 101);
    EXPECT_TRUE(second.box.shown);
    EXPECT_EQ(second.box.caption, L"" QUILLANE_CAPTION);
    EXPECT_EQ(second.box.text, language->alreadyRunning);
    EXPECT_TRUE(second.box.mainWindowExisted);
  }
  {
    ProgramVersion version(L"QuillaneSetup.exe", L"nt40");
    InstallerRun old = RunInstaller(L"");
    EXPECT_EQ(old.exitCode, 102);
    EXPECT_EQ(old.box.caption, L"" QUILLANE_CAPTION);
    EXPECT_EQ(old.box.text, language->unsupported);
    EXPECT_FALSE(old.box.mainWindowExisted);  // the version gate comes before any window
  }
}

}  // namespace
