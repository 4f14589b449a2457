#include "run/command_line.h"

#include "text/languages.h"

namespace quillane {
namespace {

constexpr size_t kOptionWordLength = 7;  // "-KP:COM" and its kin

// The mode switches in order of priority: the first one found anywhere in
// the command line decides; none is the interactive mode.
struct ModeSwitch {
  const Unit* form;
  const Unit* upperForm;
  RunMode mode;
};
// By priority. Every mode with an inner setup that a switch selects is a
// quiet one: the inner setup gets the quiet options and the language.
constexpr ModeSwitch kModeSwitches[] = {
    {u"-u3", u"-U3", RunMode::Cleanup},
    {u"-s1", u"-S1", RunMode::QuietWithPorts},
    {u"-u1", u"-U1", RunMode::Quiet},
};

bool ContainsEither(const WideString& text, const Unit* first, const Unit* second) {
  return text.Contains(first) || text.Contains(second);
}

bool IsConversionSpace(Unit unit) {
  // The white space that wcstol skips before a number, but the blank: that
  // ends the option before it is read.
  return unit >= u'\t' && unit <= u'\r';
}

// First occurrence of word; its number when it lies in [low, high], else 0.
int32_t ReadPortWord(const WideString& commandLine, const Unit* word, int32_t low, int32_t high) {
  size_t position = commandLine.Find(word);
  if (position == WideString::npos) return 0;
  int32_t number = ReadOptionNumber(commandLine, position);
  return number >= low && number <= high ? number : 0;
}

int32_t ReadFamilyPort(const WideString& commandLine, const Unit* comWord, const Unit* lptWord) {
  int32_t port = ReadPortWord(commandLine, comWord, 1, 32);
  int32_t lpt = ReadPortWord(commandLine, lptWord, 1, 8);
  if (lpt != 0) port = 32 + lpt;
  return port;
}

}  // namespace

const Unit* LanguageOption(uint16_t userLanguage) {
  return FindUserLanguage(userLanguage).setupOption;
}

void AppendQuietOptions(uint16_t userLanguage, WideString& innerSetupOptions) {
  innerSetupOptions.Append(u" ");
  innerSetupOptions.Append(u"/hide_progress");
  innerSetupOptions.Append(u" ");
  innerSetupOptions.Append(LanguageOption(userLanguage));
}

RunMode DetectRunMode(const WideString& commandLine, uint16_t userLanguage,
                      WideString& innerSetupOptions) {
  const ModeSwitch* chosen = nullptr;
  for (const ModeSwitch& row : kModeSwitches) {
    if (ContainsEither(commandLine, row.form, row.upperForm)) {
      chosen = &row;
      break;
    }
  }
  const RunMode mode = chosen ? chosen->mode : RunMode::Interactive;
  if (mode == RunMode::Cleanup) return mode;  // no inner setup to give options to
  innerSetupOptions.Assign(u"/clone_wait");
  if (chosen) AppendQuietOptions(userLanguage, innerSetupOptions);
  return mode;
}

void DetectWindows2000Permission(const WideString& commandLine, int32_t& allowWindows2000) {
  if (ContainsEither(commandLine, u"-KM", u"-km")) allowWindows2000 = 1;
}

int32_t ReadOptionNumber(const WideString& commandLine, size_t position) {
  const Unit* text = commandLine.CStr();
  size_t end = commandLine.Find(u" ", position);
  if (end == WideString::npos) end = commandLine.Length();
  size_t at = position + kOptionWordLength;
  if (at > end) at = end;

  while (at < end && IsConversionSpace(text[at])) ++at;
  bool negative = false;
  if (at < end && (text[at] == u'+' || text[at] == u'-')) {
    negative = text[at] == u'-';
    ++at;
  }
  // Accumulate the magnitude in 64 bits and clamp as soon as it leaves the
  // 32-bit range, so any number of digits is safe.
  constexpr int64_t kMaxMagnitude = 2147483648LL;  // |INT32_MIN|
  int64_t magnitude = 0;
  for (; at < end && text[at] >= u'0' && text[at] <= u'9'; ++at) {
    magnitude = magnitude * 10 + (text[at] - u'0');
    if (magnitude > kMaxMagnitude) magnitude = kMaxMagnitude;
  }
  // The clamp keeps the negated magnitude at or above INT32_MIN.
  if (negative) return static_cast<int32_t>(-magnitude);
  return magnitude > INT32_MAX ? INT32_MAX : static_cast<int32_t>(magnitude);
}

PortOptions ReadPortOptions(const WideString& commandLine, RunMode mode) {
  PortOptions ports;
  if (mode != RunMode::QuietWithPorts) return ports;
  WideString copy(commandLine);
  ports.kpPort = ReadFamilyPort(copy, u"-KP:COM", u"-KP:LPT");
  ports.kvPort = ReadFamilyPort(copy, u"-KV:COM", u"-KV:LPT");
  return ports;
}

ResultCode CheckPortPair(const PortOptions& ports) {
  if (ports.kpPort == ports.kvPort && ports.kpPort != 0) return kSamePortForBoth;
  if (ports.kpPort == 0 && ports.kvPort != 0) return kKvPortWithoutKp;
  return kSuccess;
}

const Unit* SkipProgramName(const Unit* commandLine) {
  static const Unit kEmpty = 0;
  if (!commandLine) return &kEmpty;
  const Unit* at = commandLine;
  if (*at == u'"') {
    ++at;
    while (*at && *at != u'"') ++at;
    if (*at == u'"') ++at;
  } else {
    while (*at > u' ') ++at;
  }
  // Every unit up to the blank counts as a separator, control characters too.
  while (*at && *at <= u' ') ++at;
  return at;
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
