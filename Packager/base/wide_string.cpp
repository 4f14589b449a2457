#include "base/wide_string.h"

#include <cstdlib>
#include <cstring>

namespace quillane {

const Unit WideString::kEmpty = 0;

size_t TextLength(const Unit* text) {
  size_t length = 0;
  if (text) {
    while (text[length]) ++length;
  }
  return length;
}

size_t TextLengthBounded(const Unit* text, size_t limit) {
  size_t length = 0;
  if (text) {
    while (length < limit && text[length]) ++length;
  }
  return length;
}

size_t FindText(const Unit* haystack, size_t haystackLength, const Unit* needle,
                size_t needleLength, size_t from) {
  if (needleLength > haystackLength || from > haystackLength - needleLength) {
    return WideString::npos;
  }
  for (size_t at = from; at + needleLength <= haystackLength; ++at) {
    if (std::memcmp(haystack + at, needle, needleLength * sizeof(Unit)) == 0) return at;
  }
  return WideString::npos;
}

WideString::WideString(const Unit* text) { Append(text); }

WideString::WideString(const Unit* text, size_t count) { Append(text, count); }

WideString::WideString(const WideString& other) { Append(other); }

WideString::WideString(WideString&& other) noexcept
    : data_(other.data_), length_(other.length_), capacity_(other.capacity_) {
  other.data_ = nullptr;
  other.length_ = 0;
  other.capacity_ = 0;
}

WideString& WideString::operator=(const WideString& other) {
  if (this != &other) Assign(other.CStr(), other.Length());
  return *this;
}

WideString& WideString::operator=(WideString&& other) noexcept {
  if (this != &other) {
    std::free(data_);
    data_ = other.data_;
    length_ = other.length_;
    capacity_ = other.capacity_;
    other.data_ = nullptr;
    other.length_ = 0;
    other.capacity_ = 0;
  }
  return *this;
}

WideString::~WideString() { std::free(data_); }

bool WideString::Reserve(size_t units) {
  if (units <= capacity_) return true;
  size_t capacity = capacity_ ? capacity_ : 16;
  while (capacity < units) {
    if (capacity > static_cast<size_t>(-1) / 2 / sizeof(Unit)) return false;
    capacity *= 2;
  }
  void* grown = std::realloc(data_, capacity * sizeof(Unit));
  if (!grown) return false;
  data_ = static_cast<Unit*>(grown);
  capacity_ = capacity;
  return true;
}

bool WideString::Append(const Unit* text, size_t count) {
  if (count > static_cast<size_t>(-1) / sizeof(Unit) - length_ - 1) return false;
  // The text may be a part of this string itself; growing moves the storage,
  // so such a text is found again by its offset afterwards.
  const bool inside = data_ && text >= data_ && text < data_ + capacity_;
  const size_t offset = inside ? static_cast<size_t>(text - data_) : 0;
  if (!Reserve(length_ + count + 1)) return false;
  if (inside) text = data_ + offset;
  if (count) std::memmove(data_ + length_, text, count * sizeof(Unit));
  length_ += count;
  data_[length_] = 0;
  return true;
}

bool WideString::Assign(const Unit* text, size_t count) {
  if (text >= CStr() && text <= CStr() + length_) {
    WideString copy(text, count);
    *this = static_cast<WideString&&>(copy);
    return Length() == count;
  }
  Clear();
  return Append(text, count);
}

void WideString::Clear() {
  length_ = 0;
  if (data_) data_[0] = 0;
}

size_t WideString::Find(const Unit* needle, size_t from) const {
  return FindText(CStr(), length_, needle, TextLength(needle), from);
}

bool WideString::Equals(const Unit* text, size_t count) const {
  return count == length_ && (count == 0 || std::memcmp(CStr(), text, count * sizeof(Unit)) == 0);
}

bool AppendPathPart(WideString& path, const Unit* part) {
  const bool rooted = !path.Empty() && path[path.Length() - 1] == u'\\';
  return (rooted || path.Append(u'\\')) && path.Append(part);
}

}  // namespace quillane
