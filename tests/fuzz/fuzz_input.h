// What every fuzz target shares: a reader that takes the fuzzer's bytes from
// the front in a fixed layout (so that seed files can be written by hand),
// and a check that stops the run with a message when a promise is broken.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/wide_string.h"
#include "text.h"

// Aborts with the place and the broken promise; libFuzzer then keeps the
// input that broke it.
#define FUZZ_CHECK(condition, message)                                                         \
  do {                                                                                         \
    if (!(condition)) {                                                                        \
      std::fprintf(stderr, "%s:%d: broken promise: %s\n  (%s)\n", __FILE__, __LINE__, message, \
                   #condition);                                                                \
      std::abort();                                                                            \
    }                                                                                          \
  } while (0)

namespace quillane::fuzz {

// Little-endian fields from the front of the input; a field past the end
// reads as zero bytes, so every input decodes to something.
class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  uint16_t U16() {
    uint16_t low = Byte();
    return static_cast<uint16_t>(low | Byte() << 8);
  }
  uint32_t U32() {
    uint32_t low = U16();
    return low | static_cast<uint32_t>(U16()) << 16;
  }
  uint64_t U64() {
    uint64_t low = U32();
    return low | static_cast<uint64_t>(U32()) << 32;
  }
  bool Empty() const { return at_ >= size_; }
  size_t Left() const { return size_ - at_; }

  // Up to `count` bytes as they are.
  std::string Bytes(size_t count) {
    if (count > Left()) count = Left();
    std::string bytes(reinterpret_cast<const char*>(data_ + at_), count);
    at_ += count;
    return bytes;
  }
  // A byte count, then that many bytes.
  std::string CountedBytes() { return Bytes(Byte()); }
  // Everything that is left, as UTF-16 units (a last odd byte is dropped).
  std::u16string RestAsUnits() {
    std::u16string units;
    while (Left() >= 2) units.push_back(static_cast<char16_t>(U16()));
    at_ = size_;
    return units;
  }
  // `count` units or as many as are left.
  std::u16string Units(size_t count) {
    std::u16string units;
    while (units.size() < count && Left() >= 2) units.push_back(static_cast<char16_t>(U16()));
    return units;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

// The promise every WideString keeps: its length, its units, a terminator.
inline void CheckHolds(const WideString& text, const std::u16string& expected, const char* what) {
  FUZZ_CHECK(text.Length() == expected.size(), what);
  FUZZ_CHECK(text.Empty() == expected.empty(), what);
  FUZZ_CHECK(std::memcmp(text.CStr(), expected.data(), expected.size() * sizeof(Unit)) == 0, what);
  FUZZ_CHECK(text.CStr()[text.Length()] == 0, what);
}

}  // namespace quillane::fuzz
