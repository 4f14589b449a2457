// Helpers shared by the Windows-side tests: scratch folders, files, registry
// keys and child processes, all real.
#pragma once

#include <string>
#include <vector>

#include "base/win32.h"

namespace quillane_test {

// A fresh folder under the temporary folder, removed (best effort) at the end.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  const std::wstring& Path() const { return path_; }
  std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

 private:
  std::wstring path_;
};

void WriteFileBytes(const std::wstring& path, const std::string& bytes);
// The whole file, or nullopt-like: `exists` false when it cannot be opened.
std::string ReadFileBytes(const std::wstring& path, bool* exists = nullptr);
bool PathExists(const std::wstring& path);
void MakeFolder(const std::wstring& path);

// The bytes of an RCDATA resource of this test program.
std::string OwnResource(unsigned id);

// Folder of this test program (its helper programs lie beside it).
std::wstring ProgramFolder();

// Starts a program with a command line and waits for it; the full 32-bit
// exit code, or -1 when it could not be started.
long long RunAndWait(const std::wstring& program, const std::wstring& arguments);

// A started child that the test ends by itself.
struct Child {
  PROCESS_INFORMATION info{};
  bool started = false;
  ~Child();
  DWORD WaitForExit(DWORD milliseconds = 30000);
};
bool StartChild(const std::wstring& program, const std::wstring& arguments, Child& child);

// Sets a registry value for the life of the object and puts back what was
// there before (or removes it).
class RegistryValueOverride {
 public:
  // `view`: KEY_WOW64_64KEY or KEY_WOW64_32KEY for one view of the registry,
  // 0 for this program's own.
  RegistryValueOverride(HKEY root, const std::wstring& key, const std::wstring& name,
                        REGSAM view = 0);
  RegistryValueOverride(const RegistryValueOverride&) = delete;
  RegistryValueOverride& operator=(const RegistryValueOverride&) = delete;
  ~RegistryValueOverride();
  void SetText(const std::wstring& text, DWORD type = REG_SZ);
  void Remove();

 private:
  std::wstring name_;
  HKEY key_ = nullptr;
  DWORD type_ = 0;
  bool had_ = false;
  std::vector<BYTE> saved_;
};

// Wine's per-program Windows version ("nt40", "win2k", "winxp64", ...).
class ProgramVersion {
 public:
  ProgramVersion(const std::wstring& program, const wchar_t* version);

 private:
  RegistryValueOverride value_;
};

// Writes a value under HKLM\key, creating the key; a null name only creates it.
void SetMachineValue(const std::wstring& key, const wchar_t* name, DWORD type, const void* data,
                     size_t bytes);
void SetMachineNumber(const std::wstring& key, const wchar_t* name, DWORD value);
void SetMachineText(const std::wstring& key, const wchar_t* name, const std::wstring& text,
                    DWORD type = REG_SZ);

// A Unix symbolic link at `link` naming `target` (Windows paths), made as
// any program of the user can make one; the way links reach Wine's files.
// RemoveUnixLink removes the link itself (no Windows call can under Wine).
bool MakeUnixLink(const std::wstring& target, const std::wstring& link);
bool RemoveUnixLink(const std::wstring& link);
// Moves a folder aside to "<folder>-real" and puts a Unix link to it in its
// place; PutFolderBack undoes that.
bool ReplaceFolderWithUnixLink(const std::wstring& folder);
bool PutFolderBack(const std::wstring& folder);

// What a planted link names, outside the tree: "folder" with two files,
// "single.txt" and "empty" (a folder that RemoveDirectoryW through a link
// would delete). ExpectIntact checks that each survived byte for byte.
class OutsideTargets {
 public:
  OutsideTargets();
  std::wstring operator/(const std::wstring& name) const { return scratch_ / name; }
  void ExpectIntact() const;

 private:
  ScratchFolder scratch_;
};

// Whether this program is a 32-bit one on 64-bit Windows.
bool UnderWow64();

// The names a FindFirstFileW pattern matches, but "." and "..".
std::vector<std::wstring> EntriesMatching(const std::wstring& pattern);

// The installer's working base: the Windows folder's Temp folder, without a
// trailing backslash.
std::wstring WorkingBase();

// A name no other test or run uses.
std::wstring UniqueName(const wchar_t* prefix);

}  // namespace quillane_test
