#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "ports/ports_format.h"

namespace quillane {
namespace {

TEST(PortLine, WrittenForPorts1To40WhenEnabledMissingOrOne) {
  struct {
    uint32_t port;
    bool enabledRead;
    uint32_t enabled;
    bool expected;
  } const cases[] = {
      {0, false, 0, false},  {1, false, 0, true}, {40, false, 0, true},
      {41, false, 0, false}, {3, false, 7, true}, {3, true, 0, false},
      {3, true, 1, true},    {3, true, 2, false}, {40, true, 1, true},
      {41, true, 1, false},  {0, true, 1, false}, {0xFFFFFFFFu, false, 0, false},
  };
  for (const auto& row : cases) {
    EXPECT_EQ(ShouldWritePortLine(row.port, row.enabledRead, row.enabled), row.expected)
        << row.port << " " << row.enabledRead << " " << row.enabled;
  }
}

TEST(PortLine, PortFamilyAndInstance) {
  char line[64];
  ASSERT_TRUE(FormatPortLine(3, PortFamily::Kp, "0001", line, sizeof(line)));
  EXPECT_STREQ(line, "3=0,0001\n");
  ASSERT_TRUE(FormatPortLine(40, PortFamily::Kv, "5&2a3b&0&1", line, sizeof(line)));
  EXPECT_STREQ(line, "40=1,5&2a3b&0&1\n");
  ASSERT_TRUE(FormatPortLine(12, PortFamily::Kv, "", line, sizeof(line)));
  EXPECT_STREQ(line, "12=1,\n");
}

TEST(DriverNumber, DigitsAfterTheFirstBackslash) {
  struct {
    const char* driver;
    int32_t expected;
  } const cases[] = {
      {"{4d36e978-e325-11ce-bfc1-08002be10318}\\0002", 2},
      {"{4d36e978-e325-11ce-bfc1-08002be10318}\\0017", 17},
      {"{4d36e978-e325-11ce-bfc1-08002be10318}", 9999},
      {"", 9999},
      {"{4d36e978-e325-11ce-bfc1-08002be10318}\\", 0},
      {"{4d36e978-e325-11ce-bfc1-08002be10318}\\x12", 0},
      {"a\\12\\34", 12},
  };
  for (const auto& row : cases) {
    EXPECT_EQ(DriverNumber(row.driver), row.expected) << row.driver;
  }
}

TEST(InstanceNumber, ReadAsAtoiWouldWithoutOverflow) {
  struct {
    const char* name;
    int32_t expected;
  } const cases[] = {
      {"12", 12},
      {"0001", 1},
      {"abc", 0},
      {"", 0},
      {" 7x", 7},
      {"\t+9", 9},
      {"-3", -3},
      {"2147483647", INT32_MAX},
      {"2147483648", INT32_MAX},
      {"99999999999999999999", INT32_MAX},
      {"-99999999999999999999", INT32_MIN},
  };
  for (const auto& row : cases) {
    EXPECT_EQ(InstanceNumber(row.name), row.expected) << '"' << row.name << '"';
  }
}

// The value bytes exactly, in a heap block of exactly `size` bytes, so that
// reading past it is caught.
std::unique_ptr<char[]> Block(const char* bytes, size_t size) {
  std::unique_ptr<char[]> block(new char[size]);
  std::memcpy(block.get(), bytes, size);
  return block;
}

TEST(EmulatorHardwareId, FirstStringLoweredAndSearched) {
  struct {
    const char* bytes;
    size_t size;
    bool expected;
    const char* lowered;  // the first string afterwards
  } const cases[] = {
      {"UMDF\\VarnoPortEmulator\0", 23, true, "umdf\\varnoportemulator"},
      {"Root\\UMDF\\VARNOPORTEMULATOR_2\0", 30, true, "root\\umdf\\varnoportemulator_2"},
      {"umdf\\varnoportemulator\0\0", 24, true, "umdf\\varnoportemulator"},
      {"Root\\Modem\0UMDF\\VarnoPortEmulator\0\0", 35, false, "root\\modem"},
      {"UMDF\\OtherPortEmulator\0", 23, false, "umdf\\otherportemulator"},
      {"UMDF\\VarnoPortEmulato\0", 22, false, "umdf\\varnoportemulato"},
      {"UMDF\\Varno PortEmulator\0", 24, false, "umdf\\varno portemulator"},
      {"\0UMDF\\VarnoPortEmulator\0", 24, false, ""},
  };
  for (const auto& row : cases) {
    auto block = Block(row.bytes, row.size);
    EXPECT_EQ(IsEmulatorHardwareId(block.get(), row.size), row.expected) << row.lowered;
    EXPECT_STREQ(block.get(), row.lowered);
  }
}

TEST(EmulatorHardwareId, LaterStringsAreLeftAlone) {
  const char bytes[] = "Root\\Modem\0UMDF\\VarnoPortEmulator\0";
  auto block = Block(bytes, sizeof(bytes));
  EXPECT_FALSE(IsEmulatorHardwareId(block.get(), sizeof(bytes)));
  EXPECT_STREQ(block.get() + 11, "UMDF\\VarnoPortEmulator");
}

TEST(EmulatorHardwareId, UnterminatedValueStaysInsideItsSize) {
  const char id[] = "UMDF\\VarnoPortEmulator";
  const size_t length = sizeof(id) - 1;
  auto whole = Block(id, length);
  EXPECT_TRUE(IsEmulatorHardwareId(whole.get(), length));
  EXPECT_EQ(std::string(whole.get(), length), "umdf\\varnoportemulator");

  auto cut = Block(id, length - 1);
  EXPECT_FALSE(IsEmulatorHardwareId(cut.get(), length - 1));
  EXPECT_EQ(std::string(cut.get(), length - 1), "umdf\\varnoportemulato");

  auto none = Block(id, 1);
  EXPECT_FALSE(IsEmulatorHardwareId(none.get(), 0));
  EXPECT_EQ(none[0], 'U');
}

VirtualPortLine Line(const char* name, int32_t instance, int32_t driver, const char* id) {
  return {name, instance, driver, {0, 0, 0, 0, 0, 0, 0, 0}, id};
}

std::string Format(const VirtualPortLine& line) {
  char out[512];
  if (!FormatVirtualPortLine(line, out, sizeof(out))) return "(refused)";
  return out;
}

TEST(VirtualPortLine, FieldsInOrder) {
  VirtualPortLine example = Line("COM7", 1, 2, "");
  example.values[4] = 1;  // KP
  EXPECT_EQ(Format(example), "COM7=0001,0002,0,0,0,0,1,0,0,0,\n");

  VirtualPortLine each = Line("COM12", 12, 9999, "KP-0042");
  for (int index = 0; index < 8; ++index) each.values[index] = index + 1;
  EXPECT_EQ(Format(each), "COM12=0012,9999,1,2,3,4,5,6,7,8,KP-0042\n");

  VirtualPortLine extremes = Line("COM3", 0, 12345, "");
  extremes.values[0] = -1;  // all 32 bits set
  extremes.values[1] = INT32_MIN;
  extremes.values[7] = INT32_MAX;
  EXPECT_EQ(Format(extremes), "COM3=0000,12345,-1,-2147483648,0,0,0,0,0,2147483647,\n");
}

TEST(VirtualPortLine, NegativeNumbersFourWideWithTheSign) {
  struct {
    int32_t number;
    const char* field;
  } const cases[] = {
      {-5, "-005"},     {-42, "-042"}, {-999, "-999"},
      {-1234, "-1234"}, {7, "0007"},   {INT32_MIN, "-2147483648"},
  };
  for (const auto& row : cases) {
    const std::string field = row.field;
    EXPECT_EQ(Format(Line("COM1", row.number, 1, "")),
              "COM1=" + field + ",0001,0,0,0,0,0,0,0,0,\n");
    EXPECT_EQ(Format(Line("COM1", 1, row.number, "")),
              "COM1=0001," + field + ",0,0,0,0,0,0,0,0,\n");
  }
}

TEST(VirtualPortLine, RefusedWhenTooSmallAndNeverWritesPastCapacity) {
  const VirtualPortLine line = Line("COM7", 1, 2, "ID");
  const std::string expected = "COM7=0001,0002,0,0,0,0,0,0,0,0,ID\n";
  for (size_t capacity = 0; capacity <= expected.size() + 1; ++capacity) {
    std::unique_ptr<char[]> out(new char[capacity]);
    const bool fits = capacity > expected.size();
    ASSERT_EQ(FormatVirtualPortLine(line, out.get(), capacity), fits) << capacity;
    if (fits) {
      EXPECT_EQ(std::string(out.get()), expected);
    }
  }
}

// Written whole: no stream error, a known length, a clean close, and that
// many bytes on disk (a short write taken for success leaves fewer).
TEST(PortsFile, WrittenWholeOnlyWhenTheDiskHoldsTheStreamsLength) {
  struct {
    PortsFileWritten written;
    bool whole;
  } const cases[] = {
      {{false, 120, true, true, 120}, true},
      {{false, 0, true, true, 0}, true},
      {{false, 120, true, true, 119}, false},
      {{false, 120, true, true, 121}, false},
      {{false, 120, true, true, 120ull + (1ull << 32)}, false},
      {{true, 120, true, true, 120}, false},
      {{false, -1, true, true, 0}, false},
      {{false, 120, false, true, 120}, false},
      {{false, 120, true, false, 120}, false},
  };
  for (const auto& row : cases) {
    const PortsFileWritten& w = row.written;
    EXPECT_EQ(IsWrittenWhole(w), row.whole) << w.streamFailed << " " << w.streamLength << " "
                                            << w.closed << " " << w.sizeRead << " " << w.sizeOnDisk;
  }
}

}  // namespace
}  // namespace quillane
