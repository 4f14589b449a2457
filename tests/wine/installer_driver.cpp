#include "installer_driver.h"

#include <gtest/gtest.h>

#include "run/tree/remove_tree.h"

#ifndef QUILLANE_INSTALLER_UNIX_PATH
#error "the build names the installer under test"
#endif

namespace quillane_test {
namespace {

// A path of the build machine as Wine's Z: drive shows it.
std::wstring FromUnixPath(const char* path) {
  std::wstring text = L"Z:";
  for (const char* at = path; *at; ++at) text += *at == '/' ? L'\\' : static_cast<wchar_t>(*at);
  return text;
}

struct BoxSearch {
  DWORD processId;
  const wchar_t* className;
  HWND found;
};

// The first top-level window of the process with the class name.
BOOL CALLBACK FindBox(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<BoxSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t className[64] = L"";
  GetClassNameW(window, className, 64);
  if (owner == search->processId && std::wstring(className) == search->className) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK CollectStaticText(HWND child, LPARAM context) {
  wchar_t className[64] = L"";
  GetClassNameW(child, className, 64);
  if (_wcsicmp(className, L"Static") != 0) return TRUE;
  wchar_t text[1024] = L"";
  GetWindowTextW(child, text, 1024);
  if (text[0]) *reinterpret_cast<std::wstring*>(context) = text;
  return TRUE;
}

std::string ReadReport(const std::wstring& path) { return ReadFileBytes(path); }

}  // namespace

std::string Narrow(const std::wstring& text) {
  int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(bytes > 0 ? bytes - 1 : 0, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), bytes, nullptr, nullptr);
  return out;
}

void WaitForSetupDialog() {
  for (int wait = 0; wait < 500 && !FindWindowW(L"TSetDialog", nullptr); ++wait) Sleep(20);
}

void InstallerRunTest::SetUp() { quillane::DeleteTree(WorkingRoot().c_str()); }
void InstallerRunTest::TearDown() { quillane::DeleteTree(WorkingRoot().c_str()); }

std::wstring InstallerPath() { return FromUnixPath(QUILLANE_INSTALLER_UNIX_PATH); }
std::wstring SamplePayloadPath() { return FromUnixPath(QUILLANE_PAYLOAD_UNIX_PATH); }

std::wstring WorkingRoot() { return WorkingBase() + L"\\{6F1C2A90-4B7E-4D35-9C21-0A8E5B3D7F64}\\"; }

std::vector<std::wstring> ProductFoldersInBase() {
  return EntriesMatching(WorkingBase() + L"\\{6F1C2A90-4B7E-4D35-9C21-0A8E5B3D7F64}*");
}

void ScopedEnvironment::Remember(const std::wstring& name) {
  if (saved_.count(name)) return;
  wchar_t value[32768];
  DWORD length = GetEnvironmentVariableW(name.c_str(), value, 32768);
  saved_[name] = {length != 0, std::wstring(value, length)};
}
void ScopedEnvironment::Set(const std::wstring& name, const std::wstring& value) {
  Remember(name);
  SetEnvironmentVariableW(name.c_str(), value.c_str());
}
void ScopedEnvironment::Remove(const std::wstring& name) {
  Remember(name);
  SetEnvironmentVariableW(name.c_str(), nullptr);
}
void ScopedEnvironment::PointTemporaryFolderAt(const std::wstring& path) {
  Set(L"TMP", path);
  Set(L"TEMP", path);
}
ScopedEnvironment::~ScopedEnvironment() {
  for (const auto& [name, old] : saved_) {
    SetEnvironmentVariableW(name.c_str(), old.first ? old.second.c_str() : nullptr);
  }
}

std::wstring FolderOfLength(const ScratchFolder& scratch, size_t length) {
  std::wstring path = scratch.Path() + L"\\";
  path += std::wstring(length - path.size() - 1, L'd');
  MakeFolder(path);
  return path + L"\\";
}

InstallerRun RunInstaller(const std::wstring& arguments, const RunOptions& options) {
  InstallerRun run;
  ScratchFolder reports;
  ScopedEnvironment environment;
  environment.Set(L"QUILLANE_SAMPLE_REPORT", reports / L"inner-setup.txt");
  environment.Set(L"QUILLANE_SAMPLE_AUX_REPORT", reports / L"auxiliary-setup.txt");
  environment.Set(L"QUILLANE_SAMPLE_CLEANUP_REPORT", reports / L"cleanup-library.txt");

  // (Never "aux.txt": AUX is a device name.)
  Child child;
  const std::wstring program = options.program.empty() ? InstallerPath() : options.program;
  if (!StartChild(program, arguments, child)) {
    ADD_FAILURE() << "cannot start " << Narrow(program) << ": error " << GetLastError();
    return run;
  }
  if (options.whileRunning) options.whileRunning(child.info, options.context);

  const DWORD start = GetTickCount();
  while (WaitForSingleObject(child.info.hProcess, 20) == WAIT_TIMEOUT) {
    if (GetTickCount() - start > options.timeoutMs) {
      run.exitCode = -2;
      return run;
    }
    BoxSearch search{child.info.dwProcessId, L"#32770", nullptr};
    EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
    if (search.found && !run.box.shown) {
      run.box.shown = true;
      BoxSearch mainWindow{child.info.dwProcessId, L"Quillane Installer", nullptr};
      EnumWindows(FindBox, reinterpret_cast<LPARAM>(&mainWindow));
      run.box.mainWindowExisted = mainWindow.found != nullptr;
      // The box may be found before its caption and text are in place.
      for (int wait = 0; wait < 200 && (run.box.text.empty() || run.box.caption.empty()); ++wait) {
        wchar_t caption[256] = L"";
        GetWindowTextW(search.found, caption, 256);
        run.box.caption = caption;
        EnumChildWindows(search.found, CollectStaticText, reinterpret_cast<LPARAM>(&run.box.text));
        if (run.box.text.empty() || run.box.caption.empty()) Sleep(10);
      }
      Sleep(500);
      run.box.waitedForAnswer = IsWindow(search.found) != FALSE;
      PostMessageW(search.found, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    } else if (search.found) {
      PostMessageW(search.found, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
  }
  run.exitCode = child.WaitForExit(0);
  run.report = ReadReport(reports / L"inner-setup.txt");
  run.auxReport = ReadReport(reports / L"auxiliary-setup.txt");
  run.cleanupReport = ReadReport(reports / L"cleanup-library.txt");
  return run;
}

std::vector<std::string> ReportValues(const std::string& report, const std::string& key) {
  std::vector<std::string> values;
  size_t at = 0;
  while (at < report.size()) {
    size_t end = report.find('\n', at);
    if (end == std::string::npos) end = report.size();
    std::string line = report.substr(at, end - at);
    if (line.compare(0, key.size() + 1, key + "=") == 0)
      values.push_back(line.substr(key.size() + 1));
    at = end + 1;
  }
  return values;
}

std::wstring InstallerWithResource(const ScratchFolder& folder, const std::wstring& name,
                                   unsigned id, const std::string& bytes) {
  const std::wstring copy = folder / name;
  EXPECT_TRUE(CopyFileW(InstallerPath().c_str(), copy.c_str(), FALSE)) << GetLastError();
  HANDLE update = BeginUpdateResourceW(copy.c_str(), FALSE);
  EXPECT_NE(update, nullptr) << GetLastError();
  EXPECT_TRUE(UpdateResourceW(update, RT_RCDATA, MAKEINTRESOURCEW(id),
                              MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                              const_cast<char*>(bytes.data()), static_cast<DWORD>(bytes.size())))
      << GetLastError();
  EXPECT_TRUE(EndUpdateResourceW(update, FALSE)) << GetLastError();
  return copy;
}

std::wstring InstallerWithString(const ScratchFolder& folder, const std::wstring& name, unsigned id,
                                 const std::wstring& text) {
  const std::wstring copy = folder / name;
  EXPECT_TRUE(CopyFileW(InstallerPath().c_str(), copy.c_str(), FALSE)) << GetLastError();
  const WORD english = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
  // Read the whole block of sixteen entries, change one, write it back.
  std::vector<std::wstring> entries(16);
  HMODULE image = LoadLibraryExW(copy.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  EXPECT_NE(image, nullptr);
  HRSRC found = FindResourceExW(image, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), english);
  EXPECT_NE(found, nullptr);
  if (found) {
    const WORD* units = static_cast<const WORD*>(LockResource(LoadResource(image, found)));
    for (std::wstring& entry : entries) {
      WORD length = *units++;
      entry.assign(reinterpret_cast<const wchar_t*>(units), length);
      units += length;
    }
  }
  FreeLibrary(image);
  entries[id % 16] = text;
  std::vector<WORD> block;
  for (const std::wstring& entry : entries) {
    block.push_back(static_cast<WORD>(entry.size()));
    block.insert(block.end(), entry.begin(), entry.end());
  }
  HANDLE update = BeginUpdateResourceW(copy.c_str(), FALSE);
  EXPECT_NE(update, nullptr) << GetLastError();
  EXPECT_TRUE(UpdateResourceW(update, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), english,
                              block.data(), static_cast<DWORD>(block.size() * sizeof(WORD))));
  EXPECT_TRUE(EndUpdateResourceW(update, FALSE)) << GetLastError();
  return copy;
}

}  // namespace quillane_test
