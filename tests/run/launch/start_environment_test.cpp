#include <gtest/gtest.h>

#include <string>

#include "run/launch/start_environment.h"
#include "text.h"

namespace quillane {
namespace {

// A block of NUL-terminated entries as one text, entries joined by "|".
std::u16string Entries(const WideString& block) {
  std::u16string text(block.CStr(), block.Length());
  EXPECT_TRUE(text.size() >= 1 && text.back() == u'\0') << "ends with an empty entry";
  if (!text.empty()) text.pop_back();
  if (!text.empty() && text.back() == u'\0') text.pop_back();
  for (char16_t& unit : text) unit = unit == u'\0' ? u'|' : unit;
  return text;
}

TEST(StartEnvironment, UsersFolderVariablesReplacedEverythingElseKeptInOrder) {
  const StartFolders folders = {u"C:\\WINDOWS", u"C:\\WINDOWS\\Temp\\{6F1C}.temp",
                                u"C:\\WINDOWS\\system32;C:\\WINDOWS"};
  const std::u16string fixed =
      u"ComSpec=C:\\WINDOWS\\system32\\cmd.exe|Path=C:\\WINDOWS\\system32;C:\\WINDOWS|"
      u"SystemRoot=C:\\WINDOWS|TEMP=C:\\WINDOWS\\Temp\\{6F1C}.temp|"
      u"TMP=C:\\WINDOWS\\Temp\\{6F1C}.temp|windir=C:\\WINDOWS";
  struct {
    const char* what;
    std::u16string inherited;  // entries separated by "|"
    std::u16string expected;
  } const cases[] = {
      {"nothing inherited", u"", fixed},
      {"the user's values in any case, and the drives' current folders",
       u"=C:=C:\\Users\\me\\Downloads|=D:=D:\\x|comspec=C:\\me\\cmd.exe|PATH=C:\\me;C:\\WINDOWS|"
       u"SYSTEMROOT=C:\\me|temp=C:\\me\\t|Tmp=C:\\me\\t|WINDIR=C:\\me",
       fixed},
      {"other names kept, each replacement at its sorted place",
       u"ALLUSERSPROFILE=C:\\All|COMPUTERNAME=Q|OS=Windows_NT|PATHEXT=.COM;.EXE|"
       u"QUILLANE_SAMPLE_WAIT_MS=5|TEMPLATE=x|USERNAME=me|WINEDLLOVERRIDES=a=b|ZZ=z|~X=1",
       u"ALLUSERSPROFILE=C:\\All|COMPUTERNAME=Q|ComSpec=C:\\WINDOWS\\system32\\cmd.exe|OS=Windows_"
       u"NT|"
       u"Path=C:\\WINDOWS\\system32;C:\\WINDOWS|PATHEXT=.COM;.EXE|QUILLANE_SAMPLE_WAIT_MS=5|"
       u"SystemRoot=C:\\WINDOWS|TEMP=C:\\WINDOWS\\Temp\\{6F1C}.temp|TEMPLATE=x|"
       u"TMP=C:\\WINDOWS\\Temp\\{6F1C}.temp|USERNAME=me|windir=C:\\WINDOWS|"
       u"WINEDLLOVERRIDES=a=b|ZZ=z|~X=1"},
      {"a name that only begins like a replaced one, an entry without a value",
       u"NOVALUE|PATH_EXTRA=1|TEMP2=2",
       u"ComSpec=C:\\WINDOWS\\system32\\cmd.exe|NOVALUE|Path=C:\\WINDOWS\\system32;C:\\WINDOWS|"
       u"PATH_EXTRA=1|SystemRoot=C:\\WINDOWS|TEMP=C:\\WINDOWS\\Temp\\{6F1C}.temp|TEMP2=2|"
       u"TMP=C:\\WINDOWS\\Temp\\{6F1C}.temp|windir=C:\\WINDOWS"},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.what);
    std::u16string inherited = row.inherited;
    for (char16_t& unit : inherited) unit = unit == u'|' ? u'\0' : unit;
    inherited += std::u16string(inherited.empty() ? 1 : 2, u'\0');
    WideString block;
    ASSERT_TRUE(ComposeStartEnvironment(inherited.c_str(), folders, block));
    EXPECT_EQ(Entries(block), row.expected);
  }
}

TEST(StartEnvironment, ComSpecBesideAWindowsFolderAtADrivesRoot) {
  const StartFolders folders = {u"C:\\", u"C:\\Temp\\t", u"C:\\system32"};
  WideString block;
  ASSERT_TRUE(ComposeStartEnvironment(u"\0", folders, block));
  EXPECT_EQ(Entries(block).rfind(u"ComSpec=C:\\system32\\cmd.exe|Path=", 0), 0u);
}

TEST(MachinePath, WindowsFolderReferencesExpandedOthersKept) {
  struct {
    std::u16string stored;
    std::u16string expected;
  } const cases[] = {
      {u"", u"C:\\WINDOWS\\system32;C:\\WINDOWS"},
      {u"%SystemRoot%\\system32;%SYSTEMROOT%;%windir%\\Wbem;%SystemDrive%\\Tools",
       u"C:\\WINDOWS\\system32;C:\\WINDOWS;C:\\WINDOWS\\Wbem;C:\\Tools"},
      {u"C:\\WINDOWS\\system32;C:\\Program Files\\Tool",
       u"C:\\WINDOWS\\system32;C:\\Program Files\\Tool"},
      // The user's own names are not looked up: they stay as written.
      {u"%USERPROFILE%\\bin;%ProgramFiles%\\x", u"%USERPROFILE%\\bin;%ProgramFiles%\\x"},
      {u"50%;%windir", u"50%;%windir"},
      {u"%%windir%%", u"%C:\\WINDOWS%"},
      {u"%;%windir%", u"%;C:\\WINDOWS"},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(testing::PrintToString(row.stored));
    WideString path;
    ASSERT_TRUE(ComposeMachinePath(row.stored.data(), row.stored.size(), u"C:\\WINDOWS", path));
    EXPECT_EQ(Text(path), row.expected);
  }
}

}  // namespace
}  // namespace quillane
