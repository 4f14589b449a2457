#include "test_support.h"

#include <gtest/gtest.h>

#include "run/tree/remove_tree.h"

namespace quillane_test {

std::wstring UniqueName(const wchar_t* prefix) {
  static unsigned counter = 0;
  wchar_t text[64];
  swprintf(text, 64, L"%ls-%lu-%u-%u", prefix, GetCurrentProcessId(), GetTickCount(), ++counter);
  return text;
}

namespace {
// Taken once at start-up, so that tests may point TMP elsewhere for the
// programs they start.
std::wstring TemporaryFolderAtStart() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  return temp;
}
const std::wstring scratchBase = TemporaryFolderAtStart();
}  // namespace

ScratchFolder::ScratchFolder() {
  path_ = scratchBase + UniqueName(L"qs-test");
  EXPECT_TRUE(CreateDirectoryW(path_.c_str(), nullptr)) << GetLastError();
}

ScratchFolder::~ScratchFolder() { quillane::DeleteTree(path_.c_str()); }

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << GetLastError();
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
  CloseHandle(file);
}

std::string ReadFileBytes(const std::wstring& path, bool* exists) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (exists) *exists = file != INVALID_HANDLE_VALUE;
  std::string bytes;
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char chunk[65536];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) bytes.append(chunk, got);
  CloseHandle(file);
  return bytes;
}

bool PathExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void MakeFolder(const std::wstring& path) {
  ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr)) << GetLastError();
}

std::string OwnResource(unsigned id) {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), RT_RCDATA);
  if (!found) return std::string();
  const char* bytes = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
  return std::string(bytes, SizeofResource(nullptr, found));
}

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring text(path, length);
  return text.substr(0, text.find_last_of(L'\\'));
}

bool StartChild(const std::wstring& program, const std::wstring& arguments, Child& child) {
  std::wstring commandLine = L"\"" + program + L"\" " + arguments;
  std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back(0);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  child.started = CreateProcessW(program.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0,
                                 nullptr, nullptr, &startup, &child.info) != 0;
  return child.started;
}

DWORD Child::WaitForExit(DWORD milliseconds) {
  if (!started) return static_cast<DWORD>(-1);
  WaitForSingleObject(info.hProcess, milliseconds);
  DWORD code = 0;
  GetExitCodeProcess(info.hProcess, &code);
  return code;
}

Child::~Child() {
  if (!started) return;
  if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info.hProcess, 99);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
}

RegistryValueOverride::RegistryValueOverride(HKEY root, const std::wstring& key,
                                             const std::wstring& name, REGSAM view)
    : name_(name) {
  RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key_, nullptr);
  saved_.resize(65536);
  DWORD bytes = static_cast<DWORD>(saved_.size());
  had_ = RegQueryValueExW(key_, name_.c_str(), nullptr, &type_, saved_.data(), &bytes) ==
         ERROR_SUCCESS;
  saved_.resize(had_ ? bytes : 0);
}

RegistryValueOverride::~RegistryValueOverride() {
  if (had_) {
    RegSetValueExW(key_, name_.c_str(), 0, type_, saved_.data(), static_cast<DWORD>(saved_.size()));
  } else {
    RegDeleteValueW(key_, name_.c_str());
  }
  RegCloseKey(key_);
}

void RegistryValueOverride::SetText(const std::wstring& text, DWORD type) {
  ASSERT_EQ(
      RegSetValueExW(key_, name_.c_str(), 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
      ERROR_SUCCESS);
}

void RegistryValueOverride::Remove() { RegDeleteValueW(key_, name_.c_str()); }

ProgramVersion::ProgramVersion(const std::wstring& program, const wchar_t* version)
    : value_(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\" + program, L"Version") {
  value_.SetText(version);
}

void SetMachineValue(const std::wstring& key, const wchar_t* name, DWORD type, const void* data,
                     size_t bytes) {
  HKEY handle = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &handle, nullptr),
            ERROR_SUCCESS);
  if (name) {
    EXPECT_EQ(RegSetValueExW(handle, name, 0, type, static_cast<const BYTE*>(data),
                             static_cast<DWORD>(bytes)),
              ERROR_SUCCESS);
  }
  RegCloseKey(handle);
}

void SetMachineNumber(const std::wstring& key, const wchar_t* name, DWORD value) {
  SetMachineValue(key, name, REG_DWORD, &value, sizeof(value));
}

