#include "ports/ports_snapshot.h"

#include "base/win32.h"
#include "ports/ports_format.h"

#ifndef QUILLANE_USB_DEVICE_KEY
#error "QUILLANE_USB_DEVICE_KEY (Vid_vvvv&Pid_pppp) comes from the build"
#endif

namespace quillane {
namespace {

constexpr const char* kUsbDeviceKey =
    "SYSTEM\\CurrentControlSet\\Enum\\USB\\" QUILLANE_USB_DEVICE_KEY;
constexpr const char* kVirtualPortsKey = "SYSTEM\\CurrentControlSet\\Enum\\Root\\PORTS";
constexpr DWORD kTextBytes = 260;
constexpr DWORD kKeyNameChars = 260;
constexpr size_t kKeyPathBytes = 520;
constexpr size_t kLineBytes = 1024;

// A key path built from pieces; false when it would not fit its buffer.
bool JoinPath(char (&out)[kKeyPathBytes], const char* first, const char* second,
              const char* third = "") {
  const char* const pieces[] = {first, "\\", second, third};
  size_t length = 0;
  for (const char* piece : pieces) {
    for (; *piece; ++piece) {
      if (length + 1 >= kKeyPathBytes) return false;
      out[length++] = *piece;
    }
  }
  out[length] = 0;
  return true;
}

bool OpenKey(const char* path, UniqueKey& key) {
  return RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, key.Receive()) == ERROR_SUCCESS;
}

// A value of at most 4 bytes, whatever its type; a longer one is missing.
bool ReadNumber(HKEY key, const char* name, uint32_t& value) {
  uint32_t data = 0;
  DWORD size = sizeof(data);
  if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&data), &size) !=
      ERROR_SUCCESS) {
    return false;
  }
  value = data;
  return true;
}

// A text of at most 260 bytes, terminated within the buffer even when the
// registry data is not; a longer value is missing and leaves text empty.
bool ReadText(HKEY key, const char* name, char (&text)[kTextBytes + 1]) {
  DWORD size = kTextBytes;
  LONG status = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
  if (status != ERROR_SUCCESS || size > kTextBytes) {
    text[0] = 0;
    return false;
  }
  text[size] = 0;
  return true;
}

void WriteLine(FILE* stream, const char* line) { fputs(line, stream); }

// Calls visit(name) for every subkey name of key; an index that fails with
// anything but "no more items" (a name too long for the buffer) is skipped.
// A key that fails at every index (deleted meanwhile) would never report the
// end, so a long run of failures ends the walk too.
template <typename Visit>
void ForEachSubkey(HKEY key, Visit visit) {
  constexpr int kFailuresInARow = 1024;
  int failures = 0;
  for (DWORD index = 0;; ++index) {
    char name[kKeyNameChars];
    DWORD length = kKeyNameChars;
    LONG status = RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) return;
    if (status != ERROR_SUCCESS) {
      if (++failures >= kFailuresInARow) return;
      continue;
    }
    failures = 0;
    name[kKeyNameChars - 1] = 0;
    visit(name);
  }
}

void WritePortLineIfEnabled(FILE* stream, HKEY parameters, const char* portValue,
                            const char* enabledValue, PortFamily family, const char* instance) {
  uint32_t port = 0;
  if (!ReadNumber(parameters, portValue, port)) return;
  uint32_t enabled = 0;
  const bool enabledRead = ReadNumber(parameters, enabledValue, enabled);
  if (!ShouldWritePortLine(port, enabledRead, enabled)) return;
  char line[kLineBytes];
  if (FormatPortLine(static_cast<int32_t>(port), family, instance, line, sizeof(line))) {
    WriteLine(stream, line);
  }
}

