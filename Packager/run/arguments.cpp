#include "run/arguments.h"

namespace quillane {

WideString FormatSigned(int64_t value) {
  Unit digits[24];
  size_t count = 0;
  // Work on the magnitude as unsigned so that INT64_MIN has one too.
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  do {
    digits[count++] = static_cast<Unit>(u'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  WideString text;
  if (value < 0) text.Append(u'-');
  while (count > 0) text.Append(digits[--count]);
  return text;
}

WideString BuildWindowLinkOption(int64_t windowHandleValue) {
  WideString option(u"/W32:");
  option.Append(FormatSigned(windowHandleValue));
  option.Append(u':');
  option.Append(FormatSigned(kResultMessage));
  return option;
}

WideString BuildInnerSetupArguments(const WideString& innerSetupOptions,
                                    const WideString& windowLinkOption,
                                    const WideString& commandLine) {
  WideString arguments(innerSetupOptions);
  arguments.Append(u" \"");
  arguments.Append(windowLinkOption);
  if (TextLengthBounded(commandLine.CStr(), 1024) != 0) {
    arguments.Append(u' ');
    arguments.Append(commandLine);
  }
  arguments.Append(u'"');
  return arguments;
}

}  // namespace quillane
