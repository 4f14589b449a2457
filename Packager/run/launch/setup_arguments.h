// The texts handed to the inner setup: the window link that tells it where
// to post its result, and its whole argument text.
#pragma once

#include <cstdint>
#include <cstddef>

#include "base/wide_string.h"

namespace quillane {

// The message with which the inner setup posts its result (WM_USER).
constexpr uint32_t kResultMessage = 1024;
// The message the launcher posts once the child has ended (WM_USER + 1).
constexpr uint32_t kChildEndedMessage = 1025;

// "/W32:" + the window handle's value as a signed decimal + ":1024".
WideString BuildWindowLinkOption(intptr_t windowHandleValue);

// innerSetupOptions, a blank, a double quote, the window link, then (only
// for a non-empty command line) a blank and the whole command line, and a
// closing double quote. The command line counts as empty when its first 1024
// units hold no character.
WideString BuildInnerSetupArguments(const WideString& innerSetupOptions,
                                    const WideString& windowLinkOption,
                                    const WideString& commandLine);

// Decimal text of a signed value of pointer width, no leading zeros.
WideString FormatSigned(intptr_t value);

}  // namespace quillane
