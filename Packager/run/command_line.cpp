#include "run/command_line.h"

namespace quillane {

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

}  // namespace quillane
