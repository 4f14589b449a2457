#include "ports/ports_format.h"

#include <cstdlib>
#include <cstring>

namespace quillane {
namespace {

// Builds one line in a caller's buffer; once something does not fit, the
// line is refused rather than cut short. No printf: the shipping program
// carries no formatter.
class LineBuilder {
 public:
  LineBuilder(char* out, size_t capacity) : out_(out), capacity_(capacity) {
    if (capacity_ == 0)
      fits_ = false;
    else
      out_[0] = 0;
  }
  LineBuilder& Text(const char* text) {
    for (; fits_ && *text; ++text) Put(*text);
    return *this;
  }
  // Signed decimal of at least minWidth characters, zero-filled after the
  // sign, as "%0<minWidth>d" writes it.
  LineBuilder& Decimal(int32_t value, int minWidth = 1) {
    char digits[12];
    int count = 0;
    uint32_t magnitude =
        value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    do {
      digits[count++] = static_cast<char>('0' + magnitude % 10);
      magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) Put('-');
    for (int width = count + (value < 0 ? 1 : 0); width < minWidth; ++width) Put('0');
    while (count > 0) Put(digits[--count]);
    return *this;
  }
  bool Done() const { return fits_; }

 private:
  void Put(char letter) {
    if (!fits_ || length_ + 1 >= capacity_) {
      fits_ = false;
      return;
    }
    out_[length_++] = letter;
    out_[length_] = 0;
  }
  char* out_;
  size_t capacity_;
  size_t length_ = 0;
  bool fits_ = true;
};

}  // namespace

bool IsWrittenWhole(const PortsFileWritten& written) {
  return !written.streamFailed && written.streamLength >= 0 && written.closed && written.sizeRead &&
         written.sizeOnDisk == static_cast<unsigned long long>(written.streamLength);
}

bool ShouldWritePortLine(uint32_t port, bool enabledRead, uint32_t enabled) {
  return port >= 1 && port <= 40 && (!enabledRead || enabled == 1);
}

bool FormatPortLine(int32_t port, PortFamily family, const char* instance, char* out,
                    size_t capacity) {
  return LineBuilder(out, capacity)
      .Decimal(port)
      .Text("=")
      .Decimal(static_cast<int32_t>(family))
      .Text(",")
      .Text(instance)
      .Text("\n")
      .Done();
}

int32_t DriverNumber(const char* driver) {
  const char* backslash = std::strchr(driver, '\\');
  return backslash ? InstanceNumber(backslash + 1) : 9999;
}

int32_t InstanceNumber(const char* name) {
  // atoi without its undefined overflow: saturate like strtol, then narrow.
  long value = std::strtol(name, nullptr, 10);
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

bool IsEmulatorHardwareId(char* hardwareId, size_t size) {
  size_t length = 0;
  for (; length < size && hardwareId[length]; ++length) {
    char& letter = hardwareId[length];
    if (letter >= 'A' && letter <= 'Z') letter = static_cast<char>(letter - 'A' + 'a');
  }
  static const char kDriverId[] = "umdf\\varnoportemulator";
  const size_t wanted = sizeof(kDriverId) - 1;
  for (size_t at = 0; at + wanted <= length; ++at) {
    if (std::memcmp(hardwareId + at, kDriverId, wanted) == 0) return true;
  }
  return false;
}

bool FormatVirtualPortLine(const VirtualPortLine& line, char* out, size_t capacity) {
  LineBuilder builder(out, capacity);
  builder.Text(line.portName).Text("=").Decimal(line.instanceNumber, 4);
  builder.Text(",").Decimal(line.driverNumber, 4);
  for (int32_t value : line.values) builder.Text(",").Decimal(value);
  return builder.Text(",").Text(line.id).Text("\n").Done();
}

}  // namespace quillane
