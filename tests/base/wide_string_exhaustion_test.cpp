// Memory running out while the portable decisions compose their texts: a
// text that cannot grow makes its maker fail, never hand on a text cut
// short. Only a Windows test program can refuse the allocations.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "import_patch.h"
#include "run/cleanup_branch.h"
#include "run/launch/start_environment.h"
#include "run/tree/payload_table.h"
#include "run/tree/tree_names.h"
#include "run/tree/working_base.h"

namespace quillane {
namespace {

TEST(WideStringExhaustion, EveryComposedTextFailsWhenItCannotGrow) {
  const Unit inherited[] =
      u"=C:=C:\\Users\\me\0ALLUSERSPROFILE=C:\\ProgramData\0Path=C:\\mine\0"
      u"TEMP=C:\\Users\\me\\Temp\0windir=C:\\mine\0";
  const StartFolders folders = {u"C:\\WINDOWS", u"C:\\WINDOWS\\Temp\\{code}.temp",
                                u"C:\\WINDOWS\\system32;C:\\tools"};
  const std::u16string stored =
      u"%SystemRoot%\\system32;%windir%;%SystemDrive%\\x;%other%;C:\\tools";
  const WideString code(u"{code}");
  WideString text;
  WideString name;
  WideString paths[kTreeFolderCount];
  struct {
    const char* what;
    std::function<bool()> compose;
  } const cases[] = {
      {"start environment", [&] { return ComposeStartEnvironment(inherited, folders, text); }},
      {"machine path",
       [&] { return ComposeMachinePath(stored.c_str(), stored.size(), u"C:\\WINDOWS", text); }},
      {"machine path, none stored", [&] { return ComposeMachinePath(u"", 0, u"C:\\", text); }},
      {"fresh folder name", [&] { return ComposeFreshFolderName(code, 0x0123456789ABCDEF, name); }},
      {"folder path", [&] { return SplitFolderPath(u"C:\\WINDOWS\\Temp\\{code}\\", text, name); }},
      {"folder path on a drive's root", [&] { return SplitFolderPath(u"C:\\x", text, name); }},
      {"working base", [&] { return !ChooseWorkingBase(u"C:\\WINDOWS").Empty(); }},
      {"tree folders",
       [&] { return BuildFolderPaths(WideString(u"C:\\WINDOWS\\Temp\\{code}\\"), paths); }},
      {"leftover folder",
       [&] { return ComposeLeftoverFolder(WideString(u"C:\\Program Files"), text); }},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.what);
    quillane_test::ExpectFailureWheneverMemoryRunsOut(row.compose);
  }
}

}  // namespace
}  // namespace quillane
