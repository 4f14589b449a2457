// The lines of PORTS.dat and the small decisions behind them. 8-bit text as
// the ANSI registry functions give it; each line ends in "\n", which the
// text-mode stream writes as CR LF.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quillane {

// Families of the supported USB device.
enum class PortFamily : int { Kp = 0, Kv = 1 };

// A [PORTS] line is written for a port number 1..40 whose enabled value is
// missing or 1.
bool ShouldWritePortLine(uint32_t port, bool enabledRead, uint32_t enabled);

// "<port>=<family>,<instance>\n"; false when it does not fit.
bool FormatPortLine(int32_t port, PortFamily family, const char* instance, char* out,
                    size_t capacity);

// The number after the first backslash of a Driver value, as atoi reads it;
// 9999 when there is no backslash.
int32_t DriverNumber(const char* driver);

// An instance key name as atoi reads it (0 without leading digits).
int32_t InstanceNumber(const char* name);

// Lower-cases the first string of a HardwareID (ASCII letters, in place, up
// to its first NUL within `size` bytes) and tells whether it names the port
// emulator's driver.
bool IsEmulatorHardwareId(char* hardwareId, size_t size);

struct VirtualPortLine {
  const char* portName;
  int32_t instanceNumber;
  int32_t driverNumber;
  int32_t values[8];  // DCD, DSR, CTS, RI, KP, KV, PH, Async
  const char* id;     // empty when missing
};

// "<name>=<%04d>,<%04d>,v1,...,v8,<id>\n"; false when it does not fit.
bool FormatVirtualPortLine(const VirtualPortLine& line, char* out, size_t capacity);

// What the writing of PORTS.dat left: whether the stream reported an error,
// its position at the end (negative when unknown), whether it closed
// cleanly, and the file's size on disk as read afterwards.
struct PortsFileWritten {
  bool streamFailed;
  long long streamLength;
  bool closed;
  bool sizeRead;
  unsigned long long sizeOnDisk;
};

// Whether PORTS.dat was written whole: the inner setup renumbers the user's
// ports from it, so a file cut short is a failure. A C runtime may take a
// short write on a full disk for success, so the size on disk must equal
// the stream's own length.
bool IsWrittenWhole(const PortsFileWritten& written);

}  // namespace quillane
