// An owned, growable UTF-16 text with an explicit length, always NUL-terminated.
// The shipping program must not pull in the C++ runtime's string classes (they
// cost far more than the whole stub), so this is the project's own small type.
#pragma once

#include <cstddef>

namespace quillane {

using Unit = char16_t;

// Number of units before the first NUL.
size_t TextLength(const Unit* text);
// Same, but never looks at more than `limit` units.
size_t TextLengthBounded(const Unit* text, size_t limit);

class WideString {
 public:
  static constexpr size_t npos = static_cast<size_t>(-1);

  WideString() = default;
  explicit WideString(const Unit* text);
  WideString(const Unit* text, size_t count);
  WideString(const WideString& other);
  WideString(WideString&& other) noexcept;
  WideString& operator=(const WideString& other);
  WideString& operator=(WideString&& other) noexcept;
  ~WideString();

  // Appends count units; false (and the text unchanged) when memory runs out.
  bool Append(const Unit* text, size_t count);
  bool Append(const Unit* text) { return Append(text, TextLength(text)); }
  bool Append(const WideString& other) { return Append(other.CStr(), other.Length()); }
  bool Append(Unit unit) { return Append(&unit, 1); }
  bool Assign(const Unit* text, size_t count);
  bool Assign(const Unit* text) { return Assign(text, TextLength(text)); }
  void Clear();

  const Unit* CStr() const { return data_ ? data_ : &kEmpty; }
  size_t Length() const { return length_; }
  bool Empty() const { return length_ == 0; }
  Unit operator[](size_t index) const { return CStr()[index]; }

  // Position of the first occurrence of needle at or after `from`, or npos.
  size_t Find(const Unit* needle, size_t from = 0) const;
  bool Contains(const Unit* needle) const { return Find(needle) != npos; }

  bool Equals(const Unit* text, size_t count) const;
  bool operator==(const WideString& other) const { return Equals(other.CStr(), other.Length()); }
  bool operator==(const Unit* text) const { return Equals(text, TextLength(text)); }

 private:
  bool Reserve(size_t units);

  static const Unit kEmpty;
  Unit* data_ = nullptr;
  size_t length_ = 0;
  size_t capacity_ = 0;  // units, terminator included
};

// Position of the first occurrence of needle (needleLength units) in
// haystack (haystackLength units) at or after `from`, or WideString::npos.
size_t FindText(const Unit* haystack, size_t haystackLength, const Unit* needle,
                size_t needleLength, size_t from = 0);

// The unit with an ASCII lower-case letter made upper case; every other unit
// as it is. Names the platform compares without regard to case differ only
// in these for everything this program handles.
inline Unit UpperAscii(Unit unit) {
  return unit >= u'a' && unit <= u'z' ? static_cast<Unit>(unit - (u'a' - u'A')) : unit;
}

// Appends `part` to a folder's path after one backslash; none is added where
// the path already ends with one (a drive's or a volume's root). False when
// memory runs out.
bool AppendPathPart(WideString& path, const Unit* part);

}  // namespace quillane
