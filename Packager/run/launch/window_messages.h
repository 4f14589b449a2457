// The window messages between the run, the inner setup and the launcher,
// and the window link that tells the inner setup where to post its result.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/wide_string.h"

namespace quillane {

// The message with which the inner setup posts its result (WM_USER).
constexpr uint32_t kResultMessage = 1024;
// The message the launcher posts once the child has ended (WM_USER + 1).
constexpr uint32_t kChildEndedMessage = 1025;

// "/W32:" + the window handle's value as a signed decimal + ":1024".
WideString BuildWindowLinkOption(intptr_t windowHandleValue);

// Decimal text of a signed value of pointer width, no leading zeros.
WideString FormatSigned(intptr_t value);

}  // namespace quillane
