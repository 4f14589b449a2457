// The Win32 side of the boundary: the 16-bit units of the portable code are
// the platform's wide characters, and each kind of handle has an owner that
// closes it. Only the thin platform layer includes this header.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "base/wide_string.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 units");

namespace quillane {

inline const wchar_t* AsWide(const Unit* text) { return reinterpret_cast<const wchar_t*>(text); }
inline wchar_t* AsWide(Unit* text) { return reinterpret_cast<wchar_t*>(text); }
inline const Unit* AsUnits(const wchar_t* text) { return reinterpret_cast<const Unit*>(text); }
inline Unit* AsUnits(wchar_t* text) { return reinterpret_cast<Unit*>(text); }

// An export of a loaded module as the function type the caller expects, or
// null. The cast goes through void(*)() so the compiler accepts the change of
// function type.
template <typename Function>
Function LookUpExport(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// An export of kernel32, which every process has loaded, or null where this
// Windows version lacks it.
template <typename Function>
Function LookUpKernelExport(const char* name) {
  return LookUpExport<Function>(GetModuleHandleW(L"kernel32"), name);
}

// Owns one handle and closes it with the traits' Close when it goes.
template <typename Traits>
class Owned {
 public:
  using Handle = typename Traits::Handle;

  Owned() = default;
  explicit Owned(Handle handle) : handle_(handle) {}
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  ~Owned() { Reset(); }

  void Reset(Handle handle = Traits::Invalid()) {
    if (handle_ != Traits::Invalid()) Traits::Close(handle_);
    handle_ = handle;
  }
  Handle Get() const { return handle_; }
  // Hands the handle over without closing it.
  Handle Release() {
    Handle handle = handle_;
    handle_ = Traits::Invalid();
    return handle;
  }
  Handle* Receive() {
    Reset();
    return &handle_;
  }
  bool Valid() const { return handle_ != Traits::Invalid(); }

 private:
  Handle handle_ = Traits::Invalid();
};

// A kernel object handle (process, thread, token, event, mutex).
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { CloseHandle(handle); }
};
// A file handle, whose invalid value is INVALID_HANDLE_VALUE rather than null.
struct FileHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) { CloseHandle(handle); }
};
// A directory listing of FindFirstFileW.
struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) { FindClose(handle); }
};
struct KeyHandleTraits {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { RegCloseKey(handle); }
};
struct ModuleHandleTraits {
  using Handle = HMODULE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { FreeLibrary(handle); }
};

// Memory the platform allocated for the caller with LocalAlloc.
struct LocalMemoryTraits {
  using Handle = HLOCAL;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle memory) { LocalFree(memory); }
};

using UniqueHandle = Owned<KernelHandleTraits>;
using UniqueFile = Owned<FileHandleTraits>;
using UniqueFind = Owned<FindHandleTraits>;
using UniqueKey = Owned<KeyHandleTraits>;
using UniqueModule = Owned<ModuleHandleTraits>;
using UniqueLocal = Owned<LocalMemoryTraits>;

}  // namespace quillane
