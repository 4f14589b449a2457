// The lines of PORTS.dat from whatever the registry holds: any port number,
// enabled value, 32-bit value and key or value text, into buffers of any
// size, and the small readings behind them (instance and driver numbers, the
// port emulator's hardware id).
//
// Input layout (little-endian):
//   4 bytes  port number value
//   1 byte   bit 0: family KV; bit 1: the enabled value was read
//   4 bytes  enabled value
//   2 bytes  output capacity in bytes, taken modulo 1100
//   32 bytes the eight 32-bit values DCD, DSR, CTS, RI, KP, KV, PH, Async
//   then four texts, each a 2-byte length (modulo 301) and that many bytes:
//            instance key name, PortName, Driver, VrnID (a NUL byte ends
//            a text early, as it ends a C string)
//   rest     HardwareID bytes, not necessarily terminated

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_input.h"
#include "ports/ports_format.h"

namespace quillane::fuzz {
namespace {

// The output buffers of the snapshot writer and its 260-byte text reads.
constexpr size_t kLineBytes = 1024;
constexpr size_t kTextBytes = 260;

std::string CountedText(FuzzInput& input) {
  std::string text = input.Bytes(input.U16() % 301);
  return text.substr(0, text.find('\0'));
}

// A C string in an allocation that ends right after its terminator.
std::unique_ptr<char[]> Exact(const std::string& text) {
  auto copy = std::make_unique<char[]>(text.size() + 1);
  std::memcpy(copy.get(), text.c_str(), text.size() + 1);
  return copy;
}

// The decimal reading of atoi: white space, a sign, digits; 0 without
// digits; clamped to 32 bits instead of overflowing.
int32_t ExpectedAtoi(const char* text) {
  while (*text == ' ' || (*text >= '\t' && *text <= '\r')) ++text;
  bool negative = false;
  if (*text == '+' || *text == '-') negative = *text++ == '-';
  int64_t magnitude = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    magnitude = magnitude * 10 + (*text - '0');
    if (magnitude > 1LL << 31) magnitude = 1LL << 31;
  }
  int64_t value = negative ? -magnitude : magnitude;
  return value > INT32_MAX ? INT32_MAX : static_cast<int32_t>(value);
}

std::string Printed(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Printed(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  va_list again;
  va_copy(again, arguments);
  const int length = std::vsnprintf(nullptr, 0, format, arguments);
  va_end(arguments);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  std::vsnprintf(text.data(), text.size(), format, again);
  va_end(again);
  text.resize(static_cast<size_t>(length));
  return text;
}

// A formatted line: refused exactly when it and its terminator do not fit,
// never written past the buffer, terminated within it, and when accepted the
// line that printf would write.
void CheckLine(bool formatted, const std::string& expected, const char* out, size_t capacity,
               const char* what) {
  FUZZ_CHECK(formatted == (expected.size() + 1 <= capacity), what);
  if (capacity > 0) FUZZ_CHECK(std::memchr(out, 0, capacity) != nullptr, what);
  if (formatted) FUZZ_CHECK(expected == out, what);
}

void CheckHardwareId(const std::string& bytes) {
  const size_t size = bytes.size();
  auto buffer = std::make_unique<char[]>(size ? size : 1);
  std::memcpy(buffer.get(), bytes.data(), size);
  const size_t first = std::min(bytes.find('\0'), size);
  std::string lowered = bytes.substr(0, first);
  for (char& letter : lowered) {
    if (letter >= 'A' && letter <= 'Z') letter = static_cast<char>(letter - 'A' + 'a');
  }
  const bool matches = IsEmulatorHardwareId(buffer.get(), size);
  FUZZ_CHECK(matches == (lowered.find("umdf\\varnoportemulator") != std::string::npos),
             "the driver's id anywhere in the lower-cased first string");
  FUZZ_CHECK(std::memcmp(buffer.get(), lowered.data(), first) == 0,
             "the first string is lower-cased in place");
  FUZZ_CHECK(std::memcmp(buffer.get() + first, bytes.data() + first, size - first) == 0,
             "nothing after the first string changes");
}

}  // namespace
}  // namespace quillane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quillane;
  using namespace quillane::fuzz;
  FuzzInput input(data, size);
  const uint32_t port = input.U32();
  const uint8_t flags = input.Byte();
  const PortFamily family = flags & 1 ? PortFamily::Kv : PortFamily::Kp;
  const bool enabledRead = flags & 2;
  const uint32_t enabled = input.U32();
  const size_t capacity = input.U16() % 1100;
  int32_t values[8];
  for (int32_t& value : values) value = static_cast<int32_t>(input.U32());
  const std::string instance = CountedText(input);
  const std::string portName = CountedText(input);
  const std::string driver = CountedText(input);
  const std::string id = CountedText(input);
  const std::string hardwareId = input.Bytes(input.Left());

  // [PORTS]: which lines are written, and how.
  const bool write = ShouldWritePortLine(port, enabledRead, enabled);
  FUZZ_CHECK(write == (port >= 1 && port <= 40 && (!enabledRead || enabled == 1)),
             "a port line for ports 1..40 whose enabled value is missing or 1");
  const int familyNumber = family == PortFamily::Kv ? 1 : 0;
  auto instanceText = Exact(instance);
  {
    const int32_t anyPort = static_cast<int32_t>(port);
    auto out = std::make_unique<char[]>(capacity ? capacity : 1);
    const bool formatted = FormatPortLine(anyPort, family, instanceText.get(), out.get(), capacity);
    CheckLine(formatted, Printed("%d=%d,%s\n", anyPort, familyNumber, instance.c_str()), out.get(),
              capacity, "[PORTS] line in any buffer");
  }
  if (write && instance.size() < kTextBytes) {
    // As the writer does it: an enumerated name of at most 259 characters
    // always fits its line, and the line names a port 1..40.
    char line[kLineBytes];
    FUZZ_CHECK(
        FormatPortLine(static_cast<int32_t>(port), family, instanceText.get(), line, sizeof(line)),
        "a [PORTS] line always fits the writer's buffer");
    const int32_t written = ExpectedAtoi(line);
    FUZZ_CHECK(written >= 1 && written <= 40, "a written port number is 1..40");
    FUZZ_CHECK(Printed("%d=%d,%s\n", written, familyNumber, instance.c_str()) == line,
               "port, family and instance name unchanged");
  }

  // [QLANE]: the numbers read from names, and the line.
  auto driverText = Exact(driver);
  const char* backslash = std::strchr(driver.c_str(), '\\');
  FUZZ_CHECK(DriverNumber(driverText.get()) == (backslash ? ExpectedAtoi(backslash + 1) : 9999),
             "the number after the first backslash, 9999 without one");
  FUZZ_CHECK(InstanceNumber(instanceText.get()) == ExpectedAtoi(instance.c_str()),
             "the instance number as atoi reads the name");
  CheckHardwareId(hardwareId);

  auto portNameText = Exact(portName);
  auto idText = Exact(id);
  VirtualPortLine line{};
  line.portName = portNameText.get();
  line.instanceNumber = InstanceNumber(instanceText.get());
  line.driverNumber = DriverNumber(driverText.get());
  std::memcpy(line.values, values, sizeof(values));
  line.id = idText.get();
  const std::string expected =
      Printed("%s=%04d,%04d,%d,%d,%d,%d,%d,%d,%d,%d,%s\n", portName.c_str(), line.instanceNumber,
              line.driverNumber, values[0], values[1], values[2], values[3], values[4], values[5],
              values[6], values[7], id.c_str());
  {
    auto out = std::make_unique<char[]>(capacity ? capacity : 1);
    CheckLine(FormatVirtualPortLine(line, out.get(), capacity), expected, out.get(), capacity,
              "[QLANE] line in any buffer");
  }
  if (portName.size() <= kTextBytes && id.size() <= kTextBytes) {
    // Texts as the writer reads them (at most 260 bytes) always fit its line.
    char text[kLineBytes];
    FUZZ_CHECK(FormatVirtualPortLine(line, text, sizeof(text)),
               "a [QLANE] line always fits the writer's buffer");
    FUZZ_CHECK(expected == text, "the [QLANE] line as printf writes it");
  }
  return 0;
}
