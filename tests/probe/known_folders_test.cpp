#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "import_patch.h"
#include "probe/known_folders.h"
#include "test_support.h"
#include "text.h"

using namespace quillane;
using namespace quillane_test;

namespace {

// A key of the test's own under HKCU, removed afterwards.
// Where the machine's own environment, its PATH included, is stored.
const wchar_t kEnvironmentKey[] =
    L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

class TestKey {
 public:
  TestKey() : path_(L"Software\\QuillaneTests\\" + UniqueName(L"folders")) {
    RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                    nullptr);
  }
  ~TestKey() {
    RegCloseKey(key_);
    RegDeleteKeyW(HKEY_CURRENT_USER, path_.c_str());
  }
  void Set(const wchar_t* name, DWORD type, const void* data, size_t bytes) {
    ASSERT_EQ(RegSetValueExW(key_, name, 0, type, static_cast<const BYTE*>(data),
                             static_cast<DWORD>(bytes)),
              ERROR_SUCCESS);
  }
  void SetText(const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ) {
    Set(name, type, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  }
  const std::wstring& Path() const { return path_; }
  std::wstring Read(const wchar_t* name) {
    return WideText(ReadExpandedRegistryText(HKEY_CURRENT_USER, path_.c_str(), name));
  }

 private:
  std::wstring path_;
  HKEY key_ = nullptr;
};

TEST(RegistryFolder, MissingKeyOrValueGivesEmpty) {
  TestKey key;
  EXPECT_EQ(key.Read(L"absent"), L"");
  EXPECT_EQ(
      WideText(ReadExpandedRegistryText(HKEY_CURRENT_USER, L"Software\\QuillaneTests\\none", L"x")),
      L"");
}

TEST(RegistryFolder, TextIsExpandedWhateverItsType) {
  TestKey key;
  SetEnvironmentVariableW(L"QUILLANE_TEST_ROOT", L"D:\\Vendor Root");
  key.SetText(L"plain", L"C:\\Program Files");
  key.SetText(L"expand", L"%QUILLANE_TEST_ROOT%\\Programs", REG_EXPAND_SZ);
  key.SetText(L"expandInSz", L"%QUILLANE_TEST_ROOT%", REG_SZ);
  key.SetText(L"unknownVariable", L"%QUILLANE_NOT_SET%\\x", REG_EXPAND_SZ);
  EXPECT_EQ(key.Read(L"plain"), L"C:\\Program Files");
  EXPECT_EQ(key.Read(L"expand"), L"D:\\Vendor Root\\Programs");
  EXPECT_EQ(key.Read(L"expandInSz"), L"D:\\Vendor Root");
  EXPECT_EQ(key.Read(L"unknownVariable"), L"%QUILLANE_NOT_SET%\\x");
}

TEST(RegistryFolder, OnlyValuesOfAtMost260BytesAreRead) {
  TestKey key;
  const std::wstring longest(129, L'a');  // 129 characters and the terminator: 260 bytes
  key.SetText(L"fits", longest);
  key.SetText(L"tooLong", std::wstring(130, L'b'));  // 262 bytes
  EXPECT_EQ(key.Read(L"fits"), longest);
  EXPECT_EQ(key.Read(L"tooLong"), L"");
}

TEST(RegistryFolder, DataWithoutTerminatorIsTerminatedWhereItEnds) {
  TestKey key;
  const std::wstring full(130, L'c');  // exactly 260 bytes, no terminator
  key.Set(L"full", REG_BINARY, full.data(), full.size() * sizeof(wchar_t));
  key.Set(L"short", REG_BINARY, L"abcdefgh", 5 * sizeof(wchar_t));
  key.Set(L"odd", REG_BINARY, "x\0y", 3);  // one unit and a stray byte
  EXPECT_EQ(key.Read(L"full"), full);
  EXPECT_EQ(key.Read(L"short"), L"abcde");
  EXPECT_EQ(key.Read(L"odd"), L"x");
}

TEST(RegistryFolder, ExpansionThatDoesNotFitGivesEmpty) {
  TestKey key;
  SetEnvironmentVariableW(L"QUILLANE_TEST_LONG", std::wstring(300, L'L').c_str());
  SetEnvironmentVariableW(L"QUILLANE_TEST_EDGE", std::wstring(259, L'E').c_str());
  key.SetText(L"long", L"%QUILLANE_TEST_LONG%", REG_EXPAND_SZ);
  key.SetText(L"edge", L"%QUILLANE_TEST_EDGE%", REG_EXPAND_SZ);
  EXPECT_EQ(key.Read(L"long"), L"");
  EXPECT_EQ(key.Read(L"edge"), std::wstring(259, L'E'));  // 259 and the terminator fit
}

// The two machine folders, with the values this test writes in Wine's
// registry and puts back afterwards.
TEST(MachineFolders, ReadTheirOwnRegistryValues) {
  RegistryValueOverride programFiles(
      HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion", L"ProgramFilesPath");
  RegistryValueOverride commonPrograms(
      HKEY_LOCAL_MACHINE,
      L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
      L"Common Programs");
  SetEnvironmentVariableW(L"QUILLANE_TEST_ROOT", L"E:\\Root");
  programFiles.SetText(L"%QUILLANE_TEST_ROOT%\\Program Files");
  commonPrograms.SetText(L"%QUILLANE_TEST_ROOT%\\Start Menu\\Programs\\");
  EXPECT_EQ(WideText(GetProgramFilesFolder()), L"E:\\Root\\Program Files");
  EXPECT_EQ(WideText(GetCommonProgramsFolder()), L"E:\\Root\\Start Menu\\Programs\\");

  programFiles.Remove();
  commonPrograms.SetText(std::wstring(200, L'z'));  // 402 bytes
  EXPECT_EQ(WideText(GetProgramFilesFolder()), L"");
  EXPECT_EQ(WideText(GetCommonProgramsFolder()), L"");
}

// The machine's own PATH as stored, of any length, unexpanded; nothing when
// it is missing or no text.
TEST(MachinePath, StoredTextOfAnyLengthOrNothing) {
  RegistryValueOverride path(HKEY_LOCAL_MACHINE, kEnvironmentKey, L"Path");
  const std::wstring longPath = L"C:\\tools;" + std::wstring(5000, L'p');
  struct {
    const wchar_t* what;
    std::wstring text;
    DWORD type;
    std::wstring expected;
  } const cases[] = {
      {L"expandable", L"%SystemRoot%\\system32;C:\\tools", REG_EXPAND_SZ,
       L"%SystemRoot%\\system32;C:\\tools"},
      {L"plain", L"C:\\WINDOWS\\system32", REG_SZ, L"C:\\WINDOWS\\system32"},
      {L"longer than any path", longPath, REG_EXPAND_SZ, longPath},
      {L"not a text", L"C:\\tools", REG_BINARY, L""},
  };
  for (const auto& row : cases) {
    path.SetText(row.text, row.type);
    EXPECT_EQ(WideText(ReadMachinePath()), row.expected) << row.what;
  }
  path.Remove();
  EXPECT_EQ(WideText(ReadMachinePath()), L"");
}

// The machine's Windows folder, whatever the environment of the user says.
TEST(WindowsFolder, IsTheMachinesWhateverTheEnvironmentSays) {
  const wchar_t* const variables[] = {L"TMP", L"TEMP", L"SystemRoot", L"windir", L"USERPROFILE"};
  std::wstring saved[5];
  for (size_t index = 0; index < 5; ++index) {
    wchar_t value[MAX_PATH] = L"";
    GetEnvironmentVariableW(variables[index], value, MAX_PATH);
    saved[index] = value;
    SetEnvironmentVariableW(variables[index], L"Z:\\tmp\\users-own");
  }
  std::wstring windows = WideText(GetWindowsFolder());
  for (size_t index = 0; index < 5; ++index) {
    SetEnvironmentVariableW(variables[index],
                            saved[index].empty() ? nullptr : saved[index].c_str());
  }
  CharLowerW(windows.data());
  EXPECT_EQ(windows, L"c:\\windows");
}

// The machine PATH grows once, between the size query and the read.
LONG(WINAPI* platformQuery)(HKEY, LPCWSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD) = nullptr;
const wchar_t* grownPath = nullptr;
LONG WINAPI QueryWhileGrowing(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                              LPDWORD bytes) {
  if (data && grownPath) {
    SetMachineText(kEnvironmentKey, L"Path", grownPath);
    grownPath = nullptr;
  }
  return platformQuery(key, name, reserved, type, data, bytes);
}

// Where the platform gives no answer, a folder or the PATH is empty, never
// a guess; a PATH that grows while it is read is read at its new length.
TEST(KnownFolders, EmptyWhereThePlatformFails) {
  RegistryValueOverride path(HKEY_LOCAL_MACHINE, kEnvironmentKey, L"Path");
  path.SetText(L"C:\\tools");
  TestKey key;
  key.SetText(L"folder", L"C:\\Vendor");
  struct {
    const char* call;
    std::shared_ptr<void> (*fail)();
    std::function<WideString()> read;
  } const cases[] = {
      {"GetSystemWindowsDirectoryW",
       [] { return FAIL_IMPORT("KERNEL32.dll", GetSystemWindowsDirectoryW, 0); }, GetWindowsFolder},
      {"GetSystemWindowsDirectoryW, too long",
       [] { return FAIL_IMPORT("KERNEL32.dll", GetSystemWindowsDirectoryW, MAX_PATH); },
       GetWindowsFolder},
      {"RegOpenKeyExW", [] { return FAIL_IMPORT("ADVAPI32.dll", RegOpenKeyExW, 5); },
       ReadMachinePath},
      {"RegQueryValueExW, the read",
       [] { return FAIL_IMPORT("ADVAPI32.dll", RegQueryValueExW, 5, 1); }, ReadMachinePath},
      {"ExpandEnvironmentStringsW",
       [] { return FAIL_IMPORT("KERNEL32.dll", ExpandEnvironmentStringsW, 0); },
       [&] { return ReadExpandedRegistryText(HKEY_CURRENT_USER, key.Path().c_str(), L"folder"); }},
  };
  for (const auto& row : cases) {
    const std::shared_ptr<void> failing = row.fail();
    EXPECT_EQ(WideText(row.read()), L"") << row.call;
  }

  const std::wstring grown = L"C:\\tools;" + std::wstring(600, L'g');
  grownPath = grown.c_str();
  ImportPatch growing("ADVAPI32.dll", "RegQueryValueExW", EntryOf(&QueryWhileGrowing));
  platformQuery = growing.Original<decltype(platformQuery)>();
  EXPECT_EQ(WideText(ReadMachinePath()), grown);
}

}  // namespace
