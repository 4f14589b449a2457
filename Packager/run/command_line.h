// The installer's own command line: where its arguments begin, and what
// they ask for. Every option is found by a case-sensitive substring search
// anywhere in the text, which is never split into words, so the same text can
// be handed on whole to the inner setup.
#pragma once

#include <cstdint>

#include "base/result_code.h"
#include "base/wide_string.h"

namespace quillane {

// The text after the program name and the blanks that follow it, as the
// wide-character GUI entry convention gives it: a program name that begins
// with a double quote runs to the next double quote (or the end), any other
// one to the first unit at or below U+0020; such units after it are skipped.
const Unit* SkipProgramName(const Unit* commandLine);

enum class RunMode : int32_t {
  Interactive = 0,
  QuietWithPorts = 1,
  Quiet = 2,
  Cleanup = 3,
};

// 0 none, 1..32 COM1..COM32, 33..40 LPT1..LPT8.
struct PortOptions {
  int32_t kpPort = 0;
  int32_t kvPort = 0;
};

// The inner setup's language option for a user language: "-l0x0411",
// "-l0x0404", "-l0x0804", or "-l0x0409" for every other LANGID.
const Unit* LanguageOption(uint16_t userLanguage);

// Appends " /hide_progress " and the language option.
void AppendQuietOptions(uint16_t userLanguage, WideString& innerSetupOptions);

// Mode by priority -u3/-U3, -s1/-S1, -u1/-U1. Outside the clean-up mode it
// sets innerSetupOptions to "/clone_wait", plus the quiet options in modes 1
// and 2; in the clean-up mode it leaves innerSetupOptions alone.
RunMode DetectRunMode(const WideString& commandLine, uint16_t userLanguage,
                      WideString& innerSetupOptions);

// Sets allowWindows2000 when "-KM" or "-km" occurs; never clears it.
void DetectWindows2000Permission(const WideString& commandLine, int32_t& allowWindows2000);

// The two families' ports; read only in mode 1, otherwise both 0.
PortOptions ReadPortOptions(const WideString& commandLine, RunMode mode);

// 106 for the same port twice, 107 for a KV port without a KP port, else 0.
ResultCode CheckPortPair(const PortOptions& ports);

// innerSetupOptions, a blank, a double quote, the window link, then (only
// for a non-empty command line) a blank and the whole command line, and a
// closing double quote. The command line counts as empty when its first 1024
// units hold no character.
WideString BuildInnerSetupArguments(const WideString& innerSetupOptions,
                                    const WideString& windowLinkOption,
                                    const WideString& commandLine);

// The number that follows an option word found at `position`: the text from
// position + 7 to the first blank, converted as wcstol(base 10) converts it,
// saturating beyond the 32-bit range.
int32_t ReadOptionNumber(const WideString& commandLine, size_t position);

}  // namespace quillane
