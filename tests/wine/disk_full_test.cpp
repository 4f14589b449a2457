// The installer on a disk that fills up while it unpacks, in a session whose
// Windows Temp folder is a small file system of its own (disk_full_test.sh
// sets it up and says so with QUILLANE_SMALL_DISK=1). Each case leaves just
// so much room that the disk is full at the chosen place; Wine then answers
// WriteFile with success and a short count.
#include <gtest/gtest.h>

#include "installer_driver.h"
#include "run/tree/payload_table.h"

using namespace quillane_test;

namespace {

constexpr unsigned long long kPage = 4096;  // the small file system's block

unsigned long long Pages(unsigned long long bytes) { return (bytes + kPage - 1) / kPage; }

// The blocks each carried file takes, in the order of writing.
std::vector<unsigned long long> PagesOf(const quillane::PayloadRow* rows, size_t count) {
  std::vector<unsigned long long> pages;
  HMODULE image = LoadLibraryExW(InstallerPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  EXPECT_NE(image, nullptr);
  for (size_t index = 0; image && index < count; ++index) {
    HRSRC found = FindResourceW(image, MAKEINTRESOURCEW(rows[index].resourceId), RT_RCDATA);
    pages.push_back(found ? Pages(SizeofResource(image, found)) : 0);
  }
  if (image) FreeLibrary(image);
  return pages;
}

// Fills the base's file system until exactly `pages` blocks are free.
class Filler {
 public:
  explicit Filler(unsigned long long pages) {
    ULARGE_INTEGER free{};
    EXPECT_TRUE(GetDiskFreeSpaceExW(base_.c_str(), &free, nullptr, nullptr));
    EXPECT_GE(free.QuadPart, pages * kPage) << "the small disk is too small";
    unsigned long long left = free.QuadPart - pages * kPage;
    HANDLE file = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    const std::string chunk(1 << 20, 'f');
    while (left > 0 && file != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      const DWORD part = static_cast<DWORD>(std::min<unsigned long long>(left, chunk.size()));
      if (!WriteFile(file, chunk.data(), part, &written, nullptr) || written != part) break;
      left -= part;
    }
    EXPECT_EQ(left, 0u);
    CloseHandle(file);
    GetDiskFreeSpaceExW(base_.c_str(), &free, nullptr, nullptr);
    EXPECT_EQ(free.QuadPart, pages * kPage);
  }
  ~Filler() { DeleteFileW(path_.c_str()); }

 private:
  std::wstring base_ = WorkingBase();
  std::wstring path_ = base_ + L"\\filler.bin";
};

TEST(DiskFull, UnpackingThatCannotFinishStartsNothingAndLeavesNothing) {
  if (GetEnvironmentVariableW(L"QUILLANE_SMALL_DISK", nullptr, 0) == 0) {
    GTEST_SKIP() << "needs the small disk of disk_full_test.sh";
  }
  const std::vector<unsigned long long> install =
      PagesOf(quillane::kInstallPayload, quillane::kInstallPayloadSize);
  const std::vector<unsigned long long> cleanup =
      PagesOf(quillane::kCleanupPayload, quillane::kCleanupPayloadSize);
  ASSERT_EQ(install.size(), quillane::kInstallPayloadSize);
  ASSERT_GE(install[0], 2u);  // setup.exe can be cut within

  // The largest later file, cut within as well.
  size_t later = 1;
  for (size_t index = 1; index < install.size(); ++index) {
    if (install[index] > install[later]) later = index;
  }
  ASSERT_GE(install[later], 2u);
  unsigned long long before = 0;
  for (size_t index = 0; index < later; ++index) before += install[index];
  unsigned long long all = 0;
  for (unsigned long long pages : install) all += pages;

  struct {
    const char* what;
    const wchar_t* arguments;
    unsigned long long freePages;
  } const cases[] = {
      {"full within setup.exe", L"-u1", install[0] - 1},
      {"full within a later file", L"-u1", before + install[later] - 1},
      {"full at PORTS.dat", L"-s1", all},
      {"full within the clean-up library", L"-u3", cleanup[0] + cleanup[1] + cleanup[2] - 1},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.what);
    Filler filler(row.freePages);
    InstallerRun run = RunInstaller(row.arguments);
    EXPECT_EQ(run.exitCode, 1001);
    EXPECT_FALSE(run.box.shown);
    EXPECT_TRUE(run.report.empty() && run.auxReport.empty() && run.cleanupReport.empty())
        << run.report;
    EXPECT_FALSE(PathExists(WorkingRoot()));
  }
}

}  // namespace
