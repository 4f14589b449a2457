// PORTS.dat as the writers make it from Wine's real registry, which each
// test fills with the device keys it needs.
#include <gtest/gtest.h>

#include <cstdio>

#include "import_patch.h"
#include "ports/ports_snapshot.h"
#include "test_support.h"

using namespace quillane_test;

namespace {

const std::wstring kUsbKey = L"SYSTEM\\CurrentControlSet\\Enum\\USB\\" QUILLANE_USB_DEVICE_KEY_W;
const std::wstring kPortsKey = L"SYSTEM\\CurrentControlSet\\Enum\\Root\\PORTS";

// Writes values under HKLM and removes the device keys again.
class DeviceRegistry : public ::testing::Test {
 protected:
  void SetUp() override { Clear(); }
  void TearDown() override { Clear(); }
  static void Clear() {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kUsbKey.c_str());
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kPortsKey.c_str());
  }
  static void Set(const std::wstring& key, const wchar_t* name, DWORD type, const void* data,
                  size_t bytes) {
    SetMachineValue(key, name, type, data, bytes);
  }
  static void Number(const std::wstring& key, const wchar_t* name, DWORD value) {
    SetMachineNumber(key, name, value);
  }
  static void Text(const std::wstring& key, const wchar_t* name, const std::wstring& text,
                   DWORD type = REG_SZ) {
    SetMachineText(key, name, text, type);
  }
  static void MakeKey(const std::wstring& key) { SetMachineValue(key, nullptr, 0, nullptr, 0); }
  static std::wstring Usb(const std::wstring& instance) {
    return kUsbKey + L"\\" + instance + L"\\Device Parameters";
  }
  static std::wstring Port(const std::wstring& instance) { return kPortsKey + L"\\" + instance; }
  static std::wstring PortParameters(const std::wstring& instance) {
    return Port(instance) + L"\\Device Parameters";
  }
  // An instance of the port emulator, as its driver registers one.
  static void EmulatorPort(const std::wstring& instance, const wchar_t* portName,
                           const wchar_t* driver) {
    Text(Port(instance), L"HardwareID", std::wstring(L"UMDF\\VarnoPortEmulator\0", 23) + L"\0",
         REG_MULTI_SZ);
    if (driver) Text(Port(instance), L"Driver", driver);
    Text(PortParameters(instance), L"PortName", portName);
  }

  // The file the two writers make, as a text-mode stream writes it.
  static std::string Snapshot() {
    ScratchFolder folder;
    const std::wstring path = folder / L"PORTS.dat";
    FILE* stream = _wfopen(path.c_str(), L"wt");
    EXPECT_NE(stream, nullptr);
    if (!stream) return std::string();
    quillane::WritePortsSection(stream);
    quillane::WriteVirtualPortsSection(stream);
    fclose(stream);
    return ReadFileBytes(path);
  }
};

TEST_F(DeviceRegistry, NoDevicesGiveTheTwoHeadersOnly) {
  EXPECT_EQ(Snapshot(), "[PORTS]\r\n[QLANE]\r\n");
  MakeKey(kUsbKey);
  MakeKey(kPortsKey);
  EXPECT_EQ(Snapshot(), "[PORTS]\r\n[QLANE]\r\n");
}

