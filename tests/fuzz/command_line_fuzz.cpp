// The installer's own command line, from the raw text the process receives
// to the command line the launcher hands to the platform: program-name
// skipping, run mode and inner-setup options, the Windows 2000 switch, the
// port options and their pair check, the window link, the argument text and
// the launcher's 1024-unit command line.
//
// Input layout (little-endian):
//   2 bytes  user LANGID
//   8 bytes  window handle value (cut to pointer width)
//   2 bytes  program path length in units, taken modulo 300 (past the
//            259 units a real path buffer holds)
//   rest     UTF-16 units of the raw command line, program name first; a NUL
//            unit ends it, as it ends the text the platform gives

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_input.h"
#include "run/command_line.h"
#include "run/launch/launch_command.h"
#include "run/launch/window_messages.h"

namespace quillane::fuzz {
namespace {

constexpr size_t npos = std::u16string::npos;

bool Has(const std::u16string& text, const char16_t* word) { return text.find(word) != npos; }

// Where the arguments begin: after a quoted program name (to its closing
// quote or the end) or an unquoted one (to the first unit at or below the
// blank), and after the units at or below the blank that follow it.
size_t ArgumentsStart(const std::u16string& raw) {
  size_t at = 0;
  if (!raw.empty() && raw[0] == u'"') {
    size_t closing = raw.find(u'"', 1);
    at = closing == npos ? raw.size() : closing + 1;
  } else {
    while (at < raw.size() && raw[at] > u' ') ++at;
  }
  while (at < raw.size() && raw[at] <= u' ') ++at;
  return at;
}

// The rule, read on its own: every three-unit window of the text that is a
// mode switch ("-u3", "-s1", "-u1", the letter in either case, the digit as
// it is) ranks its mode, clean-up over quiet with ports over quiet; the
// highest rank found decides, none is the interactive mode.
RunMode ExpectedMode(const std::u16string& line) {
  int rank = 0;  // 0 interactive, 1 quiet, 2 quiet with ports, 3 clean-up
  for (size_t at = 0; at + 3 <= line.size(); ++at) {
    if (line[at] != u'-') continue;
    const char16_t letter =
        line[at + 1] | 0x20;  // 'U' and 'u' alike; no other unit gives 'u' or 's'
    if (letter == u'u' && line[at + 2] == u'3') rank = std::max(rank, 3);
    if (letter == u's' && line[at + 2] == u'1') rank = std::max(rank, 2);
    if (letter == u'u' && line[at + 2] == u'1') rank = std::max(rank, 1);
  }
  const RunMode byRank[] = {RunMode::Interactive, RunMode::Quiet, RunMode::QuietWithPorts,
                            RunMode::Cleanup};
  return byRank[rank];
}

// "-l0x" and the LANGID in four lower-case hexadecimal digits, for the four
// languages the installer knows; English's for every other LANGID.
std::u16string ExpectedLanguageOption(uint16_t language) {
  const bool known =
      language == 0x0409 || language == 0x0411 || language == 0x0404 || language == 0x0804;
  char text[16];
  std::snprintf(text, sizeof(text), "-l0x%04x", known ? language : 0x0409);
  return std::u16string(text, text + std::strlen(text));
}

// The value text after an option word at `position`, up to the first blank,
// read as the C library's decimal conversion reads it and clamped to 32 bits.
// Units outside ASCII are neither white space nor digits to it.
int32_t ExpectedNumber(const std::u16string& line, size_t position) {
  size_t end = line.find(u' ', position);
  if (end == npos) end = line.size();
  std::string value;
  for (size_t at = position + 7; at < end; ++at) {
    value.push_back(line[at] < 0x80 && line[at] != 0 ? static_cast<char>(line[at]) : '?');
  }
  long long number = std::strtoll(value.c_str(), nullptr, 10);
  if (number > INT32_MAX) return INT32_MAX;
  if (number < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(number);
}

int32_t ExpectedPort(const std::u16string& line, const char16_t* comWord, const char16_t* lptWord) {
  int32_t port = 0;
  size_t com = line.find(comWord);
  if (com != npos) {
    int32_t number = ExpectedNumber(line, com);
    if (number >= 1 && number <= 32) port = number;
  }
  size_t lpt = line.find(lptWord);
  if (lpt != npos) {
    int32_t number = ExpectedNumber(line, lpt);
    if (number >= 1 && number <= 8) port = 32 + number;
  }
  return port;
}

bool IsPortNumber(int32_t port) { return port >= 0 && port <= 40; }

// The pair's rule as a table of (KP set, KV set, both the same): 106 when
// both are set to one port, 107 when only KV is set, else 0.
void CheckPairResult(const PortOptions& ports) {
  static const ResultCode kByCase[2][2][2] = {
      {{kSuccess, kSuccess}, {kKvPortWithoutKp, kKvPortWithoutKp}},  // KP not set
      {{kSuccess, kSuccess}, {kSuccess, kSamePortForBoth}},          // KP set
  };
  const ResultCode expected =
      kByCase[ports.kpPort != 0][ports.kvPort != 0][ports.kpPort == ports.kvPort];
  FUZZ_CHECK(CheckPortPair(ports) == expected, "106 for one port twice, 107 for KV alone");
}

std::u16string Ascii(const std::string& text) { return std::u16string(text.begin(), text.end()); }

std::u16string ExpectedArguments(const WideString& options, const WideString& link,
                                 const std::u16string& commandLine) {
  std::u16string expected = Text(options) + u" \"" + Text(link);
  // Counted up to 1024 units, the command line is empty only when its first
  // unit is the terminator.
  if (!commandLine.empty() && commandLine[0] != 0) expected += u" " + commandLine;
  return expected + u"\"";
}

void CheckLaunchCommand(size_t pathUnits, const WideString& arguments) {
  // Both texts in allocations that end right after them: the sanitizer sees
  // any read past the path's terminator or past argumentsLength units.
  auto path = std::make_unique<Unit[]>(pathUnits + 1);
  static const char16_t kPattern[] = u"C:\\Users\\Quillane\\AppData\\Local\\Temp\\";
  for (size_t at = 0; at < pathUnits; ++at) {
    path[at] = kPattern[at % (sizeof(kPattern) / sizeof(kPattern[0]) - 1)];
  }
  path[pathUnits] = 0;
  const size_t argumentsLength = arguments.Length();
  auto argumentUnits = std::make_unique<Unit[]>(argumentsLength ? argumentsLength : 1);
  for (size_t at = 0; at < argumentsLength; ++at) argumentUnits[at] = arguments[at];

  LaunchCommand command;
  const bool composed =
      ComposeLaunchCommand(path.get(), argumentUnits.get(), argumentsLength, command);
  const size_t counted = pathUnits < kPathUnits ? pathUnits : kPathUnits;
  const bool fits = counted + argumentsLength + 2 <= kLaunchCommandUnits;
  FUZZ_CHECK(composed == fits, "a command line is composed exactly when it fits 1024 units");
  FUZZ_CHECK(command.Length() < kLaunchCommandUnits, "the command line stays within 1024 units");
  FUZZ_CHECK(command.CStr()[command.Length()] == 0, "the command line is terminated");
  FUZZ_CHECK(command.CStr()[kLaunchCommandUnits - 1] == 0,
             "the buffer's last unit is a terminator");
  if (composed) {
    std::u16string expected = std::u16string(path.get(), counted) + u" " + Text(arguments);
    FUZZ_CHECK(std::u16string(command.CStr(), command.Length()) == expected,
               "path, one blank and the whole argument text, unquoted");
    for (size_t at = command.Length(); at < kLaunchCommandUnits; ++at) {
      FUZZ_CHECK(command.CStr()[at] == 0, "the rest of the buffer stays zero-filled");
    }
  }
}

}  // namespace
}  // namespace quillane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quillane;
  using namespace quillane::fuzz;
  FuzzInput input(data, size);
  const uint16_t language = input.U16();
  const intptr_t handle = static_cast<intptr_t>(input.U64());
  const size_t pathUnits = input.U16() % 300;
  std::u16string raw = input.RestAsUnits();
  const std::u16string withNuls = raw;
  raw.resize(raw.find(u'\0') == std::u16string::npos ? raw.size() : raw.find(u'\0'));

