// PORTS.dat: the port settings the installed devices already have, left for
// the inner setup beside it.
#pragma once

#include <stdio.h>

namespace quillane {

// "[PORTS]" and a line for each enabled COM port of the supported USB
// device's instances.
void WritePortsSection(FILE* stream);

// "[QLANE]" and a line for each root-enumerated port of the port emulator.
void WriteVirtualPortsSection(FILE* stream);

// PORTS.dat at `path`, created or truncated as text, with both sections;
// true only when it was written whole.
bool WritePortsFile(const wchar_t* path);

}  // namespace quillane