TEST_F(DeviceRegistry, UsbInstancesGiveTheirEnabledPorts) {
  Number(Usb(L"0001"), L"VrnCuIndex", 0);  // KP port 3, enabled value missing
  Number(Usb(L"0001"), L"VrnCOMPortForKP", 3);
  Number(Usb(L"0002"), L"VrnCuIndex", 1);  // KP disabled (0), KV enabled (1)
  Number(Usb(L"0002"), L"VrnCOMPortForKP", 5);
  Number(Usb(L"0002"), L"VrnEnabledPortKP", 0);
  Number(Usb(L"0002"), L"VrnCOMPortForKV", 7);
  Number(Usb(L"0002"), L"VrnEnabledPortKV", 1);
  Number(Usb(L"0003"), L"VrnCuIndex", 2);  // enabled 2 counts as off; port 41 too high
  Number(Usb(L"0003"), L"VrnCOMPortForKP", 6);
  Number(Usb(L"0003"), L"VrnEnabledPortKP", 2);
  Number(Usb(L"0003"), L"VrnCOMPortForKV", 41);
  Number(Usb(L"0004"), L"VrnCOMPortForKP", 3);  // no VrnCuIndex: no lines at all
  Number(Usb(L"0005"), L"VrnCuIndex", 4);       // the two ends of the range
  Number(Usb(L"0005"), L"VrnCOMPortForKP", 1);
  Number(Usb(L"0005"), L"VrnCOMPortForKV", 40);
  Number(Usb(L"0006"), L"VrnCuIndex", 5);  // port 0 is none
  Number(Usb(L"0006"), L"VrnCOMPortForKP", 0);
  MakeKey(kUsbKey + L"\\0007");  // no Device Parameters key
  EXPECT_EQ(Snapshot(), "[PORTS]\r\n3=0,0001\r\n7=1,0002\r\n1=0,0005\r\n40=1,0005\r\n[QLANE]\r\n");
}

TEST_F(DeviceRegistry, NumbersAreReadByTheirFirstFourBytesWhateverTheirType) {
  const unsigned char threeBytes[] = {1, 0, 0};
  const unsigned char eightBytes[] = {2, 0, 0, 0, 0, 0, 0, 0};
  const unsigned char oneByte[] = {4};
  Set(Usb(L"A1"), L"VrnCuIndex", REG_BINARY, threeBytes, sizeof(threeBytes));
  Set(Usb(L"A1"), L"VrnCOMPortForKP", REG_BINARY, oneByte, sizeof(oneByte));
  Text(Usb(L"A1"), L"VrnCOMPortForKV", L"9");  // the text "9" reads as 0x39: out of range
  Set(Usb(L"A2"), L"VrnCuIndex", REG_QWORD, eightBytes, sizeof(eightBytes));  // too long: missing
  Number(Usb(L"A2"), L"VrnCOMPortForKP", 8);
  Number(Usb(L"A3"), L"VrnCuIndex", 0);
  Number(Usb(L"A3"), L"VrnCOMPortForKP", 0xFFFFFFFF);  // all bits set: not a port
  EXPECT_EQ(Snapshot(), "[PORTS]\r\n4=0,A1\r\n[QLANE]\r\n");
}

TEST_F(DeviceRegistry, EmulatorPortsGiveOneLineEach) {
  EmulatorPort(L"0000", L"COM7", L"{4d36e978-e325-11ce-bfc1-08002be10318}\\0002");
  Number(PortParameters(L"0000"), L"VrnKP", 1);
  // Port name in the instance key only, no Driver, every value set.
  Text(Port(L"0012"), L"HardwareID", L"umdf\\varnoportemulator");
  Text(Port(L"0012"), L"PortName", L"COM9");
  const wchar_t* names[] = {L"VrnDCD", L"VrnDSR", L"VrnCTS", L"VrnRI",
                            L"VrnKP",  L"VrnKV",  L"VrnPH",  L"VrnAsync"};
  for (int index = 0; index < 8; ++index) Number(PortParameters(L"0012"), names[index], index + 1);
  Number(PortParameters(L"0012"), L"VrnDCD", 0xFFFFFFFF);
  Text(PortParameters(L"0012"), L"VrnID", L"KP-1234");
  // A name without digits, a Driver without a backslash, an 8-byte value.
  EmulatorPort(L"Port", L"COM12", L"no backslash");
  const unsigned char eightBytes[] = {5, 0, 0, 0, 0, 0, 0, 0};
  Set(PortParameters(L"Port"), L"VrnCTS", REG_QWORD, eightBytes, sizeof(eightBytes));
  EXPECT_EQ(Snapshot(),
            "[PORTS]\r\n[QLANE]\r\n"
            "COM7=0000,0002,0,0,0,0,1,0,0,0,\r\n"
            "COM9=0012,9999,-1,2,3,4,5,6,7,8,KP-1234\r\n"
            "COM12=0000,9999,0,0,0,0,0,0,0,0,\r\n");
}

