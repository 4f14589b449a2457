#include "run/launch/window_messages.h"

namespace quillane {

WideString FormatSigned(intptr_t value) {
  Unit digits[24];
  size_t count = 0;
  // Work on the magnitude as unsigned so that the most negative value has one too.
  // Pointer width: the 32-bit program needs no 64-bit division helpers.
  uintptr_t magnitude =
      value < 0 ? 0 - static_cast<uintptr_t>(value) : static_cast<uintptr_t>(value);
  do {
    digits[count++] = static_cast<Unit>(u'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  WideString text;
  if (value < 0) text.Append(u'-');
  while (count > 0) text.Append(digits[--count]);
  return text;
}

WideString BuildWindowLinkOption(intptr_t windowHandleValue) {
  WideString option(u"/W32:");
  option.Append(FormatSigned(windowHandleValue));
  option.Append(u':');
  option.Append(FormatSigned(kResultMessage));
  return option;
}

}  // namespace quillane
