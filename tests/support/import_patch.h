// Platform calls that fail on demand, for what Wine cannot make happen: the
// registry, the random source or the name query failing, a kernel export
// missing, memory running out. The product code linked into a test program
// calls the platform through the program's import table; while an
// ImportPatch lives, one entry of that table names a stand-in, and the
// platform's own again afterwards.
#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <type_traits>
#include <utility>

#include "base/win32.h"

// After the platform's main header, which it needs.
#include <winternl.h>

namespace quillane_test {

// The status of a refused NT call, as an answer for FailingCall.
constexpr NTSTATUS kAccessDeniedStatus = static_cast<NTSTATUS>(0xC0000022L);

// A function as an import table or GetProcAddress holds it.
template <typename Function>
const void* EntryOf(Function function) {
  return reinterpret_cast<const void*>(function);
}

class ImportPatch {
 public:
  // `module` as the import table names it ("KERNEL32.dll", any case). Fails
  // the test, and patches nothing, when the program does not import it.
  ImportPatch(const char* module, const char* function, const void* replacement);
  ImportPatch(const ImportPatch&) = delete;
  ImportPatch& operator=(const ImportPatch&) = delete;
  ~ImportPatch();

  // The platform's own function.
  template <typename Function>
  Function Original() const {
    return reinterpret_cast<Function>(original_);
  }

 private:
  void** slot_ = nullptr;
  void* original_ = nullptr;
};

// A stand-in for a function of type Function: the first `passes` calls reach
// the platform's own, every later one answers kAnswer with
// ERROR_ACCESS_DENIED as the last error.
template <typename Function, auto kAnswer>
struct FailingCall;
template <typename Result, typename... Arguments, auto kAnswer>
struct FailingCall<Result(WINAPI*)(Arguments...), kAnswer> {
  static inline int passes = 0;
  static inline int failures = 0;
  static inline Result(WINAPI* original)(Arguments...) = nullptr;
  static Result WINAPI Call(Arguments... arguments) {
    if (passes > 0) {
      --passes;
      return original(arguments...);
    }
    ++failures;
    SetLastError(ERROR_ACCESS_DENIED);
    // A handle's answer may be a number: -1 for INVALID_HANDLE_VALUE.
    if constexpr (std::is_pointer_v<Result> && std::is_integral_v<decltype(kAnswer)>) {
      return reinterpret_cast<Result>(static_cast<intptr_t>(kAnswer));
    } else {
      return static_cast<Result>(kAnswer);
    }
  }
};

// module!function fails as FailingCall says while this lives; Failures()
// tells how many calls it refused.
template <typename Function, auto kAnswer>
class FailingImport {
  using Stand = FailingCall<Function, kAnswer>;

 public:
  FailingImport(const char* module, const char* function, int passes = 0)
      : patch_(module, function, reinterpret_cast<const void*>(&Stand::Call)) {
    Stand::original = patch_.Original<Function>();
    Stand::passes = passes;
    Stand::failures = 0;
  }
  int Failures() const { return Stand::failures; }

 private:
  ImportPatch patch_;
};

// A failing import as a value a table row can make: FAIL_IMPORT("KERNEL32.dll",
// CreateDirectoryW, FALSE) fails every call of CreateDirectoryW, and with a
// fourth argument n, every call after the first n.
template <typename Function, auto kAnswer>
std::shared_ptr<void> FailImport(const char* module, const char* function, int passes = 0) {
  return std::make_shared<FailingImport<Function, kAnswer>>(module, function, passes);
}
#define FAIL_IMPORT(module, function, answer, ...)               \
  quillane_test::FailImport<decltype(&function), answer>(module, \
                                                         #function __VA_OPT__(, ) __VA_ARGS__)

// GetProcAddress answers `replacement` (null: "no such export") for each
// name listed, and the platform's answer for every other name.
class ReplacedExports {
 public:
  ReplacedExports(std::initializer_list<std::pair<const char*, const void*>> exports);
  ~ReplacedExports();

 private:
  ImportPatch patch_;
};

// Runs `run(passes)` for passes = 0, 1, ... until a run in which nothing
// was refused: each run lets the first `passes` calls through, refuses the
// later ones, tells whether it succeeded and answers how many it refused. A
// run must fail whenever a call was refused, unless `recoverable` (a refused
// call the work could do without; the run checks what its success claims),
// and the last one succeed.
void ExpectFailureWheneverRefused(const std::function<int(int passes, bool& succeeded)>& run,
                                  bool recoverable = false);

// That with module!function as the call refused.
template <typename Function, auto kAnswer>
void ExpectFailureWheneverImportFails(const char* module, const char* function,
                                      const std::function<bool()>& call) {
  ExpectFailureWheneverRefused([&](int passes, bool& succeeded) {
    FailingImport<Function, kAnswer> failing(module, function, passes);
    succeeded = call();
    return failing.Failures();
  });
}
#define EXPECT_FAILURE_WHENEVER_IMPORT_FAILS(module, function, answer, call)                      \
  quillane_test::ExpectFailureWheneverImportFails<decltype(&function), answer>(module, #function, \
                                                                               call)

// That with memory running out (the product's texts grow through realloc
// alone); `cleanUp` then runs after each call with all the memory it asks
// for.
void ExpectFailureWheneverMemoryRunsOut(const std::function<bool()>& call,
                                        const std::function<void()>& cleanUp = {},
                                        bool recoverable = false);

}  // namespace quillane_test