TEST_F(DeviceRegistry, PortsOfOtherDriversAndIncompleteInstancesAreSkipped) {
  Text(Port(L"0001"), L"HardwareID", std::wstring(L"ROOT\\MODEM\0", 11) + L"\0", REG_MULTI_SZ);
  Text(PortParameters(L"0001"), L"PortName", L"COM3");
  // The emulator's id only in the second string of the hardware ids.
  Text(Port(L"0002"), L"HardwareID",
       std::wstring(L"ROOT\\OTHER\0umdf\\varnoportemulator\0", 34) + L"\0", REG_MULTI_SZ);
  Text(PortParameters(L"0002"), L"PortName", L"COM4");
  // A port name in the instance key but no Device Parameters key.
  Text(Port(L"0003"), L"HardwareID", L"umdf\\varnoportemulator");
  Text(Port(L"0003"), L"PortName", L"COM5");
  // No port name anywhere.
  Text(Port(L"0004"), L"HardwareID", L"umdf\\varnoportemulator");
  MakeKey(PortParameters(L"0004"));
  // A port name longer than its 260-byte buffer counts as missing; the
  // instance key's own name is used instead.
  EmulatorPort(L"0005", std::wstring(300, L'P').c_str(), L"x\\7");
  Text(Port(L"0005"), L"PortName", L"COM6");
  EXPECT_EQ(Snapshot(), "[PORTS]\r\n[QLANE]\r\nCOM6=0005,0007,0,0,0,0,0,0,0,0,\r\n");
}

TEST_F(DeviceRegistry, TextsAreBoundedByTheirBuffers) {
  EmulatorPort(L"0001", L"COM2", L"a\\1");
  Text(PortParameters(L"0001"), L"VrnID", std::wstring(400, L'i'));  // too long: missing
  // Data without a terminator ends where the data ends.
  Text(Port(L"0002"), L"HardwareID", L"umdf\\varnoportemulator");
  Set(PortParameters(L"0002"), L"PortName", REG_BINARY, "COM8", 4);
  Set(PortParameters(L"0002"), L"VrnID", REG_BINARY, "ID-2", 4);
  EXPECT_EQ(Snapshot(),
            "[PORTS]\r\n[QLANE]\r\nCOM2=0001,0001,0,0,0,0,0,0,0,0,\r\n"
            "COM8=0002,9999,0,0,0,0,0,0,0,0,ID-2\r\n");
}

// A key that cannot be read gives no line, never a part of one, and an
// enumeration that keeps failing ends.
TEST_F(DeviceRegistry, KeysThatCannotBeReadGiveNoLines) {
  EmulatorPort(L"0000", L"COM7", L"a\\2");
  const std::string headers = "[PORTS]\r\n[QLANE]\r\n";
  EXPECT_EQ(Snapshot(), headers + "COM7=0000,0002,0,0,0,0,0,0,0,0,\r\n");
  {
    auto failing = FAIL_IMPORT("ADVAPI32.dll", RegEnumKeyExA, ERROR_ACCESS_DENIED);
    EXPECT_EQ(Snapshot(), headers);
  }
  // The keys open in turn: the USB devices (none here), the ports, the
  // instance, and its parameters twice.
  for (int passes = 1; passes <= 4; ++passes) {
    auto failing = FAIL_IMPORT("ADVAPI32.dll", RegOpenKeyExA, ERROR_ACCESS_DENIED, passes);
    EXPECT_EQ(Snapshot(), headers) << passes << " keys opened";
  }
}

TEST_F(DeviceRegistry, PortsFileThatCannotBeMadeOrMeasuredIsNotWritten) {
  ScratchFolder folder;
  EXPECT_TRUE(quillane::WritePortsFile((folder / L"PORTS.dat").c_str()));
  EXPECT_FALSE(quillane::WritePortsFile((folder / L"missing\\PORTS.dat").c_str()));
  auto failing = FAIL_IMPORT("KERNEL32.dll", GetFileAttributesExW, FALSE);
  EXPECT_FALSE(quillane::WritePortsFile((folder / L"measured.dat").c_str()));
}

}  // namespace
