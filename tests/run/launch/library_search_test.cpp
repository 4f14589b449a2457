#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "import_patch.h"
#include "run/launch/library_search.h"
#include "test_support.h"

using namespace quillane;
using namespace quillane_test;

namespace {

// What the replaced search calls were asked, and what the first answers.
std::vector<std::wstring> calls;
BOOL setDefaultAnswer = TRUE;

BOOL WINAPI RecordSetDefault(DWORD directories) {
  calls.push_back(L"default " + std::to_wstring(directories));
  return setDefaultAnswer;
}
BOOL WINAPI RecordSetDirectory(LPCWSTR folder) {
  calls.push_back(L"directory '" + std::wstring(folder) + L"'");
  return TRUE;
}

// Where SetDefaultDllDirectories is there, the search is System32 alone;
// where it is missing or fails, the current folder at least leaves the
// search. A library of the tree loads by its full path either way.
TEST(LibrarySearch, SystemFolderOnlyOrAtLeastNoCurrentFolder) {
  const std::wstring system32 = L"default " + std::to_wstring(LOAD_LIBRARY_SEARCH_SYSTEM32);
  struct {
    const char* what;
    const void* setDefault;
    const void* setDirectory;
    BOOL setDefaultAnswer;
    std::vector<std::wstring> calls;
  } const cases[] = {
      {"both there", EntryOf(&RecordSetDefault), EntryOf(&RecordSetDirectory), TRUE, {system32}},
      {"SetDefaultDllDirectories fails",
       EntryOf(&RecordSetDefault),
       EntryOf(&RecordSetDirectory),
       FALSE,
       {system32, L"directory ''"}},
      {"SetDefaultDllDirectories missing",
       nullptr,
       EntryOf(&RecordSetDirectory),
       TRUE,
       {L"directory ''"}},
      {"both missing", nullptr, nullptr, TRUE, {}},
  };
  const std::wstring library = ProgramFolder() + L"\\planted_library.dll";
  for (const auto& row : cases) {
    SCOPED_TRACE(row.what);
    calls.clear();
    setDefaultAnswer = row.setDefaultAnswer;
    HMODULE loaded = nullptr;
    {
      ReplacedExports exports(
          {{"SetDefaultDllDirectories", row.setDefault}, {"SetDllDirectoryW", row.setDirectory}});
      RestrictLibrarySearch();
      loaded = LoadTreeLibrary(library.c_str());
    }
    EXPECT_EQ(calls, row.calls);
    EXPECT_NE(loaded, nullptr);
    if (loaded) FreeLibrary(loaded);
  }
}

}  // namespace