  // The program name and the separators after it are skipped.
  auto process = std::make_unique<Unit[]>(raw.size() + 1);
  raw.copy(process.get(), raw.size());
  process[raw.size()] = 0;
  const Unit* rest = SkipProgramName(process.get());
  FUZZ_CHECK(rest >= process.get() && rest <= process.get() + raw.size(),
             "the arguments lie within the command line");
  FUZZ_CHECK(*rest == 0 || *rest > u' ', "the arguments begin with a character or are empty");
  FUZZ_CHECK(static_cast<size_t>(rest - process.get()) == ArgumentsStart(raw),
             "the program name ends where the entry convention ends it");
  FUZZ_CHECK(SkipProgramName(nullptr) != nullptr && *SkipProgramName(nullptr) == 0,
             "no command line gives empty arguments");
  const std::u16string line(rest);
  const WideString commandLine(rest);
  CheckHolds(commandLine, line, "the command line as a wide string");

  // Run mode and the inner setup's options.
  WideString options(u"left from before");
  const RunMode mode = DetectRunMode(commandLine, language, options);
  FUZZ_CHECK(mode == ExpectedMode(line), "mode by priority -u3, -s1, -u1 anywhere in the text");
  switch (mode) {
    case RunMode::Cleanup:
      CheckHolds(options, u"left from before", "the clean-up mode leaves the options alone");
      break;
    case RunMode::Interactive:
      CheckHolds(options, u"/clone_wait", "interactive options are /clone_wait alone");
      break;
    default:
      CheckHolds(options, u"/clone_wait /hide_progress " + ExpectedLanguageOption(language),
                 "quiet options with the user's language");
  }

