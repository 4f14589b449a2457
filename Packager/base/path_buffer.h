// A fixed-capacity, zero-filled UTF-16 buffer for paths. Append never writes
// past the end: a text that does not fit is refused and reported, so a caller
// decides what an over-long path means instead of receiving a truncated one.
#pragma once

#include <cstddef>
#include <cstring>

#include "base/wide_string.h"

namespace quillane {

// The classic Windows path buffer: 259 characters and the terminator.
constexpr size_t kPathUnits = 260;

template <size_t Capacity>
class PathBuffer {
  static_assert(Capacity > 0, "room for the terminator is needed");

 public:
  PathBuffer() { std::memset(units_, 0, sizeof(units_)); }

  // Appends count units; false and the buffer unchanged when they do not fit
  // together with the terminator.
  bool Append(const Unit* text, size_t count) {
    if (count > Capacity - 1 - length_) return false;
    if (count) std::memcpy(units_ + length_, text, count * sizeof(Unit));
    length_ += count;
    units_[length_] = 0;
    return true;
  }
  bool Append(const Unit* text) { return Append(text, TextLength(text)); }
  bool Append(const WideString& text) { return Append(text.CStr(), text.Length()); }

  const Unit* CStr() const { return units_; }
  // For a platform call that writes the text itself; AdoptWrittenText then
  // terminates it within the buffer and takes its length.
  Unit* Data() { return units_; }
  void AdoptWrittenText() {
    units_[Capacity - 1] = 0;
    length_ = TextLength(units_);
  }
  size_t Length() const { return length_; }
  static constexpr size_t kCapacity = Capacity;

 private:
  Unit units_[Capacity];
  size_t length_ = 0;
};

}  // namespace quillane