void SetMachineText(const std::wstring& key, const wchar_t* name, const std::wstring& text,
                    DWORD type) {
  SetMachineValue(key, name, type, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

namespace {

// The Unix path of a Windows path, through Wine's own conversion.
std::string UnixPath(const std::wstring& path) {
  using Convert = char*(CDECL*)(LPCWSTR);
  auto convert = quillane::LookUpKernelExport<Convert>("wine_get_unix_file_name");
  char* unix = convert ? convert(path.c_str()) : nullptr;
  std::string text = unix ? unix : "";
  if (unix) HeapFree(GetProcessHeap(), 0, unix);
  return text;
}

// A Unix path (UTF-8) as a quoted argument of a Unix program's command line.
std::wstring Quoted(const std::string& text) {
  std::wstring wide(text.size(), L'\0');
  wide.resize(MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                  wide.data(), static_cast<int>(wide.size())));
  return L"\"" + wide + L"\"";
}

}  // namespace

bool MakeUnixLink(const std::wstring& target, const std::wstring& link) {
  const std::string from = UnixPath(target);
  const std::string at = UnixPath(link);
  return !from.empty() && !at.empty() &&
         RunAndWait(L"Z:\\bin\\ln", L"-s " + Quoted(from) + L" " + Quoted(at)) == 0;
}

bool RemoveUnixLink(const std::wstring& link) {
  const std::string at = UnixPath(link);
  return !at.empty() && RunAndWait(L"Z:\\bin\\rm", L"-f " + Quoted(at)) == 0;
}

// On the Unix names, which keep their case (a Windows rename back to a name
// of other case is not reliable under Wine).
bool ReplaceFolderWithUnixLink(const std::wstring& folder) {
  const std::string at = UnixPath(folder);
  return !at.empty() &&
         RunAndWait(L"Z:\\bin\\mv", L"-T " + Quoted(at) + L" " + Quoted(at + "-real")) == 0 &&
         RunAndWait(L"Z:\\bin\\ln", L"-s " + Quoted(at + "-real") + L" " + Quoted(at)) == 0;
}

bool PutFolderBack(const std::wstring& folder) {
  const std::string at = UnixPath(folder);
  if (at.empty() || RunAndWait(L"Z:\\bin\\rm", L"-f " + Quoted(at)) != 0 ||
      RunAndWait(L"Z:\\bin\\mv", L"-T " + Quoted(at + "-real") + L" " + Quoted(at)) != 0) {
    return false;
  }
  // This process's first lookup right after the rename may still miss it.
  for (int attempt = 0; attempt < 100 && !PathExists(folder); ++attempt) Sleep(10);
  return PathExists(folder);
}

OutsideTargets::OutsideTargets() {
  MakeFolder(scratch_ / L"folder");
  WriteFileBytes(scratch_ / L"folder\\one.txt", "one");
  WriteFileBytes(scratch_ / L"folder\\two.bin", std::string(5000, '\2'));
  WriteFileBytes(scratch_ / L"single.txt", "single");
  MakeFolder(scratch_ / L"empty");
}

void OutsideTargets::ExpectIntact() const {
  EXPECT_EQ(ReadFileBytes(scratch_ / L"folder\\one.txt"), "one");
  EXPECT_EQ(ReadFileBytes(scratch_ / L"folder\\two.bin"), std::string(5000, '\2'));
  EXPECT_EQ(ReadFileBytes(scratch_ / L"single.txt"), "single");
  EXPECT_TRUE(PathExists(scratch_ / L"empty"));
}

bool UnderWow64() {
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

long long RunAndWait(const std::wstring& program, const std::wstring& arguments) {
  Child child;
  if (!StartChild(program, arguments, child)) return -1;
  return child.WaitForExit(INFINITE);
}

std::vector<std::wstring> EntriesMatching(const std::wstring& pattern) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  quillane::UniqueFind listing(FindFirstFileW(pattern.c_str(), &found));
  if (!listing.Valid()) return names;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(listing.Get(), &found));
  return names;
}

std::wstring WorkingBase() {
  wchar_t windows[MAX_PATH];
  GetSystemWindowsDirectoryW(windows, MAX_PATH);
  return std::wstring(windows) + L"\\Temp";
}

}  // namespace quillane_test