void WriteVirtualPortLine(FILE* stream, const char* instance) {
  char instancePath[kKeyPathBytes];
  char parametersPath[kKeyPathBytes];
  if (!JoinPath(instancePath, kVirtualPortsKey, instance) ||
      !JoinPath(parametersPath, kVirtualPortsKey, instance, "\\Device Parameters")) {
    return;
  }
  UniqueKey instanceKey;
  if (!OpenKey(instancePath, instanceKey)) return;

  char portName[kTextBytes + 1];
  {
    UniqueKey parameters;
    if (!OpenKey(parametersPath, parameters)) return;
    if (!ReadText(parameters.Get(), "PortName", portName) &&
        !ReadText(instanceKey.Get(), "PortName", portName)) {
      return;
    }
  }
  char hardwareId[kTextBytes + 1] = {};
  char driver[kTextBytes + 1] = {};
  ReadText(instanceKey.Get(), "HardwareID", hardwareId);
  ReadText(instanceKey.Get(), "Driver", driver);

  UniqueKey parameters;
  if (!OpenKey(parametersPath, parameters)) return;
  if (!IsEmulatorHardwareId(hardwareId, sizeof(hardwareId))) return;

  static const char* const kValueNames[8] = {"VrnDCD", "VrnDSR", "VrnCTS", "VrnRI",
                                             "VrnKP",  "VrnKV",  "VrnPH",  "VrnAsync"};
  VirtualPortLine line{};
  line.portName = portName;
  line.instanceNumber = InstanceNumber(instance);
  line.driverNumber = DriverNumber(driver);
  for (int index = 0; index < 8; ++index) {
    uint32_t value = 0;
    ReadNumber(parameters.Get(), kValueNames[index], value);
    line.values[index] = static_cast<int32_t>(value);
  }
  char id[kTextBytes + 1] = {};
  ReadText(parameters.Get(), "VrnID", id);
  line.id = id;
  char text[kLineBytes];
  if (FormatVirtualPortLine(line, text, sizeof(text))) WriteLine(stream, text);
}

}  // namespace

void WritePortsSection(FILE* stream) {
  WriteLine(stream, "[PORTS]\n");
  UniqueKey device;
  if (!OpenKey(kUsbDeviceKey, device)) return;
  ForEachSubkey(device.Get(), [&](const char* instance) {
    char path[kKeyPathBytes];
    if (!JoinPath(path, kUsbDeviceKey, instance, "\\Device Parameters")) return;
    UniqueKey parameters;
    if (!OpenKey(path, parameters)) return;
    uint32_t index = 0;
    if (!ReadNumber(parameters.Get(), "VrnCuIndex", index)) return;
    WritePortLineIfEnabled(stream, parameters.Get(), "VrnCOMPortForKP", "VrnEnabledPortKP",
                           PortFamily::Kp, instance);
    WritePortLineIfEnabled(stream, parameters.Get(), "VrnCOMPortForKV", "VrnEnabledPortKV",
                           PortFamily::Kv, instance);
  });
}

void WriteVirtualPortsSection(FILE* stream) {
  WriteLine(stream, "[QLANE]\n");
  UniqueKey ports;
  if (!OpenKey(kVirtualPortsKey, ports)) return;
  ForEachSubkey(ports.Get(), [&](const char* instance) { WriteVirtualPortLine(stream, instance); });
}

bool WritePortsFile(const wchar_t* path) {
  FILE* stream = _wfopen(path, L"wt");
  if (!stream) return false;
  WritePortsSection(stream);
  WriteVirtualPortsSection(stream);
  PortsFileWritten written = {};
  written.streamLength = ftell(stream);
  written.streamFailed = ferror(stream) != 0;
  written.closed = fclose(stream) == 0;
  WIN32_FILE_ATTRIBUTE_DATA onDisk;
  written.sizeRead = GetFileAttributesExW(path, GetFileExInfoStandard, &onDisk) != 0;
  if (written.sizeRead) {
    written.sizeOnDisk =
        (static_cast<unsigned long long>(onDisk.nFileSizeHigh) << 32) | onDisk.nFileSizeLow;
  }
  return IsWrittenWhole(written);
}

}  // namespace quillane