  // The Windows 2000 switch sets the flag and never clears it.
  int32_t allow = 0;
  DetectWindows2000Permission(commandLine, allow);
  FUZZ_CHECK(allow == (Has(line, u"-KM") || Has(line, u"-km") ? 1 : 0), "-KM or -km, nothing else");
  allow = 1;
  DetectWindows2000Permission(commandLine, allow);
  FUZZ_CHECK(allow == 1, "the Windows 2000 flag is never cleared");

  // Ports: read only in mode 1, and read whatever the mode for the parser.
  const PortOptions runPorts = ReadPortOptions(commandLine, mode);
  if (mode != RunMode::QuietWithPorts) {
    FUZZ_CHECK(runPorts.kpPort == 0 && runPorts.kvPort == 0, "ports are read in mode 1 only");
  }
  const PortOptions ports = ReadPortOptions(commandLine, RunMode::QuietWithPorts);
  FUZZ_CHECK(IsPortNumber(ports.kpPort) && IsPortNumber(ports.kvPort), "ports are 0 or 1..40");
  FUZZ_CHECK(ports.kpPort == ExpectedPort(line, u"-KP:COM", u"-KP:LPT"), "KP port as read");
  FUZZ_CHECK(ports.kvPort == ExpectedPort(line, u"-KV:COM", u"-KV:LPT"), "KV port as read");
  if (mode == RunMode::QuietWithPorts) {
    FUZZ_CHECK(runPorts.kpPort == ports.kpPort && runPorts.kvPort == ports.kvPort,
               "mode 1 reads the ports");
  }
  CheckPairResult(ports);
  CheckPairResult(runPorts);

  // The window link and the argument text, which carries the command line whole.
  const WideString link = BuildWindowLinkOption(handle);
  CheckHolds(link, u"/W32:" + Ascii(std::to_string(handle)) + u":1024", "window link");
  const WideString arguments = BuildInnerSetupArguments(options, link, commandLine);
  CheckHolds(arguments, ExpectedArguments(options, link, line),
             "options, quoted window link and the whole command line");
  // A command line given with NUL units in it is carried whole as well.
  const WideString unitsWithNuls(withNuls.data(), withNuls.size());
  CheckHolds(BuildInnerSetupArguments(options, link, unitsWithNuls),
             ExpectedArguments(options, link, withNuls), "the command line is never shortened");

  // The launcher's command line near its limit.
  CheckLaunchCommand(pathUnits, arguments);

  // The same text read as a window class name.
  FUZZ_CHECK(IsSetupDialogClass(commandLine.CStr()) ==
                 (Has(line, u"TSetDialog") || Has(line, u"MsiDialogCloseClass")),
             "setup dialog classes by substring, case counts");
  return 0;
}
