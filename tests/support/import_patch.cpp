#include "import_patch.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace quillane_test {
namespace {

template <typename T>
T* At(HMODULE image, uintptr_t offset) {
  return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(image) + offset);
}

// The import table slot through which this program calls module!function.
void** FindImportSlot(const char* module, const char* function) {
  const HMODULE image = GetModuleHandleW(nullptr);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
  const auto* nt = At<const IMAGE_NT_HEADERS>(image, dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (auto* entry = At<const IMAGE_IMPORT_DESCRIPTOR>(image, imports.VirtualAddress);
       entry->Name != 0; ++entry) {
    if (_stricmp(At<const char>(image, entry->Name), module) != 0) continue;
    auto* names = At<const IMAGE_THUNK_DATA>(image, entry->OriginalFirstThunk);
    auto* slots = At<IMAGE_THUNK_DATA>(image, entry->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const auto* byName = At<const IMAGE_IMPORT_BY_NAME>(image, names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0) {
        return reinterpret_cast<void**>(&slots->u1.Function);
      }
    }
  }
  return nullptr;
}

void WriteSlot(void** slot, void* value) {
  DWORD protection = 0;
  VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &protection);
  *slot = value;
  VirtualProtect(slot, sizeof(*slot), protection, &protection);
}

// What ReplacedExports answers, and the platform's GetProcAddress.
std::vector<std::pair<const char*, const void*>> replacedExports;
FARPROC(WINAPI* platformGetProcAddress)(HMODULE, LPCSTR) = nullptr;

FARPROC WINAPI ReplacingGetProcAddress(HMODULE module, LPCSTR name) {
  // An ordinal is no text to compare.
  if (reinterpret_cast<uintptr_t>(name) > 0xFFFF) {
    for (const auto& [replacedName, replacement] : replacedExports) {
      if (std::strcmp(name, replacedName) == 0) {
        return reinterpret_cast<FARPROC>(const_cast<void*>(replacement));
      }
    }
  }
  return platformGetProcAddress(module, name);
}

// realloc's stand-in: the first `reallocPasses` calls are served, later ones
// refused and counted.
int reallocPasses = 0;
int reallocRefusals = 0;
void*(__cdecl* platformRealloc)(void*, size_t) = nullptr;

void* __cdecl RefusingRealloc(void* block, size_t bytes) {
  if (reallocPasses > 0) {
    --reallocPasses;
    return platformRealloc(block, bytes);
  }
  ++reallocRefusals;
  return nullptr;
}

}  // namespace

ImportPatch::ImportPatch(const char* module, const char* function, const void* replacement) {
  slot_ = FindImportSlot(module, function);
  if (!slot_) {
    ADD_FAILURE() << "this program does not import " << module << "!" << function;
    return;
  }
  original_ = *slot_;
  WriteSlot(slot_, const_cast<void*>(replacement));
}

ImportPatch::~ImportPatch() {
  if (slot_) WriteSlot(slot_, original_);
}

ReplacedExports::ReplacedExports(std::initializer_list<std::pair<const char*, const void*>> exports)
    : patch_("KERNEL32.dll", "GetProcAddress",
             reinterpret_cast<const void*>(&ReplacingGetProcAddress)) {
  replacedExports.assign(exports);
  platformGetProcAddress = patch_.Original<decltype(platformGetProcAddress)>();
}

ReplacedExports::~ReplacedExports() { replacedExports.clear(); }

void ExpectFailureWheneverRefused(const std::function<int(int passes, bool& succeeded)>& run,
                                  bool recoverable) {
  constexpr int kEnoughCalls = 100000;
  for (int passes = 0; passes < kEnoughCalls; ++passes) {
    bool succeeded = false;
    if (run(passes, succeeded) == 0) {
      EXPECT_TRUE(succeeded) << "fails although nothing was refused";
      return;
    }
    if (succeeded && !recoverable) {
      ADD_FAILURE() << "succeeded although call " << passes + 1 << " was refused";
      return;
    }
  }
  ADD_FAILURE() << "still calling after " << kEnoughCalls << " calls";
}

void ExpectFailureWheneverMemoryRunsOut(const std::function<bool()>& call,
                                        const std::function<void()>& cleanUp, bool recoverable) {
  ImportPatch patch("msvcrt.dll", "realloc", EntryOf(&RefusingRealloc));
  platformRealloc = patch.Original<decltype(platformRealloc)>();
  ExpectFailureWheneverRefused(
      [&](int passes, bool& succeeded) {
        reallocPasses = passes;
        reallocRefusals = 0;
        succeeded = call();
        const int refusals = reallocRefusals;
        reallocPasses = INT_MAX;
        if (cleanUp) cleanUp();
        return refusals;
      },
      recoverable);
}

}  // namespace quillane_test
