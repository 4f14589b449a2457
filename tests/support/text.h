// The product's texts as standard strings, for the tests' comparisons and
// messages.
#pragma once

#include <cstddef>
#include <string>

#include "base/path_buffer.h"
#include "base/wide_string.h"

namespace quillane {

inline std::u16string Text(const WideString& text) { return {text.CStr(), text.Length()}; }

template <size_t Capacity>
std::u16string Text(const PathBuffer<Capacity>& text) {
  return {text.CStr(), text.Length()};
}

#ifdef _WIN32
// The same as the platform's wide text, for comparisons with its paths.
inline std::wstring WideText(const WideString& text) {
  return {reinterpret_cast<const wchar_t*>(text.CStr()), text.Length()};
}
#endif

}  // namespace quillane
